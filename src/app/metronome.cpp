// The metronome: start-up sequence, tempo entry, beat loop and key commands.
#include "app/metronome.hpp"

#include <cctype>
#include <charconv>

#include "app/message_catalogue.hpp"
#include "app/settings_store.hpp"
#include "app/tuning_fork.hpp"
#include "console/screen_review.hpp"
#include "platform/keys.hpp"
#include "speech/field_editor.hpp"
#include "speech/number_reading.hpp"
#include "speech/review_voice.hpp"

namespace cadencio::app {

namespace {

// The integer value of a text that is a whole decimal number (an optional sign, digits and
// nothing else); nothing otherwise.
bool WholeNumber(const std::string& text, int32_t& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last && first != last;
}

// The tempo a text gives: blanks around the number are not part of it; anything that is not
// a whole number then gives the default tempo.
int32_t TempoFromText(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  const std::string number =
      first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(' ') - first + 1);
  int32_t bpm = 0;
  return WholeNumber(number, bpm) ? bpm : kDefaultBpm;
}

int32_t BpmIntoRange(int32_t bpm) {
  if (bpm < kMinBpm) return kDefaultBpm;
  if (bpm > kMaxBpm) return kMaxBpm;
  return bpm;
}

uint8_t AsciiUpper(uint8_t ch) {
  return (ch >= 'a' && ch <= 'z') ? ch - 32 : ch;
}

// Main-loop key codes (the character, or the scan code after a 0).
using platform::key::kTab, platform::key::kEsc, platform::key::kSpace, platform::key::kF1,
    platform::key::kF2, platform::key::kF3, platform::key::kF4, platform::key::kF6,
    platform::key::kF8, platform::key::kF9, platform::key::kCtrlF9, platform::key::kUp,
    platform::key::kPgUp, platform::key::kDown, platform::key::kPgDn;

}  // namespace

Metronome::Metronome(console::Console& console, speech::SpeechFrontEnd& speech,
                     platform::AudioOutput& output, platform::BeatChannel& beats,
                     platform::Clock& clock)
    : console_(console), speech_(speech), beats_(beats), schedule_(output, clock) {}

void Metronome::Say(const std::string& key, int line_ends) {
  SayMessage(console_, speech_, key, line_ends);
}

void Metronome::StartMetronome() {
  console::ClearReviewSearchText();
  std::string prompt_dir = speech_.ReadIniString("CADENCIO", "DIRCADENCIO");
  speech_.InitSpeech(0, prompt_dir);
  state_.BpmText.clear();
  state_.MeasureText.clear();
  state_.TempoSound.clear();
  state_.MeasureSound.clear();
  state_.NoEffectsFile = false;
  state_.AskAlways = false;
  if (!WholeNumber(speech_.ReadIniString("TRADUTOR", "VELOCIDADE"), state_.SpeechLevel)) {
    state_.SpeechLevel = 2;
  }
  console_.ClearScreen();
  speech_.LoadSynthSettings(1);
  Say("CAINIC", 1);
  console_.WriteLine("Projeto AUDIRA - KOR/UNTA");
  console_.WriteLine();
  console_.WriteLine();
  speech_.LoadSynthSettings(state_.SpeechLevel);
  if (!effects_.LoadEffectsFile(speech_)) state_.NoEffectsFile = true;
  LoadDefaults(speech_, state_);
  state_.TempoSound = std::string(kEffectsDir) +
                      (state_.TempoSound.empty() ? "padrao1" : state_.TempoSound) + ".wav";
  state_.MeasureSound = std::string(kEffectsDir) +
                        (state_.MeasureSound.empty() ? "padrao2" : state_.MeasureSound) + ".wav";
  EnterTempoAndMeasure();
}

void Metronome::EnterTempoAndMeasure() {
  if (state_.AskAlways || state_.BpmText.empty()) {
    Say("CAINFBPM", 0);
    // The tempo is edited in place at the cursor; whatever key ends the editing, the text
    // is taken. Alt+Ctrl+F9 in the field opens the screen review.
    speech::EditLine(speech_, state_.BpmText, console_.CursorColumn(), console_.CursorRow(),
                     /*editable=*/true, /*width=*/80, /*capacity=*/250,
                     [this] { speech::ReviewScreen(speech_); });
    state_.Bpm = TempoFromText(state_.BpmText);
    console_.WriteLine();
  } else {
    state_.Bpm = TempoFromText(state_.BpmText);
  }
  state_.Bpm = BpmIntoRange(state_.Bpm);

  uint8_t key;
  if (state_.AskAlways || state_.MeasureText.empty()) {
    Say("CAINFCOM", 1);
    console_.Delay(150);
    Say("CAINFBTQ", 0);
    key = speech_.ReadKeySpoken();
    console_.Write(std::string(1, static_cast<char>(key)));
    console_.WriteLine();
  } else {
    key = static_cast<uint8_t>(state_.MeasureText[0]);
  }
  key = AsciiUpper(key);
  if (key == 'B') {
    state_.BeatsPerMeasure = 2;
  } else if (key == 'T') {
    state_.BeatsPerMeasure = 3;
  } else if (key == 'Q') {
    state_.BeatsPerMeasure = 4;
  } else if (key >= '0' && key <= '9') {
    state_.BeatsPerMeasure = key - '0';
  } else {
    state_.BeatsPerMeasure = 4;
  }
  console_.WriteLine();
  console_.WriteLine();
  state_.BeatPeriodMs = BeatPeriodMs(state_.Bpm);
  schedule_.Restart();
}

void Metronome::PlayBeat(const std::string& path) {
  if (console_.KeyPressed()) return;
  beats_.Play(path, schedule_.NextOnset(state_.BeatPeriodMs));
  schedule_.WaitForFollowingBeat(state_.BeatPeriodMs, console_);
  console_.PumpAllMessages();
}

void Metronome::RunMainLoop() {
  Say("CAOKF1", 1);
  playing_ = true;
  schedule_.Restart();
  for (;;) {
    if (playing_) {
      PlayBeat(state_.TempoSound);
      if (state_.BeatsPerMeasure > 1) {
        for (int beat = 1;; ++beat) {
          PlayBeat(state_.MeasureSound);
          if (beat == state_.BeatsPerMeasure - 1 || console_.KeyPressed()) break;
        }
      }
    }
    if (!playing_ && !console_.KeyPressed()) {
      console_.WaitMessage();  // silent: sleep until a key comes instead of spinning
    }
    if (console_.KeyPressed()) {
      uint8_t code = console_.ReadKey();
      if (code == 0) code = console_.ReadKey();
      schedule_.Restart();  // the next pass starts a new measure
      if (!RunKeyCommand(code)) continue;
      state_.Bpm = BpmIntoRange(state_.Bpm);
      if (code == kUp || code == kDown || code == kPgUp || code == kPgDn) {
        state_.BpmText = std::to_string(state_.Bpm);
        state_.BeatPeriodMs = BeatPeriodMs(state_.Bpm);
        speech_.SpeakText(state_.BpmText);
      }
      if (code == kEsc) AskToEnd();
    }
    if (last_answer_ == 13 || (last_answer_ >= 0 && AsciiUpper(last_answer_) == 'S')) return;
  }
}

bool Metronome::RunKeyCommand(uint8_t code) {
  switch (code) {
    case kTab:
      playing_ = !playing_;
      if (!playing_) speech_.PlayBeep();
      speech_.DrainKeys();
      return false;
    case kSpace:
      Pause();
      break;
    case kF1:
      ShowMainHelp();
      break;
    case kF2:
      StoreDefaults(console_, speech_, state_);
      break;
    case kF3:
      speech::ReviewScreen(speech_);
      break;
    case kF4:
      RunTuningFork(console_, speech_, state_);
      break;
    case kF6:
      state_.AskAlways = true;
      EnterTempoAndMeasure();
      break;
    case kF8:
      speech::SpeakTime(speech_);
      break;
    case kF9:
      if (!state_.NoEffectsFile) {
        if (effects_.BuildEffectList() > 0) {
          effects_.ChangeSounds(console_, speech_, beats_, state_);
        } else {
          Say("CAARQINE", 1);
        }
      }
      break;
    case kCtrlF9:
      if (!state_.NoEffectsFile) {
        if (effects_.BuildModelList() > 0) {
          state_.ModelMode = true;
          effects_.ChangeSounds(console_, speech_, beats_, state_);
          state_.ModelMode = false;
        } else {
          Say("CAARQINE", 1);
        }
      }
      break;
    case kUp:
      state_.Bpm += 1;
      break;
    case kPgUp:
      state_.Bpm += 10;
      break;
    case kDown:
      state_.Bpm -= 1;
      break;
    case kPgDn:
      state_.Bpm -= 10;
      break;
    default:
      break;  // no command: the measure restarts
  }
  return true;
}

void Metronome::Pause() {
  state_.BeatPeriodMs = BeatPeriodMs(state_.Bpm);
  Say("CAVALBPM", 0);
  speech_.WriteSpeak(std::to_string(state_.Bpm));
  Say("CAPAUATI", 1);
  while (console_.ReadKey() != ' ') {
  }
  speech_.DrainKeys();
  Say("CAPAUDES", 1);
}

void Metronome::AskToEnd() {
  speech_.DrainKeys();
  Say("CACONFIM", 0);
  uint8_t answer = speech_.ReadKeySpoken();
  console_.Write(std::string(1, static_cast<char>(answer)));
  console_.WriteLine();
  last_answer_ = answer;
}

void Metronome::ShowMainHelp() {
  console_.WriteLine();
  Say("CAOPTEC", 1);
  console_.Delay(250);
  console_.WriteLine();
  for (const char* key : {"CAF1", "CAF2", "CAF4", "CAF6", "CAF8", "CAF9", "CACTLF9", "CABARR1",
                          "CASET", "CAPG", "CAESC1"}) {
    Say(key, 1);
  }
  console_.Delay(250);
  console_.WriteLine();
  Say("CAQUAL", 1);
  console_.WriteLine();
}

void Metronome::EndMetronome() {
  speech_.LoadSynthSettings(1);
  Say("CAFIM", 1);
  speech_.LoadSynthSettings(state_.SpeechLevel);
  speech_.EndSpeech();
  console::ClearReviewSearchText();
  console_.CloseConsole();
}

void RunCadencio(speech::ProgramParts& parts) {
  Metronome metronome(parts.console, parts.speech, parts.devices.audio, parts.beats,
                      parts.devices.clock);
  metronome.StartMetronome();
  metronome.RunMainLoop();
  metronome.EndMetronome();
}

}  // namespace cadencio::app
