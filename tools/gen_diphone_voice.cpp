// Builds the built-in synthesizer's voice from espeak-ng: every diphone of the phone set is cut
// from a carrier rendered with espeak-ng's Brazilian Portuguese voice, on one pitch, and stored
// with its pitch marks in one voice file.
//   gen_diphone_voice VOICE_FILE
#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

#include "files/atomic_file.hpp"
#include "lib/diphone_cutter.hpp"
#include "lib/diphone_phones.hpp"
#include "lib/espeak_voice.hpp"
#include "lib/mark_alignment.hpp"
#include "lib/pitch_analysis.hpp"
#include "synth/diphone_voice.hpp"

namespace {

using namespace cadencio;

constexpr std::size_t kSilenceMs = 60;

// The speaker's pitch and peak polarity, measured on a long stressed a.
bool AnalyseSpeaker(voicegen::EspeakVoice& voice, voicegen::SpeakerAnalysis& speaker) {
  voicegen::Rendering r = voice.Render("[[t'a:a]]");
  std::vector<int16_t> x = voicegen::ToVoiceRate(r.samples, voice.SampleRate());
  if (r.phonemes.size() < 3) return false;
  const double scale = static_cast<double>(synth::kVoiceRate) / voice.SampleRate();
  const auto from = static_cast<std::size_t>(r.phonemes[1].sample * scale);
  const auto to = static_cast<std::size_t>(r.phonemes[2].sample * scale);
  const std::size_t mid = (from + to) / 2, span = synth::kVoiceRate / 25;
  const double hz = voicegen::ExcerptPitch(x, mid - span / 2, mid + span / 2, {80, 500});
  if (hz <= 0) return false;
  int high = 0, low = 0;
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) {
    high = std::max<int>(high, x[i]);
    low = std::min<int>(low, x[i]);
    sum += double(x[i]) * x[i];
  }
  speaker.band = {hz / 1.5, hz * 1.5};
  speaker.natural_period = synth::kVoiceRate / hz;
  speaker.positive_peaks = high >= -low;
  speaker.min_voiced_rms = 0.03 * std::sqrt(sum / static_cast<double>(to - from));
  return true;
}

// The silence-to-silence diphone: quiet samples with evenly spaced marks.
synth::Diphone SilenceDiphone(const voicegen::SpeakerAnalysis& speaker) {
  synth::Diphone d;
  d.samples.assign(kSilenceMs * synth::kVoiceRate / 1000, 0);
  d.begin = static_cast<uint32_t>(d.samples.size() / 4);
  d.boundary = static_cast<uint32_t>(d.samples.size() / 2);
  d.end = static_cast<uint32_t>(d.samples.size() * 3 / 4);
  for (double p = 0; p < static_cast<double>(d.samples.size()); p += speaker.natural_period) {
    d.marks.push_back({std::floor(p), false});
  }
  return d;
}

// Cuts the diphone of a pair from its carrier, or from the carrier with a word boundary between
// the two phones when espeak-ng merged or changed them; false (and a message) when neither works.
bool CutPair(voicegen::EspeakVoice& espeak, const voicegen::SpeakerAnalysis& speaker,
             const std::string& first, const std::string& second, synth::Diphone& d,
             std::vector<std::string>& separated) {
  voicegen::CutDiphone cut;
  for (bool sep : {false, true}) {
    voicegen::Carrier carrier = voicegen::DiphoneCarrier(first, second, sep);
    cut = voicegen::CutCarrier(espeak.Render(carrier.input), espeak.SampleRate(), carrier, speaker);
    if (cut.ok) {
      if (sep) separated.push_back(first + "-" + second);
      d = std::move(cut.diphone);
      return true;
    }
  }
  std::fprintf(stderr, "gen_diphone_voice: no diphone %s-%s: %s\n", first.c_str(), second.c_str(),
               cut.problem.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gen_diphone_voice VOICE_FILE\n");
    return 2;
  }
  voicegen::EspeakVoice espeak(voicegen::kDiphoneSpeaker);
  if (!voicegen::StartDiphoneSpeaker(espeak, true)) {
    std::fprintf(stderr, "gen_diphone_voice: %s\n", espeak.Error().c_str());
    return 1;
  }
  voicegen::SpeakerAnalysis speaker;
  if (!AnalyseSpeaker(espeak, speaker)) {
    std::fprintf(stderr, "gen_diphone_voice: the speaker's pitch could not be measured\n");
    return 1;
  }

  synth::DiphoneVoice voice;
  voice.phones = voicegen::DiphonePhoneSet();
  voice.natural_pitch = synth::kVoiceRate / speaker.natural_period;
  std::vector<std::string> separated;
  int missing = 0;
  for (std::size_t a = 0; a < voice.phones.size(); ++a) {
    for (std::size_t b = 0; b < voice.phones.size(); ++b) {
      synth::Diphone d;
      if (a == 0 && b == 0) {
        d = SilenceDiphone(speaker);
      } else if (!CutPair(espeak, speaker, voice.phones[a], voice.phones[b], d, separated)) {
        ++missing;
        continue;
      }
      d.first = static_cast<uint16_t>(a);
      d.second = static_cast<uint16_t>(b);
      voice.diphones.push_back(std::move(d));
    }
  }
  voicegen::AlignMarksAtJoins(voice);
  voice.Index();
  const std::vector<uint8_t> voice_file = synth::SerializeVoice(voice);
  if (!files::ReplaceFileAtomically(
          argv[1],
          std::string_view(reinterpret_cast<const char*>(voice_file.data()), voice_file.size()))) {
    std::fprintf(stderr, "gen_diphone_voice: cannot write %s\n", argv[1]);
    return 1;
  }
  std::string joined;
  for (const std::string& pair : separated) joined += " " + pair;
  std::printf("gen_diphone_voice: %zu diphones, %d missing, pitch %.1f Hz; a word boundary in%s\n",
              voice.diphones.size(), missing, voice.natural_pitch, joined.c_str());
  return 0;
}
