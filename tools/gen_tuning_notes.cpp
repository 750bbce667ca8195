// Writes the tuning fork's recordings into the program's prompt directory: the six open strings
// of a guitar in standard tuning (E A D G B X), the E major and G major chords (M S), all six
// strings in turn (T), and the tuning-fork tone CADIMU (A4 = 440 Hz). The strings are additive
// plucked-string tones: exact harmonics of an equal-tempered fundamental, with the spectrum of
// a string plucked at a given point, higher partials dying away faster, and a short noise
// thump at the attack. 16-bit mono at 44100 Hz.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "formats/wav_writer.hpp"
#include "lib/tuning_notes.hpp"

namespace {

using cadencio::tuning::kRate;
const double kPi = std::acos(-1.0);

// Raised-cosine fade-in and fade-out around a sound of `length` samples.
double Edges(int i, int length, int attack, int release) {
  double gain = 1.0;
  if (i < attack) gain *= 0.5 - 0.5 * std::cos(kPi * i / attack);
  int from_end = length - 1 - i;
  if (from_end < release) gain *= 0.5 - 0.5 * std::cos(kPi * from_end / release);
  return gain;
}

// Adds one plucked string into `mix`, starting at sample `start`.
void AddPluckedString(std::vector<double>& mix, int start, double f0, double length_s,
                      double pluck_position, uint32_t seed) {
  const int length = static_cast<int>(length_s * kRate);
  std::vector<double> string(length, 0.0);
  // The fundamental rings longest; low strings ring longer than high ones.
  const double tau1 = 1.5 * std::pow(82.0 / f0, 0.3);
  for (int k = 1; k * f0 < 9000.0; ++k) {
    double shape = std::abs(std::sin(k * kPi * pluck_position));
    if (shape < 1e-9) continue;  // a node at the plucking point: the partial is absent
    const double amplitude = shape / k * std::exp(-k * f0 / 3500.0);
    if (amplitude < 1e-4) continue;
    const double tau = tau1 / (1.0 + std::pow(k * f0 / 1200.0, 1.5));
    const double omega = 2 * kPi * k * f0 / kRate;
    const double decay = std::exp(-1.0 / (tau * kRate));
    double envelope = amplitude;
    for (int i = 0; i < length; ++i) {
      string[i] += envelope * std::sin(omega * i);
      envelope *= decay;
    }
  }
  // The finger leaving the string: a short burst of low-passed noise.
  uint32_t noise = seed;
  double low = 0;
  for (int i = 0; i < length && i < kRate / 20; ++i) {
    noise = noise * 1664525u + 1013904223u;
    double white = static_cast<double>(noise >> 8) / (1 << 24) * 2 - 1;
    low += 0.25 * (white - low);
    string[i] += 0.08 * low * std::exp(-i / (0.004 * kRate));
  }
  // Fade in over 1 ms and out over the last 0.3 s (the string is damped).
  if (mix.size() < static_cast<std::size_t>(start + length)) mix.resize(start + length, 0.0);
  for (int i = 0; i < length; ++i) {
    mix[start + i] += string[i] * Edges(i, length, kRate / 1000, static_cast<int>(0.3 * kRate));
  }
}

std::vector<int16_t> ToPcm(const std::vector<double>& mix, double peak_level) {
  double peak = 1e-9;
  for (double s : mix) peak = std::max(peak, std::abs(s));
  std::vector<int16_t> pcm(mix.size());
  const int length = static_cast<int>(mix.size());
  for (int i = 0; i < length; ++i) {
    double s = mix[i] / peak * peak_level * Edges(i, length, kRate / 500, 1);
    pcm[i] = static_cast<int16_t>(std::lround(std::clamp(s, -1.0, 1.0) * 32767));
  }
  return pcm;
}

// The fork: a pure 440 Hz tone with the short high "clang" mode of a struck fork.
std::vector<double> TuningFork() {
  const int length = 3 * kRate;
  std::vector<double> out(length);
  for (int i = 0; i < length; ++i) {
    double t = static_cast<double>(i) / kRate;
    double s = std::exp(-t / 2.0) * std::sin(2 * kPi * 440.0 * t) +
               0.12 * std::exp(-t / 0.06) * std::sin(2 * kPi * 440.0 * 6.27 * t);
    out[i] = s * Edges(i, length, kRate / 250, static_cast<int>(0.3 * kRate));
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gen_tuning_notes PROMPT-DIRECTORY\n");
    return 2;
  }
  const std::string dir = argv[1];
  bool ok = true;
  uint32_t seed = 2024;
  for (const auto& file : cadencio::tuning::TuningNoteFiles()) {
    std::vector<double> mix;
    for (const auto& string : file.strings) {
      AddPluckedString(mix, static_cast<int>(std::lround(string.onset_s * kRate)),
                       cadencio::tuning::NoteFrequency(string.midi_note), string.length_s,
                       file.pluck_position, seed += 7919);
    }
    mix.resize(mix.size() + kRate / 20, 0.0);  // a little silence at the end
    ok = ok &&
         cadencio::formats::WriteWav16Mono(dir + "/" + file.name + ".wav", ToPcm(mix, 0.85), kRate);
  }
  ok =
      ok && cadencio::formats::WriteWav16Mono(dir + "/CADIMU.wav", ToPcm(TuningFork(), 0.8), kRate);
  if (!ok) {
    std::fprintf(stderr, "gen_tuning_notes: cannot write into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
