// A recording released to the reader as the clock advances, as a microphone would hear it.
#include "audio/audio_input.hpp"

namespace cadencio::audio {

ScriptedAudioInput::ScriptedAudioInput(const base::Clock& clock, std::vector<float> samples,
                                       int rate)
    : clock_(clock), samples_(std::move(samples)), rate_(rate), start_ms_(clock.NowMs()) {}

void ScriptedAudioInput::Read(std::vector<float>& out) {
  const int64_t due = (clock_.NowMs() - start_ms_) * rate_ / 1000;
  const int64_t size = static_cast<int64_t>(samples_.size());
  for (; delivered_ < due; ++delivered_) {
    out.push_back(delivered_ < size ? samples_[static_cast<std::size_t>(delivered_)] : 0.0f);
  }
}

}  // namespace cadencio::audio
