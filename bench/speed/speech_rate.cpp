// Syllables per second of every voice at each speech speed, 1 to 5: the same sentences
// (their syllables counted by hand) spoken through the program's speech front end into the
// captured stream, each timed from its first sounding sample to its last. speech-dispatcher
// plays its own sound, which cannot be captured: its row is espeak-ng at the words per minute
// that the rate the program sets gives through the service's espeak-ng output module.
//
// Usage: speech_rate [--voice recorded|espeak|sivra|dispatcher]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engines/speech_speed.hpp"
#include "files/profile_file.hpp"
#include "lib/spoken_corpus.hpp"

namespace {

using namespace cadencio;

struct Sentence {
  const char* utf8;
  int syllables;
};
const Sentence kSentences[] = {
    {"O metrônomo marca o andamento da música com batidas regulares.", 24},
    {"Os músicos estudam devagar e aumentam a velocidade aos poucos.", 23},
    {"Contagem inicial ligada", 10},
    {"Confirma o fim do programa", 9},
};

// Seconds from the first to the last sample above 1% of full scale; 0 when none is.
double SoundingSeconds(const std::vector<int16_t>& samples) {
  constexpr int kFloor = 328;
  std::size_t first = samples.size(), last = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (samples[i] > kFloor || samples[i] < -kFloor) {
      first = std::min(first, i);
      last = i;
    }
  }
  return first < samples.size() ? double(last - first + 1) / say::kCaptureRate : 0;
}

// Syllables per second of the sentences at `speed`; negative when the voice did not speak.
double SyllablesPerSecond(const say::VoiceChoice& voice, int speed) {
  say::ShippedConfig config(&voice);
  if (!config.Error().empty()) return -1;
  if (std::string(voice.name) == "dispatcher") {
    // espeak-ng in the program at the service module's words per minute, at speed 3.
    const double factor = engines::SpeedFactor(speed);
    const int words = int(engines::ServiceWordsPerMinute(engines::ServiceRateTimes(0, factor)));
    const std::string ini = std::string(std::getenv("AUDIRA_WINDIR")) + "/AUDIRA.INI";
    files::ProfileFile::WriteString(ini, "SERVFALA", "TIPOSAPI", "4");
    files::ProfileFile::WriteString(ini, "SERVFALA", "VELOCIDADE", std::to_string(words));
    speed = engines::kNormalSpeed;
  }
  double seconds = 0;
  int syllables = 0;
  for (const Sentence& sentence : kSentences) {
    const say::SpokenTake take = say::SpeakTexts(
        config.DataRoot(), speed, {say::CodePageText(sentence.utf8)}, {}, voice.IsEngine());
    if (!take.error.empty()) {
      std::fprintf(stderr, "%s: %s\n", voice.name, take.error.c_str());
      return -1;
    }
    seconds += SoundingSeconds(take.samples);
    syllables += sentence.syllables;
  }
  return seconds > 0 ? syllables / seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> voices = {"recorded", "espeak", "sivra", "dispatcher"};
  if (argc == 3 && std::string(argv[1]) == "--voice") voices = {argv[2]};
  std::printf("%-11s %8s %8s %8s %8s %8s %8s\n", "syll./s", "speed 1", "2", "3", "4", "5", "5 / 1");
  int failed = 0;
  for (const std::string& name : voices) {
    const say::VoiceChoice* voice = say::FindVoice(name);
    if (voice == nullptr) {
      std::fprintf(stderr, "no voice %s (%s)\n", name.c_str(), say::VoiceNames().c_str());
      return 2;
    }
    double rate[5];
    for (int speed = 1; speed <= 5; ++speed) rate[speed - 1] = SyllablesPerSecond(*voice, speed);
    failed |= rate[0] <= 0 || rate[4] <= 0;
    std::printf("%-11s %8.2f %8.2f %8.2f %8.2f %8.2f %8.2f\n", name.c_str(), rate[0], rate[1],
                rate[2], rate[3], rate[4], rate[4] / rate[0]);
  }
  return failed;
}
