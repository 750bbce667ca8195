// The built-in diphone synthesizer that stands in for MBROLA where the `mbrola` program or its
// voice is not installed.
#pragma once

#include <memory>

#include "platform/mbrola.hpp"

namespace cadencio::synth {

// A synthesizer behind the MBROLA operations; its Init opens the built-in voice.
std::unique_ptr<platform::Mbrola> OpenBuiltinMbrola();

}  // namespace cadencio::synth
