// WAVE images in memory: finding the format and the samples of a RIFF/WAVE image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace cadencio::audio {

struct WavImageInfo {
  const uint8_t* data = nullptr;  // the first sample byte
  std::size_t length = 0;         // bytes of samples
  int channels = 0;
  int rate = 0;
  int bits = 0;
};

// "RIFF" at 0 and "fmt " at 12 (case-blind), the fmt body at 20, then the chunks from the end
// of the fmt body up to the one tagged "data". False when the image is not RIFF/WAVE, its fmt
// body is too short to hold the format fields or it has no data chunk. A data chunk that
// claims more bytes than the image holds is cut to what is there.
bool ParseWavImage(std::span<const uint8_t> image, WavImageInfo& info);

}  // namespace cadencio::audio
