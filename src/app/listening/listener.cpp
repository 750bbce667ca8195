// The listener's passes: read, place, take the beat out, find the notes, judge them.
#include "app/listening/listener.hpp"

#include <algorithm>
#include <cmath>

namespace cadencio::app {

namespace {

// With the beat's delay known, this much is heard before the capture's place is taken as
// found.
constexpr int64_t kPlaceMs = 300;
// The samples that wait while the beat is not sounding yet, at most.
constexpr int64_t kLongestWaitMs = 2 * Listener::kSearchMs;
// The echo filter's reach around the delay found: the room's early reflections.
constexpr int kFilterBeforeMs = 1;
constexpr int kFilterAfterMs = 12;
// The player is told from the beat by their levels over this long.
constexpr int kLevelMs = 2;
// Passes over the samples that waited, to learn the room before judging them.
constexpr int kLearningPasses = 2;
// A fresh capture place this far below the one held means samples were lost.
constexpr int64_t kLostMs = 100;
// A note lies on the grid within this share of the spacing of its points, and this far at most.
constexpr double kOnGridShare = 0.35;
constexpr double kOnGridMs = 100.0;
// An onset is the beat's remains when, over the kNoteMs after it, what is left peaks below this
// share of the beat taken out; the latest kRecentMs are kept for it.
constexpr double kRemainsShare = 0.15;
constexpr int64_t kNoteMs = 10;
constexpr int64_t kRecentMs = 300;
// The rules and the silences while speaking are kept this long.
constexpr int64_t kKeepMs = 30000;

}  // namespace

Listener::Listener(audio::AudioInput& input, audio::AudioOutput& output,
                   std::optional<double> latency_ms, const OnsetSettings& onsets)
    : input_(input),
      output_(output),
      rate_(output.GetMixer().SampleRate()),
      stored_latency_ms_(latency_ms),
      onset_settings_(onsets),
      last_sample_frame_(output.HeardFrame()) {
  if (input.SampleRate() != rate_ && input.SampleRate() > 0) {
    resampler_ = audio::StreamResampler::Create(1, static_cast<double>(rate_) / input.SampleRate());
  }
}

std::optional<double> Listener::LatencyMs() const {
  if (delay_) return static_cast<double>(delay_->frames) * 1000.0 / rate_;
  return stored_latency_ms_;
}

void Listener::NewTake() {
  judge_.Clear();
  last_note_frame_.reset();
}

void Listener::ReadInput() {
  scratch_.clear();
  input_.Read(scratch_);
  if (resampler_ && !scratch_.empty()) {
    const double ratio = static_cast<double>(rate_) / input_.SampleRate();
    std::vector<float> converted(static_cast<std::size_t>(scratch_.size() * ratio) + 64);
    const int64_t made =
        resampler_->Convert(scratch_.data(), static_cast<int64_t>(scratch_.size()),
                            converted.data(), static_cast<int64_t>(converted.size()), false);
    converted.resize(static_cast<std::size_t>(std::max<int64_t>(made, 0)));
    scratch_.swap(converted);
  }
  pending_.insert(pending_.end(), scratch_.begin(), scratch_.end());
  captured_ += static_cast<int64_t>(scratch_.size());
}

void Listener::Hear(bool voice_busy) {
  const int64_t before = captured_;
  ReadInput();
  const int64_t heard = output_.HeardFrame();
  if (captured_ > before) {
    last_sample_frame_ = heard;
    stopped_ = false;
  } else if (heard - last_sample_frame_ > kStoppedMs * rate_ / 1000) {
    stopped_ = true;
  }
  if (voice_busy && captured_ > before) {
    if (!deaf_.empty() && deaf_.back().second == before) {
      deaf_.back().second = captured_;
    } else {
      deaf_.emplace_back(before, captured_);
    }
  }
  const int64_t place = captured_ - heard;
  if (settled_ && place < *place_ - kLostMs * rate_ / 1000) {
    // Samples were lost (the device's ring overran): the capture is placed again.
    settled_ = false;
    place_.reset();
    pending_.clear();
    pending_start_ = captured_;
    remover_.reset();
    onsets_.reset();
  }
  if (!settled_ && (!place_ || place > *place_)) place_ = place;
  if (!settled_) Settle();
  if (!settled_) return;
  if (!pending_.empty()) Judge(pending_start_, pending_);
  pending_.clear();
  pending_start_ = captured_;
}

void Listener::Settle() {
  const auto frames = [this](int64_t ms) { return ms * rate_ / 1000; };
  const auto waited = static_cast<int64_t>(pending_.size());
  if (delay_ ? waited < frames(kPlaceMs) : waited < frames(kSearchMs)) return;
  if (!delay_) {
    beat_.assign(pending_.size(), 0.0f);
    timeline_.Render(pending_start_ - *place_, beat_, output_.GetMixer().BeatGain());
    const bool beat_silent =
        std::all_of(beat_.begin(), beat_.end(), [](float sample) { return sample == 0.0f; });
    if (beat_silent && !stored_latency_ms_) {
      // Nothing of the beat to look for yet: the oldest samples go.
      if (waited > frames(kLongestWaitMs)) {
        const auto drop = static_cast<std::ptrdiff_t>(waited - frames(kSearchMs));
        pending_.erase(pending_.begin(), pending_.begin() + drop);
        pending_start_ += drop;
      }
      return;
    }
    const int64_t max_delay = frames(kMaxDelayMs);
    const std::size_t compared = beat_.size() - static_cast<std::size_t>(max_delay);
    delay_ = FindBeatDelay(std::span(beat_).first(compared), pending_, max_delay);
  }
  if (delay_) {
    remover_ =
        std::make_unique<BeatEchoRemover>(*delay_, kFilterBeforeMs * rate_ / 1000,
                                          kFilterAfterMs * rate_ / 1000, kLevelMs * rate_ / 1000);
    // A first pass over what waited teaches the filter the room; then it judges it.
    beat_.assign(pending_.size(), 0.0f);
    timeline_.Render(pending_start_ - *place_, beat_, output_.GetMixer().BeatGain());
    clean_.resize(pending_.size());
    for (int pass = 0; pass < kLearningPasses; ++pass) {
      remover_->Remove(beat_, pending_, clean_);
      remover_->Restart();
    }
    delay_->frames = remover_->DirectDelay();
  }
  onsets_ = std::make_unique<OnsetDetector>(rate_, onset_settings_);
  onset_base_ = pending_start_;
  settled_ = true;
}

void Listener::Judge(int64_t first, const std::vector<float>& heard) {
  beat_.assign(heard.size(), 0.0f);
  timeline_.Render(first - *place_, beat_, output_.GetMixer().BeatGain());
  clean_.resize(heard.size());
  if (remover_) {
    remover_->Remove(beat_, heard, clean_);
  } else {
    std::copy(heard.begin(), heard.end(), clean_.begin());
  }
  // What the beat took away and what is left, kept for the onsets found a little later.
  const int64_t keep_recent = kRecentMs * rate_ / 1000;
  if (static_cast<int64_t>(recent_clean_.size()) > 2 * keep_recent) {
    const auto drop = static_cast<std::ptrdiff_t>(recent_clean_.size()) - keep_recent;
    recent_clean_.erase(recent_clean_.begin(), recent_clean_.begin() + drop);
    recent_echo_.erase(recent_echo_.begin(), recent_echo_.begin() + drop);
    recent_start_ += drop;
  }
  if (recent_clean_.empty()) recent_start_ = first;
  for (std::size_t i = 0; i < heard.size(); ++i) {
    recent_clean_.push_back(clean_[i]);
    recent_echo_.push_back(heard[i] - clean_[i]);
  }
  found_.clear();
  const auto base = static_cast<double>(onset_base_);
  onsets_->Feed(clean_, found_, [&](double onset) { return !BeatRemains(base + onset); });
  for (double onset : found_) {
    Place(base + onset);
  }
  const int64_t keep = kKeepMs * rate_ / 1000;
  timeline_.ForgetBefore(first - *place_ - keep);
  std::erase_if(deaf_, [&](const auto& span) { return span.second < first - keep; });
}

bool Listener::BeatRemains(double capture_sample) const {
  const auto peak = [&](const std::vector<float>& signal, int64_t from, int64_t to) {
    float most = 0.0f;
    for (int64_t i = std::max(from, recent_start_) - recent_start_;
         i < std::min<int64_t>(to - recent_start_, static_cast<int64_t>(signal.size())); ++i) {
      most = std::max(most, std::abs(signal[static_cast<std::size_t>(i)]));
    }
    return most;
  };
  const auto at = static_cast<int64_t>(capture_sample);
  const int64_t after = kNoteMs * rate_ / 1000;
  return peak(recent_clean_, at, at + after) <
         kRemainsShare * peak(recent_echo_, at - after / 4, at + after);
}

void Listener::Place(double capture_sample) {
  for (const auto& [from, to] : deaf_) {
    if (capture_sample >= static_cast<double>(from) && capture_sample < static_cast<double>(to)) {
      return;
    }
  }
  double latency = 0;
  if (const auto ms = LatencyMs()) latency = *ms * rate_ / 1000.0;
  const double frame = capture_sample - static_cast<double>(*place_) - latency;
  const std::optional<GridPoint> point = timeline_.Nearest(frame);
  if (!point) return;
  if (last_note_frame_ && frame - *last_note_frame_ > double(kNewTakeMs) * rate_ / 1000) {
    NewTake();
  }
  last_note_frame_ = frame;
  const double to_ms = 1000.0 / rate_;
  const double offset_ms = (frame - static_cast<double>(point->frame)) * to_ms;
  const double reach_ms =
      std::min(kOnGridMs, kOnGridShare * static_cast<double>(point->spacing) * to_ms);
  judge_.Add({static_cast<double>(point->frame) * to_ms, offset_ms, std::abs(offset_ms) <= reach_ms,
              point->after_silence});
}

}  // namespace cadencio::app
