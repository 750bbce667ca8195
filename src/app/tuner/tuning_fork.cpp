// The tuning fork: its key loop, the note player with repetition, and its help listing.
#include "app/tuner/tuning_fork.hpp"

#include <cstdint>

#include "app/message_catalogue.hpp"
#include "base/keys.hpp"
#include "base/windows1252.hpp"

namespace cadencio::app {

namespace {

using base::key::kEsc, base::key::kSpace, base::key::kF1;
constexpr int kRepeatGapMs = 500;
constexpr int kHelpPauseMs = 250;

bool IsNoteKey(uint8_t upper) {
  switch (upper) {
    case 'A':
    case 'B':
    case 'D':
    case 'E':
    case 'G':
    case 'M':
    case 'S':
    case 'X':
      return true;
    default:
      return false;
  }
}

// What a help line says a note key plays: "nota LA" from "A -- nota LA".
std::string NoteName(const std::string& help_key) {
  const std::string line = MessageText(help_key);
  const std::size_t dashes = line.find("-- ");
  return dashes == std::string::npos ? line : line.substr(dashes + 3);
}

}  // namespace

void PlayNote(console::Console& console, speech::SpeechFrontEnd& speech, const std::string& name,
              bool repeat, int speech_level) {
  speech.LoadSynthSettings(1);
  if (!repeat) {
    speech.PlayPromptWav(name);
  } else {
    // The test comes after the wait, so the recording starts at least once.
    do {
      speech.PlayPromptWav(name);
      console.Delay(kRepeatGapMs);
    } while (!console.KeyPressed());
  }
  speech.LoadSynthSettings(speech_level);
}

void ShowTuningForkHelp(console::Console& console, speech::SpeechFrontEnd& speech) {
  console.WriteLine();
  SayMessage(console, speech, "CAOPTEC", 1);
  console.Delay(kHelpPauseMs);
  console.WriteLine();
  for (const char* key : {"CAA", "CAB", "CAD", "CAE", "CAG", "CAX", "CAM", "CAS", "CABARR2", "CAR",
                          "CAO", "CAESC2"}) {
    SayMessage(console, speech, key, 1);
  }
  console.Delay(kHelpPauseMs);
  console.WriteLine();
  SayMessage(console, speech, "CAQUAL", 1);
  console.WriteLine();
}

void RunTuningFork(console::Console& console, speech::SpeechFrontEnd& speech,
                   const MetronomeState& state, const TunerDevices& tuner) {
  speech.LoadSynthSettings(1);
  speech.PlayPromptWav("CADIMU");
  speech.LoadSynthSettings(state.SpeechLevel);
  SayMessage(console, speech, "CAINFNOT", 1);
  bool repeat = false;  // each visit starts without repetition
  for (;;) {
    // One code per key: an extended key acts as the character of its scan code.
    uint8_t code = console.ReadKey();
    if (code == 0) code = console.ReadKey();
    const uint8_t upper = base::AsciiUpperCase(code);
    if (upper == kEsc) break;
    if (IsNoteKey(upper)) {
      speech.ShowSpoken(NoteName("CA" + std::string(1, static_cast<char>(upper))));
      // The recording is named by the character as typed; its lookup ignores case.
      PlayNote(console, speech, std::string(1, static_cast<char>(code)), repeat, state.SpeechLevel);
    } else if (upper == kSpace) {
      speech.ShowSpoken(NoteName("CABARR2"));
      PlayNote(console, speech, "T", repeat, state.SpeechLevel);
    } else if (upper == kF1) {
      ShowTuningForkHelp(console, speech);
    } else if (upper == 'O') {
      RunTuner(console, speech, tuner);
    } else if (upper == 'R') {
      repeat = !repeat;
      speech.ShowSpoken(repeat ? "Repeti\xE7\xE3o ligada" : "Repeti\xE7\xE3o desligada");
      speech.PlayPromptWav(repeat ? "CAREP" : "CANAOREP");
    } else {
      SayMessage(console, speech, "CAAPTF1", 1);
    }
  }
  console.DrainKeys();
  console.WriteLine();
  SayMessage(console, speech, "CARETOR", 1);
}

}  // namespace cadencio::app
