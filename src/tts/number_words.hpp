// Number words of the built-in TTS's normaliser (part of the uttsPreproc module): cardinals
// up to 999 trillion, groups of three digits and ordinals, in Brazilian Portuguese.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cadencio::tts {

enum class Gender { kMasculine, kFeminine };

// Cardinal of a number below 10^15; the words of a scale (mil, milhão ...) end with a blank.
std::string CardinalWords(uint64_t value);

// Words of one group of three digit characters ("021" vinte e um); "000" gives nothing.
std::string TripletWords(std::string_view digits);

// Ordinal of a number; from 2000 on, the cardinal.
std::string OrdinalWords(uint64_t value, Gender gender);

// Unit word of a digit character ("zero" to "nove").
const std::string& UnitWord(char digit);

}  // namespace cadencio::tts
