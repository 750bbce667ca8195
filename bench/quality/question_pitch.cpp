// Whether a yes/no question sounds like one: pairs of the same words said as a statement
// ("...") and as a question ("...?") by one of the program's voices, as the program plays them;
// for each pair the median pitch of the last 100 ms of voiced sound of each, and how many
// semitones the question lies above the statement. A question should end at least 2 semitones
// higher, whatever the stress of its last word; a statement should end below where it started.
//
// Usage: question_pitch [--voice recorded|espeak|sivra] (sivra by default)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "lib/diphone_cutter.hpp"
#include "lib/spoken_corpus.hpp"
#include "synth/diphone_voice.hpp"
#include "synth/pitch_analysis.hpp"

namespace {

using namespace cadencio;

// The last word of every pair, by where it is stressed.
struct Pair {
  const char* words;  // UTF-8, without the final mark
  const char* stress;
};
constexpr Pair kPairs[] = {
    {"Está muito bom", "last"},
    {"Você volta amanhã", "last"},
    {"Ele já chegou", "last"},
    {"O metrônomo está", "last"},
    {"Foi você", "last"},
    {"Ela saiu", "last"},
    {"O tempo mudou", "last"},
    {"Ela gosta de café", "last"},
    {"Você quer a casa", "second-to-last"},
    {"Ela mora no Brasil", "last"},
    {"O compasso é ternário", "second-to-last"},
    {"A música está lenta", "second-to-last"},
    {"Ele toca guitarra", "second-to-last"},
    {"Você gosta de música", "third-to-last"},
    {"O andamento é rápido", "third-to-last"},
    {"Ela comprou a lâmpada", "third-to-last"},
    {"Ele ouviu o pássaro", "third-to-last"},
};

constexpr double kWindowMs = 100;

// Median pitch in Hz of the last kWindowMs of voiced frames (frames need not be contiguous: a
// final unvoiced consonant is passed over); 0 when nothing is voiced.
double EndPitch(const std::vector<int16_t>& samples) {
  const synth::PitchTrack track = synth::TrackPitch(samples, {70, 450}, 300);
  if (track.hop == 0) return 0;
  const std::size_t frames =
      static_cast<std::size_t>(kWindowMs * synth::kVoiceRate / 1000.0 / track.hop);
  std::vector<double> hz;
  for (std::size_t i = track.period.size(); i-- > 0 && hz.size() < frames;) {
    if (track.period[i] > 0) hz.push_back(synth::kVoiceRate / track.period[i]);
  }
  if (hz.empty()) return 0;
  std::nth_element(hz.begin(), hz.begin() + static_cast<long>(hz.size() / 2), hz.end());
  return hz[hz.size() / 2];
}

double Said(const say::ShippedConfig& config, const std::string& utf8) {
  const say::SpokenTake take =
      say::SpeakTexts(config.DataRoot(), 0, {say::CodePageText(utf8)}, {}, false);
  if (take.speaking_ms < 0) return 0;
  return EndPitch(voicegen::ToVoiceRate(take.samples, say::kCaptureRate));
}

}  // namespace

int main(int argc, char** argv) {
  std::string voice_name = "sivra";
  for (int k = 1; k < argc; ++k) {
    if (std::string(argv[k]) == "--voice" && k + 1 < argc) voice_name = argv[++k];
  }
  const say::VoiceChoice* voice = say::FindVoice(voice_name);
  if (!voice) {
    std::fprintf(stderr, "usage: question_pitch [--voice %s]\n", say::VoiceNames().c_str());
    return 2;
  }
  const say::ShippedConfig config(voice);
  if (!config.Error().empty()) {
    std::fprintf(stderr, "%s\n", config.Error().c_str());
    return 1;
  }
  std::printf(
      "Last %.0f ms of voiced sound, voice %s: stress of the last word, statement Hz, question Hz, "
      "semitones, words\n",
      kWindowMs, voice_name.c_str());
  int rising = 0, count = 0;
  for (const Pair& pair : kPairs) {
    const double statement = Said(config, std::string(pair.words) + ".");
    const double question = Said(config, std::string(pair.words) + "?");
    const double semitones =
        statement > 0 && question > 0 ? 12.0 * std::log2(question / statement) : 0.0;
    const bool ok = semitones >= 2.0;
    rising += ok;
    ++count;
    std::printf("  %-15s %6.0f %6.0f %+6.1f  %s%s\n", pair.stress, statement, question, semitones,
                pair.words, ok ? "" : "  <- under 2");
  }
  std::printf("questions at least 2 semitones above their statement: %d / %d\n", rising, count);
  return 0;
}
