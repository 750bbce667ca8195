// libFuzzer target for the WAVE reader: any byte image goes through ParsePcmWav, and what it
// accepts through ConvertToStereoFloat. Long clips are skipped so each input stays quick.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "audio/wav_loader.hpp"

namespace {

constexpr int64_t kMaxFuzzFrames = 1 << 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace cadencio::audio;
  const std::vector<uint8_t> image(data, data + size);
  const auto pcm = ParsePcmWav(image);
  if (!pcm) return 0;
  // The parse result must describe a playable format and hold whole frames only.
  const int frame_bytes = pcm->format.channels * pcm->format.bits / 8;
  if (frame_bytes <= 0 || pcm->format.sample_rate <= 0 || pcm->bytes.size() > size ||
      pcm->bytes.size() % static_cast<size_t>(frame_bytes) != 0) {
    std::abort();
  }
  for (int rate : {44100, 48000}) {
    const int64_t frames = ConvertedFrameCount(*pcm, rate);
    const int64_t in_frames = static_cast<int64_t>(pcm->bytes.size()) / frame_bytes;
    if (frames > kMaxFuzzFrames || in_frames > kMaxFuzzFrames) continue;
    const std::vector<float> out = ConvertToStereoFloat(*pcm, rate);
    // Either nothing (an impossible rate ratio, an empty clip) or exactly the frames promised.
    if (!out.empty() && static_cast<int64_t>(out.size()) != 2 * frames) std::abort();
  }
  return 0;
}
