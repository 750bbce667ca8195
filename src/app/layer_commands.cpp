// The main loop's keys of polyrhythms and feels: the second layer (j), its sound and volume (y),
// which layer is counted (u), and the swing or shuffle (w).
#include <algorithm>

#include "app/message_catalogue.hpp"
#include "app/metronome.hpp"
#include "app/polyrhythm.hpp"

namespace cadencio::app {

using base::Key;

void Metronome::ChangeLayer(Key) {
  if (state_.LayerNotes == 0) {
    // "32", "3:2" or "3 contra 2": three notes of the layer against two beats.
    if (const auto rhythm = ParseRhythm(AskText("CAINFPOL", 12))) {
      state_.LayerNotes = rhythm->first;
      state_.BeatsPerMeasure = rhythm->second;
      beat_.ShowTempoAndMeasure();
      speech_.WriteSpeakLine(LayerWords(rhythm->first, rhythm->second));
      return;
    }
  }
  state_.LayerNotes = 0;
  Say("CAPOLDES", 1);
}

void Metronome::ChooseLayerSound(Key) {
  // The sound by ear from the effects (Ctrl+Enter plays one), then its volume, played at once.
  if (!state_.NoEffectsFile && effects_.BuildEffectList() > 0) {
    Say("CACAMSOM", 1);
    const std::string chosen = effects_.ChooseEffect(console_, speech_, keys_, beats_);
    if (!chosen.empty() && beats_.Load(chosen) != nullptr) state_.LayerSound = chosen;
  }
  SayValue("CACAMVOL", state_.LayerVolume);
  beats_.PlaySound(LayerSound(beats_, state_), -1);
  const int32_t volume = AskNumber("CAINFVOL", kMinBeatVolume, kMaxBeatVolume);
  if (volume > 0) state_.LayerVolume = volume;
  SayValue("CACAMVOL", state_.LayerVolume);
  beats_.PlaySound(LayerSound(beats_, state_), -1);
}

void Metronome::SwapCountedLayer(Key) {
  state_.CountLayer = !state_.CountLayer;
  Say(state_.CountLayer ? "CACAMCON" : "CATEMCON", 1);
}

void Metronome::ChangeFeel(Key) {
  if (state_.Subdivisions == 3) {
    state_.Shuffle = !state_.Shuffle;
    Say(state_.Shuffle ? "CASHULIG" : "CASHUDES", 1);
    return;
  }
  // The swing moves the second of two notes: another number of notes turns into two.
  if (state_.Subdivisions != 2) {
    state_.Subdivisions = 2;
    state_.Swing = std::max(state_.Swing, 1);
  } else {
    state_.Swing = (state_.Swing + 1) % static_cast<int32_t>(kSwingSteps.size());
  }
  Say("CASWING" + std::to_string(state_.Swing), 1);
}

}  // namespace cadencio::app
