// The tuner's judgement: a note is followed from frame to frame of the pitch detector, held
// to be steady after about half a second, measured precisely over its last 0.4 s, and
// answered in words when it is new or has moved by 3 cents or more.
#include "app/tuner/tuner.hpp"

#include <algorithm>
#include <cmath>

#include "app/tuner/note_pitch.hpp"

namespace cadencio::app {

namespace {

// A frame names a note when the detector is this sure of its period and the pitch lies
// between a bass's low E1 and a little above E5.
constexpr double kMinConfidence = 0.8;
constexpr double kMinHz = 38.0;
constexpr double kMaxHz = 700.0;
// Frames of one note stay within this many cents of each other.
constexpr double kSameNoteCents = 40.0;
// The measure looks at the last 0.4 s of the note (leaving out its first 60 ms, the attack)
// and is renewed every 100 ms.
constexpr int64_t kMeasureWindowMs = 400;
constexpr int64_t kAttackMs = 60;
constexpr int64_t kMeasureEveryMs = 100;
// The two halves of a steady note's window agree to this many cents.
constexpr double kStableCents = 1.0;
// The later half keeps at least this share of the earlier half's energy (-6 dB).
constexpr double kMinLaterEnergy = 0.25;
// How far past the middle between two notes a note keeps its name.
constexpr double kHoldNoteCents = 60;

double CentsBetween(double a, double b) {
  return 1200 * std::log2(a / b);
}

}  // namespace

std::string AnswerText(int midi, int whole_cents) {
  std::string text = SolfegeName(midi) + ", ";
  if (std::abs(whole_cents) <= Tuner::kInTuneCents) return text + "afinado";
  return text + std::to_string(std::abs(whole_cents)) + (whole_cents > 0 ? " acima" : " abaixo");
}

Tuner::Tuner(int sample_rate, int64_t start_ms)
    : rate_(sample_rate), detector_(sample_rate), now_ms_(start_ms), quiet_since_ms_(start_ms) {}

void Tuner::Hear(const std::vector<float>& samples, int64_t now_ms) {
  // A long read (the samples of a spoken message that held the program up) is heard in pieces
  // of one measure's spacing, each at its own time, so that a note that began and ended inside
  // it is measured as it would have been live.
  const std::size_t piece = static_cast<std::size_t>(rate_ * kMeasureEveryMs / 1000);
  for (std::size_t from = 0; from < samples.size(); from += piece) {
    const std::size_t to = std::min(samples.size(), from + piece);
    HearPiece(std::span(samples).subspan(from, to - from),
              now_ms - static_cast<int64_t>(samples.size() - to) * 1000 / rate_);
  }
  if (samples.empty()) HearPiece({}, now_ms);
}

void Tuner::HearPiece(std::span<const float> samples, int64_t now_ms) {
  now_ms_ = now_ms;
  const std::size_t keep = static_cast<std::size_t>(rate_);
  recent_.insert(recent_.end(), samples.begin(), samples.end());
  if (recent_.size() > keep)
    recent_.erase(recent_.begin(), recent_.end() - static_cast<long>(keep));
  // Each frame is dated by the samples heard after the end of its hop.
  frames_.clear();
  std::size_t fed = 0;
  const std::size_t hop = static_cast<std::size_t>(detector_.Hop());
  while (fed < samples.size()) {
    const std::size_t part = std::min(hop, samples.size() - fed);
    const std::size_t before = frames_.size();
    detector_.Feed(samples.data() + fed, part, frames_);
    fed += part;
    const int64_t at = now_ms - static_cast<int64_t>(samples.size() - fed) * 1000 / rate_;
    for (std::size_t i = before; i < frames_.size(); ++i) TakeFrame(frames_[i], at);
  }
  if (Steady() && now_ms_ - measured_at_ms_ >= kMeasureEveryMs) Measure();
  if (!Steady()) reading_.reset();
  // A note measured steady stays due until it is said, even when it ends first.
  if (reading_ && stable_) {
    due_ = Due{run_id_, reading_->midi, static_cast<int>(std::lround(reading_->cents))};
  }
}

void Tuner::TakeFrame(const app::PitchFrame& frame, int64_t at_ms) {
  const bool voiced =
      frame.hz >= kMinHz && frame.hz <= kMaxHz && frame.confidence >= kMinConfidence;
  if (following_ && voiced && std::abs(CentsBetween(frame.hz, follow_hz_)) <= kSameNoteCents) {
    follow_hz_ = frame.hz;
    last_match_ms_ = at_ms;
    return;
  }
  // A frame off the note, or without one: the note ends only when this has lasted.
  if (following_ && at_ms - last_match_ms_ <= kLostMs) return;
  if (following_) {
    // The silence before "Nenhuma nota" is counted from the end of the last real note.
    if (last_match_ms_ - run_start_ms_ >= kSteadyMs) {
      quiet_since_ms_ = std::max(quiet_since_ms_, last_match_ms_);
    }
    following_ = false;
    measured_at_ms_ = -1;
  }
  if (voiced) {
    following_ = true;
    follow_hz_ = frame.hz;
    run_start_ms_ = last_match_ms_ = at_ms;
    ++run_id_;
  }
}

bool Tuner::Steady() const {
  return following_ && last_match_ms_ - run_start_ms_ >= kSteadyMs &&
         now_ms_ - last_match_ms_ <= kLostMs;
}

void Tuner::Measure() {
  measured_at_ms_ = now_ms_;
  const int64_t window_ms = std::min(kMeasureWindowMs, now_ms_ - run_start_ms_ - kAttackMs);
  const std::size_t count =
      std::min(recent_.size(), static_cast<std::size_t>(window_ms * rate_ / 1000));
  std::vector<float> window(recent_.end() - static_cast<long>(count), recent_.end());
  // Each half of the window is measured: while the string is being turned the halves differ,
  // and the measure is not said until they agree.
  const std::size_t half = count / 2;
  const double earlier = MeasurePitch(window.data(), half, rate_, follow_hz_);
  const double later = MeasurePitch(window.data() + (count - half), half, rate_, follow_hz_);
  // A string being damped dies away within the window, and its measure drifts: not said.
  auto energy = [&](std::size_t from) {
    double sum = 0;
    for (std::size_t i = from; i < from + half; ++i) sum += window[i] * window[i];
    return sum;
  };
  if (earlier <= 0 || later <= 0) {
    stable_ = false;
    return;
  }
  stable_ = std::abs(CentsBetween(later, earlier)) <= kStableCents &&
            energy(count - half) >= kMinLaterEnergy * energy(0);
  const double hz = std::sqrt(earlier * later);
  NearestNote note = NearestNoteOf(hz);
  // A string near the middle between two notes keeps the note it was named by, instead of
  // flipping between them with every measure.
  if (reading_ && held_run_ == run_id_ && note.midi != reading_->midi) {
    const double from_held = CentsBetween(hz, NoteFrequency(reading_->midi));
    if (std::abs(from_held) <= kHoldNoteCents) note = {reading_->midi, from_held};
  }
  reading_ = Reading{note.midi, note.cents};
  held_run_ = run_id_;
}

std::optional<Tuner::Reading> Tuner::Current() {
  return reading_;
}

std::optional<Tuner::Spoken> Tuner::Answer(int64_t now_ms, bool voice_busy) {
  if (voice_busy) {
    // The silence before "Nenhuma nota" is counted once the voice is free.
    if (!Steady()) quiet_since_ms_ = std::max(quiet_since_ms_, now_ms);
    return std::nullopt;
  }
  if (reading_) said_no_note_ = false;
  // The steady note now, or the last one measured while the voice spoke, which may have ended.
  if (due_) {
    const Due due = *due_;
    due_.reset();
    const bool changed = due.run != spoken_run_ || due.midi != spoken_midi_ ||
                         std::abs(due.cents - spoken_cents_) >= kRespeakCents;
    if (!changed) return std::nullopt;
    spoken_run_ = due.run;
    spoken_midi_ = due.midi;
    spoken_cents_ = due.cents;
    said_no_note_ = false;
    return Spoken{AnswerText(due.midi, due.cents)};
  }
  if (!Steady() && !said_no_note_ && now_ms - quiet_since_ms_ >= kNoNoteMs) {
    said_no_note_ = true;
    return Spoken{{}, true};
  }
  return std::nullopt;
}

}  // namespace cadencio::app
