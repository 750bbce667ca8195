// Spectral measures: a radix-2 FFT, mel cepstra, DTW, the click count and spectrogram pictures.
#include "measures/speech_measures.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <limits>

#include "formats/png_writer.hpp"

namespace cadencio::bench {

namespace {

using Complex = std::complex<double>;
const double kPi = std::acos(-1.0);
// Band energies are floored about 70 dB under a loud vowel, so that near-silence (a digital zero
// in one voice, a faint hiss in the other) does not count as a difference of spectral shape.
constexpr double kFloor = 1e-3;

void Fft(std::vector<Complex>& a) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const Complex w = std::polar(1.0, -2 * kPi / static_cast<double>(len));
    for (std::size_t i = 0; i < n; i += len) {
      Complex wn = 1;
      for (std::size_t k = 0; k < len / 2; ++k) {
        const Complex u = a[i + k], v = a[i + k + len / 2] * wn;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
        wn *= w;
      }
    }
  }
}

// Power spectrum (bins 0 .. size/2) of the Hann-windowed frame at `from`, zero beyond the end.
std::vector<double> PowerSpectrum(const std::vector<int16_t>& x, std::size_t from,
                                  std::size_t frame, std::size_t size) {
  std::vector<Complex> buf(size, 0.0);
  for (std::size_t i = 0; i < frame && from + i < x.size(); ++i) {
    const double w = 0.5 - 0.5 * std::cos(2 * kPi * (i + 0.5) / static_cast<double>(frame));
    buf[i] = w * x[from + i] / 32768.0;
  }
  Fft(buf);
  std::vector<double> power(size / 2 + 1);
  for (std::size_t k = 0; k <= size / 2; ++k) power[k] = std::norm(buf[k]);
  return power;
}

double HzToMel(double hz) {
  return 2595 * std::log10(1 + hz / 700);
}
double MelToHz(double mel) {
  return 700 * (std::pow(10, mel / 2595) - 1);
}

// Triangular mel filters over the bins of an FFT of `size` points.
std::vector<std::vector<double>> MelFilters(int bands, std::size_t size, int rate) {
  std::vector<double> edges(bands + 2);
  const double top = HzToMel(rate / 2.0);
  for (int i = 0; i < bands + 2; ++i) edges[i] = MelToHz(top * i / (bands + 1));
  std::vector<std::vector<double>> filters(bands, std::vector<double>(size / 2 + 1, 0));
  for (int b = 0; b < bands; ++b) {
    for (std::size_t k = 0; k <= size / 2; ++k) {
      const double hz = static_cast<double>(k) * rate / static_cast<double>(size);
      if (hz > edges[b] && hz < edges[b + 1]) {
        filters[b][k] = (hz - edges[b]) / (edges[b + 1] - edges[b]);
      } else if (hz >= edges[b + 1] && hz < edges[b + 2]) {
        filters[b][k] = (edges[b + 2] - hz) / (edges[b + 2] - edges[b + 1]);
      }
    }
  }
  return filters;
}

double FrameDb(const std::vector<int16_t>& x, std::size_t from, std::size_t n) {
  double sum = 0;
  for (std::size_t i = from; i < from + n && i < x.size(); ++i) sum += double(x[i]) * x[i];
  return 10 * std::log10(sum / static_cast<double>(n) + 1e-3);
}

// Black through red and yellow to white.
std::array<uint8_t, 3> Heat(double v) {
  v = std::clamp(v, 0.0, 1.0);
  auto c = [](double x) { return static_cast<uint8_t>(std::clamp(x, 0.0, 1.0) * 255); };
  return {c(3 * v), c(3 * v - 1), c(3 * v - 2)};
}

}  // namespace

std::vector<std::vector<double>> MelCepstra(const std::vector<int16_t>& samples, int rate) {
  const std::size_t frame = static_cast<std::size_t>(rate / 40),
                    hop = static_cast<std::size_t>(rate / 200);
  const std::size_t size = 512;
  const int bands = 40, coefficients = 12;
  static const auto filters = MelFilters(bands, size, rate);
  std::vector<double> level;
  for (std::size_t at = 0; at + frame <= samples.size(); at += hop)
    level.push_back(FrameDb(samples, at, frame));
  if (level.empty()) return {};
  const double loudest = *std::max_element(level.begin(), level.end());
  std::size_t first = 0, last = level.size();
  while (first < last && level[first] < loudest - 40) ++first;
  while (last > first && level[last - 1] < loudest - 40) --last;
  std::vector<std::vector<double>> cepstra;
  for (std::size_t f = first; f < last; ++f) {
    const std::vector<double> power = PowerSpectrum(samples, f * hop, frame, size);
    std::vector<double> logmel(bands);
    for (int b = 0; b < bands; ++b) {
      double e = 0;
      for (std::size_t k = 0; k < power.size(); ++k) e += filters[b][k] * power[k];
      logmel[b] = 0.5 * std::log(e + kFloor);  // log amplitude
    }
    std::vector<double> c(coefficients);
    for (int n = 1; n <= coefficients; ++n) {
      double sum = 0;
      for (int b = 0; b < bands; ++b) sum += logmel[b] * std::cos(kPi * n * (b + 0.5) / bands);
      c[n - 1] = sum * std::sqrt(2.0 / bands);
    }
    cepstra.push_back(std::move(c));
  }
  return cepstra;
}

double MelCepstralDistance(const std::vector<int16_t>& a, const std::vector<int16_t>& b, int rate) {
  const auto ca = MelCepstra(a, rate), cb = MelCepstra(b, rate);
  if (ca.empty() || cb.empty()) return std::numeric_limits<double>::infinity();
  const double k = 10 / std::log(10.0) * std::sqrt(2.0);
  auto dist = [&](std::size_t i, std::size_t j) {
    double s = 0;
    for (std::size_t d = 0; d < ca[i].size(); ++d)
      s += (ca[i][d] - cb[j][d]) * (ca[i][d] - cb[j][d]);
    return k * std::sqrt(s);
  };
  // Cheapest path with steps right, down and diagonal; the mean over its length.
  const std::size_t n = ca.size(), m = cb.size();
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<double> cost((n + 1) * (m + 1), inf);
  std::vector<uint32_t> len((n + 1) * (m + 1), 0);
  auto at = [&](std::size_t i, std::size_t j) { return i * (m + 1) + j; };
  cost[at(0, 0)] = 0;
  for (std::size_t i = 1; i <= n; ++i) {
    for (std::size_t j = 1; j <= m; ++j) {
      std::size_t from = at(i - 1, j - 1);
      if (cost[at(i - 1, j)] < cost[from]) from = at(i - 1, j);
      if (cost[at(i, j - 1)] < cost[from]) from = at(i, j - 1);
      cost[at(i, j)] = cost[from] + dist(i - 1, j - 1);
      len[at(i, j)] = len[from] + 1;
    }
  }
  return cost[at(n, m)] / len[at(n, m)];
}

ClickFrameSet FindClickFrames(const std::vector<int16_t>& samples, int rate) {
  const std::size_t frame = static_cast<std::size_t>(rate / 200);
  std::size_t size = 128;  // a power of two that holds the whole frame, at any rate
  while (size < frame) size *= 2;
  const std::size_t from_bin = static_cast<std::size_t>(6000.0 * size / rate);
  // Energy above 6 kHz of every frame; silent frames (RMS below 10) take part only as the
  // surroundings of a burst.
  std::vector<double> high;
  std::vector<bool> audible;
  std::vector<double> heard;
  for (std::size_t at = 0; at + frame <= samples.size(); at += frame) {
    const std::vector<double> power = PowerSpectrum(samples, at, frame, size);
    double e = 0;
    for (std::size_t k = from_bin; k < power.size(); ++k) e += power[k];
    high.push_back(10 * std::log10(e + 1e-12));
    audible.push_back(FrameDb(samples, at, frame) >= 20);
    if (audible.back()) heard.push_back(high.back());
  }
  ClickFrameSet set;
  if (heard.empty()) return set;
  std::nth_element(heard.begin(), heard.begin() + static_cast<std::ptrdiff_t>(heard.size() / 2),
                   heard.end());
  const double median = heard[heard.size() / 2];
  for (std::size_t i = 0; i < high.size(); ++i) {
    if (!audible[i] || high[i] <= median + kClickOverMedianDb) continue;
    set.loud.push_back(i * frame);
    double around = 10 * std::log10(1e-12);
    for (std::size_t d = kClickNeighbourFrom; d <= kClickNeighbourTo; ++d) {
      if (i >= d) around = std::max(around, high[i - d]);
      if (i + d < high.size()) around = std::max(around, high[i + d]);
    }
    if (high[i] > around + kClickOverNeighboursDb) set.bursts.push_back(i * frame);
  }
  return set;
}

int CountClicks(const std::vector<int16_t>& samples, int rate) {
  return static_cast<int>(FindClickFrames(samples, rate).loud.size());
}

namespace {

// Mean square of the second difference (the signal's highest frequencies, where a step or break
// puts its energy and voiced speech little of its own) over `half` samples either side of `at`.
double EdgeEnergy(const std::vector<int16_t>& x, int64_t at, int64_t half) {
  const int64_t from = std::max<int64_t>(1, at - half);
  const int64_t to = std::min<int64_t>(static_cast<int64_t>(x.size()) - 1, at + half);
  double sum = 0;
  for (int64_t n = from; n < to; ++n) {
    const auto i = static_cast<std::size_t>(n);
    const double d = double(x[i + 1]) - 2.0 * x[i] + x[i - 1];
    sum += d * d;
  }
  return sum / static_cast<double>(2 * half) + 1;
}

}  // namespace

double StandOutDb(const std::vector<int16_t>& samples, int64_t at, int rate) {
  const int64_t ms = rate / 1000;
  double around = 0;
  for (int64_t d : {3 * ms, 5 * ms, 7 * ms, 9 * ms}) {
    around = std::max(
        {around, EdgeEnergy(samples, at - d, ms / 2), EdgeEnergy(samples, at + d, ms / 2)});
  }
  return 10 * std::log10(EdgeEnergy(samples, at, ms / 2) / around);
}

bool WriteSpectrogramPng(const std::string& path, const std::vector<int16_t>& samples, int rate) {
  const std::size_t hop = static_cast<std::size_t>(rate / 200);
  const std::size_t frame = static_cast<std::size_t>(rate / 40), size = 512;
  const int height = static_cast<int>(size / 2);
  const int width = std::max<int>(1, static_cast<int>(samples.size() / hop));
  // Levels in dB, shown from 80 dB under the loudest to the loudest, the loud end spread out.
  std::vector<double> db(static_cast<std::size_t>(width) * height);
  for (int x = 0; x < width; ++x) {
    const std::vector<double> power =
        PowerSpectrum(samples, static_cast<std::size_t>(x) * hop, frame, size);
    for (int y = 0; y < height; ++y) {
      db[static_cast<std::size_t>(y) * width + x] =
          10 * std::log10(power[static_cast<std::size_t>(height - y)] + 1e-12);
    }
  }
  const double top = *std::max_element(db.begin(), db.end());
  std::vector<uint8_t> rgb;
  for (double v : db) {
    const auto c = Heat(std::pow(std::clamp((v - top + 80) / 80, 0.0, 1.0), 1.8));
    rgb.insert(rgb.end(), c.begin(), c.end());
  }
  return formats::WritePngFile(path, width, height, rgb);
}

}  // namespace cadencio::bench
