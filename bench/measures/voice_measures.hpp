// Measures of how a voice speaks, shared by the benchmarks and the tests: its loudness (RMS over
// speech) and the pitch at the start or end of what it said, to compare a question with the
// same words said as a statement.
#pragma once

#include <cstdint>
#include <vector>

namespace cadencio::bench {

// The RMS of the 10 ms frames that are speech, louder than -50 dB of full scale (the silence
// between texts does not count), in dB of full scale; -200 for silence.
double SpeechLevelDb(const std::vector<int16_t>& samples, int rate);

// The median pitch in Hz of the first or last `ms` of voiced sound (unvoiced consonants and
// pauses are passed over); 0 when nothing is voiced.
double VoicedPitchHz(const std::vector<int16_t>& samples, int rate, bool at_end, double ms);

// How many semitones `to` lies above `from` (below when negative); 0 when either is 0.
double Semitones(double from, double to);

}  // namespace cadencio::bench
