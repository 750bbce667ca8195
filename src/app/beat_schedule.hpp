// Places beats on an absolute schedule counted in frames of the audio stream: beat n of a run
// starts at round(n x 60 x rate / Bpm) frames from the run's start, computed from n in whole
// numbers, so the tempo heard is the tempo asked for at every Bpm, every interval is within one
// frame of the exact one, and nothing drifts however long the run or however late the program
// thread is between beats. The run restarts (start = now) whenever a new measure starts after a
// key.
#pragma once

#include <cstdint>

#include "audio/audio_output.hpp"
#include "base/clock.hpp"
#include "console/console.hpp"

namespace cadencio::app {

// The frame, from a run's start, of note `note` of a run with `parts` notes to the beat (beat n
// is note n x parts) at `bpm`: note x 60 x rate / (bpm x parts), rounded once to the nearest
// frame (halves up).
int64_t ScheduleFrame(int64_t note, int parts, int32_t bpm, int64_t rate);

class BeatSchedule {
 public:
  BeatSchedule(audio::AudioOutput& output, base::Clock& clock) : output_(output), clock_(clock) {}

  // The next beat becomes beat 0 of a new run.
  void Restart() { restart_ = true; }
  // The next beat keeps the frame it has at `bpm` (the tempo the run was started with) and
  // becomes beat 0 of a run, so a new tempo takes over from it without a gap or a jump.
  void ContinueFromNextBeat(int32_t bpm);
  // The stream frame of the next beat.
  int64_t NextOnset(int32_t bpm);
  // The stream frame of extra note `k` of `n` per beat after the beat NextOnset gave: the
  // run's position index + k/n beats, rounded once to the nearest frame. Every interval is
  // then within a frame of the exact part of the beat, and nothing drifts.
  int64_t SubdivisionOnset(int k, int n, int32_t bpm) const;
  // Counts the beat just started and waits on the console's message loop until the stream
  // comes near the following one, or until a key waits (the schedule stays as it was).
  void WaitForFollowingBeat(int32_t bpm, console::Console& console);

 private:
  int64_t OnsetOf(int64_t index, int32_t bpm) const;

  audio::AudioOutput& output_;
  base::Clock& clock_;
  bool restart_ = true;
  int64_t start_frame_ = 0;
  int64_t index_ = 0;
};

}  // namespace cadencio::app
