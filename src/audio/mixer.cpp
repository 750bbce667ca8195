// Mixer rendering: sample-exact starts of scheduled sounds.
#include "audio/mixer.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <type_traits>

namespace cadencio::audio {

void Mixer::DropFrom(Schedule& schedule, int64_t frame) {
  while (schedule.count > 0 && schedule.starts[schedule.count - 1].start >= frame) {
    --schedule.count;
  }
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
  ++channel.schedule.stops;
  Publish(channel);
}

void Mixer::SetBeatRule(const BeatRule& rule) {
  Rules& rules = rules_;
  // The rule the stream is following now stays; those before it are done with.
  const int64_t rendered = FramesRendered();
  int done = 0;
  while (done + 1 < rules.count && rules.rules[done + 1].from <= rendered) ++done;
  // The new rule replaces any that would begin at or after its own start.
  int keep = rules.count;
  while (keep > done && rules.rules[keep - 1].from >= rule.from) --keep;
  if (keep - done == kMaxRules) ++done;
  std::move(rules.rules.begin() + done, rules.rules.begin() + keep, rules.rules.begin());
  std::move(rules.serials.begin() + done, rules.serials.begin() + keep, rules.serials.begin());
  rules.count = keep - done;
  rules.rules[rules.count] = rule;
  rules.serials[rules.count] = next_rule_serial_++;
  ++rules.count;
  published_rules_.Back() = rules;
  published_rules_.Publish();
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

void Mixer::AddStream(std::unique_ptr<MixedStream> stream) {
  const int count = stream_count_.load(std::memory_order_relaxed);
  if (count == kMaxStreams) throw std::length_error("the mixer has no room for another stream");
  streams_[static_cast<std::size_t>(count)] = std::move(stream);
  stream_count_.store(count + 1, std::memory_order_release);
}

void Mixer::SetSharedTimeline(std::unique_ptr<SharedTimeline> timeline) {
  timeline_owned_ = std::move(timeline);
  timeline_.store(timeline_owned_.get(), std::memory_order_release);
}

void Mixer::Render(float* out, int frames) {
  std::fill(out, out + frames * 2, 0.0f);
  const int64_t base = rendered_.load(std::memory_order_relaxed);
  const float beat_gain = beat_gain_.load(std::memory_order_relaxed);
  PiecePattern pattern;
  for (int done = 0; done < frames; done += kPieceFrames) {
    const int count = std::min(kPieceFrames, frames - done);
    float* piece = out + 2 * done;
    FindPatternNotes(count, base + done, pattern);
    MixChannel(channels_[kBeat], beat_gain, piece, count, base + done, pattern.beats);
    MixChannel(channels_[kLayer], beat_gain, piece, count, base + done, pattern.layer);
    MixChannel(channels_[kCount], 1.0f, piece, count, base + done, pattern.words);
  }
  const int streams = stream_count_.load(std::memory_order_acquire);
  for (int i = 0; i < streams; ++i) streams_[static_cast<std::size_t>(i)]->MixInto(out, frames);
  rendered_.store(base + frames, std::memory_order_release);
}

template <class Cursor>
int64_t Mixer::PlayingFrame(const Cursor& cursor, int64_t frame) const {
  const int64_t note_frame = cursor.Frame();
  // 10 ms: far more than the measured pace moves a note between two buffers, far less than a
  // session that jumps to a new phase does.
  const int64_t late = sample_rate_ / 100;
  if (cursor.FollowsTimeline() && note_frame < frame && note_frame >= frame - late) return frame;
  return note_frame;
}

void Mixer::FindPatternNotes(int frames, int64_t base, PiecePattern& pattern) {
  pattern.beats.fill(nullptr);
  pattern.layer.fill(nullptr);
  pattern.words.fill(nullptr);
  WalkNotes(cursor_, cursor_serial_, frames, base, pattern.beats, pattern.words);
  WalkNotes(layer_, layer_serial_, frames, base, pattern.layer, pattern.words);
}

template <class Cursor>
void Mixer::WalkNotes(Cursor& cursor, uint64_t& serial, int frames, int64_t base,
                      PieceStarts& sounds, PieceStarts& words) {
  const Rules& rules = published_rules_.Latest();
  const int64_t end = base + frames;
  int governing = -1;  // the latest rule from at or before the frame
  // The walk goes from note to note and from rule to rule, not frame by frame: the audio thread
  // wakes for every buffer, and most of a buffer holds no note.
  for (int64_t frame = base; frame < end;) {
    while (governing + 1 < rules.count && rules.rules[governing + 1].from <= frame) ++governing;
    const int64_t until =
        governing + 1 < rules.count ? std::min(end, rules.rules[governing + 1].from) : end;
    if (governing < 0 || !rules.rules[governing].playing) {
      frame = until;
      continue;
    }
    const BeatRule& rule = rules.rules[governing];
    SharedTimeline* timeline = timeline_.load(std::memory_order_acquire);
    const bool taken_up = rules.serials[governing] != serial;
    if (taken_up) {
      serial = rules.serials[governing];
      cursor = Cursor(rule);
    }
    if (rule.shared && timeline != nullptr) cursor.Follow(timeline->View(frame, rule.beats));
    // A rule taken up here: its notes before this frame were another rule's to play.
    if (taken_up) cursor.SkipTo(frame);
    const int64_t note_frame = PlayingFrame(cursor, frame);
    if constexpr (std::is_same_v<Cursor, PatternCursor>) {
      // A section's cue starts between notes, or on a note whose word it silences (placed again
      // on each note before it, to the same frame).
      for (const PatternCursor::Cue& cue : {cursor.HandedCue(), cursor.NextCue()}) {
        if (cue.frame >= frame && cue.frame < until) {
          words[static_cast<std::size_t>(cue.frame - base)] = cue.sound;
        }
      }
    }
    if (note_frame >= until) {
      frame = until;
      continue;
    }
    if (note_frame >= frame) {
      const PatternNote note = cursor.Note();
      const auto at = static_cast<std::size_t>(note_frame - base);
      sounds[at] = note.sound;
      // The beat's and the layer's words never share a frame: one of them is counted.
      if (note.word != nullptr) words[at] = note.word;
      frame = note_frame + 1;
    }
    cursor.Advance();
  }
}

int64_t Mixer::OffsetAt(const Voice& voice, int64_t frame) {
  if (voice.sound == nullptr) return -1;
  const int64_t length = voice.sound->FrameCount();
  int64_t offset = frame - voice.start;
  if (voice.loop && length > 0) offset %= length;
  return offset < length ? offset : -1;
}

void Mixer::Cut(Channel& channel, const Voice& voice, int64_t frame) {
  if (OffsetAt(channel.playing, frame) >= 0) {
    channel.fading = channel.playing;
    channel.fade_from = frame;
  }
  channel.playing = voice;
  channel.playing.start = frame;
  if (voice.sound && onset_observer_) onset_observer_(frame, *voice.sound);
}

void Mixer::MixChannel(Channel& channel, float gain, float* out, int frames, int64_t base,
                       const PieceStarts& pattern) {
  const Schedule& schedule = channel.published.Latest();
  int latest = -1;  // the latest start at or before the frame
  for (int i = 0; i < frames; ++i) {
    const int64_t frame = base + i;
    if (schedule.stops != channel.taken_stops) {
      channel.taken_stops = schedule.stops;
      Cut(channel, {}, frame);
    }
    while (latest + 1 < schedule.count && schedule.starts[latest + 1].start <= frame) ++latest;
    if (latest >= 0 && schedule.starts[latest].serial > channel.taken_serial) {
      // A start first reached here; one that is already late begins from its top now.
      channel.taken_serial = schedule.starts[latest].serial;
      Cut(channel, schedule.starts[latest], frame);
    }
    if (pattern[i] != nullptr) Cut(channel, {pattern[i], frame, 0, false}, frame);
    const int64_t offset = OffsetAt(channel.playing, frame);
    float left = offset < 0 ? 0.0f : channel.playing.sound->samples[2 * offset];
    float right = offset < 0 ? 0.0f : channel.playing.sound->samples[2 * offset + 1];
    const int64_t faded = frame - channel.fade_from;
    const int64_t fading_offset = OffsetAt(channel.fading, frame);
    const std::size_t fade_length = fading_offset >= 0 && channel.fading.sound->cut_fade > 0
                                        ? static_cast<std::size_t>(channel.fading.sound->cut_fade)
                                        : cut_fade_;
    if (fading_offset >= 0 && faded < static_cast<int64_t>(fade_length)) {
      const float fade = SmoothFadeOutGain(static_cast<std::size_t>(faded), fade_length);
      left += fade * channel.fading.sound->samples[2 * fading_offset];
      right += fade * channel.fading.sound->samples[2 * fading_offset + 1];
    } else {
      channel.fading = {};
    }
    out[2 * i] += gain * left;
    out[2 * i + 1] += gain * right;
    if (offset < 0 && channel.fading.sound == nullptr) {
      // The channel is silent until its next start: the frames up to it add nothing.
      const int64_t next_start =
          latest + 1 < schedule.count ? schedule.starts[latest + 1].start - base : frames;
      const int limit = static_cast<int>(std::clamp<int64_t>(next_start, i + 1, frames));
      int next = i + 1;
      while (next < limit && pattern[next] == nullptr) ++next;
      i = next - 1;
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
  if (SharedTimeline* timeline = timeline_.load(std::memory_order_acquire)) {
    timeline->BeginBuffer(FramesRendered());
  }
  for (int done = 0; done < frames; done += kLimiterFrames) {
    const int count = std::min(frames - done, kLimiterFrames);
    const int total = lookahead_ + count;
    // The frames held back from before are followed by the new ones.
    Render(held + 2 * lookahead_, count);
    float* piece = out + 2 * done;
    // Most of the time nothing comes near the ceiling and the gain is back at 1: the frames
    // then pass as they are, which is what the gain computation below would give them.
    float loudest = 0.0f;
    for (int i = 0; i < 2 * total; ++i) loudest = std::max(loudest, std::abs(held[i]));
    if (loudest <= kCeiling && limiter_gain_ >= 1.0f) {
      std::copy(held, held + 2 * count, piece);
      std::copy(held + 2 * count, held + 2 * total, held);
      continue;
    }
    for (int i = 0; i < total; ++i) {
      const float peak = std::max(std::abs(held[2 * i]), std::abs(held[2 * i + 1]));
      needs[i] = peak > kCeiling ? kCeiling / peak : 1.0f;
    }
    for (int i = total - 2; i >= 0; --i) needs[i] = std::min(needs[i], needs[i + 1] + attack);
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
