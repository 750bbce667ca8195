// Preprocessing and word cutting of the recorded voice's text-to-phonetic translator.
#include "voice/phonetic_text.hpp"

#include "base/windows1252.hpp"
#include "voice/phonetic_chars.hpp"

namespace cadencio::voice {

using namespace phonetic_chars;

// ss stands for the cedilla; D in comments below is the double quote (diaeresis).
const std::array<std::string_view, 128> PhoneticAccentTable = {
    // 128-143: ss, uD, e', a^, a~, a`, a', ss, e^, eD, e`, iD, i^, i`, a~, a'
    "ss", "u\"", "e'", "a^", "a~", "a`", "a'", "ss", "e^", "e\"", "e`", "i\"", "i^", "i`", "a~",
    "a'",
    // 144-159: e', ae, -, o^, o~, o`, u^, u`, y-, o~, uD, then five empty entries
    "e'", "ae", "-", "o^", "o~", "o`", "u^", "u`", "y-", "o~", "u\"", "", "", "", "", "",
    // 160-175: a', i', o', u', nh, nh, -, section sign, ?, -, -, feminine ordinal, -, !, D, D
    "a'", "i'", "o'", "u'", "nh", "nh", "", "\xA7", "?", "", "", "\xAA", "", "!", "\"", "\"",
    // 176-191: empty up to 186, masculine ordinal at 187, empty up to 190, ? at 191
    "", "", "", "", "", "", "", "", "", "", "", "\xBA", "", "", "", "?",
    // 192-207: capital A..I accented
    "a`", "a'", "a^", "a~", "a~", "a", "ae", "ss", "e`", "e'", "e^", "e\"", "i`", "i'", "i^", "i\"",
    // 208-223: capital N..U accented, multiplication sign, O with stroke
    "", "nh", "o`", "o'", "o^", "o~", "o`", "x", "0", "u`", "u'", "u^", "u", "", "", "",
    // 224-239: small a..i accented
    "a`", "a'", "a^", "a~", "a~", "a", "ae", "ss", "e`", "e'", "e^", "e\"", "i`", "i'", "i^", "i\"",
    // 240-255: small n..u accented, division sign, o with stroke
    "", "nh", "o`", "o'", "o^", "o~", "o`", "x", "0", "u`", "u'", "u^", "u", "", "", ""};

namespace {

bool IsWOrY(char c) {
  return c == 'W' || c == 'w' || c == 'Y' || c == 'y';
}

// The replacement piece of one byte (empty when the byte has none).
std::string_view PieceOf(const char& c) {
  const int code = ByteOf(c);
  if (code < 32) return {};
  if (code >= 128) return PhoneticAccentTable[static_cast<std::size_t>(code - 128)];
  return std::string_view(&c, 1);
}

}  // namespace

std::string PreprocessPhoneticText(std::string_view text) {
  // The W/Y test looks at the text as already changed at earlier positions, so work on a copy.
  std::string source(text);
  std::string out;
  out.reserve(source.size() + 16);
  const std::size_t n = source.size();
  for (std::size_t i = 0; i < n; ++i) {
    char& c = source[i];
    // 1. w and y beside a letter are read as the vowels u and i.
    if (IsWOrY(c)) {
      const bool letter_before = i > 0 && IsPhoneticLetter(source[i - 1]);
      const bool letter_after = i + 1 < n && IsPhoneticLetter(source[i + 1]);
      if (letter_before || letter_after) c = (c == 'W' || c == 'w') ? 'u' : 'i';
    }
    // 2. The apostrophe of d'agua is silent.
    if (c == '\'' && i > 0 && (source[i - 1] == 'D' || source[i - 1] == 'd')) continue;
    // 3-4. Append the byte's piece; a byte without one is an unknown character.
    const std::string_view piece = PieceOf(c);
    if (piece.empty()) {
      out += ' ';
      out += kUnknownCharacter;
      out += ' ';
    } else {
      out += piece;
    }
  }
  return out;
}

std::optional<PhoneticWord> NextPhoneticWord(std::string_view text, std::size_t& pos) {
  // 1. Skip blanks.
  while (pos < text.size() && text[pos] == ' ') ++pos;
  if (pos >= text.size()) return std::nullopt;

  PhoneticWord word;
  const char first = base::AsciiLowerCase(text[pos++]);
  word.text += first;
  // 3. Anything but a letter is a word of its own.
  if (!IsPhoneticLetter(first)) return word;

  // 2. A letter and every word character after it.
  if (IsPhoneticVowel(first)) ++word.vowel_count;
  while (pos < text.size() && IsPhoneticWordChar(text[pos])) {
    const char c = base::AsciiLowerCase(text[pos++]);
    if (word.text.size() >= kMaxPhoneticWord) continue;  // an over-long word is cut
    word.text += c;
    if (IsPhoneticVowel(c)) ++word.vowel_count;
    if (IsPhoneticAccentMark(c) && c != '"') word.explicit_accent = true;
  }
  return word;
}

std::vector<PhoneticWord> SplitPhoneticWords(std::string_view text) {
  std::vector<PhoneticWord> words;
  std::size_t pos = 0;
  while (auto word = NextPhoneticWord(text, pos)) words.push_back(std::move(*word));
  return words;
}

}  // namespace cadencio::voice
