// Capture output: the mixed stream, rendered against virtual time, for tests.
#include "audio/audio_output.hpp"

namespace cadencio::audio {

CaptureAudio::CaptureAudio(base::VirtualClock& clock, int rate) : mixer_(rate) {
  clock.AddListener([this](int64_t now_ms) { RenderUpTo(now_ms); });
}

void CaptureAudio::RenderUpTo(int64_t now_ms) {
  int64_t target = now_ms * mixer_.SampleRate() / 1000;
  int64_t frames = target - mixer_.FramesRendered();
  if (frames <= 0) return;
  std::size_t at = stream_.size();
  stream_.resize(at + static_cast<std::size_t>(frames) * 2);
  mixer_.RenderOutput(stream_.data() + at, static_cast<int>(frames));
}

}  // namespace cadencio::audio
