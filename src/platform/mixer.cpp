// Mixer rendering: sample-exact starts of scheduled sounds.
#include "platform/mixer.hpp"

#include <algorithm>
#include <cmath>

namespace cadencio::platform {

void Mixer::Start(int index, const Sound* sound, int64_t start_frame, bool loop) {
  Channel& channel = channels_[index];
  Schedule& schedule = channel.schedule;
  PruneSchedule(channel);
  // The newest start wins from its frame on: starts at or after it are dropped.
  while (schedule.count > 0 && schedule.starts[schedule.count - 1].start >= start_frame) {
    --schedule.count;
  }
  if (schedule.count == kMaxStarts) {
    std::move(schedule.starts.begin() + 1, schedule.starts.end(), schedule.starts.begin());
    --schedule.count;
  }
  schedule.starts[schedule.count++] = {sound, start_frame, channel.next_serial++, loop};
  channel.published.Back() = schedule;
  channel.published.Publish();
}

void Mixer::Stop(int index) {
  Channel& channel = channels_[index];
  channel.schedule.count = 0;
  channel.published.Back() = channel.schedule;
  channel.published.Publish();
}

void Mixer::DropStartsAfter(int64_t frame) {
  for (Channel& channel : channels_) {
    Schedule& schedule = channel.schedule;
    const int count = schedule.count;
    while (schedule.count > 0 && schedule.starts[schedule.count - 1].start > frame) {
      --schedule.count;
    }
    if (schedule.count == count) continue;
    channel.published.Back() = schedule;
    channel.published.Publish();
  }
}

void Mixer::PruneSchedule(Channel& channel) {
  // Every frame still to be rendered lies at or after `rendered`: a start before the last one
  // reached by then is never heard again.
  Schedule& schedule = channel.schedule;
  const int64_t rendered = FramesRendered();
  int reached = 0;
  while (reached + 1 < schedule.count && schedule.starts[reached + 1].start <= rendered) {
    ++reached;
  }
  if (reached == 0) return;
  std::move(schedule.starts.begin() + reached, schedule.starts.begin() + schedule.count,
            schedule.starts.begin());
  schedule.count -= reached;
}

void Mixer::Render(float* out, int frames) {
  std::fill(out, out + frames * 2, 0.0f);
  const int64_t base = rendered_.load(std::memory_order_relaxed);
  MixChannel(channels_[kBeat], beat_gain_.load(std::memory_order_relaxed), out, frames, base);
  MixChannel(channels_[kCount], 1.0f, out, frames, base);
  wave_out_.MixInto(out, frames);
  rendered_.store(base + frames, std::memory_order_release);
}

void Mixer::MixChannel(Channel& channel, float gain, float* out, int frames, int64_t base) {
  const Schedule& schedule = channel.published.Latest();
  Voice& playing = channel.playing;
  int latest = -1;  // the latest start at or before the frame
  for (int i = 0; i < frames; ++i) {
    const int64_t frame = base + i;
    while (latest + 1 < schedule.count && schedule.starts[latest + 1].start <= frame) ++latest;
    if (latest < 0) {
      playing = {};
    } else if (schedule.starts[latest].serial != playing.serial) {
      // A start first reached here; one that is already late begins from its top now.
      playing = schedule.starts[latest];
      playing.start = frame;
      if (playing.sound && onset_observer_) onset_observer_(frame, *playing.sound);
    }
    if (playing.sound) {
      int64_t offset = frame - playing.start;
      const int64_t length = playing.sound->FrameCount();
      if (playing.loop && length > 0) offset %= length;
      if (offset < length) {
        out[2 * i] += gain * playing.sound->samples[2 * offset];
        out[2 * i + 1] += gain * playing.sound->samples[2 * offset + 1];
      }
    }
  }
}

void Mixer::RenderOutput(float* out, int frames) {
  Render(out, frames);
  Limit(out, frames);
}

void Mixer::Limit(float* out, int frames) {
  // The gain drops at once to what the loudest sample of a frame needs and comes back to 1
  // over about 50 ms, so no frame ever exceeds the ceiling and the recovery does not pump.
  const float release = 1.0f / (0.05f * static_cast<float>(sample_rate_));
  for (int i = 0; i < frames; ++i) {
    float& left = out[2 * i];
    float& right = out[2 * i + 1];
    const float peak = std::max(std::abs(left), std::abs(right));
    limiter_gain_ = std::min(1.0f, limiter_gain_ + release);
    if (peak * limiter_gain_ > kCeiling) limiter_gain_ = kCeiling / peak;
    left *= limiter_gain_;
    right *= limiter_gain_;
  }
}

}  // namespace cadencio::platform
