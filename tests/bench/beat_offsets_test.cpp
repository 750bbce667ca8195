// The Link benchmark's figures: each beat against the nearest of another train (before or after
// it, only in the window; a beat with none near left out), the tempo of a train with a beat
// missing, and the clicks of a recording found where they start.
#include "measures/beat_offsets.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace cadencio::bench {
namespace {

TEST(BeatOffsetsTest, EachBeatIsMeasuredToTheNearestOfTheOtherTrain) {
  struct Case {
    const char* what;
    std::vector<double> beats, other;  // microseconds
    std::vector<double> offsets;       // ms
  };
  const Case cases[] = {
      {"the nearest is earlier", {10'000}, {9'000, 12'000}, {-1}},
      {"the nearest is later", {10'000}, {8'000, 10'500}, {0.5}},
      {"past the other's last", {20'000}, {9'000, 12'000}, {-8}},
      {"before the other's first", {10'000}, {11'500, 20'000}, {1.5}},
      {"outside the window", {1'000, 10'000, 200'000}, {10'250}, {0.25}},
      {"no other beats", {10'000}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<double> offsets = Offsets(c.beats, c.other, 5'000, 100'000);
    ASSERT_EQ(offsets.size(), c.offsets.size());
    for (std::size_t i = 0; i < offsets.size(); ++i) EXPECT_DOUBLE_EQ(offsets[i], c.offsets[i]);
  }
}

TEST(BeatOffsetsTest, ABeatWithNoneNearIsTakenOutOfTheFigures) {
  // LinkHut left out a click: the beat there is 500 ms from the nearest.
  std::vector<double> offsets{0.1, -0.2, -500, 0.05, 499.9, -250};
  EXPECT_EQ(TakeUnmatched(offsets, 250), (std::vector<double>{-500, 499.9}));
  EXPECT_EQ(offsets, (std::vector<double>{0.1, -0.2, 0.05, -250}));
}

TEST(BeatOffsetsTest, TheTempoIsTheMedianIntervalsInsideTheWindow) {
  // 120 BPM from 0 to 10 s with the beat at 4 s missing, then 100 BPM.
  std::vector<double> beats;
  for (double at = 0; at <= 10e6; at += 500e3) {
    if (at != 4e6) beats.push_back(at);
  }
  for (double at = 10.6e6; at < 20e6; at += 600e3) beats.push_back(at);
  EXPECT_DOUBLE_EQ(TempoBetween(beats, 0, 10e6), 120);
  EXPECT_DOUBLE_EQ(TempoBetween(beats, 11e6, 20e6), 100);
  EXPECT_EQ(TempoBetween(beats, 30e6, 40e6), 0) << "no beats";
}

TEST(BeatOffsetsTest, AClickStartsAtItsFirstLoudFrameAfterQuiet) {
  // Clicks of 100 ms that start at full scale (a cosine of 1500 Hz, decaying), rising or
  // falling, at 48000 Hz; the two 30 ms apart (adding up) are one.
  constexpr int kRate = 48000;
  const struct {
    int64_t frame;
    float sign;
  } clicks[] = {{1000, 1}, {25000, -1}, {50000, 1}, {51440, 1}};
  std::vector<float> take(80000, 0.0f);
  for (const auto& click : clicks) {
    for (int i = 0; i < kRate / 10; ++i) {
      const double t = static_cast<double>(i) / kRate;
      take[static_cast<std::size_t>(click.frame + i)] +=
          click.sign * static_cast<float>(std::cos(2 * M_PI * 1500 * t) * (1 - t * 5));
    }
  }
  EXPECT_EQ(LoudStarts(take, kRate), (std::vector<int64_t>{1000, 25000, 50000}));
}

}  // namespace
}  // namespace cadencio::bench
