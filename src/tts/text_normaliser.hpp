// The uttsPreproc module: the first stage of the built-in TTS. It turns a raw text into one
// holding only words, hyphens inside words, blanks, the marks ! ( ) , . : ; ? and "...":
// numbers, abbreviations, signs and letter groups without a vowel become Portuguese words;
// money, dates, times, units, Roman numerals and acronyms are read as a Brazilian reads them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tts/abbreviations.hpp"
#include "tts/pronunciation_exceptions.hpp"

namespace cadencio::tts {

// The whole normalisation of one text. Capitals that cannot be said as a word are spelled
// unless `exceptions` holds them.
std::string NormaliseText(std::string_view text, const AbbreviationTable& abbreviations,
                          const ExceptionTable* exceptions = nullptr);

// Reads the number that starts at `pos` (0-based, at a digit) and moves `pos` past it: dash
// runs digit by digit, leading zeros, thousands separators and ordinal endings.
std::string ReadNumber(std::string_view text, std::size_t& pos);

// Reads the run of letters at `pos` (a hyphen right after a letter stays in it) and moves past
// it; a run without a vowel letter is spelled unless it is a known abbreviation before a '.'.
std::string ReadWordToken(std::string_view text, std::size_t& pos,
                          const AbbreviationTable& abbreviations);

}  // namespace cadencio::tts
