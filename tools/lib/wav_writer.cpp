// Plain WAVE files of the generated recordings.
#include "lib/wav_writer.hpp"

#include <fstream>

#include "formats/riff_reader.hpp"

namespace cadencio::voicegen {

std::vector<uint8_t> WavHeader(uint32_t data_size, uint32_t rate, uint16_t channels,
                               uint16_t bits) {
  std::vector<uint8_t> out(formats::kWavHeaderSize);
  formats::BuildWavHeader(out, data_size, rate, channels, bits);
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
