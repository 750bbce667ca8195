// Windows-style file name lookup: case-blind comparison across UTF-8 and Windows-1252 names,
// and the search of a directory for such a name.
#include "platform/file_name_match.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <array>
#include <memory>

namespace cadencio::platform {
namespace {

// Code points of the Windows-1252 bytes 0x80..0x9F; the five unused bytes keep their value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes strict UTF-8 (no overlong forms, no surrogates); false when `s` is not UTF-8.
bool DecodeUtf8(std::string_view s, std::u32string& out) {
  std::size_t i = 0;
  while (i < s.size()) {
    auto b = static_cast<unsigned char>(s[i]);
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (b < 0x80) {
      cp = b;
    } else if (b >= 0xC2 && b <= 0xDF) {
      extra = 1, cp = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2, cp = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3, cp = b & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size() && extra > 0) return false;
    for (int k = 1; k <= extra; ++k) {
      auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (extra > 0 && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) return false;
    out.push_back(cp);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

char32_t FoldCase(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  switch (c) {
    case 0x0160:
      return 0x0161;
    case 0x0152:
      return 0x0153;
    case 0x017D:
      return 0x017E;
    case 0x0178:
      return 0x00FF;
    default:
      return c;
  }
}

std::u32string FoldedName(std::string_view name) {
  std::u32string code_points;
  if (!DecodeUtf8(name, code_points)) {
    code_points.clear();
    for (char byte : name) {
      auto b = static_cast<unsigned char>(byte);
      code_points.push_back(b >= 0x80 && b <= 0x9F ? kHighControls[b - 0x80] : char32_t{b});
    }
  }
  for (char32_t& c : code_points) c = FoldCase(c);
  return code_points;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

bool SameFileNameNoCase(std::string_view a, std::string_view b) {
  return FoldedName(a) == FoldedName(b);
}

std::optional<std::string> FindEntryNoCase(const std::string& dir, std::string_view wanted) {
  if (wanted.empty()) return std::nullopt;
  std::string exact = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  exact.append(wanted);
  struct stat st {};
  if (::lstat(exact.c_str(), &st) == 0) return std::string(wanted);

  std::unique_ptr<DIR, DirCloser> stream(::opendir(dir.empty() ? "." : dir.c_str()));
  if (!stream) return std::nullopt;
  std::u32string folded = FoldedName(wanted);
  std::optional<std::string> best;
  while (const dirent* entry = ::readdir(stream.get())) {
    std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    if (FoldedName(name) != folded) continue;
    if (!best || name < *best) best = std::string(name);
  }
  return best;
}

}  // namespace cadencio::platform
