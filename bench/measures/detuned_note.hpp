// The tuning fork's generated notes as a tuner hears them: read as mono float, detuned by a
// known number of cents (played faster or slower, as a string tuned off would sound), with
// white noise added. Shared by the tuner's tests and its benchmark.
#pragma once

#include <cmath>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/wav_loader.hpp"

namespace cadencio::tuning {

// A 16-bit mono WAV file as float samples; nothing when it cannot be read.
inline std::optional<std::vector<float>> ReadMonoWav(const std::string& path, int* rate) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  auto pcm = audio::ParsePcmWav(bytes);
  if (!pcm || pcm->format.bits != 16 || pcm->format.channels != 1) return std::nullopt;
  std::vector<float> samples(pcm->bytes.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(pcm->bytes[2 * i] | (pcm->bytes[2 * i + 1] << 8)) / 32768.0f;
  }
  if (rate != nullptr) *rate = static_cast<int>(pcm->format.sample_rate);
  return samples;
}

// The sound played 2^(cents/1200) times faster: every frequency in it moves by `cents`. Cubic
// (Catmull-Rom) interpolation between the samples.
inline std::vector<float> Detune(const std::vector<float>& in, double cents) {
  const double step = std::pow(2.0, cents / 1200.0);
  std::vector<float> out;
  auto at = [&](long i) {
    return i < 0 || i >= static_cast<long>(in.size()) ? 0.0 : static_cast<double>(in[i]);
  };
  for (double pos = 0; pos + 2 < static_cast<double>(in.size()); pos += step) {
    const long i = static_cast<long>(pos);
    const double t = pos - static_cast<double>(i);
    const double p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
    out.push_back(static_cast<float>(
        p1 +
        0.5 * t * (p2 - p0 + t * (2 * p0 - 5 * p1 + 4 * p2 - p3 + t * (3 * (p1 - p2) + p3 - p0)))));
  }
  return out;
}

// Adds uniform white noise of the given peak amplitude (a fixed sequence, so runs repeat).
inline void AddNoise(std::vector<float>& samples, double amplitude, uint32_t seed = 12345) {
  for (float& s : samples) {
    seed = seed * 1664525u + 1013904223u;
    s += static_cast<float>(amplitude * (static_cast<double>(seed >> 8) / (1 << 24) * 2 - 1));
  }
}

// `ms` of silence before the sound, as when the tuner listens before the string is plucked.
inline std::vector<float> AfterSilence(const std::vector<float>& sound, int rate, int ms) {
  std::vector<float> out(static_cast<std::size_t>(rate) * ms / 1000, 0.0f);
  out.insert(out.end(), sound.begin(), sound.end());
  return out;
}

// A harmonic tone near `hz` whose pitch steps, without a break in its phase, to each
// (cents, seconds) in turn, as a string turned while it sounds; with a little noise.
inline std::vector<float> SteppedTone(double hz,
                                      std::initializer_list<std::pair<double, double>> steps,
                                      int rate) {
  std::vector<float> out;
  double phase = 0;
  for (const auto& [cents, seconds] : steps) {
    const double step = 2 * std::acos(-1.0) * hz * std::pow(2.0, cents / 1200) / rate;
    for (int i = 0; i < static_cast<int>(seconds * rate); ++i) {
      double s = 0;
      for (int k = 1; k <= 5; ++k) s += std::sin(k * phase) / k;
      out.push_back(static_cast<float>(0.3 * s));
      phase += step;
    }
  }
  AddNoise(out, 0.01);
  return out;
}

}  // namespace cadencio::tuning
