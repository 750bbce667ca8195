// Engine dispatch: no engine binding exists yet, so no engine starts.
#include "speech/engine_dispatch.hpp"

namespace cadencio::speech {

bool StartEngine(int /*voice*/, int /*rate*/, int /*pitch*/, int /*kind*/) {
  return false;
}

}  // namespace cadencio::speech
