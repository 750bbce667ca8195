// The two sounds the speech front end builds itself: the beep (a refused key, an edge reached)
// and the click (a repeated mark, a cursor move). Both are 8-bit samples at 11025 Hz that swing
// evenly about the centre, so neither steps the speaker off its rest.
#pragma once

#include <cstdint>
#include <vector>

namespace cadencio::speech {

// 512 samples of a triangle wave of 8-sample cycles (about 1378 Hz) between 96 and 160,
// ending on the centre.
std::vector<uint8_t> BeepSamples();

// 64 samples of noise about the centre, their mean taken away, then 192 samples of silence.
std::vector<uint8_t> ClickSamples();

}  // namespace cadencio::speech
