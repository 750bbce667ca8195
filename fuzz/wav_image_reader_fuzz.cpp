// Fuzzing the WAVE image parser (and the period cutter on whatever it finds): the data it
// reports must lie inside the image, and cutting never grows a block.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "audio/wave_out/cut_speech.hpp"
#include "audio/wave_out/wav_image_reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace cadencio::audio;
  WavImageInfo info;
  if (!ParseWavImage({data, size}, info)) return 0;
  if (info.data < data || info.length > size || info.data + info.length > data + size) {
    std::abort();
  }
  std::vector<uint8_t> block(info.data, info.data + info.length);
  int rate = info.rate % 2 == 0 ? 11025 : info.rate;
  std::size_t cut = CutSpeechPeriods(block.data(), block.size(), info.bits, rate);
  if (cut > block.size()) std::abort();
  return 0;
}
