// Loading and looking up the exception list of the recorded voice's text-to-phonetic
// translator.
#include "voice/phonetic_exceptions.hpp"

#include <algorithm>

#include "base/text_lines.hpp"
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

}  // namespace cadencio::voice
