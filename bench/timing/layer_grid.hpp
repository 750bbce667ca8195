// The grid of a measure's notes followed through a written stream: where each note of the second
// layer (or the swung note) must start by definition, and whether the stream has a note that
// starts there, to the sample.
#pragma once

#include <cstdint>
#include <vector>

#include "measures/onset_finder.hpp"

namespace cadencio::bench {

// One measure's notes: their frames from the measure's first, and which of them are measured.
struct MeasureGrid {
  int64_t measure_frames = 0;  // a whole number of frames at the tempos measured
  std::vector<int64_t> offsets;
  std::vector<bool> measured;
};

// n against m at `bpm`: the m beats and the n layer notes, k x measure / n rounded once from the
// measure's first frame; the layer's notes are measured.
MeasureGrid LayerGrid(int notes, int beats, int bpm, int rate);
// One beat of two notes, the second num / den of the beat late, rounded once; it is measured.
MeasureGrid SwingGrid(int num, int den, int bpm, int rate);

struct GridCount {
  int64_t expected = 0;  // measured notes whose frame lies before the last note found
  int64_t on_frame = 0;  // found starting on their frame, 0 samples off
  int64_t off = 0;       // found within 4 frames, not on their own
  int64_t missing = 0;
  // The swing: the largest distance, in samples, of a measured note's distance from the note
  // before it to its exact fraction of the beat.
  double max_ratio_error = 0;
};

// Follows the grid from the first measure that starts at or after `from` (found by matching
// its notes) to `to`.
GridCount FollowGrid(const OnsetFinder& finder, const MeasureGrid& grid, double exact_late,
                     int64_t from, int64_t to);

}  // namespace cadencio::bench
