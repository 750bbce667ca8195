// The caConf module: the metronome's stored defaults in section CADENCIO of AUDIRA.INI (tempo,
// measure and the two beat sounds), read at start-up and written on a confirmed F2.
#pragma once

#include <string>

#include "app/metronome_state.hpp"
#include "console/console.hpp"
#include "dialogs/spoken_key_reader.hpp"
#include "files/audira_settings.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::app {

// Fills BpmText, MeasureText and the bare names of the two sounds (empty when missing), and
// the settings of the newer keys (as before when missing or out of range).
void LoadDefaults(const files::AudiraSettings& settings, MetronomeState& state);

// F2: asks, and on "s" or "S" stores the current tempo, measure and sounds.
void StoreDefaults(console::Console& console, speech::SpeechFrontEnd& speech,
                   dialogs::SpokenKeyReader& keys, const files::AudiraSettings& settings,
                   MetronomeState& state);

// The stored form of a measure: "Binário", "Ternário" or "Quaternário" for 2, 3 and 4 (what
// other programs of the family read), the digit itself for any other count.
std::string MeasureWord(int beats_per_measure);

// A sound's stored name: the path without its directory and without its last four characters.
std::string SoundName(const std::string& path);

}  // namespace cadencio::app
