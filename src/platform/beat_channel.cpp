// Beat channel over the mixer, with its bank of loaded sounds.
#include "platform/beat_channel.hpp"

#include "platform/paths.hpp"
#include "platform/wav_file.hpp"

namespace cadencio::platform {

const Sound* BeatChannel::Load(const std::string& path) {
  auto found = bank_.find(path);
  if (found != bank_.end()) return found->second.get();
  std::unique_ptr<Sound> sound;
  if (auto loaded = LoadWavFile(MapWindowsPath(path), output_.GetMixer().SampleRate())) {
    sound = std::make_unique<Sound>(std::move(*loaded));
    sound->name = path;
  }
  return bank_.emplace(path, std::move(sound)).first->second.get();
}

void BeatChannel::Play(const std::string& path, int64_t start_frame) {
  const Sound* sound = Load(path);
  if (sound == nullptr) {
    Stop();
    return;
  }
  output_.GetMixer().StartBeat(sound, start_frame);
}

void BeatChannel::PlaySync(const std::string& path) {
  const Sound* sound = Load(path);
  if (sound == nullptr) {
    Stop();
    return;
  }
  Mixer& mixer = output_.GetMixer();
  int64_t start = mixer.FramesRendered() + output_.LeadFrames();
  mixer.StartBeat(sound, start);
  WaitForStreamFrame(mixer, clock_, start + sound->FrameCount());
}

void BeatChannel::Stop() {
  output_.GetMixer().StopBeat();
}

void WaitForStreamFrame(const Mixer& mixer, Clock& clock, int64_t frame) {
  WaitForStreamFrame(mixer, clock, frame, [&clock](int64_t ms) {
    clock.SleepMs(ms);
    return false;
  });
}

bool WaitForStreamFrame(const Mixer& mixer, Clock& clock, int64_t frame,
                        const std::function<bool(int64_t ms)>& wait) {
  // A stream that stops moving (a stalled device) must not hang the program: after two
  // seconds without progress the wait gives up.
  constexpr int64_t kStallMs = 2000;
  const int64_t rate = mixer.SampleRate();
  int64_t last_frames = mixer.FramesRendered();
  int64_t last_progress_ms = clock.NowMs();
  for (;;) {
    int64_t frames = mixer.FramesRendered();
    int64_t remaining = frame - frames;
    if (remaining <= 0) return true;
    int64_t now = clock.NowMs();
    if (frames != last_frames) {
      last_frames = frames;
      last_progress_ms = now;
    } else if (now - last_progress_ms > kStallMs) {
      return true;
    }
    if (wait((remaining * 1000 + rate - 1) / rate)) return false;
  }
}

}  // namespace cadencio::platform
