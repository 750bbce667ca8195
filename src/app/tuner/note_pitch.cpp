// Note names and the precise pitch measure of the tuner.
#include "app/tuner/note_pitch.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

namespace cadencio::app {

namespace {

const double kPi = std::acos(-1.0);
constexpr int kHarmonics = 4;

struct Peak {
  double hz;
  double magnitude;
  bool inside;  // the maximum lay inside the span, not at its edge
};

// The strongest peak within `span` cents of `hz`: a scan in 2-cent steps, then twice the vertex
// of a parabola through the magnitudes about the best point. The main lobe of the window spans
// many cents, so near its top the parabola fits closely.
Peak FindPeak(const std::vector<double>& windowed, int rate, double hz, double span) {
  auto at = [&](double cents) {
    return SpectrumAt(windowed, rate, hz * std::pow(2.0, cents / 1200));
  };
  double best = 0, best_value = -1;
  for (double c = -span; c <= span; c += 2) {
    const double v = at(c);
    if (v > best_value) best_value = v, best = c;
  }
  if (std::abs(best) >= span - 1) return {hz, best_value, false};
  for (double step : {1.0, 0.25}) {
    const double left = at(best - step), right = at(best + step);
    const double curve = left - 2 * best_value + right;
    if (curve >= 0) break;  // not a maximum: keep the scanned point
    best += std::clamp(0.5 * step * (left - right) / curve, -step, step);
    best_value = at(best);
  }
  return {hz * std::pow(2.0, best / 1200), best_value, true};
}

}  // namespace

double SpectrumAt(const std::vector<double>& windowed, int rate, double hz) {
  // A rotating phasor in plain arithmetic (std::complex's product checks for infinities on
  // every step, which costs more than the sum itself).
  const double step_re = std::cos(2 * kPi * hz / rate), step_im = -std::sin(2 * kPi * hz / rate);
  double re = 1, im = 0, sum_re = 0, sum_im = 0;
  for (std::size_t n = 0; n < windowed.size(); ++n) {
    sum_re += windowed[n] * re;
    sum_im += windowed[n] * im;
    const double next_re = re * step_re - im * step_im;
    im = re * step_im + im * step_re;
    re = next_re;
    if ((n & 1023) == 1023) {  // keep the rotation on the circle
      const double length = std::sqrt(re * re + im * im);
      re /= length, im /= length;
    }
  }
  return std::sqrt(sum_re * sum_re + sum_im * sum_im);
}

double NoteFrequency(int midi) {
  return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

NearestNote NearestNoteOf(double hz) {
  const double semitones = 12 * std::log2(hz / 440.0) + 69;
  const int midi = static_cast<int>(std::lround(semitones));
  return {midi, 100 * (semitones - midi)};
}

std::string SolfegeName(int midi) {
  static const char* const kNames[12] = {
      "D\xF3", "D\xF3 sustenido", "R\xE9", "R\xE9 sustenido", "Mi", "F\xE1", "F\xE1 sustenido",
      "Sol",   "Sol sustenido",   "L\xE1", "L\xE1 sustenido", "Si"};
  return kNames[((midi % 12) + 12) % 12];
}

double MeasurePitch(const float* samples, std::size_t count, int rate, double coarse_hz) {
  if (count < 16 || coarse_hz <= 0) return coarse_hz;
  std::vector<double> windowed(count);
  const double n = static_cast<double>(count);
  for (std::size_t i = 0; i < count; ++i) {
    windowed[i] = samples[i] * (0.5 - 0.5 * std::cos(2 * kPi * (i + 0.5) / n));
  }
  // The fundamental first; the harmonics are then searched closely around its multiples.
  const Peak first = FindPeak(windowed, rate, coarse_hz, 24);
  if (!first.inside) return 0;
  double weighted = 0, weights = 0;
  for (int k = 1; k <= kHarmonics && k * first.hz < rate / 2.5; ++k) {
    const Peak peak = k == 1 ? first : FindPeak(windowed, rate, k * first.hz, 6);
    // Only the harmonics that stand out; each one's precision in cents grows with k.
    if (!peak.inside || peak.magnitude < 0.1 * first.magnitude) continue;
    const double weight = peak.magnitude * k;
    weighted += weight * 1200 * std::log2(peak.hz / k / first.hz);
    weights += weight;
  }
  return weights > 0 ? first.hz * std::pow(2.0, weighted / weights / 1200) : first.hz;
}

}  // namespace cadencio::app
