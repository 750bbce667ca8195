// Finding the beat in what the microphone heard, and taking it out.
#include "app/listening/beat_echo.hpp"

#include <algorithm>
#include <cmath>

namespace cadencio::app {

namespace {

// The beat's frames compared: those within this share of its loudest (the silence between its
// sounds adds nothing to the cross products).
constexpr float kActiveShare = 0.002f;
// Every kStride-th frame of the beat is compared: the match is as clear, for a third of the
// work (the search runs on the program thread).
constexpr std::size_t kStride = 3;
// A match below this is no beat heard.
constexpr double kMinScore = 0.15;
// The filter's step: small enough that the player's notes over the beat barely move it.
constexpr double kStep = 0.1;
// What is left may exceed the beat's estimate by this (in power) before the filter holds.
// The player sounds over the beat when what is heard holds this much more power than the beat
// at the level found would bring.
constexpr double kDoubleTalk = 4.0;
// The direct sound is the filter's first tap of this share of its strongest.
constexpr float kDirectShare = 0.5f;
constexpr float kEmphasis = 0.97f;

// The signal with its highs lifted (a first difference): a bass or a held note played in time
// with the beat, whose low sound would match the beat's own low sound, recedes.
std::vector<float> Emphasised(std::span<const float> signal) {
  std::vector<float> out(signal.size());
  for (std::size_t i = 0; i < signal.size(); ++i) {
    out[i] = signal[i] - (i > 0 ? kEmphasis * signal[i - 1] : 0.0f);
  }
  return out;
}

}  // namespace

std::optional<BeatDelay> FindBeatDelay(std::span<const float> beat, std::span<const float> heard,
                                       int64_t max_delay) {
  BeatDelaySearch search(beat, heard, max_delay);
  while (!search.Step(INT64_MAX)) {
  }
  return search.Result();
}

BeatDelaySearch::BeatDelaySearch(std::span<const float> beat, std::span<const float> heard,
                                 int64_t max_delay)
    : plain_beat_(beat.begin(), beat.end()),
      plain_heard_(heard.begin(), heard.end()),
      beat_(Emphasised(beat)),
      heard_(Emphasised(heard)),
      max_delay_(max_delay) {
  float loudest = 0.0f;
  for (float sample : beat_) loudest = std::max(loudest, std::abs(sample));
  for (std::size_t i = 0; i < beat_.size(); i += kStride) {
    if (loudest > 0.0f && std::abs(beat_[i]) >= kActiveShare * loudest) {
      frames_.push_back(i);
      beat_energy_ += double{beat_[i]} * beat_[i];
    }
  }
  if (frames_.empty()) {
    next_ = max_delay_ + 1;
    return;
  }
  // The heard energy over the whole stretch the beat spans at each delay, so that a delay that
  // leaves the heard beat outside the beat's own frames is not favoured.
  energy_before_.assign(heard_.size() + 1, 0.0);
  for (std::size_t i = 0; i < heard_.size(); ++i) {
    energy_before_[i + 1] = energy_before_[i] + double{heard_[i]} * heard_[i];
  }
}

bool BeatDelaySearch::Step(int64_t work) {
  const auto cost = static_cast<int64_t>(frames_.size());
  for (int64_t done = 0; next_ <= max_delay_ && done < work; ++next_, done += cost) {
    const auto shift = static_cast<std::size_t>(next_);
    if (beat_.size() + shift > heard_.size()) {
      next_ = max_delay_ + 1;
      break;
    }
    double cross = 0;
    for (std::size_t i : frames_) cross += double{beat_[i]} * heard_[i + shift];
    const double heard_energy = energy_before_[beat_.size() + shift] - energy_before_[shift];
    if (heard_energy <= 0) continue;
    const double score = cross / std::sqrt(beat_energy_ * heard_energy);
    if (!best_ || score > best_->score) best_ = BeatDelay{next_, 0, score};
  }
  return next_ > max_delay_;
}

std::optional<BeatDelay> BeatDelaySearch::Result() const {
  if (!best_ || best_->score < kMinScore) return std::nullopt;
  // The level, from the plain signals at that delay.
  BeatDelay found = *best_;
  double cross = 0, energy = 0;
  const auto shift = static_cast<std::size_t>(found.frames);
  for (std::size_t i : frames_) {
    cross += double{plain_beat_[i]} * plain_heard_[i + shift];
    energy += double{plain_beat_[i]} * plain_beat_[i];
  }
  found.gain = energy > 0 ? cross / energy : 0;
  return found;
}

BeatEchoRemover::BeatEchoRemover(const BeatDelay& delay, int before, int after,
                                 int smoothing_frames)
    : delay_(delay.frames - before),
      before_(before),
      weights_(static_cast<std::size_t>(before + after + 1), 0.0f),
      smoothing_(1.0 / std::max(smoothing_frames, 1)),
      gain_(delay.gain) {
  weights_[static_cast<std::size_t>(before)] = static_cast<float>(delay.gain);
}

void BeatEchoRemover::Restart() {
  beat_.clear();
  beat_start_ = 0;
  heard_ = 0;
  window_energy_ = 0;
  expected_power_ = heard_power_ = 0;
}

int64_t BeatEchoRemover::DirectDelay() const {
  float strongest = 0.0f;
  for (float weight : weights_) strongest = std::max(strongest, std::abs(weight));
  for (std::size_t k = 0; k < weights_.size(); ++k) {
    if (std::abs(weights_[k]) >= kDirectShare * strongest) {
      return delay_ + static_cast<int64_t>(k);
    }
  }
  return delay_ + before_;
}

void BeatEchoRemover::Remove(std::span<const float> beat, std::span<const float> heard,
                             std::span<float> out) {
  beat_.insert(beat_.end(), beat.begin(), beat.end());
  const auto taps = static_cast<int64_t>(weights_.size());
  for (std::size_t i = 0; i < heard.size(); ++i, ++heard_) {
    // The beat frames the filter sees for this sample: heard_ - delay_ - k, k = 0 .. taps-1.
    const int64_t newest = heard_ - delay_ - beat_start_;
    const auto at = [&](int64_t k) {
      const int64_t index = newest - k;
      return index >= 0 && index < static_cast<int64_t>(beat_.size())
                 ? beat_[static_cast<std::size_t>(index)]
                 : 0.0f;
    };
    // The window's energy, kept as it slides.
    const float entering = at(0), leaving = at(taps);
    window_energy_ =
        std::max(0.0, window_energy_ + double{entering} * entering - double{leaving} * leaving);
    if (window_energy_ < 1e-9) {
      out[i] = heard[i];
      continue;
    }
    double echo = 0;
    for (int64_t k = 0; k < taps; ++k) echo += weights_[static_cast<std::size_t>(k)] * at(k);
    const double error = heard[i] - echo;
    out[i] = static_cast<float>(error);
    // While the player sounds over the beat, the filter holds: what is heard then outweighs
    // what the beat alone would bring at the level found. Both are powers over the last few
    // milliseconds, and the beat's is not the filter's own estimate: a filter led astray by a
    // note would otherwise learn the next note too, and a note as loud as the beat passes for
    // the filter's error at every crossing when compared sample by sample.
    const double expected = gain_ * at(before_);
    expected_power_ += smoothing_ * (expected * expected - expected_power_);
    heard_power_ += smoothing_ * (double{heard[i]} * heard[i] - heard_power_);
    if (heard_power_ > kDoubleTalk * (expected_power_ + 1e-8)) continue;
    const double step = kStep * error / (window_energy_ + 1e-6);
    for (int64_t k = 0; k < taps; ++k) {
      weights_[static_cast<std::size_t>(k)] += static_cast<float>(step * at(k));
    }
  }
  // The beat's frames no sample to come can reach are dropped.
  const int64_t needed_from = heard_ - delay_ - taps - beat_start_;
  if (needed_from > 4096) {
    beat_.erase(beat_.begin(), beat_.begin() + static_cast<std::ptrdiff_t>(needed_from));
    beat_start_ += needed_from;
  }
}

}  // namespace cadencio::app
