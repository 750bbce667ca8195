// The cadencio main program: start-up, tempo and measure entry, the beat loop with its key
// commands, the help listing and the farewell.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/beat_schedule.hpp"
#include "app/count_words.hpp"
#include "app/effects_browser.hpp"
#include "app/metronome_state.hpp"
#include "app/tap_tempo.hpp"
#include "app/tuner/tuner_dialog.hpp"
#include "audio/audio_output.hpp"
#include "audio/beat_channel.hpp"
#include "console/console.hpp"
#include "dialogs/field_editor.hpp"
#include "files/audira_settings.hpp"
#include "speech/speech_front_end.hpp"
#include "speech/spoken_key_reader.hpp"

namespace cadencio::app {

// Default paths of the beat sounds, in the family's Windows form.
inline constexpr const char* kEffectsDir = "c:\\sonaud\\som\\cadencio\\efeitos\\";

class Metronome {
 public:
  // Everything given must outlive the metronome.
  Metronome(console::Console& console, speech::SpeechFrontEnd& speech,
            speech::SpokenKeyReader& keys, const files::AudiraSettings& settings,
            audio::AudioOutput& output, audio::BeatChannel& beats, base::Clock& clock);

  void StartMetronome();
  void RunMainLoop();
  // Says farewell and closes the console, which ends the program.
  [[noreturn]] void EndMetronome();
  void EnterTempoAndMeasure();
  // One beat: the sound at `path` (none when empty: the beat keeps its time in silence) with
  // its extra notes, and the counted word when there is one.
  void PlayBeat(const std::string& path, const audio::Sound* word = nullptr);
  void ShowMainHelp();

  MetronomeState& State() { return state_; }
  // How the tuning fork's tuner opens the microphone.
  void SetCaptureOpener(std::function<std::unique_ptr<audio::AudioInput>()> open) {
    tuner_.open_input = std::move(open);
  }
  // Where the count words are rendered by the current voice (none: the count recordings).
  void SetSpeechRecorder(audio::WaveOutRecorder* recorder) { recorder_ = recorder; }

 private:
  void Say(const std::string& key, int line_ends);
  // Said once at start: the engine the settings ask for did not start, so the recorded voice
  // speaks; the settings file cannot be written, so F2 will not store anything.
  void SayStartNotices();
  // After "OK, F1 ajuda" at a start that took the tempo or the measure from the stored
  // settings: says both ("120 BPM, ternário") while the beat starts.
  void SayRestoredSettings();
  // Runs the command of one key code; false for Tab, which ends the pass at once.
  bool RunKeyCommand(uint8_t code);
  void Pause();
  void AskToEnd();
  // One measure of the beat (silent when it is a muted one); it ends early when a key waits or
  // a run of taps has stopped. True when it ran to its end.
  bool PlayMeasure();
  // After each whole measure: the muted cycle and the tempo trainer move on.
  void MeasureDone();
  // m: asks for the measures to play and to keep silent, or turns muted measures off.
  void ChangeMutedMeasures();
  // r: asks for the final tempo, the step and the measures per step, or stops the trainer.
  void ChangeTrainer();
  // Asks for a whole number after a catalogue prompt in the spoken field editor; -1 when the
  // answer is not a whole number from `low` to `high`.
  int32_t AskNumber(const std::string& key, int32_t low, int32_t high);
  // Beat volume steps (Left, Right) and the notes per beat (s).
  // One measure of count words alone, before the beat starts.
  void PlayCountIn();
  // The word that counts a beat of the measure (1-based) while counting, or null: when a word
  // of the measure is longer than the beat period only the first beat is counted.
  const audio::Sound* CountWord(int beat, bool counting);
  // Renders the count words once counting or the count-in is on, and again after the speech
  // speed has changed.
  void PrepareCountWords();
  void ChangeBeatVolume(int32_t step);
  void CycleSubdivisions();
  void ToggleCountAloud();
  void ToggleCountIn();
  // A run of taps that has stopped sets the tempo; true when it did.
  bool TakeTapTempo();
  // Writes and says a catalogue message followed by a number and, when given, the message of
  // the range's end it has reached, and ends the line.
  void SayValue(const std::string& key, int32_t value, const char* end = nullptr);
  // Tells the front end of the run the beat placed at `onset` belongs to, when it is not the
  // run it was told of last (a new run, tempo or measure).
  void ShowRun(int64_t onset);
  // The tempo and the measure shown follow a change at once, before the next beat.
  void ShowTempoAndMeasure();
  // The run told of last places no beat at or after `frame`.
  void EndShownRun(int64_t frame);

  console::Console& console_;
  speech::SpeechFrontEnd& speech_;
  speech::SpokenKeyReader& keys_;
  const files::AudiraSettings& settings_;
  // The field editor's parts, for the tempo and the numbers asked for.
  const dialogs::FieldContext field_;
  audio::AudioOutput& output_;
  audio::BeatChannel& beats_;
  BeatSchedule schedule_;
  TapTempo taps_;
  EffectsBrowser effects_;
  MetronomeState state_;
  TunerDevices tuner_;
  bool playing_ = true;
  bool count_in_due_ = false;     // a count-in goes before the next measure
  bool tempo_news_ = false;       // the trainer's new tempo is said once its first beat is set
  int64_t measures_done_ = 0;     // whole measures since muted measures were set
  int32_t trainer_measures_ = 0;  // whole measures since the trainer's last step
  CountWords count_words_;
  audio::WaveOutRecorder* recorder_ = nullptr;
  int last_answer_ = -1;   // no answer yet
  bool restored_ = false;  // the start took the tempo or the measure from the stored settings
  frontends::BeatRun shown_run_;  // as the front end was last told of it
  int measure_beat_ = 0;          // the beat of the measure (0-based) that PlayBeat places
};

}  // namespace cadencio::app
