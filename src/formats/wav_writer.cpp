// Plain RIFF/WAVE headers and files.
#include "formats/wav_writer.hpp"

#include <cstring>
#include <fstream>
#include <vector>

namespace cadencio::formats {

namespace {

void Put16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
  Put16(at, value);
  Put16(at + 2, value >> 16);
}

// The header and `data` (the sample bytes as stored) written to `path`.
bool WriteWavFile(const std::string& path, std::span<const uint8_t> data, int rate, uint16_t bits) {
  if (rate <= 0 || data.size() > 0xFFFFFFFFu - 36) return false;
  std::vector<uint8_t> image(kWavHeaderSize);
  BuildWavHeader(image, static_cast<uint32_t>(data.size()), static_cast<uint32_t>(rate), 1, bits);
  image.insert(image.end(), data.begin(), data.end());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(reinterpret_cast<const char*>(image.data()),
             static_cast<std::streamsize>(image.size()));
  file.close();
  return static_cast<bool>(file);
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

bool WriteWav8Mono(const std::string& path, std::span<const uint8_t> samples, int rate) {
  return WriteWavFile(path, samples, rate, 8);
}

bool WriteWav16Mono(const std::string& path, std::span<const int16_t> samples, int rate) {
  if (samples.size() > (0xFFFFFFFFu - 36) / 2) return false;
  std::vector<uint8_t> data;
  data.reserve(samples.size() * 2);
  for (int16_t s : samples) {
    data.push_back(static_cast<uint8_t>(s & 0xFF));
    data.push_back(static_cast<uint8_t>((static_cast<uint16_t>(s) >> 8) & 0xFF));
  }
  return WriteWavFile(path, data, rate, 16);
}

}  // namespace cadencio::formats
