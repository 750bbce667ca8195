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
// The work of one pass while settling, so that none holds the program thread much longer than
// the listener's pass: products of samples for the delay's search, milliseconds of what waited
// for each learning pass, and for judging it.
constexpr int64_t kSearchWorkPerPass = 4'000'000;
constexpr int64_t kLearnMsPerPass = 200;
constexpr int64_t kJudgeMsPerPass = 400;
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
  if ((settled_ || Settling()) && place < *place_ - kLostMs * rate_ / 1000) {
    // Samples were lost (the device's ring overran): the capture is placed again.
    settled_ = false;
    place_.reset();
    pending_.clear();
    pending_start_ = captured_;
    search_.reset();
    learning_pass_ = -1;
    remover_.reset();
    onsets_.reset();
  }
  if (!settled_ && !Settling() && (!place_ || place > *place_)) place_ = place;
  if (!settled_) Settle();
  if (!settled_) return;
  // What waited is judged a slice a pass; then each pass judges what came since the last.
  const auto judged =
      std::min(pending_.size(), static_cast<std::size_t>(kJudgeMsPerPass * rate_ / 1000));
  if (judged > 0) Judge(pending_start_, std::span(pending_).first(judged));
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(judged));
  pending_start_ += static_cast<int64_t>(judged);
}

void Listener::Settle() {
  const auto frames = [this](int64_t ms) { return ms * rate_ / 1000; };
  if (search_) {
    if (!search_->Step(kSearchWorkPerPass)) return;
    delay_ = search_->Result();
    search_.reset();
    if (delay_) {
      StartLearning();
    } else {
      Settled();
    }
    return;
  }
  if (learning_pass_ >= 0) {
    Learn();
    return;
  }
  const auto waited = static_cast<int64_t>(pending_.size());
  if (delay_ ? waited < frames(kPlaceMs) : waited < frames(kSearchMs)) return;
  settle_size_ = pending_.size();
  settle_beat_.assign(settle_size_, 0.0f);
  timeline_.Render(pending_start_ - *place_, settle_beat_, output_.GetMixer().BeatGain());
  if (delay_) {
    StartLearning();
    return;
  }
  const bool beat_silent = std::all_of(settle_beat_.begin(), settle_beat_.end(),
                                       [](float sample) { return sample == 0.0f; });
  if (beat_silent && !stored_latency_ms_) {
    // Nothing of the beat to look for yet: the oldest samples go.
    if (waited > frames(kLongestWaitMs)) {
      const auto drop = static_cast<std::ptrdiff_t>(waited - frames(kSearchMs));
      pending_.erase(pending_.begin(), pending_.begin() + drop);
      pending_start_ += drop;
    }
    return;
  }
  // The search begins on this pass and goes on over the next ones.
  const int64_t max_delay = frames(kMaxDelayMs);
  const std::size_t compared = settle_size_ - static_cast<std::size_t>(max_delay);
  search_ = std::make_unique<BeatDelaySearch>(std::span(settle_beat_).first(compared),
                                              std::span(pending_).first(settle_size_), max_delay);
}

void Listener::StartLearning() {
  remover_ =
      std::make_unique<BeatEchoRemover>(*delay_, kFilterBeforeMs * rate_ / 1000,
                                        kFilterAfterMs * rate_ / 1000, kLevelMs * rate_ / 1000);
  // Passes over what waited teach the filter the room; then it judges it. The beat for all of
  // it goes first, so that slices learn as one pass over the whole would.
  learning_pass_ = 0;
  learnt_ = 0;
  remover_->Remove(settle_beat_, {}, {});
}

void Listener::Learn() {
  const std::size_t slice =
      std::min(settle_size_ - learnt_, static_cast<std::size_t>(kLearnMsPerPass * rate_ / 1000));
  clean_.resize(slice);
  remover_->Remove({}, std::span(pending_).subspan(learnt_, slice), clean_);
  learnt_ += slice;
  if (learnt_ < settle_size_) return;
  remover_->Restart();
  if (++learning_pass_ < kLearningPasses) {
    learnt_ = 0;
    remover_->Remove(settle_beat_, {}, {});
    return;
  }
  learning_pass_ = -1;
  delay_->frames = remover_->DirectDelay();
  Settled();
}

void Listener::Settled() {
  settle_beat_ = {};
  onsets_ = std::make_unique<OnsetDetector>(rate_, onset_settings_);
  onset_base_ = pending_start_;
  settled_ = true;
}

void Listener::Judge(int64_t first, std::span<const float> heard) {
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
