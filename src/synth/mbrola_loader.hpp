// The mbrola module's loading step: which synthesizer speaks the built-in TTS's phoneme lines.
// The `mbrola` program when it is installed and the voice is a real MBROLA voice; otherwise
// the built-in diphone synthesizer, whose Init opens the program's own voice.
#pragma once

#include <memory>
#include <string>

#include "synth/mbrola.hpp"

namespace cadencio::synth {

// A voice file the `mbrola` program can take: a file outside the program's own data.
bool IsMbrolaVoiceFile(const std::string& path);

// A synthesizer that makes its choice when Init names the voice; null when neither the
// `mbrola` program nor the built-in synthesizer is there.
std::unique_ptr<synth::Mbrola> LoadMbrola();

}  // namespace cadencio::synth
