// Tap tempo: the tempo of a run of taps (Enter in the beat loop) from the median of the
// intervals between them, so one uneven tap does not move it.
#pragma once

#include <cstdint>
#include <vector>

namespace cadencio::app {

class TapTempo {
 public:
  // Taps further apart than this start a new run.
  static constexpr int64_t kMaxGapMs = 2000;
  // Taps it takes to give a tempo.
  static constexpr int kMinTaps = 3;

  void Tap(int64_t now_ms);
  // True once a run of enough taps has stopped: no tap for twice its median interval (at most
  // kMaxGapMs). The run is then ready to be taken with TakeBpm.
  bool Stopped(int64_t now_ms) const;
  // The time at which a run that goes on without taps counts as stopped; -1 without a run.
  int64_t StopsAtMs() const;
  // The tempo of the run (60000 / median interval, rounded), and a fresh start.
  int32_t TakeBpm();

 private:
  int64_t MedianIntervalMs() const;

  std::vector<int64_t> taps_;
};

}  // namespace cadencio::app
