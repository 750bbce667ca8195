// Mixer rendering: sample-exact starts of scheduled sounds.
#include "platform/mixer.hpp"

#include <algorithm>

namespace cadencio::platform {

void Mixer::StartBeat(const Sound* sound, int64_t start_frame) {
  commands_.Push({Command::kStartBeat, sound, start_frame});
}

void Mixer::StartLoop(const Sound* sound) {
  commands_.Push({Command::kStartBeat, sound, 0, true});
}

void Mixer::StopBeat() {
  commands_.Push({Command::kStopBeat, nullptr, 0});
}

void Mixer::ApplyCommands() {
  Command command;
  int64_t now = rendered_.load(std::memory_order_relaxed);
  while (commands_.Pop(command)) {
    if (command.kind == Command::kStopBeat) {
      beat_ = {};
      pending_count_ = 0;
    } else {
      QueueBeat({command.sound, std::max(command.start, now), command.loop});
    }
  }
}

// The newest command wins from its start frame on: pending beats at or after it are dropped.
void Mixer::QueueBeat(Voice voice) {
  while (pending_count_ > 0 && pending_[pending_count_ - 1].start >= voice.start) {
    --pending_count_;
  }
  if (pending_count_ == kMaxPending) {
    std::move(pending_.begin() + 1, pending_.end(), pending_.begin());
    --pending_count_;
  }
  pending_[pending_count_++] = voice;
}

void Mixer::Render(float* out, int frames) {
  ApplyCommands();
  std::fill(out, out + frames * 2, 0.0f);
  int64_t base = rendered_.load(std::memory_order_relaxed);
  for (int i = 0; i < frames; ++i) {
    int64_t frame = base + i;
    while (pending_count_ > 0 && frame >= pending_[0].start) {
      beat_ = pending_[0];
      std::move(pending_.begin() + 1, pending_.begin() + pending_count_, pending_.begin());
      --pending_count_;
      if (beat_.sound && onset_observer_) onset_observer_(frame, *beat_.sound);
    }
    if (beat_.sound) {
      int64_t offset = frame - beat_.start;
      const int64_t length = beat_.sound->FrameCount();
      if (beat_.loop && length > 0) offset %= length;
      if (offset < length) {
        out[2 * i] += beat_.sound->samples[2 * offset];
        out[2 * i + 1] += beat_.sound->samples[2 * offset + 1];
      } else {
        beat_ = {};
      }
    }
  }
  wave_out_.MixInto(out, frames);
  rendered_.store(base + frames, std::memory_order_release);
}

}  // namespace cadencio::platform
