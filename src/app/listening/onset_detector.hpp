// Onsets of the player's notes in captured sound: aubio's onset detector finds each note to
// within a few milliseconds, and the note's start is then placed to the sample where its attack
// rises out of what sounded before it. The method and thresholds were chosen by measurement on
// struck, plucked and sustained instruments (bench/quality/listening_accuracy.cpp): sustained
// bass and piano notes must not make onsets of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace cadencio::app {

struct OnsetSettings {
  std::string method = "energy";
  double threshold = 0.3;     // aubio's peak-picking threshold
  double silence_db = -45.0;  // quieter frames make no onset
  double min_gap_ms = 60.0;   // two onsets are at least this far apart
};

class OnsetDetector {
 public:
  explicit OnsetDetector(int sample_rate, const OnsetSettings& settings = {});
  ~OnsetDetector();
  OnsetDetector(const OnsetDetector&) = delete;
  OnsetDetector& operator=(const OnsetDetector&) = delete;

  // Adds samples; appends to `onsets` the sample (counted from the first ever fed, fractions
  // allowed) at which each note found starts. `is_note` may turn down an onset as no note (the
  // beat's remains): then it keeps no later note away, as notes within the minimum gap of one
  // are.
  void Feed(std::span<const float> samples, std::vector<double>& onsets,
            const std::function<bool(double)>& is_note = {});

 private:
  // The sample where the attack near `rough` rises out of what sounded before it.
  double Refine(int64_t rough) const;
  // The start found after a quiet at `start`, or, when that quiet was only a held note's wave
  // resting, where the note struck over it begins, before its peak at `peak_at`.
  double HeldNoteAttack(int64_t start, int64_t peak_at, float level) const;
  // How far the samples `from` .. `to` differ from those `period` earlier: 0 when the same, 1
  // when unrelated.
  double Mismatch(int64_t from, int64_t to, int64_t period) const;
  float HistoryAt(int64_t sample) const;

  struct Aubio;
  int rate_;
  int hop_;
  std::unique_ptr<Aubio> aubio_;
  std::vector<float> pending_;  // samples of a hop not yet complete
  int64_t fed_ = 0;             // samples handed to aubio so far
  double min_gap_;              // in samples
  std::optional<double> last_note_;
  // The latest samples fed, for placing an onset exactly: `history_[i]` is sample
  // history_start_ + i.
  std::vector<float> history_;
  int64_t history_start_ = 0;
};

}  // namespace cadencio::app
