// The count words "um" to "nove" as the metronome renders them for counting aloud, by each
// voice whose sound passes through the program: each word's length in ms and its level (RMS
// over the word, dB of full scale), and the spread of the levels. Every word should last at
// least 150 ms and lie within 6 dB of the others.
//
// Usage: count_word_levels [--voice recorded|espeak|sivra] [--speed N]
// (all three voices by default, at the speed [TRADUTOR] VELOCIDADE gives)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/count_words.hpp"
#include "lib/spoken_corpus.hpp"
#include "program/capture_rig.hpp"

namespace {

using namespace cadencio;

int Report(const char* name, int speed) {
  return say::WithCapturedVoice(name, speed, [name](program::CaptureRig& rig) {
    app::CountWords words;
    words.Prepare(rig.console, rig.speech, &rig.parts.recorder, rig.parts.beats, say::kCaptureRate);
    std::printf("%-9s %d", name, rig.speech.Speed());
    double low = 0, high = -200;
    for (int n = 1; n <= app::kCountWords; ++n) {
      const audio::Sound* word = words.Word(n);
      const double level = word ? app::WordLevelDb(*word) : -200;
      const double ms = word ? 1000.0 * word->FrameCount() / say::kCaptureRate : 0;
      std::printf(" %4.0f ms %5.1f dB |", ms, level);
      low = n == 1 ? level : std::min(low, level);
      high = std::max(high, level);
    }
    std::printf(" spread %.1f dB\n", high - low);
    return 0;
  });
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> voices = {"recorded", "espeak", "sivra"};
  int speed = 0;
  for (int k = 1; k < argc; ++k) {
    const std::string option = argv[k];
    if (option == "--voice" && k + 1 < argc) voices = {argv[++k]};
    if (option == "--speed" && k + 1 < argc) speed = std::atoi(argv[++k]);
  }
  std::printf("%-9s sp", "voice");
  for (int n = 1; n <= app::kCountWords; ++n) std::printf(" %-15d|", n);
  std::printf("\n");
  int failed = 0;
  for (const std::string& voice : voices) failed |= Report(voice.c_str(), speed);
  return failed;
}
