// Measures the pitch of the tuning fork's generated recordings: for every single-string note,
// for every string inside the two chords and for every string of "all strings in turn", it
// estimates the fundamental from the file and prints the error in cents against equal
// temperament (A4 = 440 Hz). The estimate is the peak of the Hann-windowed spectrum, found to a
// small fraction of a cent by golden-section search over a continuous frequency, in a window
// that starts after the string's attack. A synthetic tone of known mistuning checks the
// estimator first. Usage: tuning_pitch [DATA-ROOT]; exit status 1 when an open-string note is
// off by 0.5 cent or more.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/tuner/note_pitch.hpp"
#include "audio/wav_loader.hpp"
#include "lib/tuning_notes.hpp"

namespace {

using cadencio::tuning::kRate;
const double kPi = std::acos(-1.0);

std::optional<std::vector<double>> ReadMono16(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  auto pcm = cadencio::audio::ParsePcmWav(bytes);
  if (!pcm || pcm->format.bits != 16 || pcm->format.channels != 1 ||
      pcm->format.sample_rate != kRate) {
    return std::nullopt;
  }
  std::vector<double> samples(pcm->bytes.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(pcm->bytes[2 * i] | (pcm->bytes[2 * i + 1] << 8)) / 32768.0;
  }
  return samples;
}

// The frequency of the strongest peak within 50 cents of `nominal`, in [first, last).
double EstimatePitch(const std::vector<double>& samples, std::size_t first, std::size_t last,
                     double nominal) {
  last = std::min(last, samples.size());
  std::vector<double> windowed(samples.begin() + first, samples.begin() + last);
  const double n = static_cast<double>(windowed.size());
  for (std::size_t i = 0; i < windowed.size(); ++i) {
    windowed[i] *= 0.5 - 0.5 * std::cos(2 * kPi * (i + 0.5) / n);
  }
  auto at_cents = [&](double cents) {
    return cadencio::app::SpectrumAt(windowed, kRate, nominal * std::pow(2.0, cents / 1200));
  };
  double best = -50, best_value = -1;
  for (double c = -50; c <= 50; c += 1) {
    double v = at_cents(c);
    if (v > best_value) best_value = v, best = c;
  }
  // Golden-section search for the maximum within a cent either side.
  const double ratio = (std::sqrt(5.0) - 1) / 2;
  double a = best - 1, b = best + 1;
  double x1 = b - ratio * (b - a), x2 = a + ratio * (b - a);
  double f1 = at_cents(x1), f2 = at_cents(x2);
  while (b - a > 1e-5) {
    if (f1 < f2) {
      a = x1, x1 = x2, f1 = f2, x2 = a + ratio * (b - a), f2 = at_cents(x2);
    } else {
      b = x2, x2 = x1, f2 = f1, x1 = b - ratio * (b - a), f1 = at_cents(x1);
    }
  }
  return nominal * std::pow(2.0, (a + b) / 2 / 1200);
}

double Cents(double measured, double nominal) {
  return 1200 * std::log2(measured / nominal);
}

const char* NoteName(int midi) {
  static const char* names[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  return names[midi % 12];
}

// The estimator on a decaying harmonic tone 0.3 cent sharp of A2 with a 2% noise floor.
void SelfCheck() {
  const double f = 110.0 * std::pow(2.0, 0.3 / 1200);
  std::vector<double> tone(2 * kRate);
  uint32_t noise = 1;
  for (std::size_t i = 0; i < tone.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    for (int k = 1; k <= 12; ++k) tone[i] += std::exp(-t * k) / k * std::sin(2 * kPi * k * f * t);
    noise = noise * 1664525u + 1013904223u;
    tone[i] += 0.02 * (static_cast<double>(noise >> 8) / (1 << 24) * 2 - 1);
  }
  double measured = EstimatePitch(tone, kRate / 20, tone.size(), 110.0);
  std::printf("self-check: A2 made 0.300 cent sharp, measured %+.3f cent\n\n",
              Cents(measured, 110.0));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string root = argc > 1 ? argv[1] : CADENCIO_DATA_ROOT;
  SelfCheck();
  std::printf("%-6s %-6s %10s %12s %10s\n", "file", "string", "nominal Hz", "measured Hz", "error");
  double worst_open = 0;
  bool missing = false;
  for (const auto& file : cadencio::tuning::TuningNoteFiles()) {
    const std::string path = root + "/som/cadencio/" + file.name + ".wav";
    auto samples = ReadMono16(path);
    if (!samples) {
      std::printf("%-6s cannot be read (%s)\n", file.name, path.c_str());
      missing = true;
      continue;
    }
    for (std::size_t s = 0; s < file.strings.size(); ++s) {
      const auto& pluck = file.strings[s];
      // From 50 ms after the pluck to the next string's pluck in "T" (the others ring on
      // smoothly), or to the end of the string's sound.
      double end_s = pluck.onset_s + pluck.length_s;
      if (s + 1 < file.strings.size() && file.strings[s + 1].onset_s > pluck.onset_s + 0.5) {
        end_s = file.strings[s + 1].onset_s;
      }
      const double nominal = cadencio::tuning::NoteFrequency(pluck.midi_note);
      const double measured =
          EstimatePitch(*samples, static_cast<std::size_t>((pluck.onset_s + 0.05) * kRate),
                        static_cast<std::size_t>(end_s * kRate), nominal);
      const double error = Cents(measured, nominal);
      if (file.strings.size() == 1) worst_open = std::max(worst_open, std::abs(error));
      std::printf("%-6s %-2s%-4d %10.4f %12.4f %+9.4f c\n", file.name, NoteName(pluck.midi_note),
                  pluck.midi_note / 12 - 1, nominal, measured, error);
    }
  }
  std::printf("\nworst open-string note: %.4f cent (target < 0.5)\n", worst_open);
  return missing || worst_open >= 0.5 ? 1 : 0;
}
