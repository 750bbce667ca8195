// Autocorrelation pitch and pitch-mark placement.
#include "lib/pitch_analysis.hpp"

#include <algorithm>
#include <cmath>

namespace cadencio::voicegen {

namespace {

using synth::kVoiceRate;
using synth::PitchMark;

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
  const double size = static_cast<double>(samples.size());
  auto period_at = [&](double pos) {
    std::size_t i = static_cast<std::size_t>(pos / static_cast<double>(track.hop) + 0.5);
    return i < track.period.size() ? track.period[i] : 0.0;
  };
  auto value = [&](std::size_t i) { return positive_peaks ? samples[i] : -samples[i]; };
  // The largest peak in [from, to), placed between samples by a parabola through its neighbours.
  auto peak_in = [&](double from, double to) {
    std::size_t lo = static_cast<std::size_t>(std::max(0.0, std::ceil(from)));
    std::size_t hi = std::min(samples.size(), static_cast<std::size_t>(std::max(0.0, to)) + 1);
    std::size_t best = lo;
    for (std::size_t i = lo; i < hi; ++i) {
      if (value(i) > value(best)) best = i;
    }
    double shift = 0;
    if (best > 0 && best + 1 < samples.size()) {
      const double a = value(best - 1), b = value(best), c = value(best + 1);
      const double denom = a - 2 * b + c;
      if (denom < 0) shift = std::clamp(0.5 * (a - c) / denom, -0.5, 0.5);
    }
    return static_cast<double>(best) + shift;
  };
  double pos = 0;
  bool last_voiced = false;
  while (pos < size) {
    const double period = period_at(pos);
    double at;
    if (period > 0) {
      // The next peak: within the first period of a voiced stretch (at least half a period
      // after an unvoiced mark), else 0.8 to 1.2 periods on.
      double from = pos, to = pos + period;
      if (last_voiced) {
        from = pos + 0.8 * period;
        to = pos + 1.2 * period;
      } else if (!marks.empty()) {
        from = pos + 0.5 * period;
        to = pos + 1.5 * period;
      }
      if (from >= size) break;
      at = peak_in(from, to);
    } else {
      at = marks.empty() ? pos : pos + unvoiced_period;
    }
    if (!marks.empty() && at <= marks.back().position + 1) at = marks.back().position + 1;
    if (at >= size) break;
    const bool voiced = period > 0 && period_at(at) > 0;
    marks.push_back({at, voiced});
    last_voiced = voiced;
    pos = at;
  }
  return marks;
}

}  // namespace cadencio::voicegen
