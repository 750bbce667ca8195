// Text normalisation: numbers, abbreviations, signs and spelled letter groups.
#include "tts/text_normaliser.hpp"

#include <cstdint>

#include "tts/character_names.hpp"
#include "tts/number_expansion.hpp"
#include "tts/text_forms.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The character at `pos`, or 0 past the end.
char At(std::string_view text, std::size_t pos) {
  return pos < text.size() ? text[pos] : '\0';
}

bool IsKeptPunctuation(char c) {
  return std::string_view(" !(),.:;?").find(c) != std::string_view::npos;
}

// A run of digits and hyphens holding a hyphen (telephone numbers, dates), read symbol by
// symbol; nothing when the run has no hyphen.
bool ReadDashRun(std::string_view text, std::size_t& pos, std::string& out) {
  std::size_t end = pos;
  bool has_dash = false;
  while (end < text.size() && (IsDigit(text[end]) || text[end] == '-')) {
    has_dash |= text[end] == '-';
    ++end;
  }
  if (!has_dash) return false;
  static const std::string kDash = CharacterName('-');
  for (; pos < end; ++pos) {
    out += ' ';
    out += text[pos] == '-' ? kDash : UnitWord(text[pos]);
  }
  return true;
}

// A '.' at `pos` followed by exactly three digits is a thousands separator.
bool IsThousandsSeparator(std::string_view text, std::size_t pos) {
  return At(text, pos) == '.' && IsDigit(At(text, pos + 1)) && IsDigit(At(text, pos + 2)) &&
         IsDigit(At(text, pos + 3)) && !IsDigit(At(text, pos + 4));
}

}  // namespace

std::string ReadNumber(std::string_view text, std::size_t& pos) {
  std::string out;
  if (ReadDashRun(text, pos, out)) return out;

  std::string zeros;
  while (At(text, pos) == '0' && IsDigit(At(text, pos + 1))) {
    zeros += "zero ";
    ++pos;
  }

  constexpr uint64_t kFifteenDigits = 100'000'000'000'000;  // 10^14
  uint64_t value = 0;
  for (;;) {
    const char c = At(text, pos);
    if (IsDigit(c)) {
      if (value >= kFifteenDigits) break;  // the rest is read as the next number
      value = value * 10 + static_cast<uint64_t>(c - '0');
      ++pos;
    } else if (IsThousandsSeparator(text, pos)) {
      ++pos;
    } else {
      break;
    }
  }

  const std::string_view rest = text.substr(pos);
  const auto ordinal = [&](Gender gender, std::size_t length, bool plural) {
    pos += length;
    return OrdinalWords(value, gender) + (plural ? "s" : "");
  };
  if (rest.starts_with('\xBA')) return ordinal(Gender::kMasculine, 1, false);  // º
  if (rest.starts_with('\xAA')) return ordinal(Gender::kFeminine, 1, false);   // ª
  if (rest.starts_with("o.")) return ordinal(Gender::kMasculine, 2, false);
  if (rest.starts_with("a.")) return ordinal(Gender::kFeminine, 2, false);
  if (rest.starts_with("os.")) return ordinal(Gender::kMasculine, 3, true);
  if (rest.starts_with("as.")) return ordinal(Gender::kFeminine, 3, true);
  return zeros + CardinalWords(value);
}

std::string ReadWordToken(std::string_view text, std::size_t& pos,
                          const AbbreviationTable& abbreviations) {
  const std::size_t start = pos;
  bool has_vowel = false;
  while (pos < text.size() && IsInLetterSet(text[pos])) {
    if (!IsInConsonantSet(text[pos])) has_vowel = true;
    ++pos;
    if (At(text, pos) == '-') ++pos;
  }
  const std::string_view word = text.substr(start, pos - start);
  if (has_vowel || (At(text, pos) == '.' && !LookUpAbbreviation(abbreviations, word).empty())) {
    return std::string(word);
  }
  std::string spelled;
  for (char c : word) spelled += CharacterName(c);
  return spelled;
}

std::string NormaliseText(std::string_view text, const AbbreviationTable& abbreviations,
                          const ExceptionTable* exceptions) {
  if (text.size() == 1) return CharacterName(text[0]);
  std::string out;
  std::size_t p = 0;
  while (p < text.size()) {
    const char c = text[p];
    if (ReadNumberForm(text, p, out)) continue;
    if (IsInLetterSet(c) &&
        (ReadRomanNumeral(text, p, out) || ReadAcronym(text, p, out, exceptions))) {
      continue;
    }
    if (c == '-' && p > 0 && text[p - 1] == ' ' && At(text, p + 1) == ' ') {
      out += ',';  // a spaced hyphen is a pause
      ++p;
    } else if (c == '-' && IsDigit(At(text, p + 1))) {
      out += "menos ";
      ++p;
    } else if (IsDigit(c)) {
      out += ReadNumber(text, p) + " ";
      while ((At(text, p) == ',' || At(text, p) == '.') && IsDigit(At(text, p + 1))) {
        out += At(text, p) == ',' ? Cp1252("vírgula ") : "ponto ";
        ++p;
        out += ReadNumber(text, p) + " ";
      }
    } else if (IsInLetterSet(c)) {
      const std::string word = ReadWordToken(text, p, abbreviations);
      // Only a word followed by ". " can be an abbreviation; the full stop goes with it.
      std::string expansion;
      if (At(text, p) == '.' && At(text, p + 1) == ' ') {
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
