// Cardinal numbers as Portuguese words, read by groups of three digits. The rules are the same
// wherever the program reads a number; the words come from a table, because each voice spells
// them its own way (the recorded voice's words are the names of its recordings and carry no
// accents, the built-in TTS writes them in full).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace cadencio::base {

// The words numbers are made of, in the caller's encoding.
struct PortugueseNumberWords {
  std::array<std::string, 10> units;     // "zero", "um" ... "nove"
  std::array<std::string, 10> teens;     // "dez" ... "dezenove"
  std::array<std::string, 10> tens;      // from 2 on: "vinte" ... "noventa"
  std::array<std::string, 10> hundreds;  // from 1 on: "cento" ... "novecentos"
  std::string hundred;                   // a hundred alone: "cem"
  // The scale words of the groups of trillions, billions, millions and thousands, each ending
  // in a blank: after the group "001" ("milhão ") and after any other ("milhões ").
  std::array<std::string, 4> scale_one;
  std::array<std::string, 4> scale_many;
  std::string and_word;  // "e"
};

// The words of one group of three digit characters ("021": vinte e um); "000" gives nothing.
std::string GroupWords(const PortugueseNumberWords& words, std::string_view digits);

// The words of a number; only its last 15 digits are read. The groups are run together, and
// the last one is joined with "e" when it is below a hundred or a round hundred (mil e
// quinhentos, mil duzentos e trinta); a thousand is "mil", never "um mil".
std::string CardinalWords(const PortugueseNumberWords& words, uint64_t value);

}  // namespace cadencio::base
