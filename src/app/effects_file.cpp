// Effects file entries, the sort key and the effect and model lists; see the header.
#include "app/effects_file.hpp"

#include <array>
#include <optional>
#include <utility>

#include "base/windows1252.hpp"

namespace cadencio::app {

namespace {

// The folding of every byte: ASCII upper-cased, the accented letters of code pages 850
// (0x80..0xA5) and 1252 (0xC0..0xFF) to their base letter, the rest of the upper half to 0xFE.
std::array<uint8_t, 256> MakeFoldTable() {
  std::array<uint8_t, 256> table{};
  for (int ch = 0; ch < 128; ++ch) table[ch] = base::AsciiUpperCase(static_cast<uint8_t>(ch));
  for (int ch = 128; ch < 256; ++ch) table[ch] = 0xFE;
  struct Group {
    uint8_t target;
    std::initializer_list<std::pair<int, int>> ranges;
  };
  const Group groups[] = {
      {'C', {{0x80, 0x80}, {0x87, 0x87}, {0xC7, 0xC7}, {0xE7, 0xE7}}},
      {'U', {{0x81, 0x81}, {0x96, 0x97}, {0x9A, 0x9A}, {0xA3, 0xA3}, {0xD9, 0xDC}, {0xF9, 0xFC}}},
      {'E', {{0x82, 0x82}, {0x88, 0x8A}, {0x90, 0x90}, {0xC8, 0xCB}, {0xE8, 0xEB}}},
      {'A', {{0x83, 0x86}, {0x8E, 0x8F}, {0xA0, 0xA0}, {0xC0, 0xC5}, {0xE0, 0xE5}}},
      {'I', {{0x8B, 0x8D}, {0xA1, 0xA1}, {0xCC, 0xCF}, {0xEC, 0xEF}}},
      {'O', {{0x93, 0x95}, {0x99, 0x99}, {0xA2, 0xA2}, {0xD2, 0xD6}, {0xF2, 0xF6}}},
      {'Y', {{0x98, 0x98}, {0xDD, 0xDD}, {0xFD, 0xFD}}},
      {'N', {{0xA4, 0xA5}, {0xD1, 0xD1}, {0xF1, 0xF1}}},
      {'X', {{0xD7, 0xD7}, {0xF7, 0xF7}}},
      {0x91, {{0xC6, 0xC6}, {0xE6, 0xE6}}},  // AE ligatures sort as code 0x91
  };
  for (const auto& group : groups) {
    for (auto [first, last] : group.ranges) {
      for (int ch = first; ch <= last; ++ch) table[ch] = group.target;
    }
  }
  return table;
}

const std::array<uint8_t, 256>& FoldTable() {
  static const std::array<uint8_t, 256> table = MakeFoldTable();
  return table;
}

// Windows-1252 bytes of a text saved as UTF-8 (the usual encoding of Linux editors); the text
// itself when it is already in the code page.
std::string ToCodePage(std::string_view text) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (text.starts_with(kBom)) text.remove_prefix(kBom.size());
  return base::LooksLikeUtf8(text) ? base::Utf8ToWindows1252(text).bytes : std::string(text);
}

}  // namespace

std::vector<std::string> ParseEffectsText(std::string_view raw_text) {
  const std::string text = ToCodePage(raw_text.substr(0, kMaxEffectsFileBytes));
  std::vector<std::string> entries;
  std::size_t pos = 0;
  while (pos < text.size() && static_cast<int>(entries.size()) < kMaxEffectEntries) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + pos, end - pos);
    pos = end + 1;  // past LF or CR (or the end)
    if (end < text.size() && text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    if (line.empty() || line[0] == ';' || line[0] == '[') continue;
    entries.emplace_back(line.substr(0, kMaxEntryLength));
  }
  return entries;
}

std::string SortKey(std::string_view text) {
  const auto& fold = FoldTable();
  std::string key(text);
  for (char& ch : key) ch = static_cast<char>(fold[static_cast<uint8_t>(ch)]);
  return key;
}

std::vector<std::string> BuildEntryList(const std::vector<std::string>& raw, bool models) {
  std::vector<std::string> list;
  for (const auto& entry : raw) {
    bool is_model = !entry.empty() && entry[0] == '*';
    if (is_model == models) list.push_back(is_model ? entry.substr(1) : entry);
  }
  if (list.size() > 2) {
    // The exchange sort of the original lists: equal keys may change places, so the order of
    // entries with equal keys is the one this sort gives, not the file's.
    std::vector<std::string> keys;
    keys.reserve(list.size());
    for (const auto& text : list) keys.push_back(SortKey(text));
    for (std::size_t i = 0; i + 1 < list.size(); ++i) {
      for (std::size_t j = i + 1; j < list.size(); ++j) {
        // Byte-wise unsigned comparison; a prefix comes first.
        if (keys[i].compare(keys[j]) > 0) {
          std::swap(list[i], list[j]);
          std::swap(keys[i], keys[j]);
        }
      }
    }
  }
  return list;
}

std::string EntryName(std::string_view entry) {
  std::size_t eq = entry.find('=');
  return eq == std::string_view::npos ? std::string() : std::string(entry.substr(0, eq));
}

std::string EntryFile(std::string_view entry) {
  std::size_t eq = entry.find('=');
  std::string_view file = eq == std::string_view::npos ? entry : entry.substr(eq + 1);
  return base::AsciiUpperCase(file) + ".WAV";
}

bool MatchesLetter(std::string_view entry, uint8_t letter) {
  if (entry.empty()) return false;
  const auto& fold = FoldTable();
  return fold[base::AsciiUpperCase(letter)] ==
         fold[base::AsciiUpperCase(static_cast<uint8_t>(entry[0]))];
}

}  // namespace cadencio::app
