// Pitch analysis of speech at the built-in synthesizer's rate (synth::kVoiceRate), for the voice
// builder and the measures: a frame-by-frame pitch track by normalised autocorrelation within a
// band, the pitch marks that the voice builder places on it (one per period at the waveform's
// main peak, evenly spaced where the sound is unvoiced), and the pitch of a short excerpt (for
// measuring what the synthesizer made).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "synth/diphone_voice.hpp"

namespace cadencio::voicegen {

struct PitchBand {
  double min_hz = 60;
  double max_hz = 500;
};

// Pitch of the excerpt [from, to): the lag of highest normalised autocorrelation within the
// band, refined between samples. 0 when the excerpt is too short, silent, or not periodic
// (correlation below `min_correlation`).
double ExcerptPitch(const std::vector<int16_t>& samples, std::size_t from, std::size_t to,
                    PitchBand band, double min_correlation = 0.5);

struct PitchTrack {
  std::size_t hop = 0;         // samples between frame centres; frame i is centred at i * hop
  std::vector<double> period;  // in samples, 0 where unvoiced
};

// A pitch value for every hop; frames quieter than `min_rms` are unvoiced.
PitchTrack TrackPitch(const std::vector<int16_t>& samples, PitchBand band, double min_rms);

// Marks over the whole of `samples`: in voiced stretches one per period on the largest peak of
// the chosen polarity, each found within 20 % of one period after the last; in unvoiced
// stretches every `unvoiced_period` samples.
std::vector<synth::PitchMark> PlacePitchMarks(const std::vector<int16_t>& samples,
                                              const PitchTrack& track, double unvoiced_period,
                                              bool positive_peaks);

}  // namespace cadencio::voicegen
