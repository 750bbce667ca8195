// Beat channel over the mixer, with its bank of loaded sounds.
#include "audio/beat_channel.hpp"

#include <algorithm>

#include "audio/pcm_fade.hpp"
#include "audio/wav_loader.hpp"
#include "files/paths.hpp"

namespace cadencio::audio {

const Sound* BeatChannel::Load(const std::string& path) {
  auto found = bank_.find(path);
  if (found != bank_.end()) return found->second.get();
  std::unique_ptr<Sound> sound;
  WavProblem problem = WavProblem::kNone;
  if (auto loaded =
          LoadWavFile(files::MapWindowsPath(path), output_.GetMixer().SampleRate(), &problem)) {
    sound = std::make_unique<Sound>(std::move(*loaded));
    sound->name = path;
    sound->cut_fade =
        static_cast<int64_t>(CutFadeFor(sound->samples, output_.GetMixer().SampleRate()));
  } else {
    problems_[path] = problem;
  }
  return bank_.emplace(path, std::move(sound)).first->second.get();
}

WavProblem BeatChannel::Problem(const std::string& path) {
  if (Load(path) != nullptr) return WavProblem::kNone;
  const auto found = problems_.find(path);
  return found != problems_.end() ? found->second : WavProblem::kUnreadable;
}

const Sound* BeatChannel::LoadScaled(const std::string& path, float gain, const std::string& form) {
  const Sound* full = Load(path);
  if (gain == 1.0f || full == nullptr) return full;
  const std::string key = path + ":" + form + "@" + std::to_string(gain);
  auto found = bank_.find(key);
  if (found != bank_.end()) return found->second.get();
  auto scaled = std::make_unique<Sound>(*full);
  scaled->name = path + ":" + form;
  for (float& sample : scaled->samples) sample *= gain;
  return bank_.emplace(key, std::move(scaled)).first->second.get();
}

const Sound* BeatChannel::LoadSofter(const std::string& path, float gain) {
  // The level and length of the extra notes: half as loud (6 dB under the sound at `gain`), at
  // most 30 ms with a 10 ms fade.
  constexpr float kLevel = 0.5f;
  constexpr int kLengthMs = 30;
  constexpr int kFadeMs = 10;
  std::string key = path + ":sub";
  if (gain != 1.0f) key += '@' + std::to_string(gain);
  auto found = bank_.find(key);
  if (found != bank_.end()) return found->second.get();
  std::unique_ptr<Sound> softer;
  if (const Sound* full = Load(path)) {
    const int64_t rate = output_.GetMixer().SampleRate();
    const int64_t frames = std::min<int64_t>(full->FrameCount(), rate * kLengthMs / 1000);
    const int64_t fade = std::min<int64_t>(frames, rate * kFadeMs / 1000);
    softer = std::make_unique<Sound>();
    softer->name = path + ":sub";
    softer->samples.resize(static_cast<std::size_t>(frames) * 2);
    for (int64_t i = 0; i < frames; ++i) {
      const int64_t left = frames - i;
      const float level = gain * kLevel * (left < fade ? static_cast<float>(left) / fade : 1.0f);
      softer->samples[2 * i] = level * full->samples[2 * i];
      softer->samples[2 * i + 1] = level * full->samples[2 * i + 1];
    }
    softer->cut_fade = full->cut_fade;
  }
  return bank_.emplace(key, std::move(softer)).first->second.get();
}

const Sound* BeatChannel::Keep(const std::string& name, Sound sound) {
  // A sound the mixer may still be playing is never freed, so every kept sound has its own
  // entry, even when an earlier one has the same name.
  auto& kept = bank_[name + "#" + std::to_string(bank_.size())];
  kept = std::make_unique<Sound>(std::move(sound));
  kept->name = name;
  return kept.get();
}

void BeatChannel::PlaySound(const Sound* sound, int64_t start_frame) {
  if (sound != nullptr) output_.GetMixer().StartBeat(sound, start_frame);
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

void WaitForStreamFrame(const Mixer& mixer, base::Clock& clock, int64_t frame) {
  WaitForStreamFrame(mixer, clock, frame, [&clock](int64_t ms) {
    clock.SleepMs(ms);
    return false;
  });
}

bool WaitForStreamFrame(const Mixer& mixer, base::Clock& clock, int64_t frame,
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

}  // namespace cadencio::audio
