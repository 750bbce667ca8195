// The aulenum module: numbers as Portuguese words. The words are also the names of their
// recordings, so they carry no accents except the scale words, whose recordings are found
// after 'ã' and 'õ' are plain.
#pragma once

#include <cstdint>
#include <string>

#include "base/portuguese_numbers.hpp"

namespace cadencio::speech {

// The words the recorded voice reads numbers with ("tres", "cinquenta": no accents).
const base::PortugueseNumberWords& RecordedNumberWords();

// The words of n, separated by blanks: 0 "zero", 1001 "mil e um", 1000000 "um milhão".
std::string NumberWords(uint64_t n);

// The file name of a word's recording without directory and extension: "_" + the word with 'ã'
// and 'õ' made plain, "dezessete" made "dezeset", cut to 8 characters; the last word of a
// feminine number gives "_uma" and "_duas" for "um" and "dois".
std::string WordRecordingName(std::string word, bool feminine_last);

}  // namespace cadencio::speech
