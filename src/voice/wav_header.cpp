// The 44-byte RIFF/WAVE header of a sound image built in memory.
#include "voice/wav_header.hpp"

#include <cstring>

namespace cadencio::voice {
namespace {

void Put16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
  Put16(at, value);
  Put16(at + 2, value >> 16);
}

}  // namespace

void BuildWavHeader(std::span<uint8_t> image, uint32_t data_size, uint32_t sample_rate,
                    uint16_t channels, uint16_t bits) {
  if (image.size() < kWavHeaderSize) return;
  uint8_t* h = image.data();
  const uint32_t frame_bytes = static_cast<uint32_t>(channels) * (bits / 8u);
  std::memcpy(h, "RIFF", 4);
  Put32(h + 4, data_size + 36);
  std::memcpy(h + 8, "WAVE", 4);
  std::memcpy(h + 12, "fmt ", 4);
  Put32(h + 16, 16);
  Put16(h + 20, 1);  // PCM
  Put16(h + 22, channels);
  Put32(h + 24, sample_rate);
  Put32(h + 28, sample_rate * frame_bytes);
  Put16(h + 32, frame_bytes == 0 ? 1 : frame_bytes);  // block align (1 for 8-bit mono)
  Put16(h + 34, bits);
  std::memcpy(h + 36, "data", 4);
  Put32(h + 40, data_size);
}

}  // namespace cadencio::voice
