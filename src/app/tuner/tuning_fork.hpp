// The tuning fork of F4: a small key-driven player of reference notes and chords for tuning a
// guitar, with a repeat mode that starts the chosen recording again every half second until a
// key is pressed.
#pragma once

#include <string>

#include "app/metronome_state.hpp"
#include "app/tuner/tuner_dialog.hpp"
#include "console/console.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::app {

// The F4 dialog; returns to the main loop after Esc. Uses state.SpeechLevel. O opens the
// tuner on `tuner`'s devices.
void RunTuningFork(console::Console& console, speech::SpeechFrontEnd& speech,
                   const MetronomeState& state, const TunerDevices& tuner = {});

// Plays one recording of the prompt directory once or, while `repeat` is on, again and again
// with 500 ms after each play, until a key waits (the key is left in the queue).
void PlayNote(console::Console& console, speech::SpeechFrontEnd& speech, const std::string& name,
              bool repeat, int speech_level);

// The F1 listing inside the tuning fork.
void ShowTuningForkHelp(console::Console& console, speech::SpeechFrontEnd& speech);

}  // namespace cadencio::app
