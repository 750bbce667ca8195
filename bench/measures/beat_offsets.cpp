// Offsets and tempos of beat trains, and the starts of loud clicks.
#include "measures/beat_offsets.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace cadencio::bench {

Line FitLine(const std::vector<double>& x, const std::vector<double>& t) {
  const double n = static_cast<double>(x.size());
  double mx = 0, mt = 0;
  for (std::size_t i = 0; i < x.size(); ++i) mx += x[i] / n, mt += t[i] / n;
  double sxx = 0, sxt = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    sxx += (x[i] - mx) * (x[i] - mx);
    sxt += (x[i] - mx) * (t[i] - mt);
  }
  const double a = sxx > 0 ? sxt / sxx : 0;
  return {a, mt - a * mx};
}

std::vector<double> Offsets(const std::vector<double>& beats, const std::vector<double>& other,
                            double from, double to) {
  std::vector<double> offsets;
  for (double at : beats) {
    if (at < from || at > to || other.empty()) continue;
    const auto next = std::lower_bound(other.begin(), other.end(), at);
    double best = 1e18;
    if (next != other.end()) best = *next - at;
    if (next != other.begin() && std::abs(*std::prev(next) - at) < std::abs(best)) {
      best = *std::prev(next) - at;
    }
    offsets.push_back(best / 1000);
  }
  return offsets;
}

std::vector<double> TakeUnmatched(std::vector<double>& offsets, double unmatched_ms) {
  std::vector<double> far;
  const auto near = std::stable_partition(offsets.begin(), offsets.end(),
                                          [=](double d) { return std::abs(d) <= unmatched_ms; });
  far.assign(near, offsets.end());
  offsets.erase(near, offsets.end());
  return far;
}

void PrintOffsets(const char* what, std::vector<double> offsets, double unmatched_ms) {
  const std::size_t unmatched = TakeUnmatched(offsets, unmatched_ms).size();
  if (offsets.empty()) return (void)std::printf("%-26s no beats\n", what);
  double mean = 0;
  for (double d : offsets) mean += d / static_cast<double>(offsets.size());
  for (double& d : offsets) d = std::abs(d);
  std::sort(offsets.begin(), offsets.end());
  const auto at = [&offsets](double q) {
    return offsets[static_cast<std::size_t>(q * static_cast<double>(offsets.size() - 1))];
  };
  std::printf("%-26s %5zu beats  mean %+7.3f  |median| %6.3f  |p95| %6.3f  |max| %6.3f ms", what,
              offsets.size(), mean, at(0.5), at(0.95), offsets.back());
  if (unmatched > 0) std::printf("  (%zu with none within %.0f ms)", unmatched, unmatched_ms);
  std::printf("\n");
}

double TempoBetween(const std::vector<double>& beats, double from, double to) {
  std::vector<double> intervals;
  for (std::size_t i = 1; i < beats.size(); ++i) {
    if (beats[i - 1] >= from && beats[i] <= to) intervals.push_back(beats[i] - beats[i - 1]);
  }
  if (intervals.empty()) return 0;
  std::nth_element(intervals.begin(), intervals.begin() + intervals.size() / 2, intervals.end());
  return 60e6 / intervals[intervals.size() / 2];
}

std::vector<int64_t> LoudStarts(const std::vector<float>& samples, int rate) {
  const std::size_t quiet = static_cast<std::size_t>(rate) / 20;
  std::vector<int64_t> starts;
  std::size_t last_loud = 0;
  bool any = false;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (std::abs(samples[i]) < 0.5f) continue;
    if (!any || i - last_loud > quiet) starts.push_back(static_cast<int64_t>(i));
    last_loud = i, any = true;
  }
  return starts;
}

}  // namespace cadencio::bench
