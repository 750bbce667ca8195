// Plain WAVE files of the generated recordings.
#include "wav_writer.hpp"

#include <fstream>

namespace cadencio::voicegen {

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
  out.insert(out.end(), tag, tag + 4);
}

}  // namespace

std::vector<uint8_t> WavHeader(uint32_t data_size, uint32_t rate, uint16_t channels,
                               uint16_t bits) {
  std::vector<uint8_t> out;
  const uint16_t block_align = static_cast<uint16_t>(channels * (bits / 8));
  PutTag(out, "RIFF");
  Put32(out, data_size + 36);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, 16);
  Put16(out, 1);
  Put16(out, channels);
  Put32(out, rate);
  Put32(out, rate * block_align);
  Put16(out, block_align);
  Put16(out, bits);
  PutTag(out, "data");
  Put32(out, data_size);
  return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

bool WriteWav8Mono(const std::string& path, const std::vector<uint8_t>& samples, uint32_t rate) {
  std::vector<uint8_t> file = WavHeader(static_cast<uint32_t>(samples.size()), rate, 1, 8);
  file.insert(file.end(), samples.begin(), samples.end());
  return WriteFileBytes(path, file);
}

}  // namespace cadencio::voicegen
