// Seams for the dialogs that join the main loop later; see the header.
#include "app/pending_dialogs.hpp"

namespace cadencio::app {

bool LoadEffectsFile(MetronomeState& /*state*/) {
  return false;
}
void ReviewScreen() {}
void RunTuningFork(MetronomeState& /*state*/) {}
int BuildEffectList() {
  return 0;
}
int BuildModelList() {
  return 0;
}
void ChangeSounds(MetronomeState& /*state*/) {}

}  // namespace cadencio::app
