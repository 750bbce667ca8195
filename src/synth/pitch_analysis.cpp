// Autocorrelation pitch and pitch-mark placement.
#include "synth/pitch_analysis.hpp"

#include <algorithm>
#include <cmath>

namespace cadencio::synth {

namespace {

constexpr std::size_t kHop = kVoiceRate / 200;    // 5 ms
constexpr std::size_t kWindow = kVoiceRate / 33;  // about 30 ms

double Correlation(const std::vector<int16_t>& x, std::size_t from, std::size_t n,
                   std::size_t lag) {
  double c = 0, e1 = 0, e2 = 0;
  for (std::size_t i = from; i < from + n; ++i) {
    const double a = x[i], b = x[i + lag];
    c += a * b;
    e1 += a * a;
    e2 += b * b;
  }
  return e1 > 0 && e2 > 0 ? c / std::sqrt(e1 * e2) : 0;
}

double Rms(const std::vector<int16_t>& x, std::size_t from, std::size_t to) {
  if (to <= from) return 0;
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += double(x[i]) * x[i];
  return std::sqrt(sum / static_cast<double>(to - from));
}

// Best lag of [from, to) within the band, refined by a parabola through its neighbours; 0 when
// the best correlation is below the threshold. When a lag and its double both correlate well the
// shorter one wins, so that the track does not fall an octave.
double BestLag(const std::vector<int16_t>& x, std::size_t from, std::size_t to, PitchBand band,
               double min_correlation) {
  const std::size_t min_lag = static_cast<std::size_t>(kVoiceRate / band.max_hz);
  const std::size_t max_lag = static_cast<std::size_t>(std::ceil(kVoiceRate / band.min_hz));
  if (to <= from || to - from < 2 * max_lag + 2 || min_lag < 2) return 0;
  const std::size_t n = to - from - max_lag - 1;
  std::vector<double> r(max_lag + 2, 0);
  for (std::size_t lag = min_lag - 1; lag <= max_lag + 1; ++lag)
    r[lag] = Correlation(x, from, n, lag);
  std::size_t best = 0;
  for (std::size_t lag = min_lag; lag <= max_lag; ++lag) {
    if (best == 0 || r[lag] > r[best]) best = lag;
  }
  if (r[best] < min_correlation) return 0;
  // Prefer the first strong local maximum (a sub-multiple of the best lag).
  for (std::size_t lag = min_lag; lag < best; ++lag) {
    if (r[lag] >= 0.9 * r[best] && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
      best = lag;
      break;
    }
  }
  const double a = r[best - 1], b = r[best], c = r[best + 1];
  const double denom = a - 2 * b + c;
  const double shift = denom < 0 ? std::clamp(0.5 * (a - c) / denom, -0.5, 0.5) : 0.0;
  return static_cast<double>(best) + shift;
}

}  // namespace

double ExcerptPitch(const std::vector<int16_t>& samples, std::size_t from, std::size_t to,
                    PitchBand band, double min_correlation) {
  to = std::min(to, samples.size());
  if (Rms(samples, from, to) < 1) return 0;
  const double lag = BestLag(samples, from, to, band, min_correlation);
  return lag > 0 ? kVoiceRate / lag : 0;
}

PitchTrack TrackPitch(const std::vector<int16_t>& samples, PitchBand band, double min_rms) {
  PitchTrack track;
  track.hop = kHop;
  const std::size_t max_lag = static_cast<std::size_t>(std::ceil(kVoiceRate / band.min_hz));
  const std::size_t span = std::max(kWindow, 2 * max_lag + 4);
  for (std::size_t centre = 0; centre < samples.size(); centre += kHop) {
    const std::size_t from = centre > span / 2 ? centre - span / 2 : 0;
    const std::size_t to = std::min(samples.size(), from + span);
    double period = 0;
    if (Rms(samples, from, to) >= min_rms) period = BestLag(samples, from, to, band, 0.6);
    track.period.push_back(period);
  }
  return track;
}

std::vector<PitchMark> PlacePitchMarks(const std::vector<int16_t>& samples, const PitchTrack& track,
                                       double unvoiced_period, bool positive_peaks) {
  std::vector<PitchMark> marks;
  if (samples.empty() || track.hop == 0) return marks;
  auto period_at = [&](double pos) {
    std::size_t i = static_cast<std::size_t>(pos / static_cast<double>(track.hop) + 0.5);
    return i < track.period.size() ? track.period[i] : 0.0;
  };
  auto peak_in = [&](std::size_t from, std::size_t to) {
    to = std::min(to, samples.size());
    std::size_t best = from;
    for (std::size_t i = from; i < to; ++i) {
      const int v = positive_peaks ? samples[i] : -samples[i];
      const int b = positive_peaks ? samples[best] : -samples[best];
      if (v > b) best = i;
    }
    return best;
  };
  double pos = 0;
  bool last_voiced = false;
  while (pos < static_cast<double>(samples.size())) {
    const double period = period_at(pos);
    std::size_t at;
    if (period > 0) {
      // The next peak: within the first period of a voiced stretch, else 0.8-1.2 periods on.
      const double from = last_voiced ? pos + 0.8 * period : marks.empty() ? pos : pos + 1;
      const double to = last_voiced ? pos + 1.2 * period : pos + period;
      if (from >= static_cast<double>(samples.size())) break;
      at = peak_in(static_cast<std::size_t>(from), static_cast<std::size_t>(to) + 1);
    } else {
      at = static_cast<std::size_t>(marks.empty() ? pos : pos + unvoiced_period);
    }
    if (at >= samples.size()) break;
    if (!marks.empty() && at <= marks.back().position) at = marks.back().position + 1;
    if (at >= samples.size()) break;
    const bool voiced = period > 0 && period_at(static_cast<double>(at)) > 0;
    marks.push_back({static_cast<uint32_t>(at), voiced});
    last_voiced = voiced;
    pos = static_cast<double>(at);
  }
  return marks;
}

}  // namespace cadencio::synth
