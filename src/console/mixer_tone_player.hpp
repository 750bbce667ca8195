// The tones that announce braille modes played on the mixer: a square wave built in memory and
// looped on the beat channel until it is stopped. Only the composition root sees this; the
// console knows the tone player's interface alone.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/mixer.hpp"
#include "console/tone_player.hpp"

namespace cadencio::console {

// The samples of the tone for `frequency`: about a second of 8-bit mono samples at 11025 per
// second, alternating 96 and 160 so that each period starts at the exact sample position of
// the frequency; the last sample is silence. Empty for frequency 0, and for a frequency whose
// period is longer than the tone.
std::vector<uint8_t> BuildToneSamples(uint16_t frequency);

// Plays tones on the mixer's beat channel, as the beat sounds play: a tone cuts a beat and a
// beat cuts a tone. Each tone's sound is built once and kept until the process ends, so the
// audio thread never sees a sound freed, even when the player goes while a tone still loops.
class MixerTonePlayer final : public TonePlayer {
 public:
  explicit MixerTonePlayer(audio::Mixer& mixer) : mixer_(mixer) {}
  void StartTone(uint16_t frequency) override;
  void StopTone() override;
  // A short beep played once (the bell of a window that has no sound of its own).
  void Beep();

 private:
  audio::Mixer& mixer_;
  bool playing_ = false;
};

}  // namespace cadencio::console
