// Following a shared timeline (the JACK transport): from where its beats fall and the rule the
// beat plays, what the beat must do to keep to it.
#pragma once

#include <cstdint>

#include "audio/beat_pattern.hpp"
#include "audio/transport_timeline.hpp"

namespace cadencio::app {

struct FollowStep {
  enum class Kind {
    kKeep,   // the rule plays on the timeline's beats, or is silent while it stands still
    kStop,   // the timeline stopped
    kStart,  // a rule must start (or start again) on the timeline's beats
  };
  Kind kind = Kind::kKeep;
  int32_t bpm = 0;
  int beats = 0;
  // The stream frame of the first beat of the timeline's bar, or -1 when the timeline gives no
  // bars and beats (the run then starts at once).
  int64_t start = -1;
};

// The step for the timeline at `at`, while `playing` is the rule published last, at `rate`.
// Without bars and beats from the timeline, the beat keeps the tempo and the measure of
// `own_bpm` and `own_beats` and only starts and stops with it. The timeline's tempo is taken
// to the nearest whole BPM within the metronome's range; a bar that begins more than a
// millisecond away from the rule's bars (the timeline moved) starts the rule again on it.
FollowStep FollowTimeline(const audio::TimelinePosition& at, const audio::BeatRule& playing,
                          int rate, int32_t own_bpm, int own_beats);

}  // namespace cadencio::app
