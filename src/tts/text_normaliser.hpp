// The uttsPreproc module: the first stage of the built-in TTS. It turns a raw text into one
// holding only words, hyphens inside words, blanks, the marks ! ( ) , . : ; ? and "...":
// numbers, abbreviations, signs and letter groups without a vowel become Portuguese words;
// money, dates, times, units, Roman numerals and acronyms are read as a Brazilian reads them.
#pragma once

#include <string>
#include <string_view>

#include "tts/abbreviations.hpp"
#include "tts/pronunciation_exceptions.hpp"

namespace cadencio::tts {

// The whole normalisation of one text. Capitals that cannot be said as a word are spelled
// unless `exceptions` holds them.
std::string NormaliseText(std::string_view text, const AbbreviationTable& abbreviations,
                          const ExceptionTable* exceptions = nullptr);

}  // namespace cadencio::tts
