// The cadencio main program: start-up, tempo and measure entry, the beat loop with its key
// commands, the help listing and the farewell.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/beat_schedule.hpp"
#include "app/count_words.hpp"
#include "app/effects_browser.hpp"
#include "app/metronome_state.hpp"
#include "app/set_list.hpp"
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
  // One beat: its sound (none: the beat keeps its time in silence) with its extra notes, and
  // the counted word when there is one.
  void PlayBeat(const audio::Sound* sound, const audio::Sound* word = nullptr);
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
  const audio::Sound* CountWord(int beat, bool counting) const;
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
  // The set list, read from its file on first use (saying how many lines were skipped).
  LoadedSetList& SetListLoaded();
  // n and p: the next or previous song, loaded at once.
  void StepSong(int delta);
  // Puts song `index` of the set list into the settings, says it and starts it (with the
  // count-in when that is on).
  void LoadSong(int index);

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
  int last_answer_ = -1;  // no answer yet
  std::optional<LoadedSetList> set_list_;
  int song_ = 0;  // the set list's song loaded last; the list starts on its first song
};

}  // namespace cadencio::app
