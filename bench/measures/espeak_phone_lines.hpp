// MBROLA phoneme lines for the built-in voice made from an espeak-ng rendering: its phonemes
// mapped onto the voice's phones, its phoneme timing as the durations, and its pitch measured at
// the middle of every vowel as the pitch points. The built-in synthesizer can then say the same
// sentence with the same timing and melody, for comparing the two voices.
#pragma once

#include <string>
#include <vector>

#include "lib/espeak_voice.hpp"

namespace cadencio::bench {

// Lines ("name duration [50 pitch]"), beginning and ending with a pause.
std::vector<std::string> PhoneLinesFor(const voicegen::Rendering& rendering, int rate);

}  // namespace cadencio::bench
