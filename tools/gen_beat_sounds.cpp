// Writes the two default beat sounds: padrao1.wav, a high wood-block click for the first beat
// of each measure, and padrao2.wav, a lower and softer click for the other beats. Both are
// 16-bit mono at 44100 Hz, made of a few decaying partials with a short noise attack.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "formats/wav_writer.hpp"

namespace {

constexpr int kRate = 44100;

struct Partial {
  double frequency;
  double amplitude;
  double decay_ms;  // time for the partial to fall to 1/e
};

std::vector<int16_t> WoodBlock(const std::vector<Partial>& partials, double length_ms,
                               double level) {
  const int n = static_cast<int>(length_ms * kRate / 1000);
  std::vector<int16_t> out(n);
  uint32_t noise = 12345;  // fixed seed: the files are the same on every build
  const double pi = std::acos(-1.0);
  for (int i = 0; i < n; ++i) {
    double t = static_cast<double>(i) / kRate;
    double s = 0;
    for (const auto& p : partials) {
      s += p.amplitude * std::exp(-t * 1000 / p.decay_ms) * std::sin(2 * pi * p.frequency * t);
    }
    noise = noise * 1664525u + 1013904223u;
    double white = (static_cast<double>(noise >> 8) / (1 << 24)) * 2 - 1;
    s += 0.25 * white * std::exp(-t * 1000 / 1.5);  // the stick's attack
    double attack = std::min(1.0, i / (0.0005 * kRate));
    out[i] = static_cast<int16_t>(std::lround(std::clamp(s * level * attack, -1.0, 1.0) * 32767));
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gen_beat_sounds OUTPUT-DIRECTORY\n");
    return 2;
  }
  std::string dir = argv[1];
  auto first = WoodBlock({{1850, 1.0, 18}, {2950, 0.45, 10}, {4400, 0.2, 6}}, 90, 0.8);
  // The other beats lie 8 dB under the first (in their loudest 50 ms): room for the accent
  // level between them, so the pair plays as recorded.
  auto other = WoodBlock({{1180, 1.0, 16}, {1930, 0.4, 9}, {3100, 0.15, 5}}, 80, 0.33);
  if (!cadencio::formats::WriteWav16Mono(dir + "/padrao1.wav", first, kRate) ||
      !cadencio::formats::WriteWav16Mono(dir + "/padrao2.wav", other, kRate)) {
    std::fprintf(stderr, "gen_beat_sounds: cannot write into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
