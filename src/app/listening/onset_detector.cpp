// aubio's onset detector behind a plain interface, and the exact placing of each onset.
#include "app/listening/onset_detector.hpp"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>

namespace cadencio::app {

namespace {

// aubio's analysis window and hop: 23 ms and 5.8 ms at 44.1 kHz.
constexpr int kWindow = 1024;
constexpr int kHop = 256;
// aubio's own gap between onsets: short, so that an onset turned down (the beat's remains just
// before a note) keeps no note away; the minimum gap between notes is kept here.
constexpr double kCandidateGapMs = 15.0;
// The history kept for placing onsets.
constexpr int64_t kHistoryMs = 120;
// Where a note's start is looked for, around aubio's onset, and where its peak is.
constexpr double kSearchBeforeMs = 30.0;
constexpr double kPeakBeforeMs = 3.0;
constexpr double kSearchAfterMs = 12.0;
// The note starts where its level first rises to this share of its peak, after at least kGapMs
// below it.
constexpr double kRise = 0.1;
constexpr double kGapMs = 1.5;
// A quiet before an attack may be only a held low note's wave resting below the level: what
// sounded over kHeldMs before the quiet is a held note when it repeats at some period (a high
// string's to the lowest bass string's) within kRepeatShare, and the quiet was its rest when it
// and kRepeatMs after it repeat it too. The new note then starts in the dip where the held note
// gave way to it.
constexpr double kHeldMs = 12.0;
constexpr double kRepeatMs = 1.0;
constexpr double kShortestPeriodMs = 2.0;
constexpr double kLongestPeriodMs = 25.0;
constexpr double kRepeatShare = 0.25;
constexpr double kDipMs = 1.0;
constexpr double kGiveWayMs = 4.0;
// Over a note struck while another sounds, the energy of this much after and before a point.
constexpr double kRatioMs = 3.0;

}  // namespace

struct OnsetDetector::Aubio {
  aubio_onset_t* onset = nullptr;
  fvec_t* in = nullptr;
  fvec_t* out = nullptr;
  ~Aubio() {
    if (onset != nullptr) del_aubio_onset(onset);
    if (in != nullptr) del_fvec(in);
    if (out != nullptr) del_fvec(out);
  }
};

OnsetDetector::OnsetDetector(int sample_rate, const OnsetSettings& settings)
    : rate_(sample_rate),
      hop_(kHop * sample_rate / 44100 >= 128 ? kHop * sample_rate / 44100 : 128),
      aubio_(std::make_unique<Aubio>()),
      min_gap_(settings.min_gap_ms * sample_rate / 1000) {
  std::string method = settings.method;
  const int window = hop_ * (kWindow / kHop);
  aubio_->onset = new_aubio_onset(method.data(), static_cast<uint_t>(window),
                                  static_cast<uint_t>(hop_), static_cast<uint_t>(sample_rate));
  aubio_->in = new_fvec(static_cast<uint_t>(hop_));
  aubio_->out = new_fvec(1);
  if (aubio_->onset != nullptr) {
    aubio_onset_set_threshold(aubio_->onset, static_cast<smpl_t>(settings.threshold));
    aubio_onset_set_silence(aubio_->onset, static_cast<smpl_t>(settings.silence_db));
    aubio_onset_set_minioi_ms(aubio_->onset, static_cast<smpl_t>(kCandidateGapMs));
  }
  pending_.reserve(static_cast<std::size_t>(hop_));
}

OnsetDetector::~OnsetDetector() = default;

float OnsetDetector::HistoryAt(int64_t sample) const {
  const int64_t i = sample - history_start_;
  if (i < 0 || i >= static_cast<int64_t>(history_.size())) return 0.0f;
  return history_[static_cast<std::size_t>(i)];
}

void OnsetDetector::Feed(std::span<const float> samples, std::vector<double>& onsets,
                         const std::function<bool(double)>& is_note) {
  const auto keep = static_cast<std::size_t>(kHistoryMs * rate_ / 1000);
  const auto hop = static_cast<std::size_t>(hop_);
  for (float sample : samples) {
    pending_.push_back(sample);
    if (pending_.size() < hop) continue;
    // The history grows hop by hop, so that a long feed keeps what each onset needs.
    history_.insert(history_.end(), pending_.begin(), pending_.end());
    if (history_.size() > 2 * keep) {
      const std::size_t drop = history_.size() - keep;
      history_.erase(history_.begin(), history_.begin() + static_cast<std::ptrdiff_t>(drop));
      history_start_ += static_cast<int64_t>(drop);
    }
    std::copy(pending_.begin(), pending_.end(), aubio_->in->data);
    pending_.clear();
    fed_ += hop_;
    if (aubio_->onset == nullptr) continue;
    aubio_onset_do(aubio_->onset, aubio_->in, aubio_->out);
    if (aubio_->out->data[0] <= 0) continue;
    const auto rough = static_cast<int64_t>(aubio_onset_get_last(aubio_->onset));
    // aubio reports the very start of the stream as an onset when it begins loud.
    if (rough <= 0 && fed_ <= hop_) continue;
    const double onset = Refine(rough);
    if (last_note_ && onset - *last_note_ < min_gap_) continue;
    if (is_note && !is_note(onset)) continue;
    last_note_ = onset;
    onsets.push_back(onset);
  }
}

double OnsetDetector::Mismatch(int64_t from, int64_t to, int64_t period) const {
  double diff = 0, energy = 1e-12;
  for (int64_t i = from; i < to; ++i) {
    const double now = HistoryAt(i), then = HistoryAt(i - period);
    diff += (now - then) * (now - then);
    energy += now * now + then * then;
  }
  return diff / energy;
}

double OnsetDetector::HeldNoteAttack(int64_t start, int64_t peak_at, float level) const {
  const auto ms = [this](double value) { return static_cast<int64_t>(value * rate_ / 1000); };
  // The period of what sounded before the quiet, if it repeats (a held note).
  const int64_t quiet_from = start - ms(kGapMs);
  int64_t period = 0;
  double best = kRepeatShare;
  for (int64_t p = ms(kShortestPeriodMs); p <= ms(kLongestPeriodMs); ++p) {
    const double mismatch = Mismatch(quiet_from - ms(kHeldMs), quiet_from, p);
    if (mismatch < best) {
      best = mismatch;
      period = p;
    }
  }
  if (period == 0) return static_cast<double>(start);
  // The quiet and what follows it, against the held note a period earlier: a low note's wave
  // may rest below the level for longer than the gap, and then go on as before.
  const double mismatch = Mismatch(quiet_from, start + ms(kRepeatMs), period);
  if (mismatch > kRepeatShare) return static_cast<double>(start);
  // The held note went on after the quiet: the note struck over it starts where the held note
  // stops repeating, at the deepest dip (the energy over kDipMs) within kGiveWayMs of there, on
  // its first sample up to the level.
  const int64_t span = ms(kRepeatMs), half = std::max<int64_t>(1, ms(kDipMs) / 2);
  int64_t dip = start;
  while (dip < peak_at && Mismatch(dip, dip + span, period) <= kRepeatShare) ++dip;
  const auto energy = [&](int64_t at) {
    double sum = 0;
    for (int64_t k = at - half; k < at + half; ++k) sum += double{HistoryAt(k)} * HistoryAt(k);
    return sum;
  };
  const int64_t gave_way = dip;
  double lowest = energy(dip);
  for (int64_t i = gave_way; i <= std::min(peak_at, gave_way + ms(kGiveWayMs)); ++i) {
    if (const double here = energy(i); here < lowest) {
      lowest = here;
      dip = i;
    }
  }
  while (dip < peak_at && std::abs(HistoryAt(dip)) < level) ++dip;
  return static_cast<double>(dip);
}

double OnsetDetector::Refine(int64_t rough) const {
  const auto ms = [this](double value) { return static_cast<int64_t>(value * rate_ / 1000); };
  const int64_t end = history_start_ + static_cast<int64_t>(history_.size());
  // The note's peak, near aubio's onset.
  int64_t peak_at = rough;
  float peak = 0.0f;
  for (int64_t i = rough - ms(kPeakBeforeMs); i < std::min(rough + ms(kSearchAfterMs), end); ++i) {
    if (std::abs(HistoryAt(i)) > peak) {
      peak = std::abs(HistoryAt(i));
      peak_at = i;
    }
  }
  if (peak <= 0.0f) return static_cast<double>(rough);
  // Back from the peak while the sound stays up (within a gap of kGapMs, the slowest wave's
  // zero crossing), to where it rose out of what sounded before.
  const float level = static_cast<float>(kRise) * peak;
  const int64_t gap = ms(kGapMs), earliest = rough - ms(kSearchBeforeMs);
  int64_t start = peak_at;
  for (int64_t quiet = 0, i = peak_at; i >= earliest && quiet < gap; --i) {
    if (std::abs(HistoryAt(i)) >= level) {
      start = i;
      quiet = 0;
    } else {
      ++quiet;
    }
  }
  if (start - gap >= earliest) return HeldNoteAttack(start, peak_at, level);
  // The sound never fell (a note struck over one still sounding): the note starts where the
  // sound after a point most outweighs the sound before it.
  const int64_t span = ms(kRatioMs);
  double best = 0;
  int64_t best_at = rough;
  for (int64_t i = earliest; i < std::min(rough + ms(kSearchAfterMs), end - span); ++i) {
    double before = 1e-9, after = 1e-9;
    for (int64_t k = 1; k <= span; ++k) {
      before += double{HistoryAt(i - k)} * HistoryAt(i - k);
      after += double{HistoryAt(i + k - 1)} * HistoryAt(i + k - 1);
    }
    if (after / before > best) {
      best = after / before;
      best_at = i;
    }
  }
  return static_cast<double>(best_at);
}

}  // namespace cadencio::app
