// The metronome: start-up sequence, tempo entry, beat loop and key commands.
#include "app/metronome.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
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
#include "files/atomic_file.hpp"
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

// The rate of the restored tempo and measure as played: speech needs no more.
constexpr int kRestoredRate = 22050;

// The measure as the status band shows it.
std::string MeasureShown(int beats) {
  if (beats >= 2 && beats <= 4) return MeasureWord(beats);
  return beats > 1 ? std::to_string(beats) + " tempos" : "1 tempo";
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
                     dialogs::SpokenKeyReader& keys, const files::AudiraSettings& settings,
                     audio::AudioOutput& output, audio::BeatChannel& beats, base::Clock& clock)
    : console_(console),
      speech_(speech),
      keys_(keys),
      settings_(settings),
      field_{console, speech, keys, settings},
      output_(output),
      beats_(beats),
      clock_(clock) {
  tuner_.output = &output;
  for (std::size_t i = 0; i < written_words_.size(); ++i) {
    written_words_[i].name = "written:" + std::to_string(i + 1);
    written_words_[i].samples.assign(2, 0.0f);
  }
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
  state_.TempoSound = std::string(kEffectsDir) +
                      (state_.TempoSound.empty() ? "padrao1" : state_.TempoSound) + ".wav";
  state_.MeasureSound = std::string(kEffectsDir) +
                        (state_.MeasureSound.empty() ? "padrao2" : state_.MeasureSound) + ".wav";
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
  ShowTempoAndMeasure();
}

audio::BeatRule Metronome::MakeRule(bool count_in) {
  audio::BeatRule rule;
  rule.playing = true;
  rule.rate = output_.GetMixer().SampleRate();
  rule.bpm = state_.Bpm;
  rule.beats = std::clamp(state_.BeatsPerMeasure, 1, audio::kMaxPatternBeats);
  rule.parts = std::max(1, state_.Subdivisions);
  // Each beat plays the sound of its accent (by default the tempo sound on the first beat, the
  // measure sound on the others), and a silent beat has no extra notes; the extra notes between
  // beats are a softer form of the measure sound.
  const AccentPattern accents = PatternFor(state_);
  const audio::Sound* note = rule.parts > 1 ? beats_.LoadSofter(state_.MeasureSound) : nullptr;
  for (int beat = 0; beat < rule.beats; ++beat) {
    audio::BeatRule::Beat& sounds = rule.beat[static_cast<std::size_t>(beat)];
    const Accent level = accents.level[static_cast<std::size_t>(std::min(beat, accents.beats - 1))];
    sounds = {AccentSound(beats_, state_, level), level == Accent::kSilent ? nullptr : note,
              count_words_.Word(CountNumber(beat + 1))};
    if (sounds.word != nullptr) {
      rule.longest_word = std::max(rule.longest_word, sounds.word->FrameCount());
    }
  }
  rule.count_aloud = state_.CountAloud;
  rule.count_in = count_in ? 1 : 0;
  rule.played = state_.PlayedMeasures;
  rule.muted = state_.MutedMeasures;
  rule.muted_phase = measures_done_;
  if (state_.TrainerOn()) {
    rule.trainer_target = state_.TrainerTarget;
    rule.trainer_step = state_.TrainerStep;
    rule.trainer_every = state_.TrainerEvery;
    rule.trainer_phase = trainer_measures_;
  }
  return rule;
}

void Metronome::StartBeat() {
  rule_ = MakeRule(count_in_due_);
  count_in_due_ = false;
  rule_.start = rule_.from = output_.GetMixer().FramesRendered() + output_.LeadFrames();
  output_.GetMixer().SetBeatRule(rule_);
  steps_ = audio::PatternCursor(rule_);
  ShowRun(rule_.start);
}

void Metronome::StopBeat() {
  if (!rule_.playing) return;
  // Notes up to the first frame the stream can still reach are heard; none after.
  const int64_t last = output_.GetMixer().FramesRendered() + output_.LeadFrames();
  audio::BeatRule stop = rule_;
  stop.playing = false;
  stop.from = last + 1;
  output_.GetMixer().SetBeatRule(stop);
  EndShownRun(last + 1);
  FollowSteps(last);
  const int64_t done = audio::MeasuresDoneBy(rule_, last);
  measures_done_ = rule_.muted_phase + done;
  trainer_measures_ = rule_.trainer_phase + done;
  rule_.playing = false;
}

void Metronome::FollowSteps(int64_t frame) {
  for (int64_t step = steps_.NextStepFrame(); step >= 0 && step <= frame;
       step = steps_.NextStepFrame()) {
    steps_.SkipTo(step);
    state_.Bpm = steps_.Bpm();
    state_.BpmText = std::to_string(state_.Bpm);
    state_.BeatPeriodMs = BeatPeriodMs(state_.Bpm);
    ShowRun(step);
    // Only the number is said, as after Up and Down: the whole line would cover most of a
    // measure at a step every measure. The screen keeps the whole line.
    console_.Write(MessageText("CAVALBPM"));
    speech_.WriteSpeak(state_.BpmText);
    console_.WriteLine();
    if (state_.Bpm == state_.TrainerTarget) {
      state_.StopTrainer();
      Say("CATREFIM", 1);
    }
  }
}

int Metronome::CountNumber(int beat) const {
  // Counting by groups starts again at each group's first beat.
  return state_.CountByGroups ? GroupCount(PatternFor(state_), beat) : beat;
}

int64_t Metronome::NextWrittenWord(audio::PatternCursor& words) const {
  if (!speech_.WritesSpeech() || (rule_.count_in == 0 && !rule_.count_aloud)) return -1;
  // A counted note comes within a whole cycle of muted measures after the count-in, or never.
  const int64_t notes = (int64_t{rule_.count_in} + rule_.played + rule_.muted + 1) *
                        std::max(rule_.beats, 1) * std::max(rule_.parts, 1);
  for (int64_t n = 0; n < notes; ++n, words.Advance()) {
    if (words.Note().word != nullptr) return words.Frame();
  }
  return -1;
}

void Metronome::PlayUntilKey() {
  StartBeat();
  audio::Mixer& mixer = output_.GetMixer();
  // Waits for a key, for the end of a run of taps and, with the trainer on, for each new tempo
  // to come near: it is said as its first beat starts.
  const auto key_or_taps = [this](int64_t ms) {
    const int64_t stops_at = taps_.StopsAtMs();
    if (stops_at >= 0) ms = std::clamp<int64_t>(stops_at - clock_.NowMs(), 0, ms);
    return console_.WaitForKey(ms) || taps_.Stopped(clock_.NowMs());
  };
  // In the screen-reader mode each count word is written as its beat comes near: the words of a
  // copy of the rule, never played, mark the counted beats.
  audio::BeatRule counted = rule_;
  for (int beat = 0; beat < std::min(counted.beats, kCountWords); ++beat) {
    counted.beat[static_cast<std::size_t>(beat)].word =
        &written_words_[static_cast<std::size_t>(CountNumber(beat + 1) - 1)];
  }
  counted.longest_word = 1;
  audio::PatternCursor words(counted);
  int64_t word = NextWrittenWord(words);
  while (!console_.KeyPressed() && !taps_.Stopped(clock_.NowMs())) {
    const int64_t step = steps_.NextStepFrame();
    const int64_t due = step < 0 || (word >= 0 && word < step) ? word : step;
    if (due < 0) {
      if (taps_.StopsAtMs() < 0) {
        console_.WaitMessage();
      } else {
        key_or_taps(std::numeric_limits<int32_t>::max());
      }
    } else if (audio::WaitForStreamFrame(mixer, clock_, due - output_.LeadFrames(), key_or_taps)) {
      if (due == word) {
        speech_.SpeakText(
            CountWordText(static_cast<int>(words.Note().word - written_words_.data()) + 1));
        words.Advance();
        word = NextWrittenWord(words);
      }
      FollowSteps(mixer.FramesRendered() + output_.LeadFrames());
    }
  }
  StopBeat();
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

void Metronome::ShowRun(int64_t start) {
  frontends::BeatRun& run = shown_run_;
  run.tempo = std::to_string(state_.Bpm) + " BPM";
  run.measure = MeasureShown(state_.BeatsPerMeasure);
  run.sounding = true;
  run.bpm = state_.Bpm;
  run.beats_per_measure = std::max(state_.BeatsPerMeasure, 1);
  run.first_beat = 0;
  run.start_frame = start;
  run.end_frame = frontends::kNoFrame;
  run.rate = output_.GetMixer().SampleRate();
  run.beat_frame = &audio::ScheduleFrame;
  run.heard_frame = [&output = output_] { return output.HeardFrame(); };
  console_.Status().ShowBeat(run);
}

void Metronome::ShowTempoAndMeasure() {
  std::string tempo = std::to_string(state_.Bpm) + " BPM";
  std::string measure = MeasureShown(state_.BeatsPerMeasure);
  if (tempo == shown_run_.tempo && measure == shown_run_.measure) return;
  shown_run_.tempo = std::move(tempo);
  shown_run_.measure = std::move(measure);
  console_.Status().ShowBeat(shown_run_);
}

void Metronome::EndShownRun(int64_t frame) {
  if (!shown_run_.sounding || shown_run_.end_frame <= frame) return;
  shown_run_.end_frame = frame;
  console_.Status().ShowBeat(shown_run_);
}

void Metronome::RunMainLoop() {
  Say("CAOKF1", 1);
  if (restored_) {
    restored_ = false;
    SayRestoredSettings();
  }
  PrepareCountWords();
  playing_ = true;
  count_in_due_ = state_.CountIn;
  for (;;) {
    TakeTapTempo();
    if (playing_ && !console_.KeyPressed()) PlayUntilKey();
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
      // The beat stopped for the key; the next pass starts a new measure.
      if (!RunKeyCommand(code)) continue;
      // A field editor may have changed the speech speed: the words follow it.
      if (count_words_.PreparedSpeed() != speech_.Speed()) PrepareCountWords();
      state_.Bpm = BpmIntoRange(state_.Bpm);
      ShowTempoAndMeasure();
      if (code == kUp || code == kDown || code == kPgUp || code == kPgDn) {
        state_.BpmText = std::to_string(state_.Bpm);
        state_.BeatPeriodMs = BeatPeriodMs(state_.Bpm);
        const char* end = RangeEnd(state_.Bpm, kMinBpm, kMaxBpm);
        speech_.ShowSpoken(state_.BpmText + " BPM" + (end ? MessageText(end) : ""));
        speech_.SpeakText(state_.BpmText);
        if (end != nullptr) Say(end, -1);
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
      speech_.ShowSpoken(playing_ ? "Batida retomada" : "Batida silenciada");
      if (!playing_) speech_.PlayBeep();
      console_.DrainKeys();
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
      speech::SpeakTime(speech_);
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
  console_.DrainKeys();
  Say("CAPAUDES", 1);
  count_in_due_ = state_.CountIn;
}

void Metronome::AskToEnd() {
  console_.DrainKeys();
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
