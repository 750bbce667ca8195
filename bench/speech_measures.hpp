// Measures of synthetic speech for the benchmarks: mel-cepstral distance after dynamic time
// warping, clicks counted from the energy above 6 kHz, and spectrogram pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cadencio::bench {

// Mel cepstra c1..c12 (of the log amplitude in 40 mel bands) of 25 ms frames every 5 ms, of the
// frames between the first and last one louder than 40 dB under the loudest (so leading and
// trailing silence do not count).
std::vector<std::vector<double>> MelCepstra(const std::vector<int16_t>& samples, int rate);

// Mean mel-cepstral distance in dB, (10 / ln 10) sqrt(2 sum (c - c')^2), along the cheapest
// alignment of the two frame sequences.
double MelCepstralDistance(const std::vector<int16_t>& a, const std::vector<int16_t>& b, int rate);

// Clicks: 5 ms frames whose energy above 6 kHz lies more than 40 dB above the median of that
// energy over the frames of the file that are not silent.
int CountClicks(const std::vector<int16_t>& samples, int rate);

// A spectrogram (0 .. rate/2, 80 dB range) as a PNG picture; false when it cannot be written.
bool WriteSpectrogramPng(const std::string& path, const std::vector<int16_t>& samples, int rate);

}  // namespace cadencio::bench
