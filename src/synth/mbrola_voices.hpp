// Where MBROLA voices are installed: the stand-in for the registry entries in which the MBROLA
// installer records each voice's file. A voice NAME is the file NAME in a directory NAME under
// one of the conventional places.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cadencio::synth {

// The directories searched by default: /usr/share/mbrola and /usr/local/share/mbrola.
const std::vector<std::string>& MbrolaVoiceRoots();

// The path of the voice file of `name` (ROOT/NAME/NAME, the name as given, then in lower
// case); nothing when no root holds it.
std::optional<std::string> FindMbrolaVoice(
    const std::string& name, const std::vector<std::string>& roots = MbrolaVoiceRoots());

}  // namespace cadencio::synth
