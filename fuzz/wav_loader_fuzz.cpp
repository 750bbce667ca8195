// libFuzzer target for the WAVE reader: any byte image goes through ParsePcmWav, which gives a
// sound's samples or the reason it refused them, and what it accepts through
// ConvertToStereoFloat, whose samples must stay within full scale. Long clips are skipped so
// each input stays quick.
#include <cmath>
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
  WavProblem problem = WavProblem::kNone;
  const auto pcm = ParsePcmWav(image, &problem);
  if (pcm.has_value() != (problem == WavProblem::kNone)) std::abort();
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
    // Before the converter's filter (which may ring a little past it), within full scale.
    if (pcm->format.sample_rate == rate) {
      for (const float sample : out) {
        if (!(std::fabs(sample) <= 1.0f)) std::abort();
      }
    }
  }
  return 0;
}
