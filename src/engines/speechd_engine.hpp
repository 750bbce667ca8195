// The service engine binding: speech-dispatcher, the speech service of the Linux desktop,
// through libspeechd, which the engine family kService starts. The service speaks on its own
// sound output; the binding hands it whole texts and learns their end from its events.
#pragma once

#include <chrono>
#include <memory>

#include "engines/engine_binding.hpp"

namespace cadencio::engines {

// How long a message is taken to speak at most: base + per character of its text. Past that
// the busy test stops waiting for an end that a service without a working sound output may
// never report.
struct ServiceLimits {
  std::chrono::milliseconds base{5000};
  std::chrono::milliseconds per_character{250};
};

// Connects to speech-dispatcher (the address in $SPEECHD_ADDRESS, else the user's default
// socket, starting the service there when it is not running) and picks voice number `voice`
// of its voices (numbered as engine_voices.hpp says) at the rate -10..10, which is mapped onto
// the service's -100..100. A voice number outside the list takes voice 1 at rate 0. Null when
// the service cannot be reached or offers no voice.
std::unique_ptr<EngineBinding> StartSpeechDispatcher(EngineContext& context,
                                                     const EngineVoice& voice,
                                                     const ServiceLimits& limits = {});

// speech-dispatcher's rate for a rate of -10..10 (ten times as much, kept within -100..100).
int ServiceRate(int rate);

}  // namespace cadencio::engines
