// The aufonrec module's 64000-byte sound image.
#include "voice/sound_image.hpp"

#include <algorithm>

namespace cadencio::voice {

void SoundImage::Write(std::span<const uint8_t> samples) {
  const std::size_t count = std::min(samples.size(), kSize - position_);
  std::copy_n(samples.begin(), count, bytes_.begin() + static_cast<std::ptrdiff_t>(position_));
  position_ += count;
}

void SoundImage::Fill(uint8_t value, std::size_t count) {
  count = std::min(count, kSize - position_);
  std::fill_n(bytes_.begin() + static_cast<std::ptrdiff_t>(position_), count, value);
  position_ += count;
}

std::span<const uint8_t> SoundImage::Finish() {
  BuildWavHeader(bytes_, static_cast<uint32_t>(DataSize()), kVoiceSampleRate, 1, 8);
  return std::span<const uint8_t>(bytes_.data(), position_);
}

}  // namespace cadencio::voice
