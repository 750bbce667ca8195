// Text helpers shared by the stages of the built-in Portuguese TTS: digits and letter classes
// of the normaliser and tokeniser, and the lines of a data file. The case mappings and trimming
// they use are base's (base/windows1252.hpp).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "base/text_lines.hpp"
#include "base/windows1252.hpp"

namespace cadencio::tts {

// The byte as a number 0-255, whatever the signedness of char.
inline int ByteOf(char c) {
  return static_cast<unsigned char>(c);
}

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The character at `pos`, or 0 past the end.
inline char CharAt(std::string_view text, std::size_t pos) {
  return pos < text.size() ? text[pos] : '\0';
}

// Letters of the normaliser and tokeniser: A-Z, a-z and the Portuguese accented letters
// À Á Â Ã Ç É Ê Ì Í Ñ Ó Ô Õ Ù Ú Ü in both cases.
bool IsInLetterSet(char c);
// Consonant letters (W and Y count as consonants), Ç Ñ ç ñ included.
bool IsInConsonantSet(char c);

// Whether a word ends at `pos`: the text has ended or no letter or digit stands there.
bool EndsWord(std::string_view text, std::size_t pos);
// Whether a word starts at `pos`: no letter or digit stands just before it.
bool StartsWord(std::string_view text, std::size_t pos);

// The word of letters that ends just before `end`, blanks before it passed over.
std::string WordBefore(std::string_view text, std::size_t end);
// The word of letters that starts at `start`, blanks before it passed over.
std::string WordAfter(std::string_view text, std::size_t start);
// A capital followed by at least one small letter and no other capital ("Pedro").
bool IsCapitalised(std::string_view word);

// A Windows-1252 text written in UTF-8 in the source, so that constant word tables read as the
// words they hold.
std::string Cp1252(std::string_view utf8);

// Calls `line` for every line of a data file held in memory, without its line end.
template <typename F>
void ForEachDataLine(std::string_view text, F&& line) {
  base::ForEachTextLine(text, std::forward<F>(line));
}

}  // namespace cadencio::tts
