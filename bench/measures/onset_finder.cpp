// Onset finder: rough threshold onsets, refined and followed by whitened waveform matching.
#include "measures/onset_finder.hpp"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace cadencio::bench {

namespace {

// The prediction-error filter a[0..order] (a[0] = 1, x[n] predicted as -sum a[k] x[n-k]) fitted
// on `samples` by the autocorrelation method (Levinson-Durbin). Silence gives the identity.
std::vector<double> Predictor(const float* samples, std::size_t count, std::size_t order) {
  std::vector<double> r(order + 1, 0.0);
  for (std::size_t k = 0; k <= order; ++k) {
    for (std::size_t i = k; i < count; ++i) r[k] += double(samples[i]) * samples[i - k];
  }
  // A little white noise keeps the fit stable on quiet or very tonal stretches.
  r[0] = r[0] * (1 + 1e-3) + 1e-12;
  std::vector<double> a(order + 1, 0.0);
  a[0] = 1;
  double error = r[0];
  for (std::size_t i = 1; i <= order && error > 0; ++i) {
    double acc = r[i];
    for (std::size_t k = 1; k < i; ++k) acc += a[k] * r[i - k];
    const double reflection = -acc / error;
    const std::vector<double> before = a;
    for (std::size_t k = 1; k < i; ++k) a[k] += reflection * before[i - k];
    a[i] = reflection;
    error *= 1 - reflection * reflection;
  }
  return a;
}

// `samples` through the filter `a`, samples before the first taken as silence.
std::vector<double> Whiten(const float* samples, std::size_t count, const std::vector<double>& a) {
  std::vector<double> out(count);
  for (std::size_t n = 0; n < count; ++n) {
    for (std::size_t k = 0; k < a.size() && k <= n; ++k) out[n] += a[k] * samples[n - k];
  }
  return out;
}

// Normalized cross-correlation of x and t over [from, to).
double Ncc(const double* x, const double* t, std::size_t from, std::size_t to) {
  double product = 0, xx = 0, tt = 0;
  for (std::size_t i = from; i < to; ++i) {
    product += x[i] * t[i];
    xx += x[i] * x[i];
    tt += t[i] * t[i];
  }
  return xx > 0 && tt > 0 ? product / std::sqrt(xx * tt) : 0;
}

}  // namespace

std::vector<float> LeftChannel(const std::vector<float>& stereo) {
  std::vector<float> left(stereo.size() / 2);
  for (std::size_t i = 0; i < left.size(); ++i) left[i] = stereo[2 * i];
  return left;
}

std::vector<float> ReadRawLeft(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  const std::streamsize bytes = in.tellg();
  in.seekg(0);
  std::vector<float> stereo(static_cast<std::size_t>(std::max<std::streamsize>(bytes, 0)) /
                            sizeof(float));
  in.read(reinterpret_cast<char*>(stereo.data()),
          static_cast<std::streamsize>(stereo.size() * sizeof(float)));
  return LeftChannel(stereo);
}

std::vector<int64_t> ThresholdOnsets(const std::vector<float>& left, int64_t gap, float threshold) {
  std::vector<int64_t> onsets;
  int64_t quiet = gap;
  for (std::size_t frame = 0; frame < left.size(); ++frame) {
    if (std::fabs(left[frame]) > threshold) {
      if (quiet >= gap) onsets.push_back(static_cast<int64_t>(frame));
      quiet = 0;
    } else {
      ++quiet;
    }
  }
  return onsets;
}

OnsetFinder::OnsetFinder(const std::vector<const audio::Sound*>& sounds,
                         const std::vector<float>& left)
    : left_(left) {
  for (const audio::Sound* sound : sounds) {
    if (sound == nullptr || sound->FrameCount() <= kOrder) continue;
    const int64_t frames = std::min(sound->FrameCount(), kTemplateFrames);
    std::vector<float> shape(static_cast<std::size_t>(frames));
    for (int64_t i = 0; i < frames; ++i) shape[static_cast<std::size_t>(i)] = sound->samples[2 * i];
    sounds_.push_back(std::move(shape));
  }
}

OnsetMatch OnsetFinder::Refine(int64_t guess, int64_t radius) const {
  const auto size = static_cast<int64_t>(left_.size());
  const int64_t first = std::max<int64_t>(0, guess - radius);
  const int64_t last = std::min(guess + radius, size - kTemplateFrames);
  if (first > last) return {};
  // The predictor is fitted on what sounds before the window: speech, the sound before.
  const int64_t fit_from = std::max<int64_t>(0, first - kFitFrames);
  const auto a = Predictor(left_.data() + fit_from, static_cast<std::size_t>(first - fit_from),
                           std::size_t{kOrder});
  // The window's whitened samples, with the order's worth of history before it.
  const int64_t from = std::max<int64_t>(0, first - kOrder);
  const int64_t to = last + kTemplateFrames;
  const auto stream = Whiten(left_.data() + from, static_cast<std::size_t>(to - from), a);
  OnsetMatch best;
  for (const auto& sound : sounds_) {
    const auto shape = Whiten(sound.data(), sound.size(), a);
    for (int64_t at = first; at <= last; ++at) {
      // The first `order` whitened frames of the sound mix in what played before it.
      const double score = Ncc(stream.data() + (at - from), shape.data(),
                               static_cast<std::size_t>(kOrder), shape.size());
      if (score > best.score) best = {at, score};
    }
  }
  if (best.score < kMinScore) return {};
  return best;
}

std::vector<int64_t> OnsetFinder::RefineAll(const std::vector<int64_t>& rough,
                                            int64_t radius) const {
  std::vector<int64_t> onsets;
  for (int64_t guess : rough) {
    OnsetMatch match = Refine(guess, radius);
    if (match.frame >= 0) onsets.push_back(match.frame);
  }
  return onsets;
}

std::vector<int64_t> OnsetFinder::LongestTrain(const std::vector<int64_t>& seeds, double spacing,
                                               int64_t radius) const {
  // A threshold crossing lies a few frames after the onset, more for a soft sound.
  constexpr int64_t kSeedRadius = 32;
  std::vector<int64_t> longest;
  std::vector<std::pair<int64_t, int64_t>> spans;  // runs already followed
  for (int64_t seed : seeds) {
    const bool inside = std::any_of(spans.begin(), spans.end(), [&](const auto& span) {
      return seed >= span.first - radius && seed <= span.second + radius;
    });
    if (inside) continue;
    const OnsetMatch match = Refine(seed, std::max(radius, kSeedRadius));
    if (match.frame < 0) continue;
    std::vector<int64_t> train{match.frame};
    for (double step : {spacing, -spacing}) {
      for (int64_t at = match.frame;;) {
        const OnsetMatch next = Refine(std::llround(static_cast<double>(at) + step), radius);
        if (next.frame < 0) break;
        train.push_back(at = next.frame);
      }
    }
    std::sort(train.begin(), train.end());
    spans.emplace_back(train.front(), train.back());
    if (train.size() > longest.size()) longest = std::move(train);
  }
  return longest;
}

}  // namespace cadencio::bench
