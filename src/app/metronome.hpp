// The cadencio main program: start-up, tempo and measure entry, the main loop that dispatches
// the command table, the practice features, the set list and accents, the help listing and the
// farewell. The beat itself plays in a BeatRunner.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "app/beat_runner.hpp"
#include "app/count_words.hpp"
#include "app/effects_browser.hpp"
#include "app/link_follower.hpp"
#include "app/listening/listen_session.hpp"
#include "app/main_commands.hpp"
#include "app/metronome_state.hpp"
#include "app/section_cues.hpp"
#include "app/set_list.hpp"
#include "app/tap_tempo.hpp"
#include "app/tuner/tuner_dialog.hpp"
#include "audio/audio_output.hpp"
#include "audio/beat_channel.hpp"
#include "console/console.hpp"
#include "dialogs/field_editor.hpp"
#include "dialogs/spoken_key_reader.hpp"
#include "files/audira_settings.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::app {

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

  // The main loop's commands, in the order F1 lists them.
  static std::span<const MainCommand> Commands();

  MetronomeState& State() { return state_; }
  // How the tuning fork's tuner opens the microphone.
  void SetCaptureOpener(std::function<std::unique_ptr<audio::AudioInput>()> open) {
    tuner_.open_input = open;
    listening_.SetOpener(std::move(open));
  }
  // Where the count words are rendered by the current voice (none: the count recordings).
  void SetSpeechRecorder(audio::WaveOutRecorder* recorder) { recorder_ = recorder; }
  // The command line or the settings asked for JACK: the start says when it is not in use.
  void SetJackWanted(bool wanted) { jack_wanted_ = wanted; }
  // The session shared through Ableton Link (none: k only says that Link is off).
  void SetLinkSession(audio::LinkSession* session) { link_.SetSession(session); }

 private:
  void Say(const std::string& key, int line_ends);
  // Writes and says a catalogue message followed by a number and, when given, the message of
  // the range's end it has reached, and ends the line.
  void SayValue(const std::string& key, int32_t value, const char* end = nullptr);
  // Said once at start: the engine the settings ask for did not start, so the recorded voice
  // speaks; the settings file cannot be written, so F2 will not store anything; JACK was asked
  // for and no server answered; the JACK transport is followed or led.
  void SayStartNotices();
  // After "OK, F1 ajuda" at a start that took the tempo or the measure from the stored
  // settings: says both ("120 BPM, ternário") while the beat starts.
  void SayRestoredSettings();
  // Runs the command of one key, then (unless the command ends the pass at once) brings the
  // tempo into range and shows it.
  void RunKeyCommand(base::Key key);

  // The commands of the table (main_commands.cpp).
  void ToggleBeat(base::Key key);
  void Pause(base::Key key);
  void ShowMainHelp(base::Key key);
  void StoreDefaults(base::Key key);
  void ReviewScreen(base::Key key);
  void OpenTuningFork(base::Key key);
  void AskNewTempo(base::Key key);
  void SayTime(base::Key key);
  void ChooseEffects(base::Key key);
  void ChooseModel(base::Key key);
  void ChangeTempo(base::Key key);
  void AskToEnd(base::Key key);
  // o: says and shows the whole state in one line.
  void SayWhereAmI(base::Key key);
  // k: turns Link on or off.
  void ToggleLink(base::Key key);

  // Link (link_commands.cpp).
  // Turns Link on and says so with the number of peers ("Link ligado, 2 parceiros").
  void TurnLinkOn();
  // The tempo brought into range: the program's, and with Link on from Link's lowest.
  int32_t TempoIntoRange(int32_t bpm) const;
  // The beat stops or plays again, by Tab (which stops the session too) or by the session.
  void SetPlaying(bool playing, bool by_session);
  // Silent: waits for a key, for a run of taps to stop, or for the session to start.
  void WaitSilently();
  // Paused: waits for Space, or for the session to start.
  void WaitForPauseEnd();

  // Listening to the player (listen_commands.cpp). e: listening on or off.
  void ToggleListening(base::Key key);
  // v: says and writes the verdict of the take.
  void SayVerdict(base::Key key);
  // d: measures the round trip from the beat's sound to the microphone, and stores it.
  void CalibrateLatency(base::Key key);

  // The practice features (practice_commands.cpp).
  void ChangeBeatVolume(base::Key key);
  void CycleSubdivisions(base::Key key);
  void Tap(base::Key key);
  void ToggleCountAloud(base::Key key);
  void ToggleCountIn(base::Key key);
  // m: asks for the measures to play and to keep silent, or turns muted measures off.
  void ChangeMutedMeasures(base::Key key);
  // r: asks for the final tempo, the step and the measures per step, or stops the trainer.
  void ChangeTrainer(base::Key key);
  // Asks for a whole number after a catalogue prompt in the spoken field editor; -1 when the
  // answer is not a whole number from `low` to `high`.
  int32_t AskNumber(const std::string& key, int32_t low, int32_t high);
  // The text typed after a catalogue prompt in the spoken field editor, at most `capacity`
  // characters.
  std::string AskText(const std::string& key, int capacity);
  // Polyrhythms and feels (layer_commands.cpp). j: asks for the rhythm ("3:2"), or turns the
  // second layer off; y: the layer's sound and volume; u: counts the layer or the beats;
  // w: the next swing step with 2 notes per beat, the shuffle on or off with 3.
  void ChangeLayer(base::Key key);
  void ChooseLayerSound(base::Key key);
  void SwapCountedLayer(base::Key key);
  void ChangeFeel(base::Key key);
  // Renders the count words once counting or the count-in is on, and again after the speech
  // speed has changed.
  void PrepareCountWords();
  // A run of taps that has stopped sets the tempo; true when it did.
  bool TakeTapTempo();

  // The accents and the set list (song_commands.cpp).
  void EditAccents(base::Key key);
  void BrowseSetList(base::Key key);
  // n and p: the next or previous song, loaded at once.
  void StepSong(base::Key key);
  // The set list, read from its file on first use, saying what of the file it could not take.
  LoadedSetList& SetListLoaded();
  // Puts song `index` of the set list into the settings, says it, stops the tempo trainer and
  // starts the song (with the count-in when that is on).
  void LoadSong(int index);
  // The song's map (none: the settings' beat), its cues rendered, played from its start.
  void PrepareMap(const SongMap& map);
  // A tempo set by a key while a map plays (Up, Down, F6, taps) changes the map: every section's
  // tempo takes the same ratio, and the cues say the new tempos. A new speech speed renders the
  // cues again at it.
  void FollowMapSettings();
  // The map's sections at map_scale_ times their written tempos (the section at the place at
  // `bpm` when it is not 0), their cues rendered, handed to the beat; from the map's start or
  // from its place.
  void PlayMap(int32_t bpm, bool keep_place);
  // x and z: the next or previous section of the song's map.
  void StepSection(base::Key key);
  // q: counting aloud says the measures of the section, or the beats again.
  void ToggleCountMeasures(base::Key key);

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
  CountWords count_words_;
  LinkFollower link_;
  SectionCues cues_;
  ListenSession listening_;
  BeatRunner beat_;
  audio::WaveOutRecorder* recorder_ = nullptr;
  bool playing_ = true;
  bool count_in_due_ = false;  // a count-in goes before the next measure
  int last_answer_ = -1;       // no answer yet
  bool restored_ = false;      // the start took the tempo or the measure from the stored settings
  std::optional<LoadedSetList> set_list_;
  int song_ = -1;  // the set list's song loaded last; -1 before any
  // The song's map as it is written (the tempos before any change), and whether it loops.
  std::vector<PlayedSection> map_sections_;
  bool map_loop_ = false;
  double map_scale_ = 1;  // the tempos played to those written
  int32_t map_bpm_ = 0;   // the tempo the map left before the last key
  int map_speed_ = 0;     // the speech speed its cues were rendered at
  bool jack_wanted_ = false;
};

}  // namespace cadencio::app
