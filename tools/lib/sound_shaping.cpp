// Trimming, levels, rate conversion and sample formats of the generated recordings.
#include "lib/sound_shaping.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "audio/resampler.hpp"
#include "audio/speech_level.hpp"

namespace cadencio::voicegen {

namespace {

std::size_t MsToSamples(double ms, int rate) {
  return static_cast<std::size_t>(std::lround(ms * rate / 1000.0));
}

float Peak(const Samples& samples) {
  float peak = 0;
  for (float s : samples) peak = std::max(peak, std::fabs(s));
  return peak;
}

}  // namespace

Samples ToFloat(const std::vector<int16_t>& samples) {
  Samples out(samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) out[i] = samples[i] / 32768.0f;
  return out;
}

Extent SoundExtent(const Samples& samples, int rate, const TrimSettings& settings) {
  const double threshold =
      std::max(settings.absolute_threshold, settings.relative_threshold * Peak(samples));
  auto loud = [threshold](float s) { return std::fabs(s) > threshold; };
  auto first = std::find_if(samples.begin(), samples.end(), loud);
  if (first == samples.end()) return {};
  auto last = std::find_if(samples.rbegin(), samples.rend(), loud);
  std::size_t begin = static_cast<std::size_t>(first - samples.begin());
  std::size_t end = samples.size() - static_cast<std::size_t>(last - samples.rbegin());
  std::size_t lead = MsToSamples(settings.lead_ms, rate);
  std::size_t tail = MsToSamples(settings.tail_ms, rate);
  begin = begin > lead ? begin - lead : 0;
  end = std::min(samples.size(), end + tail);
  return {begin, end};
}

Samples TrimSilence(const Samples& samples, int rate, const TrimSettings& settings) {
  Extent extent = SoundExtent(samples, rate, settings);
  return Samples(samples.begin() + static_cast<std::ptrdiff_t>(extent.begin),
                 samples.begin() + static_cast<std::ptrdiff_t>(extent.end));
}

double ActiveLevel(const Samples& samples, int rate) {
  const std::size_t frame = std::max<std::size_t>(1, MsToSamples(10, rate));
  std::vector<double> energies;
  for (std::size_t start = 0; start < samples.size(); start += frame) {
    std::size_t stop = std::min(samples.size(), start + frame);
    double sum = 0;
    for (std::size_t i = start; i < stop; ++i) sum += double{samples[i]} * samples[i];
    energies.push_back(sum / static_cast<double>(stop - start));
  }
  if (energies.empty()) return 0;
  double loudest = *std::max_element(energies.begin(), energies.end());
  if (loudest <= 0) return 0;
  double sum = 0;
  int count = 0;
  for (double e : energies) {
    if (e >= loudest / 100) {  // within 20 dB
      sum += e;
      ++count;
    }
  }
  return std::sqrt(sum / count);
}

void MatchLevel(Samples& samples, int rate, double target_level, double knee) {
  double level = ActiveLevel(samples, rate);
  if (level <= 0) return;
  const double gain = target_level / level;
  for (float& s : samples) s = static_cast<float>(audio::SoftLimit(s * gain, knee));
}

Samples Resample(const Samples& samples, int from_rate, int to_rate,
                 audio::ResampleQuality quality) {
  if (samples.empty() || from_rate == to_rate) return samples;
  const double ratio = static_cast<double>(to_rate) / from_rate;
  Samples out(static_cast<std::size_t>(std::ceil(samples.size() * ratio)) + 16);
  const std::optional<int64_t> made = audio::ResampleBuffer(samples, out, 1, ratio, quality);
  if (!made) return {};
  out.resize(static_cast<std::size_t>(*made));
  return out;
}

void FadeEdges(Samples& samples, int rate, double ms) {
  const std::size_t n = std::min(MsToSamples(ms, rate), samples.size() / 2);
  const double pi = std::acos(-1.0);
  for (std::size_t i = 0; i < n; ++i) {
    float gain = static_cast<float>(0.5 - 0.5 * std::cos(pi * (i + 0.5) / n));
    samples[i] *= gain;
    samples[samples.size() - 1 - i] *= gain;
  }
}

std::vector<uint8_t> ToUnsigned8(const Samples& samples) {
  std::vector<uint8_t> out(samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) {
    long v = 128 + std::lround(samples[i] * 127.0);
    out[i] = static_cast<uint8_t>(std::clamp(v, 1L, 255L));
  }
  return out;
}

std::vector<int16_t> ToSigned16(const Samples& samples) {
  std::vector<int16_t> out(samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) {
    long v = std::lround(samples[i] * 32767.0);
    out[i] = static_cast<int16_t>(std::clamp(v, -32767L, 32767L));
  }
  return out;
}

}  // namespace cadencio::voicegen
