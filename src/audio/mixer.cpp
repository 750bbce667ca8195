// Mixer rendering: sample-exact starts of scheduled sounds.
#include "audio/mixer.hpp"

#include <algorithm>
#include <cmath>

namespace cadencio::audio {

bool Mixer::DropFrom(Schedule& schedule, int64_t frame) {
  const int count = schedule.count;
  while (schedule.count > 0 && schedule.starts[schedule.count - 1].start >= frame) {
    --schedule.count;
  }
  return schedule.count != count;
}

void Mixer::Publish(Channel& channel) {
  channel.published.Back() = channel.schedule;
  channel.published.Publish();
}

void Mixer::Start(int index, const Sound* sound, int64_t start_frame, bool loop) {
  Channel& channel = channels_[index];
  Schedule& schedule = channel.schedule;
  PruneSchedule(channel);
  // The newest start wins from its frame on: starts at or after it are dropped.
  DropFrom(schedule, start_frame);
  if (schedule.count == kMaxStarts) {
    std::move(schedule.starts.begin() + 1, schedule.starts.end(), schedule.starts.begin());
    --schedule.count;
  }
  schedule.starts[schedule.count++] = {sound, start_frame, channel.next_serial++, loop};
  Publish(channel);
}

void Mixer::Stop(int index) {
  Channel& channel = channels_[index];
  channel.schedule.count = 0;
  Publish(channel);
}

void Mixer::DropStartsAfter(int64_t frame) {
  for (Channel& channel : channels_) {
    if (DropFrom(channel.schedule, frame + 1)) Publish(channel);
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
  // The gain a loud frame needs is reached before it: it falls linearly over the lookahead
  // (3 ms) ahead of the frame, since a drop at once would itself be a small step, heard as a
  // click. It comes back to 1 over about 50 ms, so the recovery does not pump. No frame ever
  // exceeds the ceiling.
  const float rate = static_cast<float>(sample_rate_);
  const float release = 1.0f / (0.05f * rate);
  const float attack = 1.0f / static_cast<float>(lookahead_);
  float* held = limited_.data();
  float* needs = limiter_needs_.data();
  for (int done = 0; done < frames; done += kLimiterFrames) {
    const int count = std::min(frames - done, kLimiterFrames);
    const int total = lookahead_ + count;
    // The frames held back from before are followed by the new ones.
    Render(held + 2 * lookahead_, count);
    for (int i = 0; i < total; ++i) {
      const float peak = std::max(std::abs(held[2 * i]), std::abs(held[2 * i + 1]));
      needs[i] = peak > kCeiling ? kCeiling / peak : 1.0f;
    }
    for (int i = total - 2; i >= 0; --i) needs[i] = std::min(needs[i], needs[i + 1] + attack);
    float* piece = out + 2 * done;
    for (int i = 0; i < count; ++i) {
      limiter_gain_ = std::min(limiter_gain_ + release, needs[i]);
      // The clamp only takes away the rounding of ceiling / peak x peak.
      piece[2 * i] = std::clamp(held[2 * i] * limiter_gain_, -kCeiling, kCeiling);
      piece[2 * i + 1] = std::clamp(held[2 * i + 1] * limiter_gain_, -kCeiling, kCeiling);
    }
    std::copy(held + 2 * count, held + 2 * total, held);
  }
}

}  // namespace cadencio::audio
