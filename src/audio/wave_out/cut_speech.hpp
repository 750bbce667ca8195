// Faster speech without a higher pitch: every other pitch period of a block of mono samples
// is dropped.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cadencio::audio {

// Works in place on one block of samples and returns its new length in bytes. 16-bit
// samples are first turned into unsigned 8-bit ones (the result is always 8-bit). Blocks of
// fewer than 1000 samples come back unchanged. At 11025 samples per second the search looks
// from sample 200 for periods of at least 80 samples within a 50-sample window; at any other
// rate it uses four times those figures.
std::size_t CutSpeechPeriods(uint8_t* samples, std::size_t length, int bits, int rate);

}  // namespace cadencio::audio
