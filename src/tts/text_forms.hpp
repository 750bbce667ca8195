// Written forms the normaliser reads as a Brazilian says them rather than sign by sign: money
// ("R$ 12,50"), dates ("07/12/2026"), times ("14h30", "14:30"), numbers with a unit ("5 km",
// "25 °C"), "nº", Roman numerals after a name or beside "século", and acronyms that cannot be
// said as a word ("INSS"). Each reader looks at the text from `pos`; when the form is there it
// appends its words (ending with a blank), moves `pos` past it and answers true; otherwise it
// leaves both alone.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tts/pronunciation_exceptions.hpp"

namespace cadencio::tts {

// At a digit, a currency sign or "nº": money, a date, a time, a number with its unit, "nº".
bool ReadNumberForm(std::string_view text, std::size_t& pos, std::string& out);

// At a letter: a Roman numeral in a place where one is read as a number.
bool ReadRomanNumeral(std::string_view text, std::size_t& pos, std::string& out);

// At a letter: a word of capitals that no Portuguese syllables can make is spelled, letter
// names joined (or parted by blanks, when `spaced`), unless `exceptions` (when given) holds it
// as a word; the capitals Brazilians say as a word are said, and those they spell are spelled.
bool ReadAcronym(std::string_view text, std::size_t& pos, std::string& out,
                 const ExceptionTable* exceptions, bool spaced = false);

}  // namespace cadencio::tts
