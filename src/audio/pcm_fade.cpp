// Fades at the cuts of 8-bit unsigned sound.
#include "audio/pcm_fade.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace cadencio::audio {

std::size_t CutFadeSamples(int rate) {
  return std::max<std::size_t>(1, static_cast<std::size_t>(std::max(rate, 0)) * kCutFadeMs / 1000);
}

std::size_t CutFadeFor(std::span<const float> stereo, int rate) {
  const std::size_t frames = stereo.size() / 2;
  // The mean frequency from the zero crossings of the left channel.
  std::size_t crossings = 0;
  for (std::size_t i = 1; i < frames; ++i) {
    crossings += (stereo[2 * i - 2] < 0.0f) != (stereo[2 * i] < 0.0f);
  }
  const std::size_t shortest = CutFadeSamples(rate);
  const std::size_t longest =
      static_cast<std::size_t>(std::max(rate, 0)) * kLongestCutFadeMs / 1000;
  if (crossings < 2) return shortest;
  const std::size_t period = 2 * frames / crossings;
  return std::clamp(period, shortest, std::max(shortest, longest));
}

float SmoothFadeOutGain(std::size_t k, std::size_t fade) {
  if (k + 1 >= fade) return 0.0f;
  const double phase = std::numbers::pi * static_cast<double>(k + 1) / static_cast<double>(fade);
  return static_cast<float>(0.5 + 0.5 * std::cos(phase));
}

void FadeOutUnsigned8(std::span<uint8_t> samples, std::size_t fade) {
  fade = std::min(fade, samples.size());
  const std::size_t first = samples.size() - fade;
  for (std::size_t k = 0; k < fade; ++k) {
    // The gain falls from almost 1 to 0 at the last sample.
    const double gain = static_cast<double>(fade - 1 - k) / static_cast<double>(fade);
    const double value = 128.0 + (samples[first + k] - 128.0) * gain;
    samples[first + k] = static_cast<uint8_t>(std::lround(value));
  }
}

void FadeInUnsigned8(std::span<uint8_t> samples, std::size_t fade) {
  fade = std::min(fade, samples.size());
  for (std::size_t k = 0; k < fade; ++k) {
    const double gain = static_cast<double>(k) / static_cast<double>(fade);
    samples[k] = static_cast<uint8_t>(std::lround(128.0 + (samples[k] - 128.0) * gain));
  }
}

}  // namespace cadencio::audio
