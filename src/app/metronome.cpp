// The metronome: start-up sequence, tempo entry, beat loop and key commands.
#include "app/metronome.hpp"

#include <algorithm>
#include <optional>

#include "app/accent_editor.hpp"
#include "app/message_catalogue.hpp"
#include "app/set_list_dialog.hpp"
#include "app/settings_store.hpp"
#include "app/tuner/tuning_fork.hpp"
#include "base/keys.hpp"
#include "base/whole_number.hpp"
#include "base/windows1252.hpp"
#include "dialogs/field_editor.hpp"
#include "dialogs/front_end_review_voice.hpp"
#include "dialogs/screen_review.hpp"
#include "speech/number_reading.hpp"

namespace cadencio::app {

namespace {

// Sets `value` to the whole number `text` holds; false, and `value` unchanged, otherwise.
bool WholeNumber(const std::string& text, int32_t& value) {
  const std::optional<int> number = base::ParseWholeNumber(text);
  if (number) value = *number;
  return number.has_value();
}

// The tempo a text gives: blanks around the number are not part of it; anything that is not
// a whole number then gives the default tempo.
int32_t TempoFromText(const std::string& text) {
  return base::ParseWholeNumber(base::TrimBlanks(text)).value_or(kDefaultBpm);
}

// What is said after a typed tempo that was not taken as it stands: the default for a text
// that is not a whole number from 1 up (an empty field takes the suggested tempo in silence),
// the highest tempo for a number above it; null when the tempo is the one typed.
const char* TypedTempoNotice(const std::string& text) {
  const std::string_view typed = base::TrimBlanks(text);
  if (typed.empty()) return nullptr;
  const int32_t bpm = TempoFromText(text);
  if (bpm > kMaxBpm) return "CABPMMAX";
  return base::ParseWholeNumber(typed) && bpm >= kMinBpm ? nullptr : "CABPMINV";
}

int32_t BpmIntoRange(int32_t bpm) {
  if (bpm < kMinBpm) return kDefaultBpm;
  if (bpm > kMaxBpm) return kMaxBpm;
  return bpm;
}

// The word said after a value at an end of its range: "máximo" at the top, "mínimo" at the
// bottom; null in between.
const char* RangeEnd(int32_t value, int32_t low, int32_t high) {
  if (value >= high) return "CAMAXIMO";
  if (value <= low) return "CAMINIMO";
  return nullptr;
}

// Main-loop key codes (the character, or the scan code after a 0).
using base::key::kTab, base::key::kEsc, base::key::kSpace, base::key::kF1, base::key::kF2,
    base::key::kF3, base::key::kF4, base::key::kF6, base::key::kF8, base::key::kF9,
    base::key::kCtrlF9, base::key::kUp, base::key::kPgUp, base::key::kDown, base::key::kPgDn,
    base::key::kLeft, base::key::kRight, base::key::kEnter;

// Keys beyond the classic table, on codes that table leaves without a command. Commands go by
// the code alone, so these are the lower-case letters: "C" and "I" are F9 and PgUp.
constexpr uint8_t kSubdivisionsKey = 's';
constexpr uint8_t kCountAloudKey = 'c';
constexpr uint8_t kCountInKey = 'i';
constexpr uint8_t kMutedKey = 'm';
constexpr uint8_t kTrainerKey = 'r';
constexpr uint8_t kAccentsKey = 'a';
constexpr uint8_t kSetListKey = 'l';
constexpr uint8_t kNextSongKey = 'n';
constexpr uint8_t kPreviousSongKey = 'p';

}  // namespace

Metronome::Metronome(console::Console& console, speech::SpeechFrontEnd& speech,
                     speech::SpokenKeyReader& keys, const files::AudiraSettings& settings,
                     audio::AudioOutput& output, audio::BeatChannel& beats, base::Clock& clock)
    : console_(console),
      speech_(speech),
      keys_(keys),
      settings_(settings),
      field_{console, speech, keys, settings},
      output_(output),
      beats_(beats),
      schedule_(output, clock) {
  tuner_.output = &output;
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
  if (!effects_.LoadEffectsFile(settings_)) state_.NoEffectsFile = true;
  LoadDefaults(settings_, state_);
  output_.GetMixer().SetBeatGain(BeatGain(state_.BeatVolume));
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
    dialogs::EditLine(field_, state_.BpmText, console_.CursorColumn(), console_.CursorRow(),
                      /*editable=*/true, /*width=*/80, /*capacity=*/250,
                      [this] { dialogs::ReviewScreen(console_, speech_); });
    state_.Bpm = TempoFromText(state_.BpmText);
    console_.WriteLine();
    if (const char* notice = TypedTempoNotice(state_.BpmText)) Say(notice, 1);
  } else {
    state_.Bpm = TempoFromText(state_.BpmText);
  }
  state_.Bpm = BpmIntoRange(state_.Bpm);

  uint8_t key;
  if (state_.AskAlways || state_.MeasureText.empty()) {
    Say("CAINFCOM", 1);
    console_.Delay(150);
    Say("CAINFBTQ", 0);
    key = keys_.ReadKeySpoken();
    console_.Write(std::string(1, static_cast<char>(key)));
    console_.WriteLine();
  } else {
    key = static_cast<uint8_t>(state_.MeasureText[0]);
  }
  key = base::AsciiUpperCase(key);
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

void Metronome::PlayBeat(const audio::Sound* sound, const audio::Sound* word) {
  if (console_.KeyPressed()) return;
  const int64_t onset = schedule_.NextOnset(state_.Bpm);
  if (word != nullptr) output_.GetMixer().StartCount(word, onset);
  beats_.PlaySound(sound, onset);
  // The extra notes go on the channel at once, each on its own frame after the beat; a key
  // that starts a new measure replaces the ones not yet reached. A silent beat has none.
  const audio::Sound* note = sound == nullptr || state_.Subdivisions < 2
                                 ? nullptr
                                 : beats_.LoadSofter(state_.MeasureSound);
  for (int k = 1; note != nullptr && k < state_.Subdivisions; ++k) {
    beats_.PlaySound(note, schedule_.SubdivisionOnset(k, state_.Subdivisions, state_.Bpm));
  }
  // Speaking takes the program thread a while: the new tempo is said only once its first beat
  // is on the channel, so the beat keeps its frame.
  if (tempo_news_) {
    tempo_news_ = false;
    // Only the number is said, as after Up and Down: the whole line would cover most of a
    // measure at a step every measure. The screen keeps the whole line.
    console_.Write(MessageText("CAVALBPM"));
    speech_.WriteSpeak(std::to_string(state_.Bpm));
    console_.WriteLine();
    if (state_.Bpm == state_.TrainerTarget) {
      state_.StopTrainer();
      Say("CATREFIM", 1);
    }
  }
  schedule_.WaitForFollowingBeat(state_.Bpm, console_);
  console_.PumpAllMessages();
}

bool Metronome::PlayMeasure() {
  const bool muted =
      state_.PlayedMeasures > 0 && state_.MutedMeasures > 0 &&
      measures_done_ % (state_.PlayedMeasures + state_.MutedMeasures) >= state_.PlayedMeasures;
  const bool counting = state_.CountAloud && !muted;
  // Each beat plays the sound of its accent; the measure is taken as it stands when it starts.
  const AccentPattern pattern = PatternFor(state_);
  auto sound = [&](int beat) {
    return muted ? nullptr
                 : AccentSound(beats_, state_, pattern.level[std::min(beat, pattern.beats - 1)]);
  };
  PlayBeat(sound(0), CountWord(1, counting));
  for (int beat = 1; beat < state_.BeatsPerMeasure; ++beat) {
    if (console_.KeyPressed() || taps_.Stopped(console_.GetClock().NowMs())) return false;
    PlayBeat(sound(beat), CountWord(beat + 1, counting));
  }
  return !console_.KeyPressed();
}

void Metronome::MeasureDone() {
  ++measures_done_;
  if (!state_.TrainerOn() || ++trainer_measures_ % state_.TrainerEvery != 0) return;
  const int32_t old_bpm = state_.Bpm;
  const int32_t target = state_.TrainerTarget;
  state_.Bpm = state_.Bpm < target ? std::min(state_.Bpm + state_.TrainerStep, target)
                                   : std::max(state_.Bpm - state_.TrainerStep, target);
  state_.BpmText = std::to_string(state_.Bpm);
  state_.BeatPeriodMs = BeatPeriodMs(state_.Bpm);
  schedule_.ContinueFromNextBeat(old_bpm);
  tempo_news_ = true;
}

int32_t Metronome::AskNumber(const std::string& key, int32_t low, int32_t high) {
  Say(key, 0);
  std::string text;
  dialogs::EditLine(field_, text, console_.CursorColumn(), console_.CursorRow(),
                    /*editable=*/true, /*width=*/80, /*capacity=*/3,
                    [this] { dialogs::ReviewScreen(console_, speech_); });
  console_.WriteLine();
  int32_t value = 0;
  return WholeNumber(text, value) && value >= low && value <= high ? value : -1;
}

void Metronome::ChangeMutedMeasures() {
  if (state_.PlayedMeasures == 0 || state_.MutedMeasures == 0) {
    const int32_t played = AskNumber("CAINFTOC", 1, kMaxMeasureCount);
    const int32_t muted = played > 0 ? AskNumber("CAINFMUD", 1, kMaxMeasureCount) : -1;
    if (played > 0 && muted > 0) {
      state_.PlayedMeasures = played;
      state_.MutedMeasures = muted;
      measures_done_ = 0;
      Say("CAMUDLIG", 1);
      return;
    }
  }
  state_.PlayedMeasures = state_.MutedMeasures = 0;
  Say("CAMUDDES", 1);
}

void Metronome::ChangeTrainer() {
  if (!state_.TrainerOn()) {
    const int32_t target = AskNumber("CAINFFIN", kMinBpm, kMaxBpm);
    const int32_t step = target > 0 ? AskNumber("CAINFPAS", 1, kMaxBpm) : -1;
    const int32_t every = step > 0 ? AskNumber("CAINFCAD", 1, kMaxMeasureCount) : -1;
    if (every > 0 && target != state_.Bpm) {
      state_.TrainerTarget = target;
      state_.TrainerStep = step;
      state_.TrainerEvery = every;
      trainer_measures_ = 0;
      Say("CATRELIG", 1);
      return;
    }
  }
  state_.StopTrainer();
  Say("CATREDES", 1);
}

void Metronome::PlayCountIn() {
  count_in_due_ = false;
  const int beats = std::max(1, state_.BeatsPerMeasure);
  for (int beat = 1; beat <= beats && !console_.KeyPressed(); ++beat) {
    PlayBeat(nullptr, CountWord(beat, true));
  }
}

const audio::Sound* Metronome::CountWord(int beat, bool counting) const {
  if (!counting || beat > kCountWords) return nullptr;
  // The shortest interval of the schedule (the exact one or a frame less): a longer word would
  // run into the next.
  const int64_t period_frames = int64_t{60} * output_.GetMixer().SampleRate() / state_.Bpm;
  const int beats = std::clamp(state_.BeatsPerMeasure, 1, kCountWords);
  if (beat > 1) {
    for (int n = 1; n <= beats; ++n) {
      const audio::Sound* sound = count_words_.Word(n);
      if (sound != nullptr && sound->FrameCount() > period_frames) return nullptr;
    }
  }
  // Counting by groups starts again at each group's first beat.
  return count_words_.Word(state_.CountByGroups ? GroupCount(PatternFor(state_), beat) : beat);
}

void Metronome::PrepareCountWords() {
  if (state_.CountAloud || state_.CountIn) {
    count_words_.Prepare(console_, speech_, recorder_, beats_, output_.GetMixer().SampleRate());
  }
}

bool Metronome::TakeTapTempo() {
  if (!taps_.Stopped(console_.GetClock().NowMs())) return false;
  state_.Bpm = BpmIntoRange(taps_.TakeBpm());
  state_.BpmText = std::to_string(state_.Bpm);
  state_.BeatPeriodMs = BeatPeriodMs(state_.Bpm);
  SayValue("CAVALBPM", state_.Bpm);
  schedule_.Restart();  // the next measure starts on the new tempo
  return true;
}

void Metronome::ChangeBeatVolume(int32_t step) {
  state_.BeatVolume = std::clamp(state_.BeatVolume + step, kMinBeatVolume, kMaxBeatVolume);
  output_.GetMixer().SetBeatGain(BeatGain(state_.BeatVolume));
  SayValue("CAVOLUME", state_.BeatVolume,
           RangeEnd(state_.BeatVolume, kMinBeatVolume, kMaxBeatVolume));
}

void Metronome::ToggleCountAloud() {
  state_.CountAloud = !state_.CountAloud;
  Say(state_.CountAloud ? "CACONLIG" : "CACONDES", 1);
  PrepareCountWords();
}

void Metronome::ToggleCountIn() {
  state_.CountIn = !state_.CountIn;
  Say(state_.CountIn ? "CAINILIG" : "CAINIDES", 1);
  PrepareCountWords();
}

void Metronome::CycleSubdivisions() {
  state_.Subdivisions = state_.Subdivisions % kMaxSubdivisions + 1;
  SayValue("CASUBDIV", state_.Subdivisions, RangeEnd(state_.Subdivisions, 1, kMaxSubdivisions));
}

void Metronome::SayValue(const std::string& key, int32_t value, const char* end) {
  Say(key, 0);
  speech_.WriteSpeak(std::to_string(value));
  if (end != nullptr) Say(end, 0);
  console_.WriteLine();
}

void Metronome::RunMainLoop() {
  Say("CAOKF1", 1);
  PrepareCountWords();
  playing_ = true;
  count_in_due_ = state_.CountIn;
  schedule_.Restart();
  for (;;) {
    TakeTapTempo();
    if (playing_ && count_in_due_) PlayCountIn();
    if (playing_ && PlayMeasure()) MeasureDone();
    if (!playing_ && !console_.KeyPressed()) {
      // Silent: sleep until a key comes instead of spinning, or until a run of taps stops.
      const int64_t stops_at = taps_.StopsAtMs();
      if (stops_at < 0) {
        console_.WaitMessage();
      } else {
        console_.WaitForKey(std::max<int64_t>(0, stops_at - console_.GetClock().NowMs()));
      }
    }
    if (console_.KeyPressed()) {
      uint8_t code = console_.ReadKey();
      if (code == 0) code = console_.ReadKey();
      // The next pass starts a new measure; the notes and words this one scheduled ahead are
      // not heard (what sounds already ends as it would).
      schedule_.Restart();
      output_.GetMixer().DropStartsAfter(output_.GetMixer().FramesRendered() +
                                         output_.LeadFrames());
      if (!RunKeyCommand(code)) continue;
      // A field editor may have changed the speech speed: the words follow it.
      if (count_words_.PreparedSpeed() != speech_.Speed()) PrepareCountWords();
      state_.Bpm = BpmIntoRange(state_.Bpm);
      if (code == kUp || code == kDown || code == kPgUp || code == kPgDn) {
        state_.BpmText = std::to_string(state_.Bpm);
        state_.BeatPeriodMs = BeatPeriodMs(state_.Bpm);
        speech_.SpeakText(state_.BpmText);
        if (const char* end = RangeEnd(state_.Bpm, kMinBpm, kMaxBpm)) Say(end, -1);
      }
      if (code == kEsc) AskToEnd();
    }
    if (last_answer_ == 13 ||
        (last_answer_ >= 0 && base::AsciiUpperCase(static_cast<uint8_t>(last_answer_)) == 'S')) {
      return;
    }
  }
}

bool Metronome::RunKeyCommand(uint8_t code) {
  switch (code) {
    case kTab:
      playing_ = !playing_;
      if (!playing_) speech_.PlayBeep();
      speech::DrainKeys(console_);
      return false;
    case kSpace:
      Pause();
      break;
    case kF1:
      ShowMainHelp();
      break;
    case kF2:
      StoreDefaults(console_, speech_, keys_, settings_, state_);
      break;
    case kF3:
      dialogs::ReviewScreen(console_, speech_);
      break;
    case kF4:
      RunTuningFork(console_, speech_, state_, tuner_);
      break;
    case kF6:
      state_.AskAlways = true;
      EnterTempoAndMeasure();
      count_in_due_ = state_.CountIn;
      break;
    case kF8:
      speech::SpeakTime(console_, speech_);
      break;
    case kF9:
      if (!state_.NoEffectsFile) {
        if (effects_.BuildEffectList() > 0) {
          effects_.ChangeSounds(console_, speech_, keys_, beats_, state_);
        } else {
          Say("CAARQINE", 1);
        }
      }
      break;
    case kCtrlF9:
      if (!state_.NoEffectsFile) {
        if (effects_.BuildModelList() > 0) {
          state_.ModelMode = true;
          effects_.ChangeSounds(console_, speech_, keys_, beats_, state_);
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
    case kLeft:
      ChangeBeatVolume(-1);
      break;
    case kRight:
      ChangeBeatVolume(+1);
      break;
    case kSubdivisionsKey:
      CycleSubdivisions();
      break;
    case kEnter:
      taps_.Tap(console_.GetClock().NowMs());
      break;
    case kCountAloudKey:
      ToggleCountAloud();
      break;
    case kCountInKey:
      ToggleCountIn();
      break;
    case kMutedKey:
      ChangeMutedMeasures();
      break;
    case kTrainerKey:
      ChangeTrainer();
      break;
    case kAccentsKey:
      if (auto choice = EditAccents(console_, speech_, beats_, state_)) {
        state_.Accents = choice->pattern;
        state_.CountByGroups = choice->count_groups;
      }
      break;
    case kSetListKey:
      if (auto chosen = BrowseSetList(field_, SetListLoaded(), SetListPath(settings_.ConfigFile()),
                                      state_, song_)) {
        LoadSong(*chosen);
      }
      break;
    case kNextSongKey:
    case kPreviousSongKey:
      StepSong(code == kNextSongKey ? 1 : -1);
      break;
    default:
      break;  // no command: the measure restarts
  }
  return true;
}

LoadedSetList& Metronome::SetListLoaded() {
  if (!set_list_) {
    set_list_ = LoadSetList(SetListPath(settings_.ConfigFile()));
    if (set_list_->list.Skipped() > 0) SayValue("CAREPIGN", set_list_->list.Skipped());
  }
  return *set_list_;
}

void Metronome::StepSong(int delta) {
  const int count = SetListLoaded().list.Count();
  if (count == 0) {
    Say("CAREPVAZ", 1);
  } else if (song_ + delta < 0 || song_ + delta >= count) {
    speech_.PlayBeep();  // at an end of the list
  } else {
    LoadSong(song_ + delta);
  }
}

void Metronome::LoadSong(int index) {
  song_ = index;
  ApplySong(set_list_->list.At(index), state_);
  SaySong(console_, speech_, set_list_->list, index);
  PrepareCountWords();
  playing_ = true;
  count_in_due_ = state_.CountIn;
}

void Metronome::Pause() {
  state_.BeatPeriodMs = BeatPeriodMs(state_.Bpm);
  Say("CAVALBPM", 0);
  speech_.WriteSpeak(std::to_string(state_.Bpm));
  Say("CAPAUATI", 1);
  while (console_.ReadKey() != ' ') {
  }
  speech::DrainKeys(console_);
  Say("CAPAUDES", 1);
  count_in_due_ = state_.CountIn;
}

void Metronome::AskToEnd() {
  speech::DrainKeys(console_);
  Say("CACONFIM", 0);
  uint8_t answer = keys_.ReadKeySpoken();
  console_.Write(std::string(1, static_cast<char>(answer)));
  console_.WriteLine();
  last_answer_ = answer;
}

void Metronome::ShowMainHelp() {
  console_.WriteLine();
  Say("CAOPTEC", 1);
  console_.Delay(250);
  console_.WriteLine();
  for (const char* key : {"CAF1", "CAF2", "CAF3", "CAF4", "CAF6", "CAF8", "CAF9", "CACTLF9",
                          "CATAB", "CABARR1", "CASET", "CAPG", "CAESC1",
                          // The keys beyond the classic ones.
                          "CAVOL1", "CASUB1", "CATAP1", "CACON1", "CAINI1", "CAMUD1", "CATRE1",
                          "CAACE1", "CALIS1", "CANP1"}) {
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
  dialogs::ClearReviewSearchText();
  console_.CloseConsole();
}

}  // namespace cadencio::app
