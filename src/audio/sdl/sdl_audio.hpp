// The sound card through SDL2: the output the mixer plays on and the microphone the tuner
// listens to. The only SDL audio code of the program is behind these two functions.
#pragma once

#include <memory>

#include "audio/audio_input.hpp"
#include "audio/audio_output.hpp"

namespace cadencio::audio {

// Opens the system's audio through SDL2 (PipeWire, PulseAudio, ALSA ... as SDL picks, or the
// driver named by SDL_AUDIODRIVER). When no device opens, the program still runs on SDL's
// `dummy` driver, silently. Never returns null.
std::unique_ptr<AudioOutput> OpenSdlAudio(int wanted_rate = 44100);

// The same, playing a mixer that outlives it at the mixer's rate (SDL converts): how the
// program goes on when the JACK server it played through goes away.
std::unique_ptr<AudioOutput> OpenSdlAudioOn(Mixer& mixer);

// Opens the default capture device through SDL2 (the driver SDL picks, or SDL_AUDIODRIVER's;
// the `disk` driver reads raw float samples from SDL_DISKAUDIOFILEIN). Null when no capture
// device opens.
std::unique_ptr<AudioInput> OpenSdlCapture(int wanted_rate = 44100);

}  // namespace cadencio::audio
