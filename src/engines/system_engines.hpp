// The speech engines this system has, handed to the engine dispatch: espeak-ng in-process,
// speech-dispatcher as the desktop's service, and the built-in Portuguese TTS.
#pragma once

#include "engines/engine_dispatch.hpp"
#include "tts/sivra_engine.hpp"

namespace cadencio::engines {

// Sets the starter of every engine family. The built-in TTS's file set is read from the
// settings at its first start and kept; the TTS speaks through the synthesizer that
// `load_mbrola` opens at each of its starts.
void InstallSystemEngines(EngineDispatch& dispatch, tts::MbrolaLoader load_mbrola);

}  // namespace cadencio::engines
