// How loud a beat sound is heard: the RMS of its loudest 50 ms. A percussive sound is heard by
// its attack, so neither its peak (one sample) nor the RMS over its whole length (a long ring
// counts as quiet) compares a click with a cymbal; the loudest stretch of about a beat's
// attack does.
#pragma once

#include <span>

namespace cadencio::audio {

inline constexpr int kLevelWindowMs = 50;

// The RMS of the loudest kLevelWindowMs of interleaved stereo float at `rate` (the whole sound
// when it is shorter), in dB of full scale; kSilentDb when it is silent.
inline constexpr double kSilentDb = -200;
double LoudestLevelDb(std::span<const float> stereo, int rate);

}  // namespace cadencio::audio
