// Measures of synthetic speech for the benchmarks: mel-cepstral distance after dynamic time
// warping, clicks counted from the energy above 6 kHz, and spectrogram pictures.
#pragma once

#include <cstddef>
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
inline constexpr double kClickOverMedianDb = 40;
int CountClicks(const std::vector<int16_t>& samples, int rate);

// The loud frames alone do not tell a click from a fricative: a voice whose ordinary frames carry
// little above 6 kHz (a 16 kHz voice played through a resampler that passes only up to about
// 6.4 kHz, for one) has every "s" that far above the median, for as long as the "s" lasts. A
// click, a step or break in the waveform, is a burst: its energy above 6 kHz falls back within a
// frame or two. So a burst is a loud frame that also lies more than 10 dB above every frame
// 10 to 15 ms before and after it (the frames next to it may share the step). Two frames on
// each side, because the energy of 5 ms of noise in a narrow band swings by several dB from one
// frame to the next: one frame of an "s" is often 10 dB above another.
inline constexpr std::size_t kClickNeighbourFrom = 2;
inline constexpr std::size_t kClickNeighbourTo = 3;
inline constexpr double kClickOverNeighboursDb = 10;
struct ClickFrameSet {
  std::vector<std::size_t> loud;    // first sample of every frame CountClicks counts
  std::vector<std::size_t> bursts;  // those of them that are bursts
};
ClickFrameSet FindClickFrames(const std::vector<int16_t>& samples, int rate);

// How far (dB) the energy of the second difference in the 1 ms around `at` lies above the
// loudest of the 1 ms windows 3 to 9 ms either side (each holds a period's excitation, or not,
// alike): a step or break in the waveform there stands out.
double StandOutDb(const std::vector<int16_t>& samples, int64_t at, int rate);

// A spectrogram (0 .. rate/2, 80 dB range) as a PNG picture; false when it cannot be written.
bool WriteSpectrogramPng(const std::string& path, const std::vector<int16_t>& samples, int rate);

}  // namespace cadencio::bench
