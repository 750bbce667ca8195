// Loudness and pitch of spoken takes.
#include "measures/voice_measures.hpp"

#include <algorithm>
#include <cmath>

#include "lib/diphone_cutter.hpp"
#include "lib/pitch_analysis.hpp"

namespace cadencio::bench {

double SpeechLevelDb(const std::vector<int16_t>& samples, int rate) {
  const std::size_t frame = static_cast<std::size_t>(rate / 100);
  const double gate = std::pow(10.0, -50.0 / 10.0) * 32768.0 * 32768.0;  // as energy
  double sum = 0;
  std::size_t frames = 0;
  for (std::size_t start = 0; frame > 0 && start + frame <= samples.size(); start += frame) {
    double energy = 0;
    for (std::size_t i = start; i < start + frame; ++i)
      energy += static_cast<double>(samples[i]) * samples[i];
    energy /= static_cast<double>(frame);
    if (energy < gate) continue;
    sum += energy;
    ++frames;
  }
  if (frames == 0) return -200;
  return 20 * std::log10(std::sqrt(sum / static_cast<double>(frames)) / 32768.0);
}

double VoicedPitchHz(const std::vector<int16_t>& samples, int rate, bool at_end, double ms) {
  const voicegen::PitchTrack track =
      voicegen::TrackPitch(voicegen::ToVoiceRate(samples, rate), {70, 450}, 300);
  if (track.hop == 0) return 0;
  const auto frames = static_cast<std::size_t>(ms * synth::kVoiceRate / 1000.0 / track.hop);
  std::vector<double> hz;
  const std::size_t n = track.period.size();
  for (std::size_t k = 0; k < n && hz.size() < frames; ++k) {
    const double period = track.period[at_end ? n - 1 - k : k];
    if (period > 0) hz.push_back(synth::kVoiceRate / period);
  }
  if (hz.empty()) return 0;
  std::nth_element(hz.begin(), hz.begin() + static_cast<long>(hz.size() / 2), hz.end());
  return hz[hz.size() / 2];
}

double Semitones(double from, double to) {
  return from > 0 && to > 0 ? 12.0 * std::log2(to / from) : 0.0;
}

}  // namespace cadencio::bench
