// Commands of the main loop whose dialogs are not built yet. Each is a named seam: it does
// nothing, so its key only ends the measure, and it reports honestly that nothing happened.
#pragma once

#include "app/metronome_state.hpp"

namespace cadencio::app {

// The effects file; false: no effects are available (F9 and Ctrl+F9 then stay silent).
bool LoadEffectsFile(MetronomeState& state);
void ReviewScreen();                        // F3
void RunTuningFork(MetronomeState& state);  // F4
// F9 and Ctrl+F9: the number of entries found (0 while the browser is not attached).
int BuildEffectList();
int BuildModelList();
void ChangeSounds(MetronomeState& state);

}  // namespace cadencio::app
