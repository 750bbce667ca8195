// Engine selection and dispatch: the speech engines that can take whole texts instead of the
// recorded voice. No engine binding is built in yet, so starting one fails and the recorded
// voice speaks, which is what happens whenever the configured engine cannot start.
#pragma once

namespace cadencio::speech {

// Starts the engine of `kind` with a voice number, rate and pitch; false when it cannot start.
bool StartEngine(int voice, int rate, int pitch, int kind);

}  // namespace cadencio::speech
