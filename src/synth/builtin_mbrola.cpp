// Seam: the built-in diphone synthesizer is not built yet, so none can be opened.
#include "synth/builtin_mbrola.hpp"

namespace cadencio::synth {

std::unique_ptr<platform::Mbrola> OpenBuiltinMbrola() {
  return nullptr;
}

}  // namespace cadencio::synth
