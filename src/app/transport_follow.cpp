// Following a shared timeline: stop, keep, or start on its bars.
#include "app/transport_follow.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/metronome_state.hpp"

namespace cadencio::app {

namespace {

// Whether a bar beginning at `start` lies on one of the rule's own bars, within `tolerance`.
bool OnBars(const audio::BeatRule& rule, int64_t start, int64_t tolerance) {
  const int64_t bar = audio::ScheduleFrame(rule.beats, 1, rule.bpm, rule.rate);
  if (bar <= 0 || start < rule.start) return false;
  const int64_t bars = (start - rule.start + bar / 2) / bar;
  const int64_t nearest =
      rule.start + audio::ScheduleFrame(bars * rule.beats, 1, rule.bpm, rule.rate);
  return std::llabs(nearest - start) <= tolerance;
}

}  // namespace

FollowStep FollowTimeline(const audio::TimelinePosition& at, const audio::BeatRule& playing,
                          int rate, int32_t own_bpm, int own_beats) {
  FollowStep step;
  if (!at.rolling) {
    step.kind = playing.playing ? FollowStep::Kind::kStop : FollowStep::Kind::kKeep;
    return step;
  }
  if (!at.has_beats) {
    step.bpm = own_bpm;
    step.beats = own_beats;
    step.kind = playing.playing ? FollowStep::Kind::kKeep : FollowStep::Kind::kStart;
    return step;
  }
  step.bpm = std::clamp(static_cast<int32_t>(std::lround(at.bpm)), kMinBpm, kMaxBpm);
  step.beats = std::clamp(at.beats_per_bar, 1, audio::kMaxPatternBeats);
  const int beat = std::clamp(at.beat, 1, step.beats);
  step.start = at.beat_frame - audio::ScheduleFrame(beat - 1, 1, step.bpm, rate);
  const bool same = playing.playing && playing.bpm == step.bpm && playing.beats == step.beats &&
                    playing.rate == rate && OnBars(playing, step.start, rate / 1000);
  step.kind = same ? FollowStep::Kind::kKeep : FollowStep::Kind::kStart;
  return step;
}

}  // namespace cadencio::app
