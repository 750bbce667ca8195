// The caConf module: the metronome's stored defaults in section CADENCIO of AUDIRA.INI (tempo,
// measure and the two beat sounds), read at start-up and written on a confirmed F2.
#pragma once

#include <optional>
#include <string>
#include <string_view>

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

// Stores the calibrated latency ([CADENCIO] LATENCIA, in milliseconds with one decimal); false
// when the file cannot be written.
bool StoreLatency(const files::AudiraSettings& settings, double latency_ms);

// The stored form of a measure: "Binário", "Ternário" or "Quaternário" for 2, 3 and 4 (what
// other programs of the family read), the digit itself for any other count.
std::string MeasureWord(int beats_per_measure);

// The beats of a measure key: B, T and Q (either case) give 2, 3 and 4, a digit 1..9 itself
// and 0 one beat; nothing for any other key.
std::optional<int> MeasureOfKey(uint8_t key);

// The beats of a stored COMPASSO: a whole number of 0..9 read as the digit key, or else the
// measure key of its first character (the words, "T", "7 tempos"); nothing for a value that
// gives no measure ("10", "99", "-3", "Xis").
std::optional<int> StoredMeasure(std::string_view text);

// A sound's stored name: the path without its directory and without its last four characters.
std::string SoundName(const std::string& path);

}  // namespace cadencio::app
