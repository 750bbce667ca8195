// The speech engines this system has, handed to the engine dispatch: espeak-ng in-process,
// speech-dispatcher as the desktop's service, and the built-in Portuguese TTS.
#pragma once

#include "speech/engine_dispatch.hpp"

namespace cadencio::speech {

// Sets the starter of every engine family. The built-in TTS's file set is read from the
// settings at its first start and kept.
void InstallSystemEngines(EngineDispatch& dispatch);

}  // namespace cadencio::speech
