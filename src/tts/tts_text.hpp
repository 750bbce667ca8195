// Text helpers shared by the stages of the built-in Portuguese TTS: the Windows-1252 case
// mappings, the letter classes of the normaliser and tokeniser, trimming, and the lines of a data
// file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/text_lines.hpp"

namespace cadencio::tts {

// The byte as a number 0-255, whatever the signedness of char.
inline int ByteOf(char c) {
  return static_cast<unsigned char>(c);
}

// Windows-1252 upper case: a-z, the accented small letters (à-þ except ÷), š œ ž and ÿ.
char UpperCase1252(char c);
// Windows-1252 lower case, the inverse of UpperCase1252.
char LowerCase1252(char c);
std::string UpperCase1252(std::string_view text);
std::string LowerCase1252(std::string_view text);

// Letters of the normaliser and tokeniser: A-Z, a-z and the Portuguese accented letters
// À Á Â Ã Ç É Ê Ì Í Ñ Ó Ô Õ Ù Ú Ü in both cases.
bool IsInLetterSet(char c);
// Consonant letters (W and Y count as consonants), Ç Ñ ç ñ included.
bool IsInConsonantSet(char c);

// Blanks and control characters (bytes up to 32) are what trimming removes.
inline bool IsBlankOrControl(char c) {
  return ByteOf(c) <= 32;
}
std::string_view TrimBlanksAndControls(std::string_view text);

// A Windows-1252 text written in UTF-8 in the source, so that constant word tables read as the
// words they hold.
std::string Cp1252(std::string_view utf8);

// Calls `line` for every line of a data file held in memory, without its line end.
template <typename F>
void ForEachDataLine(std::string_view text, F&& line) {
  base::ForEachTextLine(text, std::forward<F>(line));
}

}  // namespace cadencio::tts
