// The metronome: start-up sequence, tempo entry, beat loop and key commands.
#include "app/metronome.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <utility>

#include "app/beat_sounds.hpp"
#include "app/message_catalogue.hpp"
#include "app/settings_store.hpp"
#include "base/whole_number.hpp"
#include "base/windows1252.hpp"
#include "dialogs/field_editor.hpp"
#include "dialogs/front_end_review_voice.hpp"
#include "dialogs/screen_review.hpp"
#include "files/atomic_file.hpp"

namespace cadencio::app {

namespace {

// Sets `value` to the whole number `text` holds; false, and `value` unchanged, otherwise.
bool WholeNumber(const std::string& text, int32_t& value) {
  const std::optional<int> number = base::ParseWholeNumber(text);
  if (number) value = *number;
  return number.has_value();
}

// The tempo a text gives: blanks around the number are not part of it; a number beyond int is
// taken at int's end, and anything that is not a whole number gives the default tempo.
int32_t TempoFromText(const std::string& text) {
  return base::ParseWholeNumberClamped(base::TrimBlanks(text)).value_or(kDefaultBpm);
}

// What is said after a tempo, typed or stored, that was not taken as it stands: the default for
// a text that is not a whole number from 1 up (an empty field takes the suggested tempo in
// silence), the highest tempo for a number above it, however many digits it has; null when the
// tempo is the one given.
const char* TempoNotice(const std::string& text) {
  const std::string_view given = base::TrimBlanks(text);
  if (given.empty()) return nullptr;
  const std::optional<int> bpm = base::ParseWholeNumberClamped(given);
  if (bpm && *bpm > kMaxBpm) return "CABPMMAX";
  return bpm && *bpm >= kMinBpm ? nullptr : "CABPMINV";
}

// How much of a stored measure that gives none is said.
constexpr std::size_t kShownMeasureText = 20;

// The rate of the restored tempo and measure as played: speech needs no more.
constexpr int kRestoredRate = 22050;

}  // namespace

Metronome::Metronome(console::Console& console, speech::SpeechFrontEnd& speech,
                     dialogs::SpokenKeyReader& keys, const files::AudiraSettings& settings,
                     audio::AudioOutput& output, audio::BeatChannel& beats, base::Clock& clock)
    : console_(console),
      speech_(speech),
      keys_(keys),
      settings_(settings),
      field_{console, speech, keys, settings},
      output_(output),
      beats_(beats),
      clock_(clock),
      link_(nullptr, clock),
      listening_(console, speech, output),
      beat_(console, speech, output, beats, clock, state_, count_words_, taps_, link_) {
  tuner_.output = &output;
  beat_.SetListening(&listening_);
}

void Metronome::Say(const std::string& key, int line_ends) {
  SayMessage(console_, speech_, key, line_ends);
}

void Metronome::StartMetronome() {
  dialogs::ClearReviewSearchText();
  std::string prompt_dir = settings_.ReadIniString("CADENCIO", "DIRCADENCIO");
  speech_.InitSpeech(0, prompt_dir);
  state_.BpmText.clear();
  state_.MeasureText.clear();
  state_.TempoSound.clear();
  state_.MeasureSound.clear();
  state_.NoEffectsFile = false;
  state_.AskAlways = false;
  if (!WholeNumber(settings_.ReadIniString("TRADUTOR", "VELOCIDADE"), state_.SpeechLevel)) {
    state_.SpeechLevel = 2;
  }
  console_.ClearScreen();
  speech_.LoadSynthSettings(1);
  Say("CAINIC", 1);
  console_.WriteLine("Projeto AUDIRA - KOR/UNTA");
  console_.WriteLine();
  console_.WriteLine();
  speech_.LoadSynthSettings(state_.SpeechLevel);
  SayStartNotices();
  if (!effects_.LoadEffectsFile(settings_)) state_.NoEffectsFile = true;
  LoadDefaults(settings_, state_);
  restored_ = !state_.BpmText.empty() || !state_.MeasureText.empty();
  output_.GetMixer().SetBeatGain(BeatGain(state_.BeatVolume));
  state_.TempoSound =
      EffectPath(state_.TempoSound.empty() ? kDefaultTempoSound : state_.TempoSound);
  state_.MeasureSound =
      EffectPath(state_.MeasureSound.empty() ? kDefaultMeasureSound : state_.MeasureSound);
  KeepPlayableSounds(console_, speech_, beats_, state_);
  EnterTempoAndMeasure();
}

void Metronome::SayStartNotices() {
  if (speech_.EngineFailed()) {
    switch (speech_.Engine().Family()) {
      case engines::EngineFamily::kInProcess:
        Say("CAVOZESP", 1);
        break;
      case engines::EngineFamily::kService:
        Say("CAVOZSPD", 1);
        break;
      case engines::EngineFamily::kSivra:
        Say("CAVOZINT", 1);
        break;
    }
  }
  if (jack_wanted_ && output_.DriverName() != "jack") Say("CAJCKIND", 1);
  if (audio::TransportTimeline* timeline = output_.Transport()) {
    Say(timeline->GetRole() == audio::TransportTimeline::Role::kFollow ? "CAJCKSEG" : "CAJCKMES",
        1);
  }
  const std::string config = settings_.ConfigFile();
  if (!files::CanReplaceFile(config)) {
    Say("CACFGGRV", 0);
    const std::string dir = std::filesystem::path(config).parent_path().string();
    speech_.WriteSpeak(base::Utf8ToWindows1252(dir).bytes);
    console_.WriteLine();
  }
}

void Metronome::EnterTempoAndMeasure() {
  if (state_.AskAlways || state_.BpmText.empty()) {
    Say("CAINFBPM", 0);
    // The tempo is edited in place at the cursor; whatever key ends the editing, the text
    // is taken. Alt+Ctrl+F9 in the field opens the screen review.
    dialogs::EditLine(field_, state_.BpmText, console_.CursorColumn(), console_.CursorRow(),
                      /*editable=*/true, /*width=*/80, /*capacity=*/250,
                      [this] { dialogs::ReviewScreen(console_, speech_); });
    console_.WriteLine();
  }
  state_.Bpm = TempoIntoRange(TempoFromText(state_.BpmText));
  if (const char* notice = TempoNotice(state_.BpmText)) Say(notice, 1);

  std::optional<int> beats;
  std::string refused;  // a stored value that gave no measure, said so
  if (state_.AskAlways || state_.MeasureText.empty()) {
    Say("CAINFCOM", 1);
    console_.Delay(150);
    Say("CAINFBTQ", 0);
    const uint8_t key = keys_.ReadKeySpoken();
    console_.Write(std::string(1, static_cast<char>(key)));
    console_.WriteLine();
    beats = MeasureOfKey(key);  // any other key plays a quaternary measure
  } else {
    beats = StoredMeasure(state_.MeasureText);
    if (!beats) refused = state_.MeasureText.substr(0, kShownMeasureText);
  }
  state_.BeatsPerMeasure = beats.value_or(4);
  if (!refused.empty()) {
    Say("CACOMINV", 0);
    speech_.WriteSpeak(refused);
    Say("CACOMASS", 1);
  }
  console_.WriteLine();
  console_.WriteLine();
  state_.BeatPeriodMs = BeatPeriodMs(state_.Bpm);
  beat_.ShowTempoAndMeasure();
}

void Metronome::SayValue(const std::string& key, int32_t value, const char* end) {
  Say(key, 0);
  speech_.WriteSpeak(std::to_string(value));
  if (end != nullptr) Say(end, 0);
  console_.WriteLine();
}

void Metronome::SayRestoredSettings() {
  const auto say = [this] {
    speech_.WriteSpeak(std::to_string(state_.Bpm));
    Say("CABPM", 0);
    SayMeasure(console_, speech_, state_.BeatsPerMeasure);
    console_.WriteLine();
  };
  if (recorder_ == nullptr || !speech_.SpeechRecordable()) return say();
  // Rendered at once and played while the beat starts: saying it would hold the program
  // thread, and the beat with it, until its last word.
  const std::vector<float> said = RenderSaid(speech_, *recorder_, say, kRestoredRate);
  std::vector<uint8_t> pcm;
  pcm.reserve(said.size());
  for (std::size_t i = 0; i < said.size(); i += 2) {
    const auto sample = static_cast<int16_t>(std::lround(std::clamp(said[i], -1.0f, 1.0f) * 32767));
    pcm.push_back(static_cast<uint8_t>(sample & 0xFF));
    pcm.push_back(static_cast<uint8_t>((sample >> 8) & 0xFF));
  }
  speech_.Wav().PlayPcm({1, kRestoredRate, 16}, pcm);
}

void Metronome::RunMainLoop() {
  Say("CAOKF1", 1);
  if (restored_) {
    restored_ = false;
    SayRestoredSettings();
  }
  PrepareCountWords();
  if (state_.LinkOn) TurnLinkOn();
  playing_ = true;
  count_in_due_ = state_.CountIn;
  for (;;) {
    if (TakeTapTempo()) link_.OfferTempo(state_.Bpm);
    FollowMapSettings();
    if (playing_ && !console_.KeyPressed() &&
        beat_.PlayUntilKey(std::exchange(count_in_due_, false))) {
      // The song's map came to its end (said), or the session stopped.
      if (beat_.MapEnded()) {
        playing_ = false;
        beat_.Halt(/*stop_session=*/true);
      } else {
        SetPlaying(false, /*by_session=*/true);
      }
    }
    if (!playing_ && !console_.KeyPressed()) {
      beat_.SayServerStopped();
      WaitSilently();
    }
    // The beat stopped for the key; the next pass starts a new measure.
    map_bpm_ = state_.Bpm;
    if (console_.KeyPressed()) RunKeyCommand(console_.ReadWholeKey());
    if (last_answer_ == 13 ||
        (last_answer_ >= 0 && base::AsciiUpperCase(static_cast<uint8_t>(last_answer_)) == 'S')) {
      return;
    }
  }
}

void Metronome::RunKeyCommand(base::Key key) {
  const MainCommand* command = FindMainCommand(Commands(), key);
  if (command != nullptr) {
    (this->*command->run)(key);
    if (command->ends_pass) return;
  }
  // A field editor may have changed the speech speed: the words follow it.
  if (count_words_.PreparedSpeed() != speech_.Speed()) PrepareCountWords();
  state_.Bpm = TempoIntoRange(state_.Bpm);
  link_.OfferTempo(state_.Bpm);
  beat_.ShowTempoAndMeasure();
}

void Metronome::EndMetronome() {
  speech_.LoadSynthSettings(1);
  Say("CAFIM", 1);
  speech_.LoadSynthSettings(state_.SpeechLevel);
  speech_.EndSpeech();
  dialogs::ClearReviewSearchText();
  console_.CloseConsole();
}

}  // namespace cadencio::app
