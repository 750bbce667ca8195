// Tap tempo arithmetic.
#include "app/tap_tempo.hpp"

#include <algorithm>

namespace cadencio::app {

namespace {

// Only the latest taps count, so a long run follows a tempo that drifts.
constexpr std::size_t kKeptTaps = 9;

}  // namespace

void TapTempo::Tap(int64_t now_ms) {
  if (!taps_.empty() && now_ms - taps_.back() > kMaxGapMs) taps_.clear();
  taps_.push_back(now_ms);
  if (taps_.size() > kKeptTaps) taps_.erase(taps_.begin());
}

int64_t TapTempo::MedianIntervalMs() const {
  std::vector<int64_t> intervals;
  for (std::size_t i = 1; i < taps_.size(); ++i) intervals.push_back(taps_[i] - taps_[i - 1]);
  std::sort(intervals.begin(), intervals.end());
  const std::size_t middle = intervals.size() / 2;
  if (intervals.size() % 2 == 1) return intervals[middle];
  return (intervals[middle - 1] + intervals[middle] + 1) / 2;
}

int64_t TapTempo::StopsAtMs() const {
  if (static_cast<int>(taps_.size()) < kMinTaps) return -1;
  return taps_.back() + std::min(kMaxGapMs, 2 * MedianIntervalMs());
}

bool TapTempo::Stopped(int64_t now_ms) const {
  const int64_t at = StopsAtMs();
  return at >= 0 && now_ms >= at;
}

int32_t TapTempo::TakeBpm() {
  const int64_t median = std::max<int64_t>(1, MedianIntervalMs());
  taps_.clear();
  return static_cast<int32_t>((60000 + median / 2) / median);
}

}  // namespace cadencio::app
