// Where am I (lower-case o): the metronome's whole state in one line, to be said and shown.
#pragma once

#include <string>

#include "app/metronome_state.hpp"
#include "audio/audio_output.hpp"

namespace cadencio::app {

// The song loaded from the set list (when there is one), the tempo and the measure, the accents
// when they are not the plain measure's (the grouping as "2+2+3", else each beat's level), the
// notes per beat above one, and what is on of counting aloud, the count-in, muted measures, the
// tempo trainer, a lowered beat volume, a silenced beat (`playing` false) and listening to the
// player (`listening`).
std::string StateLine(const MetronomeState& state, bool playing, bool listening = false);
// The place in a song's map: "Refr\xE3o, compasso 5 de 8" (`measure` 1-based).
std::string PlaceLine(const std::string& section, int32_t measure, int32_t measures);

// Where JACK plays the beat: ", JACK, latência 11 milissegundos" (the output latency the server
// reports, with the mixer's own), and the transport's role when it is followed or led; empty
// for any other output.
std::string OutputWords(audio::AudioOutput& output);

}  // namespace cadencio::app
