// Dropping every other pitch period: blocks with peaks placed by hand and lengths worked out
// on paper from the search rules.
#include "audio/wave_out/cut_speech.hpp"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace cadencio::audio {
namespace {

using Samples = std::vector<uint8_t>;

Samples Block(std::size_t length, uint8_t base, const std::map<std::size_t, uint8_t>& marks) {
  Samples block(length, base);
  for (auto [at, value] : marks) block[at] = value;
  return block;
}

struct CutCase {
  const char* name;
  Samples block;
  int rate;
  std::size_t length;                       // expected new length
  std::map<std::size_t, uint8_t> expected;  // expected samples after the cut
};

void PrintTo(const CutCase& c, std::ostream* os) {
  *os << c.name;
}

class CutSpeechPeriodsTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(CutSpeechPeriodsTest, KeepsEveryOtherPeriod) {
  const CutCase& c = GetParam();
  Samples block = c.block;
  std::size_t length = CutSpeechPeriods(block.data(), block.size(), 8, c.rate);
  EXPECT_EQ(length, c.length);
  for (auto [at, value] : c.expected) EXPECT_EQ(block[at], value) << "sample " << at;
}

// Peaks every 100 samples from 250 at 11025 Hz: the first peak (250) stays, then the spans
// 350..450, 550..650 and 750..850 are kept and moved down behind it.
const std::map<std::size_t, uint8_t> kPeaks = {{250, 150}, {350, 151}, {450, 152}, {550, 153},
                                               {650, 154}, {750, 155}, {850, 156}, {950, 157}};
const std::map<std::size_t, uint8_t> kPeaksMoved = {{249, 128}, {250, 151}, {300, 128},
                                                    {350, 152}, {351, 153}, {451, 154},
                                                    {452, 155}, {552, 156}, {100, 128}};

std::map<std::size_t, uint8_t> With(std::map<std::size_t, uint8_t> marks,
                                    const std::map<std::size_t, uint8_t>& more) {
  for (auto [at, value] : more) marks[at] = value;
  return marks;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CutSpeechPeriodsTest,
    ::testing::Values(
        CutCase{"peaks every 100 samples", Block(1000, 128, kPeaks), 11025, 553, kPeaksMoved},
        // Loud samples where the writing stops: the tail copies on from the last peak while
        // the sample at the write position is more than 20 away from silence (107, 149) and
        // stops at one that is 20 away (148).
        CutCase{"tail copied over loud samples",
                Block(1000, 128, With(kPeaks, {{553, 107}, {554, 149}, {555, 148}})), 11025, 555,
                With(kPeaksMoved, {{553, 156}, {554, 128}, {555, 148}})},
        // Peaks on the last position of each window are found; those just past it are not.
        CutCase{"window edges",
                Block(1000, 128,
                      {{330, 150}, {331, 200}, {460, 151}, {461, 200}, {590, 152}, {591, 200}}),
                11025,
                542,
                {{330, 151}, {331, 200}, {460, 152}, {461, 128}}},
        // Equal largest samples: the first (220) is the first peak, not the later one (300).
        CutCase{"ties go to the first",
                Block(1000, 128, {{220, 200}, {300, 200}}),
                11025,
                544,
                {{220, 200}, {300, 128}}},
        // Nothing above 0: every window gives its first position; all the samples are loud,
        // so the tail copies to the end of the block.
        CutCase{"windows with nothing above 0", Block(1000, 0, {}), 11025, 684, {}},
        // Other rates search four times as far: first peak 1000, spans 1400..1800 and
        // 2200..2600 kept.
        CutCase{"other rate",
                Block(3000, 128, {{1000, 150}, {1400, 151}, {1800, 152}, {2200, 153}, {2600, 154}}),
                22050,
                1802,
                {{1000, 151}, {1400, 152}, {1401, 153}, {1801, 154}, {1802, 128}}},
        // The first window runs past a block of 1000 samples at other rates; it ends at the
        // last sample, which is loud, so the tail keeps it.
        CutCase{"window past the end", Block(1000, 128, {{999, 255}}), 22050, 1000, {{999, 255}}},
        CutCase{"short block untouched",
                Block(999, 0, {{500, 255}}),
                11025,
                999,
                {{0, 0}, {500, 255}, {998, 0}}}),
    [](const ::testing::TestParamInfo<CutCase>& info) {
      std::string name = info.param.name;
      for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return name;
    });

TEST(CutSpeechPeriods, SixteenBitSamplesBecomeTheirHighByteWithTheSignFlipped) {
  // 0x0000, 0x7FFF, 0x8000, 0xFFFF, 0x1234 and an odd byte.
  Samples block = {0x00, 0x00, 0xFF, 0x7F, 0x00, 0x80, 0xFF, 0xFF, 0x34, 0x12, 0x99};
  std::size_t length = CutSpeechPeriods(block.data(), block.size(), 16, 11025);
  ASSERT_EQ(length, 5u);
  EXPECT_EQ(Samples(block.begin(), block.begin() + 5), (Samples{0x80, 0xFF, 0x00, 0x7F, 0x92}));
}

TEST(CutSpeechPeriods, SixteenBitBlocksAreCutAfterConversion) {
  // The peaks of the first case, as 16-bit samples.
  Samples wide;
  Samples narrow = Block(1000, 128, kPeaks);
  for (uint8_t s : narrow) {
    wide.push_back(0x11);
    wide.push_back(static_cast<uint8_t>(s ^ 0x80));
  }
  std::size_t length = CutSpeechPeriods(wide.data(), wide.size(), 16, 11025);
  EXPECT_EQ(length, 553u);
  EXPECT_EQ(wide[250], 151);
  EXPECT_EQ(wide[552], 156);
}

}  // namespace
}  // namespace cadencio::audio
