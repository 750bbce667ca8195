// Text normalisation: numbers, abbreviations, signs and spelled letter groups.
#include "tts/text_normaliser.hpp"

#include "tts/character_names.hpp"
#include "tts/number_expansion.hpp"
#include "tts/tts_text.hpp"
#include "tts/written_forms.hpp"

namespace cadencio::tts {
namespace {

bool IsKeptPunctuation(char c) {
  return std::string_view(" !(),.:;?").find(c) != std::string_view::npos;
}

// Reads the run of letters at `pos` (a hyphen right after a letter stays in it) and moves past
// it; a run without a vowel letter is spelled unless it is a known abbreviation before a '.'.
std::string ReadWordToken(std::string_view text, std::size_t& pos,
                          const AbbreviationTable& abbreviations) {
  const std::size_t start = pos;
  bool has_vowel = false;
  while (pos < text.size() && IsInLetterSet(text[pos])) {
    if (!IsInConsonantSet(text[pos])) has_vowel = true;
    ++pos;
    if (CharAt(text, pos) == '-') ++pos;
  }
  const std::string_view word = text.substr(start, pos - start);
  if (has_vowel || (CharAt(text, pos) == '.' && !LookUpAbbreviation(abbreviations, word).empty())) {
    return std::string(word);
  }
  std::string spelled;
  for (char c : word) spelled += CharacterName(c);
  return spelled;
}

}  // namespace

std::string NormaliseText(std::string_view text, const AbbreviationTable& abbreviations,
                          const ExceptionTable* exceptions) {
  if (text.size() == 1) return CharacterName(text[0]);
  std::string out;
  std::size_t p = 0;
  const FormReading reading{exceptions, false};
  while (p < text.size()) {
    const char c = text[p];
    if (ReadWrittenForm(text, p, out, reading)) continue;
    if (IsDigit(c) && !out.empty() && IsInLetterSet(out.back())) {
      out += ' ';  // a letter and a number are two words (L2, MP3)
    }
    if (c == '-' && p > 0 && text[p - 1] == ' ' && CharAt(text, p + 1) == ' ') {
      out += ',';  // a spaced hyphen is a pause
      ++p;
    } else if (c == '-' && IsDigit(CharAt(text, p + 1))) {
      out += "menos ";
      ++p;
    } else if (IsDigit(c)) {
      out += ReadNumber(text, p) + " ";
      while ((CharAt(text, p) == ',' || CharAt(text, p) == '.') && IsDigit(CharAt(text, p + 1))) {
        out += CharAt(text, p) == ',' ? Cp1252("vírgula ") : "ponto ";
        ++p;
        out += ReadNumber(text, p) + " ";
      }
    } else if (IsInLetterSet(c)) {
      const std::string word = ReadWordToken(text, p, abbreviations);
      // Only a word followed by ". " can be an abbreviation; the full stop goes with it.
      std::string expansion;
      if (CharAt(text, p) == '.' && CharAt(text, p + 1) == ' ') {
        expansion = LookUpAbbreviation(abbreviations, word);
      }
      if (expansion.empty()) {
        out += word;
      } else {
        out += expansion;
        ++p;
      }
    } else if (text.substr(p).starts_with("...")) {
      out += "... ";
      p += 3;
    } else if (c == '.' && p + 1 < text.size() && text[p + 1] != ' ') {
      out += " ponto ";
      ++p;
    } else if (IsKeptPunctuation(c)) {
      out += c;
      ++p;
    } else if (c == '\t' || c == '\n' || c == '\r') {
      ++p;
    } else {
      out += ' ' + CharacterName(c) + ' ';
      ++p;
    }
  }
  return out;
}

}  // namespace cadencio::tts
