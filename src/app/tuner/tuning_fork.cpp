// The tuning fork: its key loop, the note player with repetition, and its help listing.
#include "app/tuner/tuning_fork.hpp"

#include <cstdint>

#include "app/key_help.hpp"
#include "app/message_catalogue.hpp"
#include "base/keys.hpp"
#include "base/windows1252.hpp"

namespace cadencio::app {

namespace {

using base::key::kEsc, base::key::kSpace, base::key::kF1;
constexpr int kRepeatGapMs = 500;
constexpr int kHelpPauseMs = 250;

enum class ForkAction { kNote, kAllStrings, kRepeat, kTuner, kHelp, kReturn };

// The tuning fork's keys, in the order F1 lists them. The fork reads one code per key, upper-cased:
// an extended key acts as the character of its scan code. A key that is told with the line
// before it has no line of its own.
struct ForkCommand {
  uint8_t upper;
  const char* help;  // the catalogue text F1 says; null when F1 does not list the key
  ForkAction action;
  KeyDoc doc;
};

constexpr ForkCommand kForkCommands[] = {
    {'A',
     "CAA",
     ForkAction::kNote,
     {"E A D G B X", "play the guitar's open strings (X is the high E)", "E A D G B X",
      "tocam as cordas soltas do violão (X é o Mi agudo)"}},
    {'B', "CAB", ForkAction::kNote, {}},
    {'D', "CAD", ForkAction::kNote, {}},
    {'E', "CAE", ForkAction::kNote, {}},
    {'G', "CAG", ForkAction::kNote, {}},
    {'X', "CAX", ForkAction::kNote, {}},
    {'M',
     "CAM",
     ForkAction::kNote,
     {"M / S", "the E and G major chords", "M / S", "os acordes de Mi e Sol maior"}},
    {'S', "CAS", ForkAction::kNote, {}},
    {kSpace,
     "CABARR2",
     ForkAction::kAllStrings,
     {"Space", "all strings in turn", "Espaço", "todas as cordas, uma a uma"}},
    {'R',
     "CAR",
     ForkAction::kRepeat,
     {"R", "repeats the note every half second; R again stops", "R",
      "repete a nota a cada meio segundo; R de novo para"}},
    {'O', "CAO", ForkAction::kTuner, {"O", "opens the tuner", "O", "abre o afinador"}},
    {kF1, nullptr, ForkAction::kHelp, {"F1", "lists the keys", "F1", "lista as teclas"}},
    {kEsc,
     "CAESC2",
     ForkAction::kReturn,
     {"Esc", "returns to the metronome", "Esc", "volta ao metrônomo"}},
};

const ForkCommand* FindForkCommand(uint8_t upper) {
  for (const ForkCommand& command : kForkCommands) {
    if (command.upper == upper) return &command;
  }
  return nullptr;
}

// What a help line says a note key plays: "nota LA" from "A -- nota LA".
std::string NoteName(const std::string& help_key) {
  const std::string line = MessageText(help_key);
  const std::size_t dashes = line.find("-- ");
  return dashes == std::string::npos ? line : line.substr(dashes + 3);
}

}  // namespace

std::vector<KeyDoc> TuningForkKeyDocs() {
  std::vector<KeyDoc> docs;
  for (const ForkCommand& command : kForkCommands) {
    if (!command.doc.keys_en.empty()) docs.push_back(command.doc);
  }
  return docs;
}

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
  for (const ForkCommand& command : kForkCommands) {
    if (command.help != nullptr) SayMessage(console, speech, command.help, 1);
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
    const base::Key key = console.ReadWholeKey();
    const ForkCommand* command = FindForkCommand(base::AsciiUpperCase(key.code));
    if (command == nullptr) {
      SayMessage(console, speech, "CAAPTF1", 1);
      continue;
    }
    if (command->action == ForkAction::kReturn) break;
    switch (command->action) {
      case ForkAction::kNote:
        speech.ShowSpoken(NoteName(command->help));
        // The recording is named by the character as typed; its lookup ignores case.
        PlayNote(console, speech, std::string(1, static_cast<char>(key.code)), repeat,
                 state.SpeechLevel);
        break;
      case ForkAction::kAllStrings:
        speech.ShowSpoken(NoteName(command->help));
        PlayNote(console, speech, "T", repeat, state.SpeechLevel);
        break;
      case ForkAction::kHelp:
        ShowTuningForkHelp(console, speech);
        break;
      case ForkAction::kTuner:
        RunTuner(console, speech, tuner);
        break;
      case ForkAction::kRepeat:
        repeat = !repeat;
        speech.ShowSpoken(repeat ? "Repeti\xE7\xE3o ligada" : "Repeti\xE7\xE3o desligada");
        speech.PlayPromptWav(repeat ? "CAREP" : "CANAOREP");
        break;
      case ForkAction::kReturn:
        break;
    }
  }
  console.DrainKeys();
  console.WriteLine();
  SayMessage(console, speech, "CARETOR", 1);
}

}  // namespace cadencio::app
