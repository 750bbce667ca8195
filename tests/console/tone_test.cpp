// The braille mode tones: the square-wave buffer and its looped playing on the mixer.
#include "console/tone.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace cadencio::console {
namespace {

TEST(ToneWaveTest, SquareWaveWithExactPeriodStarts) {
  // 1000 Hz: periods of 11 samples, each starting at 44 + floor(j * 11.025).
  std::vector<uint8_t> wave = BuildToneWave(1000);
  ASSERT_GE(wave.size(), 44u);
  EXPECT_EQ(std::string(wave.begin(), wave.begin() + 4), "RIFF");
  auto u32 = [&](int at) {
    return wave[at] | wave[at + 1] << 8 | wave[at + 2] << 16 | uint32_t(wave[at + 3]) << 24;
  };
  const uint32_t data_size = u32(40);
  EXPECT_EQ(wave.size(), 44 + data_size);
  EXPECT_EQ(u32(4), data_size + 36);
  EXPECT_EQ(u32(24), 11025u);
  EXPECT_EQ(wave[34], 8);  // bits
  // Periods are written while they start at most at 11025 - 11; the data ends at the first
  // start beyond that: 44 + floor(996 * 11.025) = 11024.
  EXPECT_EQ(44 + data_size, 11024u);
  // First period: 5 low samples and 6 high; the next period starts low at 55.
  const std::vector<uint8_t> first(wave.begin() + 44, wave.begin() + 56);
  EXPECT_EQ(first, (std::vector<uint8_t>{96, 96, 96, 96, 96, 160, 160, 160, 160, 160, 160, 96}));
  // Period 2 starts at 44 + 11 = 55; period 3 at 44 + 22; period 41 at 44 + 452 (40 * 11.025).
  for (int start : {55, 66, 44 + 441, 44 + 452}) {
    EXPECT_EQ(wave[start], 96) << start;
    EXPECT_EQ(wave[start - 1], 160) << start;
  }
  EXPECT_EQ(wave.back(), 128);  // ends on silence
  // Only the two levels (and the final silence) are used.
  for (std::size_t i = 44; i + 1 < wave.size(); ++i) {
    ASSERT_TRUE(wave[i] == 96 || wave[i] == 160) << i;
  }
  EXPECT_TRUE(BuildToneWave(0).empty());
  EXPECT_EQ(BuildToneWave(1).size(), 44u);  // a period longer than the buffer: no samples
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
  EXPECT_FALSE(sounding(0.0, 3.0));
  player.Beep();
  mixer.Render(out.data(), 11025 * 3);
  EXPECT_TRUE(sounding(0.0, 0.1));
  EXPECT_FALSE(sounding(0.13, 3.0)) << "the beep lasts 120 ms";
}

}  // namespace
}  // namespace cadencio::console
