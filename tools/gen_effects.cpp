// Writes the percussion sounds of the effects browser into the effects directory: drums,
// cymbals, woods, bells, shakers, claps and electronic beeps, each synthesized from decaying
// partials, pitch sweeps and filtered noise with fixed seeds, so every build makes the same
// files. 16-bit mono at 44100 Hz; the names are those listed in data/somritmo.ini.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "formats/wav_writer.hpp"

namespace {

constexpr int kRate = 44100;
const double kPi = std::acos(-1.0);

class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed) {}
  double Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / (1 << 24) * 2 - 1;
  }

 private:
  uint32_t state_;
};

// A second-order filter with the coefficients of the usual audio cookbook.
class Biquad {
 public:
  enum Kind { kLowPass, kHighPass, kBandPass };
  Biquad(Kind kind, double frequency, double q) {
    const double w = 2 * kPi * frequency / kRate;
    const double alpha = std::sin(w) / (2 * q), c = std::cos(w);
    double b0, b1, b2;
    if (kind == kLowPass) {
      b0 = (1 - c) / 2, b1 = 1 - c, b2 = (1 - c) / 2;
    } else if (kind == kHighPass) {
      b0 = (1 + c) / 2, b1 = -(1 + c), b2 = (1 + c) / 2;
    } else {
      b0 = alpha, b1 = 0, b2 = -alpha;
    }
    const double a0 = 1 + alpha;
    b0_ = b0 / a0, b1_ = b1 / a0, b2_ = b2 / a0, a1_ = -2 * c / a0, a2_ = (1 - alpha) / a0;
  }
  double Process(double x) {
    double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_, x1_ = x, y2_ = y1_, y1_ = y;
    return y;
  }

 private:
  double b0_, b1_, b2_, a1_, a2_;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

struct Partial {
  double frequency, amplitude, decay_s;
};

double Decay(double t, double time_constant) {
  return std::exp(-t / time_constant);
}

// A sound of `seconds` whose sample at time t is `sample(t)`.
std::vector<double> Render(double seconds, const std::function<double(double)>& sample) {
  std::vector<double> out(static_cast<std::size_t>(seconds * kRate));
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = sample(static_cast<double>(i) / kRate);
  return out;
}

double Partials(const std::vector<Partial>& partials, double t) {
  double s = 0;
  for (const auto& p : partials) {
    s += p.amplitude * Decay(t, p.decay_s) * std::sin(2 * kPi * p.frequency * t);
  }
  return s;
}

// A drum: a sine whose pitch falls from `high` to `low`, with a filtered noise attack.
std::vector<double> Drum(double low, double high, double sweep_s, double decay_s, double seconds,
                         double noise_level, double noise_cutoff, uint32_t seed) {
  Noise noise(seed);
  Biquad filter(Biquad::kLowPass, noise_cutoff, 0.7);
  double phase = 0;
  return Render(seconds, [&](double t) {
    double f = low + (high - low) * Decay(t, sweep_s);
    phase += 2 * kPi * f / kRate;
    return Decay(t, decay_s) * std::sin(phase) +
           noise_level * Decay(t, 0.004) * filter.Process(noise.Next());
  });
}

// Six detuned square waves through filters: the metallic noise of cymbals and hi-hats.
std::vector<double> Metal(double decay_s, double seconds, double high_pass, uint32_t seed) {
  const double freqs[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
  Noise noise(seed);
  Biquad band(Biquad::kBandPass, 9000, 0.8), high(Biquad::kHighPass, high_pass, 0.7);
  return Render(seconds, [&](double t) {
    double square = 0;
    for (double f : freqs) square += std::sin(2 * kPi * f * 1.7 * t) >= 0 ? 1 : -1;
    double s = band.Process(square / 6 + 0.6 * noise.Next());
    return high.Process(s) * Decay(t, decay_s) * std::min(1.0, t / 0.0005);
  });
}

std::vector<double> Bumbo() {
  return Drum(50, 140, 0.035, 0.18, 0.5, 0.35, 3000, 11);
}
std::vector<double> Surdo() {
  return Drum(62, 95, 0.06, 0.45, 1.0, 0.25, 900, 12);
}
std::vector<double> Tamborim() {
  auto body = Drum(420, 620, 0.01, 0.05, 0.2, 0.0, 1000, 13);
  Noise noise(14);
  Biquad band(Biquad::kBandPass, 3000, 1.5);
  for (std::size_t i = 0; i < body.size(); ++i) {
    body[i] += 0.9 * Decay(static_cast<double>(i) / kRate, 0.02) * band.Process(noise.Next());
  }
  return body;
}

std::vector<double> Caixa() {
  Noise noise(21);
  Biquad high(Biquad::kHighPass, 1500, 0.7), low(Biquad::kLowPass, 9000, 0.7);
  return Render(0.35, [&](double t) {
    double body = Partials({{185, 1.0, 0.06}, {330, 0.5, 0.04}}, t);
    return body + 1.6 * Decay(t, 0.12) * low.Process(high.Process(noise.Next()));
  });
}

std::vector<double> Aro() {
  Noise noise(22);
  Biquad band(Biquad::kBandPass, 2500, 2.0);
  return Render(0.15, [&](double t) {
    return Partials({{450, 0.6, 0.025}, {1750, 1.0, 0.012}, {3100, 0.4, 0.008}}, t) +
           2.0 * Decay(t, 0.006) * band.Process(noise.Next());
  });
}

std::vector<double> Clave() {
  Noise noise(23);
  Biquad band(Biquad::kBandPass, 2500, 4.0);
  return Render(0.25, [&](double t) {
    return Partials({{2500, 1.0, 0.045}, {6300, 0.08, 0.01}}, t) +
           0.8 * Decay(t, 0.002) * band.Process(noise.Next());
  });
}

std::vector<double> WoodBlock(double base, uint32_t seed) {
  Noise noise(seed);
  Biquad band(Biquad::kBandPass, base * 1.6, 2.0);
  return Render(0.15, [&](double t) {
    return Partials({{base, 1.0, 0.025}, {base * 1.63, 0.45, 0.014}, {base * 2.5, 0.15, 0.007}},
                    t) +
           0.8 * Decay(t, 0.0015) * band.Process(noise.Next());
  });
}

std::vector<double> Campana() {  // cowbell
  Biquad band(Biquad::kBandPass, 1000, 1.5);
  return Render(0.6, [&](double t) {
    double square =
        (std::sin(2 * kPi * 587 * t) >= 0 ? 1 : -1) + (std::sin(2 * kPi * 845 * t) >= 0 ? 1 : -1);
    double envelope = 0.6 * Decay(t, 0.02) + 0.4 * Decay(t, 0.25);
    return band.Process(square) * envelope * std::min(1.0, t / 0.0007);
  });
}

std::vector<double> Pandeiro() {  // tambourine: jingles over a small skin
  Noise noise(31);
  Biquad high(Biquad::kHighPass, 5500, 0.7);
  const double shakes[] = {0.0, 0.012, 0.027, 0.045};
  return Render(0.45, [&](double t) {
    double jingle = 0;
    for (double at : shakes) {
      if (t >= at) jingle += Decay(t - at, 0.012);
    }
    jingle = 0.5 * jingle + Decay(t, 0.18);
    double metal = Partials({{6200, 0.3, 0.15}, {7800, 0.25, 0.12}, {9300, 0.2, 0.1}}, t);
    return jingle * high.Process(noise.Next()) * 0.9 + metal * 0.3 +
           0.5 * Partials({{220, 1.0, 0.03}}, t);
  });
}

std::vector<double> Palmas() {  // hand clap: a few quick bursts, then the room
  Noise noise(32);
  Biquad band(Biquad::kBandPass, 1100, 1.2);
  const double bursts[] = {0.0, 0.009, 0.019, 0.028};
  return Render(0.35, [&](double t) {
    double envelope = 0;
    for (double at : bursts) {
      if (t >= at) envelope = std::max(envelope, Decay(t - at, 0.004));
    }
    if (t >= 0.028) envelope = std::max(envelope, 0.5 * Decay(t - 0.028, 0.09));
    return envelope * band.Process(noise.Next()) * 3;
  });
}

std::vector<double> Sino() {  // a bell with the partials of Risset's bell
  const double ratio[] = {0.56, 0.56, 0.92, 0.92, 1.19, 1.7, 2.0, 2.74, 3.0, 3.76, 4.07};
  const double detune[] = {0, 1, 0, 1.7, 0, 0, 0, 0, 0, 0, 0};
  const double amp[] = {1, 0.67, 1, 1.8, 2.67, 1.67, 1.46, 1.33, 1.33, 1, 1.33};
  const double life[] = {1, 0.9, 0.65, 0.55, 0.325, 0.35, 0.25, 0.2, 0.15, 0.1, 0.075};
  std::vector<Partial> partials;
  for (int i = 0; i < 11; ++i) {
    partials.push_back({660 * ratio[i] + detune[i], amp[i], life[i] * 0.9});
  }
  return Render(2.5, [&](double t) { return Partials(partials, t) * std::min(1.0, t / 0.001); });
}

std::vector<double> Triangulo() {
  Noise noise(41);
  Biquad high(Biquad::kHighPass, 6000, 0.7);
  return Render(2.0, [&](double t) {
    return Partials({{1180, 0.5, 1.2},
                     {3460, 1.0, 0.9},
                     {5220, 0.7, 0.7},
                     {7120, 0.5, 0.5},
                     {9310, 0.3, 0.35}},
                    t) +
           0.6 * Decay(t, 0.002) * high.Process(noise.Next());
  });
}

std::vector<double> Agogo(double base) {
  return Render(0.7, [&](double t) {
    return Partials({{base, 1.0, 0.35}, {base * 2.74, 0.4, 0.15}, {base * 5.1, 0.2, 0.07}}, t) *
           std::min(1.0, t / 0.0008);
  });
}

std::vector<double> Bipe(double frequency) {  // a short electronic beep with soft edges
  const double length = 0.07;
  return Render(length, [&](double t) {
    double edge = std::min({1.0, t / 0.002, (length - t) / 0.003});
    return edge * (std::sin(2 * kPi * frequency * t) + 0.3 * std::sin(6 * kPi * frequency * t));
  });
}

std::vector<double> Baqueta() {  // two sticks struck together
  Noise noise(51);
  Biquad band(Biquad::kBandPass, 3200, 3.0);
  return Render(0.06, [&](double t) {
    return 1.5 * Decay(t, 0.004) * band.Process(noise.Next()) +
           0.5 * Partials({{2900, 1.0, 0.01}}, t);
  });
}

std::vector<double> Ganza() {  // shaker: a swelling hiss
  Noise noise(61);
  Biquad high(Biquad::kHighPass, 5000, 0.7), low(Biquad::kLowPass, 11000, 0.7);
  return Render(0.2, [&](double t) {
    double envelope = t < 0.02 ? (t / 0.02) * (t / 0.02) : Decay(t - 0.02, 0.05);
    return envelope * low.Process(high.Process(noise.Next()));
  });
}

std::vector<int16_t> ToPcm(const std::vector<double>& sound, double level) {
  double peak = 1e-9;
  for (double s : sound) peak = std::max(peak, std::abs(s));
  std::vector<int16_t> pcm(sound.size());
  const std::size_t fade = std::min<std::size_t>(sound.size(), kRate / 200);  // 5 ms tail fade
  for (std::size_t i = 0; i < sound.size(); ++i) {
    double gain = level / peak;
    std::size_t from_end = sound.size() - 1 - i;
    if (from_end < fade) gain *= static_cast<double>(from_end) / fade;
    pcm[i] = static_cast<int16_t>(std::lround(std::clamp(sound[i] * gain, -1.0, 1.0) * 32767));
  }
  return pcm;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gen_effects EFFECTS-DIRECTORY\n");
    return 2;
  }
  const std::string dir = argv[1];
  struct Effect {
    const char* name;
    std::vector<double> sound;
    double level;
  };
  const Effect effects[] = {
      {"bumbo", Bumbo(), 0.9},
      {"surdo", Surdo(), 0.9},
      {"caixa", Caixa(), 0.8},
      {"aro", Aro(), 0.75},
      {"chimbalf", Metal(0.035, 0.15, 7000, 71), 0.6},
      {"chimbala", Metal(0.35, 0.9, 7000, 72), 0.55},
      {"prato", Metal(0.9, 2.0, 4000, 73), 0.55},
      {"clave", Clave(), 0.75},
      {"blocoag", WoodBlock(2100, 81), 0.75},
      {"blocogr", WoodBlock(820, 82), 0.8},
      {"campana", Campana(), 0.7},
      {"pandeiro", Pandeiro(), 0.7},
      {"palmas", Palmas(), 0.8},
      {"sino", Sino(), 0.6},
      {"triangul", Triangulo(), 0.5},
      {"bipeag", Bipe(1760), 0.5},
      {"bipegr", Bipe(880), 0.55},
      {"baqueta", Baqueta(), 0.75},
      {"agogoag", Agogo(940), 0.6},
      {"agogogr", Agogo(700), 0.65},
      {"tamborim", Tamborim(), 0.8},
      {"ganza", Ganza(), 0.6},
  };
  for (const auto& effect : effects) {
    if (!cadencio::formats::WriteWav16Mono(dir + "/" + effect.name + ".wav",
                                           ToPcm(effect.sound, effect.level), kRate)) {
      std::fprintf(stderr, "gen_effects: cannot write %s into %s\n", effect.name, dir.c_str());
      return 1;
    }
  }
  return 0;
}
