// TD-PSOLA resynthesis of a phone sequence from a diphone voice: every phone is made of the
// second half of its diphone with the phone before and the first half of its diphone with the
// phone after, each half stretched to its share of the phone's duration, with pitch periods
// placed where the interpolated pitch points put them.
#pragma once

#include <cstdint>
#include <vector>

#include "synth/diphone_voice.hpp"
#include "synth/phoneme_line.hpp"

namespace cadencio::synth {

struct SynthPhone {
  int phone = 0;        // index into the voice's phones
  int64_t samples = 0;  // duration in samples at kVoiceRate
  std::vector<PitchPoint> points;
};

// Level corrections at the two ends of every diphone, so that the halves met at a join are
// brought to the average level of their phone there.
struct JoinGains {
  std::vector<float> at_begin;  // per diphone, for the samples at `begin`
  std::vector<float> at_end;    // per diphone, for the samples at `end`
};
JoinGains ComputeJoinGains(const DiphoneVoice& voice);

// Duration of phone lines in samples: boundaries at round(16 x running milliseconds), so that
// the total is exact however the milliseconds add up.
std::vector<int64_t> PhoneSampleCounts(const std::vector<double>& durations_ms);

// Output samples where the two halves of every phone meet (one diphone ends, the next begins).
std::vector<int64_t> JoinPositions(const DiphoneVoice& voice, const std::vector<SynthPhone>& phones,
                                   int silence);

// Synthesizes the phones; the result holds exactly the sum of their sample counts. A phone pair
// that the voice lacks is spoken with the silence diphone `silence`-`silence` in its place.
std::vector<int16_t> SynthesizePhones(const DiphoneVoice& voice, const JoinGains& gains,
                                      const std::vector<SynthPhone>& phones, int silence);

}  // namespace cadencio::synth
