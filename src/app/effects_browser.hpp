// The caEfeit module: the sound-effect browser of F9 and Ctrl+F9. It reads the effects file
// once at start-up and, on each F9 or Ctrl+F9, rebuilds the effect or model list and lets the
// user pick new beat sounds from a list that is heard rather than seen.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/metronome_state.hpp"
#include "audio/beat_channel.hpp"
#include "console/console.hpp"
#include "dialogs/spoken_key_reader.hpp"
#include "files/audira_settings.hpp"
#include "files/paths.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::app {

// The effects file used when [CADENCIO] ARQEFEITOS is missing or empty.
inline const std::string kDefaultEffectsFile = files::FamilyPath("somritmo.ini");

class EffectsBrowser {
 public:
  // Reads the effects file named by [CADENCIO] ARQEFEITOS. False when the file cannot be read
  // or keeps no entry; the caller then sets NoEffectsFile.
  bool LoadEffectsFile(const files::AudiraSettings& settings);
  // The same from a file path given the Windows way (mapped onto the data root).
  bool LoadEffectsFrom(const std::string& windows_path);

  // Rebuild the effect or model list from the entries; the number of texts it holds.
  int BuildEffectList();
  int BuildModelList();

  // The F9 dialog (effect mode) or, while state.ModelMode is set, the Ctrl+F9 dialog. Changes
  // state.TempoSound and state.MeasureSound; a question left without a choice keeps its sound.
  void ChangeSounds(console::Console& console, speech::SpeechFrontEnd& speech,
                    dialogs::SpokenKeyReader& keys, audio::BeatChannel& beats,
                    MetronomeState& state);

  // The effect chooser: the full path of the chosen WAV file, or empty when none was chosen.
  // Ctrl+Enter plays the effect under the cursor on `beats` and waits for its end.
  std::string ChooseEffect(console::Console& console, speech::SpeechFrontEnd& speech,
                           dialogs::SpokenKeyReader& keys, audio::BeatChannel& beats);
  // The model chooser: the chosen model's file part ("TEMPO/MEASURE.WAV"), or empty. Its list
  // takes the same keys as the effect chooser's, but for Ctrl+Enter.
  std::string ChooseModel(console::Console& console, speech::SpeechFrontEnd& speech,
                          dialogs::SpokenKeyReader& keys);

  const std::vector<std::string>& Entries() const { return entries_; }

 private:
  // The list keys of both choosers: arrows, Home, End, the page keys, a letter, F5 and Ctrl+F5
  // to search, F1 for help, Enter to choose, Esc to leave. Ctrl+Enter tries the entry's sound
  // on `beats` when one is given. The chosen entry, or nothing.
  static std::optional<std::string> ChooseEntry(console::Console& console,
                                                speech::SpeechFrontEnd& speech,
                                                dialogs::SpokenKeyReader& keys,
                                                const std::vector<std::string>& entries,
                                                audio::BeatChannel* beats);

  std::vector<std::string> entries_;  // the kept lines, in file order
  std::vector<std::string> effects_;
  std::vector<std::string> models_;
};

}  // namespace cadencio::app
