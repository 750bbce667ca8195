// The cadencio main program: start-up, tempo and measure entry, the beat loop with its key
// commands, the help listing and the farewell.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/count_words.hpp"
#include "app/effects_browser.hpp"
#include "app/metronome_state.hpp"
#include "app/set_list.hpp"
#include "app/tap_tempo.hpp"
#include "app/tuner/tuner_dialog.hpp"
#include "audio/audio_output.hpp"
#include "audio/beat_channel.hpp"
#include "audio/beat_pattern.hpp"
#include "console/console.hpp"
#include "dialogs/field_editor.hpp"
#include "dialogs/spoken_key_reader.hpp"
#include "files/audira_settings.hpp"
#include "files/paths.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::app {

// Default paths of the beat sounds, in the family's Windows form.
inline const std::string kEffectsDir = files::FamilyPath("som\\cadencio\\efeitos\\");

class Metronome {
 public:
  // Everything given must outlive the metronome.
  Metronome(console::Console& console, speech::SpeechFrontEnd& speech,
            dialogs::SpokenKeyReader& keys, const files::AudiraSettings& settings,
            audio::AudioOutput& output, audio::BeatChannel& beats, base::Clock& clock);

  void StartMetronome();
  void RunMainLoop();
  // Says farewell and closes the console, which ends the program.
  [[noreturn]] void EndMetronome();
  void EnterTempoAndMeasure();
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
  // Plays the beat until a key waits or a run of taps has stopped: the audio thread plays the
  // pattern, and this thread only says each step of the tempo trainer.
  void PlayUntilKey();
  // The rule of the pattern the settings give now, its sounds loaded; with a count-in first
  // when `count_in`.
  audio::BeatRule MakeRule(bool count_in);
  // Starts the pattern on the first frame the stream can still reach.
  void StartBeat();
  // Stops the pattern there (what is heard already ends as it would), and takes over the
  // measures and tempo steps it played.
  void StopBeat();
  // Takes over every tempo step of the trainer that starts at or before `frame`, and says it.
  void FollowSteps(int64_t frame);
  // m: asks for the measures to play and to keep silent, or turns muted measures off.
  void ChangeMutedMeasures();
  // r: asks for the final tempo, the step and the measures per step, or stops the trainer.
  void ChangeTrainer();
  // Asks for a whole number after a catalogue prompt in the spoken field editor; -1 when the
  // answer is not a whole number from `low` to `high`.
  int32_t AskNumber(const std::string& key, int32_t low, int32_t high);
  // Beat volume steps (Left, Right) and the notes per beat (s).
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
  // The number said on beat `beat` (1-based) of the measure when it is counted.
  int CountNumber(int beat) const;
  // The frame of the next counted note from `words` on, in the screen-reader mode; -1 for none.
  int64_t NextWrittenWord(audio::PatternCursor& words) const;
  // Tells the front end of a run of the beat whose first measure starts at `start`.
  void ShowRun(int64_t start);
  // The tempo and the measure shown follow a change at once, before the next beat.
  void ShowTempoAndMeasure();
  // The run told of last places no beat at or after `frame`.
  void EndShownRun(int64_t frame);
  // The set list, read from its file on first use (saying how many lines were skipped).
  LoadedSetList& SetListLoaded();
  // n and p: the next or previous song, loaded at once.
  void StepSong(int delta);
  // Puts song `index` of the set list into the settings, says it and starts it (with the
  // count-in when that is on).
  void LoadSong(int index);

  console::Console& console_;
  speech::SpeechFrontEnd& speech_;
  dialogs::SpokenKeyReader& keys_;
  const files::AudiraSettings& settings_;
  // The field editor's parts, for the tempo and the numbers asked for.
  const dialogs::FieldContext field_;
  audio::AudioOutput& output_;
  audio::BeatChannel& beats_;
  base::Clock& clock_;
  TapTempo taps_;
  EffectsBrowser effects_;
  MetronomeState state_;
  TunerDevices tuner_;
  bool playing_ = true;
  bool count_in_due_ = false;     // a count-in goes before the next measure
  audio::BeatRule rule_;          // the rule published last
  audio::PatternCursor steps_;    // the trainer's steps taken over from it so far
  int64_t measures_done_ = 0;     // whole measures since muted measures were set
  int32_t trainer_measures_ = 0;  // whole measures since the trainer's last step
  CountWords count_words_;
  audio::WaveOutRecorder* recorder_ = nullptr;
  int last_answer_ = -1;   // no answer yet
  bool restored_ = false;  // the start took the tempo or the measure from the stored settings
  frontends::BeatRun shown_run_;  // as the front end was last told of it
  // Stand-ins for the count words that mark the beats whose word the screen-reader mode writes.
  std::array<audio::Sound, kCountWords> written_words_;
  std::optional<LoadedSetList> set_list_;
  int song_ = 0;  // the set list's song loaded last; the list starts on its first song
};

}  // namespace cadencio::app
