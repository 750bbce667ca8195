// Loading and looking up the exception list of the recorded voice's text-to-phonetic
// translator.
#include "voice/phonetic_exceptions.hpp"

#include <algorithm>

#include "base/text_lines.hpp"
#include "base/windows1252.hpp"
#include "voice/phonetic_chars.hpp"

namespace cadencio::voice {

using namespace phonetic_chars;
namespace {

// "word=replacement|" with "|=|" added, so that every line has an "=" and a "|".
std::pair<std::string, std::string> SplitExceptionLine(std::string_view line) {
  std::string text(line);
  text += "|=|";
  const std::size_t equals = text.find('=');
  const std::size_t bar = text.find('|', equals + 1);
  return {text.substr(0, equals), text.substr(equals + 1, bar - equals - 1)};
}

bool IsCedilla(char c) {
  return c == '\xE7' || c == '\xC7';
}

// A letter of a word as written: an ASCII letter or an accented one (bytes 192-255 but the
// multiplication and division signs).
bool IsWrittenLetter(char c) {
  const int code = ByteOf(c);
  return IsPhoneticLetter(c) || (code >= 0xC0 && code != 0xD7 && code != 0xF7);
}

bool WordLess(const std::pair<std::string, std::string>& a,
              const std::pair<std::string, std::string>& b) {
  return a.first < b.first;  // std::string compares bytes as unsigned
}

}  // namespace

void PhoneticExceptions::LoadFromText(std::string_view text) {
  Clear();
  base::ForEachTextLine(text, [this](std::string_view line) {
    if (pairs_.size() >= kMaxPairs) return;
    line = line.substr(0, kMaxLine);
    if (line.empty()) return;
    pairs_.push_back(SplitExceptionLine(line));
  });
  // Stable, so that of two equal words the first one in the file is found.
  std::stable_sort(pairs_.begin(), pairs_.end(), WordLess);
}

std::optional<std::string_view> PhoneticExceptions::Find(std::string_view word) const {
  const auto it =
      std::lower_bound(pairs_.begin(), pairs_.end(), word,
                       [](const std::pair<std::string, std::string>& pair, std::string_view w) {
                         return std::string_view(pair.first) < w;
                       });
  if (it == pairs_.end() || it->first != word) return std::nullopt;
  return std::string_view(it->second);
}

std::string PhoneticExceptions::Apply(std::string_view word) const {
  std::string_view rest = word;
  std::optional<std::string_view> replacement;
  while (!rest.empty()) {
    replacement = Find(rest);
    if (replacement || (rest.back() != 's' && rest.back() != 'm')) break;
    rest.remove_suffix(1);
  }
  // The final s and m letters taken off go back in their order, after the replacement.
  std::string result(replacement ? *replacement : rest);
  result += word.substr(rest.size());
  if (result.size() > kMaxPhoneticWord) result.resize(kMaxPhoneticWord);
  return result;
}

std::string PhoneticExceptions::ApplyToWrittenWords(std::string_view text) const {
  std::string out;
  out.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = at;
    while (end < text.size() && IsWrittenLetter(text[end])) ++end;
    if (end == at) {
      out += text[at++];
      continue;
    }
    const std::string_view word = text.substr(at, end - at);
    const std::string lower = base::LowerCase1252(word);
    const std::string applied =
        std::any_of(word.begin(), word.end(), IsCedilla) ? Apply(lower) : lower;
    out += applied != lower ? std::string_view(applied) : word;
    at = end;
  }
  return out;
}

}  // namespace cadencio::voice
