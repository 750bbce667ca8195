// The click measures of the synthesizer's benchmark: a short burst is a click, the long noise of
// a fricative is loud but no burst, and a step in the waveform stands out at its join.
#include "measures/speech_measures.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace cadencio::bench {
namespace {

// Two seconds of a quiet vowel-like tone at `rate`, with white noise of `noise_ms` ms added at
// one second (none when 0).
std::vector<int16_t> ToneWithNoise(int rate, double noise_ms) {
  std::vector<int16_t> x(static_cast<std::size_t>(2 * rate));
  std::minstd_rand random(3);
  const auto from = static_cast<std::size_t>(rate);
  const auto to = from + static_cast<std::size_t>(noise_ms * rate / 1000);
  for (std::size_t i = 0; i < x.size(); ++i) {
    double v = 3000 * std::sin(2 * M_PI * 220 * static_cast<double>(i) / rate);
    if (i >= from && i < to) v += static_cast<double>(random() % 12001) - 6000;
    x[i] = static_cast<int16_t>(v);
  }
  return x;
}

TEST(SpeechMeasuresTest, ABurstIsAClickAndAFricativeOnlyLoud) {
  struct Case {
    int rate;
    double noise_ms;
    bool loud;   // some frame lies 40 dB over the median above 6 kHz
    bool burst;  // and it is a burst
  };
  const Case cases[] = {
      {16000, 0, false, false}, {16000, 3, true, true},   {16000, 80, true, false},
      {44100, 3, true, true},   {44100, 80, true, false},  // frames longer than the smallest FFT
  };
  for (const Case& c : cases) {
    const ClickFrameSet set = FindClickFrames(ToneWithNoise(c.rate, c.noise_ms), c.rate);
    EXPECT_EQ(!set.loud.empty(), c.loud) << c.noise_ms << " ms of noise at " << c.rate << " Hz";
    EXPECT_EQ(!set.bursts.empty(), c.burst) << c.noise_ms << " ms of noise at " << c.rate << " Hz";
    EXPECT_EQ(CountClicks(ToneWithNoise(c.rate, c.noise_ms), c.rate),
              static_cast<int>(set.loud.size()));
  }
}

TEST(SpeechMeasuresTest, AStepStandsOutWhereItIs) {
  std::vector<int16_t> x = ToneWithNoise(16000, 0);
  for (int16_t& v : x) v = static_cast<int16_t>(v / 10);  // a quiet closure's voice bar
  EXPECT_LT(StandOutDb(x, 8000, 16000), 6);
  for (std::size_t n = 8000; n < x.size(); ++n)
    x[n] = static_cast<int16_t>(x[n] + 2000 * std::exp(-static_cast<double>(n - 8000) / 16));
  EXPECT_GT(StandOutDb(x, 8000, 16000), 6);
  EXPECT_LT(StandOutDb(x, 8000 + 400, 16000), 6);  // 25 ms later
}

}  // namespace
}  // namespace cadencio::bench
