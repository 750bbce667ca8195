// One loudness for every voice: the catalogue and a paragraph spoken by each voice whose sound
// passes through the program, at every speed, as the program plays them; for each take the
// speech level (RMS over the 10 ms frames of speech, in dB of full scale) and the peak. Every
// voice should lie within 1 dB of the others at every speed, so that a fallback from one voice
// to another does not jump.
//
// Usage: speech_levels [--voice recorded|espeak|sivra] [--speed N]
// (all three voices at speeds 1 to 5 by default)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lib/spoken_corpus.hpp"
#include "measures/voice_measures.hpp"

namespace {

using namespace cadencio;

struct Level {
  double speech_db = -200;
  double peak_db = -200;
};

// The level of the catalogue said by one voice at one speed; nothing when it did not speak.
bool Measure(const std::string& name, int speed, const std::vector<std::string>& texts,
             Level& level) {
  const say::VoiceChoice* voice = say::FindVoice(name);
  const say::ShippedConfig config(voice);
  if (voice == nullptr || !config.Error().empty()) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), voice ? config.Error().c_str() : "no voice");
    return false;
  }
  const say::SpokenTake take =
      say::SpeakTexts(config.DataRoot(), speed, texts, {}, voice->IsEngine());
  if (take.speaking_ms < 0) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), take.error.c_str());
    return false;
  }
  level.speech_db = bench::SpeechLevelDb(take.samples, say::kCaptureRate);
  int peak = 0;
  for (int16_t s : take.samples) peak = std::max(peak, std::abs(int{s}));
  level.peak_db = peak > 0 ? 20 * std::log10(peak / 32768.0) : -200;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> voices = {"recorded", "espeak", "sivra"};
  std::vector<int> speeds = {1, 2, 3, 4, 5};
  for (int k = 1; k < argc; ++k) {
    const std::string option = argv[k];
    if (option == "--voice" && k + 1 < argc) voices = {argv[++k]};
    if (option == "--speed" && k + 1 < argc) speeds = {std::atoi(argv[++k])};
  }
  const std::vector<std::string> texts = say::CatalogueAndParagraph();
  std::printf("speech level (peak), dB of full scale, over %zu texts\n%-6s", texts.size(), "speed");
  for (const std::string& voice : voices) std::printf(" %18s", voice.c_str());
  std::printf("  spread\n");
  int failed = 0;
  double widest = 0;
  for (int speed : speeds) {
    std::printf("%-6d", speed);
    double low = 0, high = -200;
    for (const std::string& voice : voices) {
      Level level;
      if (!Measure(voice, speed, texts, level)) {
        failed = 1;
        std::printf(" %18s", "-");
        continue;
      }
      std::printf(" %8.1f (%6.1f)", level.speech_db, level.peak_db);
      low = high < -199 ? level.speech_db : std::min(low, level.speech_db);
      high = std::max(high, level.speech_db);
    }
    std::printf("  %5.1f\n", high - low);
    widest = std::max(widest, high - low);
  }
  std::printf("widest spread between the voices at one speed: %.1f dB\n", widest);
  return failed;
}
