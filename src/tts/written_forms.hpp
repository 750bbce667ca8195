// Every written form the normaliser reads as a whole, in the order they are tried: telephone
// numbers, money, dates, times and units, time signatures and fractions, ranges; "D." before a
// name, note and chord names, Roman numerals and acronyms. The built-in TTS's normaliser reads
// them on its way through a text; SpellOutWrittenForms gives the other voices the same
// readings as words, leaving the rest of the text for each voice to read its own way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tts/pronunciation_exceptions.hpp"

namespace cadencio::tts {

struct FormReading {
  // The TTS's exceptions: capitals they respell are words, not acronyms.
  const ExceptionTable* exceptions = nullptr;
  // Spelled capitals as one word per letter, for voices that read a run of letter names as
  // one word.
  bool spaced_letters = false;
};

// Reads the form at `pos`, if one is there: appends its words (ending with a blank), moves
// `pos` past it and answers true.
bool ReadWrittenForm(std::string_view text, std::size_t& pos, std::string& out,
                     const FormReading& reading);

// `text` with every written form that starts a word replaced by its words (letters spelled one
// word each); with `numbers_as_words`, whole numbers from a thousand up too, so that the
// grammar's joins are said (mil e quinhentos), and digits joined by hyphens digit by digit
// (not as a subtraction). Everything else stays as written.
std::string SpellOutWrittenForms(std::string_view text, bool numbers_as_words);

}  // namespace cadencio::tts
