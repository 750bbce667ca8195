// The written forms in the order they are tried, and the text with them spelled out.
#include "tts/written_forms.hpp"

#include <cstdint>

#include "tts/music_forms.hpp"
#include "tts/name_forms.hpp"
#include "tts/number_expansion.hpp"
#include "tts/number_groups.hpp"
#include "tts/text_forms.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

// A whole number of four or more digits (with '.' between thousands) that starts at `pos` and
// is neither glued to a word nor part of a decimal or a code: its words; false otherwise.
bool ReadLargeNumber(std::string_view text, std::size_t& pos, std::string& out) {
  if (!IsDigit(CharAt(text, pos)) || !StartsWord(text, pos) || text[pos] == '0') return false;
  std::size_t p = pos;
  const uint64_t value = ReadWholeAmount(text, p).value_or(0);
  const char next = CharAt(text, p);
  const char before = pos > 0 ? text[pos - 1] : ' ';
  const bool glued = !EndsWord(text, p) || next == '-' || next == '/' || before == '-' ||
                     before == '/' ||
                     ((next == ',' || next == '.') && IsDigit(CharAt(text, p + 1)));
  if (value < 1000 || glued) return false;
  out += CardinalWordsTrimmed(value);
  pos = p;
  return true;
}

// A run of digits and hyphens holding a hyphen (a code, a telephone number), which the
// engines read as a subtraction: digit by digit, as the built-in TTS reads it.
bool ReadDashRun(std::string_view text, std::size_t& pos, std::string& out) {
  if (!IsDigit(CharAt(text, pos))) return false;
  std::size_t end = pos;
  while (IsDigit(CharAt(text, end)) ||
         (CharAt(text, end) == '-' && IsDigit(CharAt(text, end + 1)))) {
    ++end;
  }
  if (text.substr(pos, end - pos).find('-') == std::string_view::npos) return false;
  out += ReadNumber(text, pos);
  return true;
}

}  // namespace

bool ReadWrittenForm(std::string_view text, std::size_t& pos, std::string& out,
                     const FormReading& reading) {
  const char c = CharAt(text, pos);
  if (ReadPhoneNumber(text, pos, out) || ReadNumberForm(text, pos, out)) return true;
  if (IsDigit(c)) return ReadTimeSignature(text, pos, out) || ReadRange(text, pos, out);
  if (!IsInLetterSet(c)) return false;
  return ReadTitle(text, pos, out) || ReadChordName(text, pos, out) ||
         ReadRomanNumeral(text, pos, out) ||
         ReadAcronym(text, pos, out, reading.exceptions, reading.spaced_letters);
}

std::string SpellOutWrittenForms(std::string_view text, bool numbers_as_words) {
  const FormReading reading{nullptr, true};
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    if (StartsWord(text, pos) &&
        (ReadWrittenForm(text, pos, out, reading) ||
         (numbers_as_words && (ReadDashRun(text, pos, out) || ReadLargeNumber(text, pos, out))))) {
      if (out.ends_with(' ') && CharAt(text, pos) == ' ') ++pos;  // one blank after the words
      continue;
    }
    out += text[pos++];
  }
  return out;
}

}  // namespace cadencio::tts
