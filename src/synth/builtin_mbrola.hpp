// The built-in diphone synthesizer that stands in for MBROLA where the `mbrola` program or its
// voice is not installed.
#pragma once

#include <memory>
#include <string>

#include "synth/mbrola.hpp"

namespace cadencio::synth {

// A synthesizer behind the MBROLA operations; its Init opens the built-in voice that
// FindBuiltinVoice finds for the database argument, and fails (negative) when there is none.
std::unique_ptr<synth::Mbrola> OpenBuiltinMbrola();

// The voice file for a database argument: the argument itself when it is a voice file (or is one
// with ".cdv" added), else the data root's "sivratts/NAME.cdv" where NAME is the argument's last
// path component without extension ("br4", "c:\sonaud\sivratts\br4", "/usr/share/mbrola/br4/br4").
// Empty when none exists.
std::string FindBuiltinVoice(const std::string& database);

}  // namespace cadencio::synth
