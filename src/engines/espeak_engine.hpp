// The in-process engine binding: espeak-ng inside the program, which the engine family
// kInProcess starts (the usual engine kind, and every kind that chooses no other family).
// Texts are synthesized on the program thread and their samples go through the program's WAV
// playback, so a key cuts them like any other sound and the capture output of the tests
// records them.
#pragma once

#include <memory>

#include "engines/engine_binding.hpp"

namespace cadencio::engines {

// Starts espeak-ng with voice number `voice` (0 counts as 1; numbered as engine_voices.hpp
// says), the rate and the pitch (each applied when not 0). Null when espeak-ng or its data
// cannot be loaded or there is no such voice.
std::unique_ptr<EngineBinding> StartEspeak(EngineContext& context, const EngineVoice& voice);

// espeak-ng's words per minute for a rate: 1..10 and -1..-10 are steps of a factor 3^(1/10)
// around the normal 175 (10: three times as fast, -10: a third), a rate above 10 is words per
// minute; the result is kept within espeak-ng's 80..450. 0 gives the normal 175.
int EspeakRate(int rate);
// The words per minute of a speech speed level (1..5) for the rate of speed 3, kept within
// espeak-ng's 80..450.
int EspeakRateAtSpeed(int words_per_minute, int speed);
// espeak-ng's pitch 0..100 for a pitch -10..10: 50 + 5 x pitch, kept within 0..100.
int EspeakPitch(int pitch);

// The text as the binding hands it on: blanks and control characters trimmed from both ends,
// a lone digit followed by a full stop (so that it is read as a number), cut to 64000
// characters.
std::string EngineTextFor(std::string text);

}  // namespace cadencio::engines
