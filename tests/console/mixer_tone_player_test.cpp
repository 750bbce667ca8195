// The braille mode tones: the square-wave samples and their looped playing on the mixer.
#include "console/mixer_tone_player.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace cadencio::console {
namespace {

TEST(ToneSamplesTest, SquareWaveWithExactPeriodStarts) {
  // 1000 Hz: periods of 11 samples, each starting at floor(j * 11.025).
  std::vector<uint8_t> wave = BuildToneSamples(1000);
  // Periods are written while they start at most at 10981 - 11; the tone ends at the first
  // start beyond that: floor(996 * 11.025) = 10980.
  EXPECT_EQ(wave.size(), 10980u);
  // First period: 5 low samples and 6 high; the next period starts low at 11.
  const std::vector<uint8_t> first(wave.begin(), wave.begin() + 12);
  EXPECT_EQ(first, (std::vector<uint8_t>{96, 96, 96, 96, 96, 160, 160, 160, 160, 160, 160, 96}));
  // Period 2 starts at 11; period 3 at 22; period 41 at 452 (40 * 11.025).
  for (int start : {11, 22, 441, 452}) {
    EXPECT_EQ(wave[start], 96) << start;
    EXPECT_EQ(wave[start - 1], 160) << start;
  }
  EXPECT_EQ(wave.back(), 128);  // ends on silence
  // Only the two levels (and the final silence) are used.
  for (std::size_t i = 0; i + 1 < wave.size(); ++i) {
    ASSERT_TRUE(wave[i] == 96 || wave[i] == 160) << i;
  }
  EXPECT_TRUE(BuildToneSamples(0).empty());
  EXPECT_TRUE(BuildToneSamples(1).empty());  // a period longer than the tone: no samples
}

TEST(MixerTonePlayerTest, TonesLoopUntilStoppedAndTheBeepPlaysOnce) {
  audio::Mixer mixer(11025);
  MixerTonePlayer player(mixer);
  std::vector<float> out(2 * 11025 * 3);
  // Whether the left channel has sound in [from, to) seconds of a render of three seconds.
  auto sounding = [&](double from, double to) {
    for (int i = static_cast<int>(from * 11025); i < static_cast<int>(to * 11025); ++i) {
      if (std::fabs(out[2 * i]) > 0.1f) return true;
    }
    return false;
  };
  player.StartTone(400);
  mixer.Render(out.data(), 11025 * 3);
  EXPECT_TRUE(sounding(0.0, 0.1));
  EXPECT_TRUE(sounding(2.9, 3.0)) << "the one-second buffer repeats";
  player.StopTone();
  mixer.Render(out.data(), 11025 * 3);
  EXPECT_FALSE(sounding(0.002, 3.0)) << "silent once its 2 ms fade is over";
  player.Beep();
  mixer.Render(out.data(), 11025 * 3);
  EXPECT_TRUE(sounding(0.0, 0.1));
  EXPECT_FALSE(sounding(0.13, 3.0)) << "the beep lasts 120 ms";
}

}  // namespace
}  // namespace cadencio::console
