// Windows-style file name lookup: case-blind comparison across UTF-8 and Windows-1252 names,
// and the search of a directory for such a name.
#include "files/file_name_match.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

#include "base/windows1252.hpp"

namespace cadencio::files {
namespace {

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
  // A name is UTF-8 when it decodes as such, else Windows-1252 bytes; the five bytes the
  // code page leaves undefined keep their own value.
  std::u32string code_points = base::DecodeUtf8(name).value_or(std::u32string());
  if (code_points.empty() && !name.empty()) {
    for (char byte : name) {
      auto b = static_cast<uint8_t>(byte);
      char32_t cp = base::Windows1252ToUnicode(b);
      code_points.push_back(cp != 0 || b == 0 ? cp : char32_t{b});
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

}  // namespace cadencio::files
