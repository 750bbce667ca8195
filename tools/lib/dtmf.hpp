// Telephone-key tones (DTMF): the sum of the key's row and column frequencies.
#pragma once

#include <optional>
#include <utility>

#include "lib/sound_shaping.hpp"

namespace cadencio::voicegen {

// Row and column frequencies in Hz of a key of the 4 x 4 keypad ("0".."9", "*", "#",
// "A".."D"); nothing for any other character.
std::optional<std::pair<int, int>> DtmfFrequencies(char key);

// The key's tone: `ms` long, each frequency at `amplitude`, with 5 ms raised-cosine edges.
// Empty for a character that is no key.
Samples DtmfTone(char key, int rate, double ms, double amplitude);

}  // namespace cadencio::voicegen
