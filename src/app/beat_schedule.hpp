// Places beats on an absolute schedule counted in frames of the audio stream: beat k of a
// run starts at t0 + k x period, computed from k, so the interval heard is exactly the beat
// period however long the program thread takes between beats. The run restarts (t0 = now)
// whenever a new measure starts after a key.
#pragma once

#include <cstdint>

#include "audio/audio_output.hpp"
#include "base/clock.hpp"
#include "console/console.hpp"

namespace cadencio::app {

class BeatSchedule {
 public:
  BeatSchedule(audio::AudioOutput& output, base::Clock& clock) : output_(output), clock_(clock) {}

  // The next beat becomes beat 0 of a new run.
  void Restart() { restart_ = true; }
  // The next beat keeps the frame it has at `period_ms` and becomes beat 0 of a run, so a new
  // period takes over from it without a gap or a jump.
  void ContinueFromNextBeat(int32_t period_ms);
  // The stream frame of the next beat.
  int64_t NextOnset(int32_t period_ms);
  // The stream frame of extra note `k` of `n` per beat after the beat NextOnset gave: the
  // run's position index + k/n periods, rounded once to the nearest frame. Every interval is
  // then the nearest frame count to period/n (rounding the beat's frame and then k/n of the
  // period from it would add two roundings), and nothing drifts.
  int64_t SubdivisionOnset(int k, int n, int32_t period_ms) const;
  // Counts the beat just started and waits on the console's message loop until the stream
  // comes near the following one, or until a key waits (the schedule stays as it was).
  void WaitForFollowingBeat(int32_t period_ms, console::Console& console);

 private:
  int64_t OnsetOf(int64_t index, int32_t period_ms) const;

  audio::AudioOutput& output_;
  base::Clock& clock_;
  bool restart_ = true;
  int64_t start_frame_ = 0;
  int64_t index_ = 0;
};

}  // namespace cadencio::app
