// Number words of the built-in TTS's normaliser (part of the uttsPreproc module): cardinals
// up to 999 trillion and ordinals, in Brazilian Portuguese, from the TTS's table of words, and
// the reading of a number as it is written. The normaliser and the written forms both read
// numbers with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/portuguese_numbers.hpp"

namespace cadencio::tts {

enum class Gender { kMasculine, kFeminine };

// The words the TTS reads cardinals with, in Windows-1252 ("três", "cinqüenta").
const base::PortugueseNumberWords& TtsNumberWords();

// Cardinal of a number below 10^15; the words of a scale (mil, milhão ...) end with a blank.
std::string CardinalWords(uint64_t value);

// The same without the blank a scale word leaves at the end ("mil", not "mil ").
std::string CardinalWordsTrimmed(uint64_t value);

// Ordinal of a number; from 2000 on, the cardinal.
std::string OrdinalWords(uint64_t value, Gender gender);

// Unit word of a digit character ("zero" to "nove").
const std::string& UnitWord(char digit);

// Digits with '.' between thousands (at most 15 digits) from `pos`, which moves past them;
// nothing when `pos` is not at a digit.
std::optional<uint64_t> ReadWholeAmount(std::string_view text, std::size_t& pos);

// Reads the number that starts at `pos` (0-based, at a digit) and moves `pos` past it: dash
// runs digit by digit, leading zeros, thousands separators and ordinal endings.
std::string ReadNumber(std::string_view text, std::size_t& pos);

}  // namespace cadencio::tts
