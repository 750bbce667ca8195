// The two beat sounds the metronome plays: their defaults, and the check that puts a default in
// the place of a sound that cannot be played, saying which file could not be used and why.
#pragma once

#include "app/metronome_state.hpp"
#include "audio/beat_channel.hpp"
#include "console/console.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::app {

// The bare names of the default sounds: the first beat's and the other beats'.
inline constexpr char kDefaultTempoSound[] = "padrao1";
inline constexpr char kDefaultMeasureSound[] = "padrao2";

// The full path of a sound of the effects directory named without its extension.
std::string EffectPath(const std::string& bare_name);

// Each beat sound that cannot be played is said ("Som TAMBOR.WAV não pôde ser lido: formato
// não suportado") and its default takes its place, so the beat is never silent and F2 stores a
// name that plays.
void KeepPlayableSounds(console::Console& console, speech::SpeechFrontEnd& speech,
                        audio::BeatChannel& beats, MetronomeState& state);

}  // namespace cadencio::app
