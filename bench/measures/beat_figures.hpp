// What the timing benchmarks report of a train of beat onsets: the largest deviation of an
// interval from the exact spacing, the drift over the train, the onsets off the exact grid and
// the tempo heard.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace cadencio::bench {

struct Figures {
  std::size_t onsets = 0;
  double max_deviation = 0;  // samples
  double drift = 0;          // samples, last onset against first + n x spacing
};

inline Figures FiguresOf(const std::vector<int64_t>& onsets, double spacing) {
  Figures figures;
  figures.onsets = onsets.size();
  if (onsets.size() < 2) return figures;
  for (std::size_t i = 1; i < onsets.size(); ++i) {
    figures.max_deviation =
        std::max(figures.max_deviation, std::fabs((onsets[i] - onsets[i - 1]) - spacing));
  }
  figures.drift = (onsets.back() - onsets.front()) - spacing * (onsets.size() - 1);
  return figures;
}

// How many onsets lie more than a frame off the exact grid (n notes to the beat at the tempo
// asked for) through the beat that starts the train; the program's schedule rounds each onset
// once, so none should. The train may begin on a note, so every phase is tried and the best
// kept.
inline std::size_t OffSchedule(const std::vector<int64_t>& onsets, int bpm, int rate, int parts) {
  const double spacing = 60.0 * rate / bpm / parts;
  std::size_t best = onsets.size();
  for (int phase = 0; phase < parts && phase < static_cast<int>(onsets.size()); ++phase) {
    std::size_t off = static_cast<std::size_t>(phase);
    const int64_t t0 = onsets[static_cast<std::size_t>(phase)];
    for (std::size_t i = static_cast<std::size_t>(phase); i < onsets.size(); ++i) {
      const double j = static_cast<double>(i) - phase;
      if (std::fabs(static_cast<double>(onsets[i] - t0) - j * spacing) > 1.0) ++off;
    }
    best = std::min(best, off);
  }
  return best;
}

// The tempo the onsets play: 60 x rate over the least-squares spacing of a beat (`parts`
// onsets to the beat). Zero for fewer than two onsets.
inline double HeardBpm(const std::vector<int64_t>& onsets, int rate, int parts) {
  const std::size_t n = onsets.size();
  if (n < 2) return 0;
  // Centred sums keep the arithmetic exact enough for a ratio to 1e-6 over an hour.
  const double mean_i = (static_cast<double>(n) - 1) / 2;
  double mean_t = 0;
  for (int64_t t : onsets) mean_t += static_cast<double>(t - onsets.front());
  mean_t /= static_cast<double>(n);
  double num = 0, den = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double di = static_cast<double>(i) - mean_i;
    num += di * (static_cast<double>(onsets[i] - onsets.front()) - mean_t);
    den += di * di;
  }
  return 60.0 * rate / (num / den * parts);
}

}  // namespace cadencio::bench
