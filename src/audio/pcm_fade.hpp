// Fades that keep a cut or ended sound from reaching the output as a step (a click): the
// samples before the cut are brought down to silence over a short, fixed length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace cadencio::audio {

// The longest fade used for a cut: 2 ms, short enough not to be heard as a change of sound.
inline constexpr int kCutFadeMs = 2;

// Samples a fade of kCutFadeMs takes at `rate` (at least 1).
std::size_t CutFadeSamples(int rate);

// The fade a cut of a sound (interleaved stereo float at `rate`) needs: kCutFadeMs, or one
// period of the sound's mean frequency when that is longer, up to kLongestCutFadeMs. A low drum
// cut within a short fade still steps, since the fade is a fraction of one of its cycles.
inline constexpr int kLongestCutFadeMs = 20;
std::size_t CutFadeFor(std::span<const float> stereo, int rate);

// The gain of sample `k` of a raised-cosine fade out over `fade` samples, for float sound:
// from almost 1 down to exactly 0 at the last one. It leaves no corner where it begins, as a
// straight fade does, which is still heard on a low drum.
float SmoothFadeOutGain(std::size_t k, std::size_t fade);

// Brings the last `fade` samples (or all, when fewer) of 8-bit unsigned mono samples linearly
// down to silence (128); the last sample becomes exactly 128.
void FadeOutUnsigned8(std::span<uint8_t> samples, std::size_t fade);

// Brings the first `fade` samples (or all, when fewer) linearly up from silence: the first
// sample becomes exactly 128.
void FadeInUnsigned8(std::span<uint8_t> samples, std::size_t fade);

}  // namespace cadencio::audio
