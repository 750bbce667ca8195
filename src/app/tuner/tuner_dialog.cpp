// The tuner's key loop: read what the capture device heard, let the tuner judge it, speak its
// answers when the voice is free (or tick in fine tuning), and take the keys.
#include "app/tuner/tuner_dialog.hpp"

#include <optional>
#include <vector>

#include "app/key_help.hpp"
#include "app/message_catalogue.hpp"
#include "app/tuner/fine_tuning.hpp"
#include "app/tuner/tuner.hpp"
#include "base/keys.hpp"
#include "base/windows1252.hpp"

namespace cadencio::app {

namespace {

using base::key::kEsc, base::key::kF1;
// The loop looks at the keys and the captured sound this often.
constexpr int kPassMs = 20;
constexpr int kHelpPauseMs = 250;

}  // namespace

std::vector<KeyDoc> TunerKeyDocs() {
  return {
      {"F", "switches to fine tuning by ear (a tick, faster the further off) and back to words",
       "F",
       "passa para a afinação fina de ouvido (um tique, mais rápido quanto mais fora) e volta "
       "para as palavras"},
      {"F1", "lists the keys", "F1", "lista as teclas"},
      {"Esc / O", "return to the tuning fork", "Esc / O", "voltam ao diapasão"},
  };
}

void ShowTunerHelp(console::Console& console, speech::SpeechFrontEnd& speech) {
  console.WriteLine();
  SayMessage(console, speech, "CAOPTEC", 1);
  console.Delay(kHelpPauseMs);
  console.WriteLine();
  for (const char* key : {"CAOUVRES", "CAOUVF", "CAF1", "CAOUVESC"}) {
    SayMessage(console, speech, key, 1);
  }
}

void RunTunerOn(console::Console& console, speech::SpeechFrontEnd& speech, audio::AudioInput& input,
                audio::AudioOutput* output) {
  // The tuner listens from the moment it opens: a string plucked while it introduces itself is
  // answered once the introduction ends (see Tuner::Answer). The introduction is not cut short
  // by a note: the tuner's own voice reaches the microphone, and it is the one place where a
  // new user hears that F1 lists the keys.
  Tuner tuner(input.SampleRate(), console.GetClock().NowMs());
  SayMessage(console, speech, "CAOUVIR", 1);
  std::optional<FineTuningTicks> ticks;
  bool fine = false;
  std::vector<float> heard;
  for (;;) {
    if (console.KeyPressed()) {
      // Any key cuts what is being said; one code per key, as in the tuning fork.
      speech.StopSpeech();
      const uint8_t upper = base::AsciiUpperCase(console.ReadWholeKey().code);
      if (upper == kEsc || upper == 'O') break;
      if (upper == 'F') {
        fine = !fine;
        if (fine && output != nullptr && !ticks) ticks.emplace(*output);
        if (!fine && ticks) ticks->Stop();
        if (!fine) tuner.AnswerAgain();
        SayMessage(console, speech, fine ? "CAFINO" : "CAPALAV", 1);
      } else if (upper == kF1) {
        if (ticks) ticks->Stop();
        ShowTunerHelp(console, speech);
      } else {
        SayMessage(console, speech, "CAAPTF1", 1);
      }
      // What was heard while the keys were answered is stale.
      heard.clear();
      input.Read(heard);
      continue;
    }
    heard.clear();
    input.Read(heard);
    const int64_t now = console.GetClock().NowMs();
    tuner.Hear(heard, now);
    if (fine && ticks) {
      const auto reading = tuner.Current();
      ticks->Update(reading ? std::optional<double>(reading->cents) : std::nullopt);
    }
    if (auto answer = tuner.Answer(now, speech.SpeechBusy())) {
      if (answer->no_note) {
        SayMessage(console, speech, "CANENHUM", 1);
      } else if (!fine) {
        speech.WriteSpeakLine(answer->text);
      }
    }
    console.Delay(kPassMs);
  }
  if (ticks) ticks->Stop();
  console.DrainKeys();
  console.WriteLine();
  SayMessage(console, speech, "CARETDIA", 1);
}

void RunTuner(console::Console& console, speech::SpeechFrontEnd& speech,
              const TunerDevices& devices) {
  std::unique_ptr<audio::AudioInput> input;
  if (devices.open_input) input = devices.open_input();
  if (!input) {
    SayMessage(console, speech, "CASEMMIC", 1);
    return;
  }
  RunTunerOn(console, speech, *input, devices.output);
}

}  // namespace cadencio::app
