// The diphone list of the voice in use.
#include "tts/diphone_list.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "files/file_reader.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '@' || c == '2' || c == '_';
}

bool LessNoCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<uint8_t>(base::AsciiLowerCase(x)) <
           static_cast<uint8_t>(base::AsciiLowerCase(y));
  });
}

// "first-second" of one line: the name at its start, then, past the separator and anything
// that cannot belong to a name, the second name.
std::string DiphoneOfLine(std::string_view line) {
  std::size_t at = 0;
  while (at < line.size() && IsNameChar(line[at])) ++at;
  std::string diphone(line.substr(0, at));
  diphone += '-';
  if (at < line.size()) ++at;
  while (at < line.size() && !IsNameChar(line[at])) ++at;
  const std::size_t second = at;
  while (at < line.size() && IsNameChar(line[at])) ++at;
  diphone += line.substr(second, at - second);
  return diphone;
}

}  // namespace

bool DiphoneList::Load(const std::string& path) {
  Clear();
  const std::optional<std::string> text = files::ReadDataFile(path);
  if (!text) return false;
  Parse(*text);
  return true;
}

void DiphoneList::Parse(std::string_view text) {
  Clear();
  ForEachDataLine(text, [&](std::string_view raw) {
    const std::string_view line = base::TrimBlanksAndControls(raw);
    if (line.empty() || line.front() == '!' || line.front() == '*' || line.front() == ';') {
      return;
    }
    names_.push_back(DiphoneOfLine(line));
  });
  std::sort(names_.begin(), names_.end(), LessNoCase);
  for (const std::string& name : names_) lower_names_.insert(base::AsciiLowerCase(name));
}

bool DiphoneList::Has(std::string_view first, std::string_view second) const {
  std::string key(first);
  key += '-';
  key += second;
  return lower_names_.contains(base::AsciiLowerCase(key));
}

}  // namespace cadencio::tts
