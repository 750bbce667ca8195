// What an exact beat is in frames of the stream, for the tests that measure the captured beats.
#pragma once

#include <cmath>
#include <cstdint>

namespace cadencio::testing {

// The exact length of a beat (or of one of `parts` notes to the beat) at `bpm`, in frames.
inline double ExactBeatFrames(int bpm, int parts = 1, int rate = 44100) {
  return 60.0 * rate / (static_cast<double>(bpm) * parts);
}

// Whether an interval between two captured onsets is the exact beat (or note) at `bpm` to
// within the one frame the rounding of a schedule may take.
inline bool IsBeatInterval(int64_t frames, int bpm, int parts = 1, int rate = 44100) {
  return std::abs(static_cast<double>(frames) - ExactBeatFrames(bpm, parts, rate)) < 1.0;
}

// The frame of note `n` of a run (n notes after its first, `parts` to the beat) at `bpm`,
// rounded to the nearest frame.
inline int64_t ExactNoteFrame(int64_t n, int bpm, int parts = 1, int rate = 44100) {
  return std::llround(static_cast<double>(n) * ExactBeatFrames(bpm, parts, rate));
}

}  // namespace cadencio::testing
