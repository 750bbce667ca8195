// The built-in synthesizer's voice file parser on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "synth/diphone_voice.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::vector<uint8_t> image(data, data + size);
  std::optional<cadencio::synth::DiphoneVoice> voice = cadencio::synth::ParseVoice(image);
  if (voice) {
    for (std::size_t a = 0; a < voice->phones.size(); ++a)
      (void)voice->Find(static_cast<int>(a), 0);
  }
  return 0;
}
