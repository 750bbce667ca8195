// The words that open a question asking for more than yes or no.
#include "tts/question_tune.hpp"

#include <array>
#include <string>

#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

constexpr std::array<std::string_view, 14> kQuestionWords = {
    "quem",  "que",  "quê",    "qual",   "quais",   "quando",  "onde",
    "aonde", "como", "quanto", "quanta", "quantos", "quantas", "cadê"};

// The word of letters from `pos` on (blanks and marks before it passed over), in small letters;
// `pos` moves past it.
std::string NextWord(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && !IsInLetterSet(text[pos])) ++pos;
  const std::size_t start = pos;
  while (pos < text.size() && IsInLetterSet(text[pos])) ++pos;
  return base::LowerCase1252(text.substr(start, pos - start));
}

}  // namespace

bool AsksYesOrNo(std::string_view words) {
  std::size_t pos = 0;
  std::string first = NextWord(words, pos);
  // "o que" and "por que" open with their second word.
  if (first == "o" || first == "por") first = NextWord(words, pos);
  for (std::string_view question_word : kQuestionWords) {
    if (first == Cp1252(question_word)) return false;
  }
  return true;
}

}  // namespace cadencio::tts
