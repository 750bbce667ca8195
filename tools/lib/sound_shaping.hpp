// Shaping a rendering into a recording: silence trimmed from both ends, one speech level for
// every recording, rate conversion, short fades at the edges, and the
// sample formats of the WAVE files (8-bit unsigned, 16-bit signed).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/resampler.hpp"

namespace cadencio::voicegen {

// Samples are floats in -1 .. 1.
using Samples = std::vector<float>;

Samples ToFloat(const std::vector<int16_t>& samples);

struct TrimSettings {
  double relative_threshold = 0.01;  // of the peak: quieter samples at the ends are silence
  double absolute_threshold = 0.002;
  double lead_ms = 3;   // kept before the first sound
  double tail_ms = 12;  // kept after the last sound (decays are quiet)
};

// The first and one-past-last index of the sound between its silent ends (0, 0 when all of it
// is silence).
struct Extent {
  std::size_t begin = 0;
  std::size_t end = 0;
};
Extent SoundExtent(const Samples& samples, int rate, const TrimSettings& settings);
Samples TrimSilence(const Samples& samples, int rate, const TrimSettings& settings);

// Speech level: the RMS over the 10 ms frames that lie within 20 dB of the loudest frame, so
// that pauses inside a prompt do not lower it. 0 for silence.
double ActiveLevel(const Samples& samples, int rate);

// Scales the samples to the target active level. Samples that then pass the knee are bent
// softly towards full scale (a tanh limiter), so that loud peaks neither clip nor force a
// lower level on the whole recording. Silence is left alone.
void MatchLevel(Samples& samples, int rate, double target_level, double knee);

// Converts the rate, by default with the best converter; audio::kPlaybackQuality gives the
// sound as the program plays it. Empty on failure.
Samples Resample(const Samples& samples, int from_rate, int to_rate,
                 audio::ResampleQuality quality = audio::ResampleQuality::kBest);

// Raised-cosine fade-in and fade-out over `ms` at each end.
void FadeEdges(Samples& samples, int rate, double ms);

// 8-bit unsigned samples, silence 128, rounded and clipped to 1 .. 255 (a symmetric range).
std::vector<uint8_t> ToUnsigned8(const Samples& samples);
// 16-bit signed samples, rounded and clipped.
std::vector<int16_t> ToSigned16(const Samples& samples);

}  // namespace cadencio::voicegen
