// Cutting one diphone out of the rendering of its carrier: phone boundaries from espeak-ng's
// phoneme events (a stop's silent closure, which espeak-ng counts in the phone before, is given
// back to the stop), the cut from the middle of the first phone to the middle of the second with
// a margin on both sides, and pitch marks over it.
#pragma once

#include <string>

#include "lib/diphone_phones.hpp"
#include "lib/espeak_voice.hpp"
#include "lib/pitch_analysis.hpp"
#include "synth/diphone_voice.hpp"

namespace cadencio::voicegen {

// What the voice's analysis needs to know about the speaker.
struct SpeakerAnalysis {
  PitchBand band;             // around the carrier pitch
  double natural_period = 0;  // samples at synth::kVoiceRate
  bool positive_peaks = true;
  double min_voiced_rms = 0;  // quieter frames are unvoiced
};

struct CutDiphone {
  bool ok = false;
  std::string problem;  // why not, when !ok
  synth::Diphone diphone;
};

// Where the silent closure before a stop whose burst is at `burst` starts (espeak-ng counts it
// in the phone before); the phone before the stop spans [before, burst) and keeps at least 30 %
// of it. Positions in samples of `x`.
std::size_t ClosureStart(const std::vector<int16_t>& x, std::size_t before, std::size_t burst);

// Where the burst of a stop lies when espeak-ng's event at `from` marks the start of its voiced
// closure: the first 1 ms frame in [from, to) whose first difference (its high frequencies)
// jumps to four times the closure's typical level. `from` when none does (the event was the
// burst itself, or the closure is silent).
std::size_t BurstAfter(const std::vector<int16_t>& x, std::size_t from, std::size_t to);

// Rendering samples at synth::kVoiceRate (rate converted from `rate`).
std::vector<int16_t> ToVoiceRate(const std::vector<int16_t>& samples, int rate);

// Cuts the diphone of `carrier` from `rendering` (at `rate`). Fails when espeak-ng's phonemes
// are not the carrier's expected ones (it merged or changed a phone).
CutDiphone CutCarrier(const Rendering& rendering, int rate, const Carrier& carrier,
                      const SpeakerAnalysis& speaker);

}  // namespace cadencio::voicegen
