// The grid of a measure's notes followed through a written stream.
#include "timing/layer_grid.hpp"

#include <algorithm>
#include <cmath>

namespace cadencio::bench {

namespace {

int64_t Rounded(int64_t num, int64_t den) {
  return std::llround(static_cast<long double>(num) / den);
}

// A note starts exactly on `frame`.
bool OnFrame(const OnsetFinder& finder, int64_t frame) {
  return finder.Refine(frame, 2).frame == frame;
}

// The first frame within 20 measures from `from` on where two measures of notes all start
// exactly on their frames (speech said over the first of them may hide a note).
int64_t FirstMeasure(const OnsetFinder& finder, const MeasureGrid& grid, int64_t from) {
  for (int64_t guess = from; guess < from + 20 * grid.measure_frames;) {
    const OnsetMatch match =
        finder.Refine(guess + grid.measure_frames / 8, grid.measure_frames / 8);
    if (match.frame < 0) {
      guess += grid.measure_frames / 4;
      continue;
    }
    // The note found is one of the grid's: each is tried as the one it is.
    for (const int64_t offset : grid.offsets) {
      const int64_t start = match.frame - offset;
      if (start < from) continue;
      bool all = true;
      for (int measure = 0; measure < 2 && all; ++measure) {
        for (const int64_t other : grid.offsets) {
          all = all && OnFrame(finder, start + measure * grid.measure_frames + other);
        }
      }
      if (all) return start;
    }
    guess = match.frame + 1;
  }
  return -1;
}

}  // namespace

MeasureGrid LayerGrid(int notes, int beats, int bpm, int rate) {
  MeasureGrid grid;
  grid.measure_frames = Rounded(int64_t{beats} * 60 * rate, bpm);
  for (int beat = 0; beat < beats; ++beat) {
    grid.offsets.push_back(Rounded(int64_t{beat} * 60 * rate, bpm));
    grid.measured.push_back(false);
  }
  for (int k = 0; k < notes; ++k) {
    grid.offsets.push_back(Rounded(int64_t{k} * beats * 60 * rate, int64_t{bpm} * notes));
    grid.measured.push_back(true);
  }
  return grid;
}

MeasureGrid SwingGrid(int num, int den, int bpm, int rate) {
  MeasureGrid grid;
  grid.measure_frames = Rounded(int64_t{60} * rate, bpm);
  grid.offsets = {0, Rounded(int64_t{num} * 60 * rate, int64_t{den} * bpm)};
  grid.measured = {false, true};
  return grid;
}

GridCount FollowGrid(const OnsetFinder& finder, const MeasureGrid& grid, double exact_late,
                     int64_t from, int64_t to) {
  GridCount count;
  const int64_t first = FirstMeasure(finder, grid, from);
  if (first < 0) return count;
  int64_t missing_after_last_found = 0;
  for (int64_t start = first; start + grid.measure_frames < to; start += grid.measure_frames) {
    for (std::size_t i = 0; i < grid.offsets.size(); ++i) {
      if (!grid.measured[i]) continue;
      const int64_t frame = start + grid.offsets[i];
      const OnsetMatch match = finder.Refine(frame, 4);
      if (match.frame < 0) {
        ++missing_after_last_found;
        continue;
      }
      count.expected += missing_after_last_found + 1;
      count.missing += missing_after_last_found;
      missing_after_last_found = 0;
      if (match.frame == frame) {
        ++count.on_frame;
      } else {
        ++count.off;
      }
      if (exact_late > 0 && i > 0) {
        const OnsetMatch before = finder.Refine(start + grid.offsets[i - 1], 4);
        if (before.frame >= 0) {
          const double error =
              std::abs(static_cast<double>(match.frame - before.frame) - exact_late);
          count.max_ratio_error = std::max(count.max_ratio_error, error);
        }
      }
    }
  }
  return count;
}

}  // namespace cadencio::bench
