// Mixer rendering: sample-exact starts of scheduled sounds.
#include "platform/mixer.hpp"

#include <algorithm>

namespace cadencio::platform {

void Mixer::StartBeat(const Sound* sound, int64_t start_frame) {
  Start(sound, start_frame, false);
}

void Mixer::StartLoop(const Sound* sound) {
  Start(sound, FramesRendered(), true);
}

void Mixer::Start(const Sound* sound, int64_t start_frame, bool loop) {
  PruneSchedule();
  // The newest start wins from its frame on: starts at or after it are dropped.
  while (schedule_.count > 0 && schedule_.starts[schedule_.count - 1].start >= start_frame) {
    --schedule_.count;
  }
  if (schedule_.count == kMaxStarts) {
    std::move(schedule_.starts.begin() + 1, schedule_.starts.end(), schedule_.starts.begin());
    --schedule_.count;
  }
  schedule_.starts[schedule_.count++] = {sound, start_frame, next_serial_++, loop};
  PublishSchedule();
}

void Mixer::StopBeat() {
  schedule_.count = 0;
  PublishSchedule();
}

void Mixer::PruneSchedule() {
  // Every frame still to be rendered lies at or after `rendered`: a start before the last one
  // reached by then is never heard again.
  const int64_t rendered = FramesRendered();
  int reached = 0;
  while (reached + 1 < schedule_.count && schedule_.starts[reached + 1].start <= rendered) {
    ++reached;
  }
  if (reached == 0) return;
  std::move(schedule_.starts.begin() + reached, schedule_.starts.begin() + schedule_.count,
            schedule_.starts.begin());
  schedule_.count -= reached;
}

void Mixer::PublishSchedule() {
  published_.Back() = schedule_;
  published_.Publish();
}

void Mixer::Render(float* out, int frames) {
  const Schedule& schedule = published_.Latest();
  std::fill(out, out + frames * 2, 0.0f);
  const int64_t base = rendered_.load(std::memory_order_relaxed);
  int latest = -1;  // the latest start at or before the frame
  for (int i = 0; i < frames; ++i) {
    const int64_t frame = base + i;
    while (latest + 1 < schedule.count && schedule.starts[latest + 1].start <= frame) ++latest;
    if (latest < 0) {
      beat_ = {};
    } else if (schedule.starts[latest].serial != beat_.serial) {
      // A start first reached here; one that is already late begins from its top now.
      beat_ = schedule.starts[latest];
      beat_.start = frame;
      if (beat_.sound && onset_observer_) onset_observer_(frame, *beat_.sound);
    }
    if (beat_.sound) {
      int64_t offset = frame - beat_.start;
      const int64_t length = beat_.sound->FrameCount();
      if (beat_.loop && length > 0) offset %= length;
      if (offset < length) {
        out[2 * i] += beat_.sound->samples[2 * offset];
        out[2 * i + 1] += beat_.sound->samples[2 * offset + 1];
      }
    }
  }
  wave_out_.MixInto(out, frames);
  rendered_.store(base + frames, std::memory_order_release);
}

}  // namespace cadencio::platform
