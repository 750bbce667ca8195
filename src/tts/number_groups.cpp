// Ranges and telephone numbers.
#include "tts/number_groups.hpp"

#include <cstdint>
#include <optional>
#include <vector>

#include "tts/number_expansion.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

constexpr char kDash = '\x96';  // the en dash of Windows-1252

// The digits from `pos` on, at most `most` of them, not followed by another digit.
std::optional<std::string_view> DigitRun(std::string_view text, std::size_t pos, std::size_t most) {
  std::size_t end = pos;
  while (IsDigit(CharAt(text, end))) ++end;
  if (end == pos || end - pos > most) return std::nullopt;
  return text.substr(pos, end - pos);
}

uint64_t ValueOf(std::string_view digits) {
  uint64_t value = 0;
  for (char c : digits) value = value * 10 + static_cast<uint64_t>(c - '0');
  return value;
}

// The digits said one by one.
std::string DigitWords(std::string_view digits) {
  std::string out;
  for (char c : digits) out += (out.empty() ? "" : " ") + UnitWord(c);
  return out;
}

// Groups of digits from `pos`, each of `sizes[k]` digits within its range, parted by one blank
// (or a hyphen, when `hyphens`); the groups, or nothing when the text differs.
std::optional<std::vector<std::string_view>> Groups(std::string_view text, std::size_t pos,
                                                    const std::vector<std::pair<int, int>>& sizes,
                                                    bool hyphens) {
  std::vector<std::string_view> groups;
  for (const auto& [least, most] : sizes) {
    if (!groups.empty()) {
      const char c = CharAt(text, pos);
      if (c != ' ' && !(hyphens && c == '-')) return std::nullopt;
      ++pos;
    }
    const std::optional<std::string_view> run = DigitRun(text, pos, static_cast<std::size_t>(most));
    if (!run || run->size() < static_cast<std::size_t>(least)) return std::nullopt;
    groups.push_back(*run);
    pos += run->size();
  }
  if (!EndsWord(text, pos) || CharAt(text, pos) == '-') return std::nullopt;
  return groups;
}

}  // namespace

bool ReadRange(std::string_view text, std::size_t& pos, std::string& out) {
  if (!StartsWord(text, pos) || (pos > 0 && (text[pos - 1] == '-' || text[pos - 1] == kDash))) {
    return false;
  }
  const std::optional<std::string_view> first = DigitRun(text, pos, 4);
  if (!first) return false;
  std::size_t p = pos + first->size();
  const bool dash =
      CharAt(text, p) == kDash ||
      (CharAt(text, p) == ' ' && CharAt(text, p + 1) == kDash && CharAt(text, p + 2) == ' ');
  if (!dash && CharAt(text, p) != '-') return false;
  p += CharAt(text, p) == ' ' ? 3 : 1;
  const std::optional<std::string_view> second = DigitRun(text, p, 4);
  if (!second) return false;
  const std::size_t end = p + second->size();
  if (!EndsWord(text, end) || CharAt(text, end) == '-' || CharAt(text, end) == '/' ||
      ((CharAt(text, end) == ',' || CharAt(text, end) == '.') && IsDigit(CharAt(text, end + 1)))) {
    return false;
  }
  if (!dash) {
    // A hyphen joins a range only between small numbers in order, before a word; otherwise it
    // is a code or a telephone number, read digit by digit.
    const bool word_follows = CharAt(text, end) == ' ' && IsInLetterSet(CharAt(text, end + 1));
    if (first->size() > 3 || second->size() > 3 || (*first)[0] == '0' || (*second)[0] == '0' ||
        ValueOf(*first) >= ValueOf(*second) || !word_follows) {
      return false;
    }
  }
  out += CardinalWordsTrimmed(ValueOf(*first)) + " a ";
  pos = p;
  return true;
}

bool ReadPhoneNumber(std::string_view text, std::size_t& pos, std::string& out) {
  if (!IsDigit(CharAt(text, pos)) || !StartsWord(text, pos)) return false;
  std::optional<std::vector<std::string_view>> groups;
  const std::string_view prefix = text.substr(pos, 4);
  const bool service = prefix == "0800" || prefix == "0300" || prefix == "0500" || prefix == "0900";
  if (service) {
    groups = Groups(text, pos, {{4, 4}, {3, 4}, {4, 4}}, true);
  } else if (pos >= 5 && text[pos - 1] == ' ' && text[pos - 2] == ')' && IsDigit(text[pos - 3]) &&
             IsDigit(text[pos - 4]) && text[pos - 5] == '(') {
    groups = Groups(text, pos, {{4, 5}, {4, 4}}, false);
  }
  if (!groups) return false;
  std::string words;
  for (std::size_t k = 0; k < groups->size(); ++k) {
    const std::string_view group = (*groups)[k];
    if (k > 0) words += ", ";
    // 0800 is "zero oitocentos": the zero, then the hundreds.
    words += k == 0 && service ? "zero " + CardinalWordsTrimmed(ValueOf(group)) : DigitWords(group);
    pos += group.size() + (k > 0 ? 1 : 0);
  }
  out += words + ' ';
  return true;
}

}  // namespace cadencio::tts
