// The aufonrec module's sound image: one 64000-byte WAVE image that collects the samples of
// the recorded voice behind a 44-byte header until it is full or the speech ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "voice/voice_format.hpp"

namespace cadencio::voice {

class SoundImage {
 public:
  static constexpr std::size_t kSize = 64000;
  // The most sample bytes one image holds; longer pieces are cut to this.
  static constexpr std::size_t kCapacity = kSize - kWavHeaderSize;

  SoundImage() : bytes_(kSize, kSilenceSample) {}

  std::size_t DataSize() const { return position_ - kWavHeaderSize; }
  // True when `count` more bytes reach the end of the image (the image must be played first).
  bool WouldFill(std::size_t count) const { return position_ + count >= kSize; }
  // Copies bytes at the write position; whatever does not fit is left out.
  void Write(std::span<const uint8_t> samples);
  void Fill(uint8_t value, std::size_t count);
  // Writes the header for the samples collected and gives the image to play.
  std::span<const uint8_t> Finish();
  void Rewind() { position_ = kWavHeaderSize; }

 private:
  std::vector<uint8_t> bytes_;
  std::size_t position_ = kWavHeaderSize;
};

}  // namespace cadencio::voice
