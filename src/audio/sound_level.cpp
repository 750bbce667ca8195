// The loudest stretch of a sound, by a running sum of squares.
#include "audio/sound_level.hpp"

#include <algorithm>
#include <cmath>

namespace cadencio::audio {

double LoudestLevelDb(std::span<const float> stereo, int rate) {
  const std::size_t frames = stereo.size() / 2;
  const std::size_t window =
      std::clamp<std::size_t>(static_cast<std::size_t>(rate) * kLevelWindowMs / 1000, 1, frames);
  if (frames == 0) return kSilentDb;
  auto energy = [&stereo](std::size_t frame) {
    const double left = stereo[2 * frame], right = stereo[2 * frame + 1];
    return left * left + right * right;
  };
  double sum = 0;
  for (std::size_t i = 0; i < window; ++i) sum += energy(i);
  double loudest = sum;
  for (std::size_t i = window; i < frames; ++i) {
    sum += energy(i) - energy(i - window);
    loudest = std::max(loudest, sum);
  }
  if (loudest <= 0) return kSilentDb;
  return 10 * std::log10(loudest / static_cast<double>(2 * window));
}

}  // namespace cadencio::audio
