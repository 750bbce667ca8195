// Finding the format and the samples of WAVE images in memory.
#include "audio/wave_out/wav_image_reader.hpp"

#include <gtest/gtest.h>

#include "support/wav_test_support.hpp"

namespace cadencio::audio {
namespace {

using namespace cadencio::testing;

struct ImageCase {
  const char* name;
  Bytes image;
  bool ok;
  std::size_t data_offset;
  std::size_t data_length;
};

TEST(ParseWavImage, FindsTheDataOrRefusesTheImage) {
  const Bytes fmt = FmtBody(11025, 2, 16);
  const Bytes data(10, 7);
  const ImageCase cases[] = {
      {"plain", MakeWav(11025, 2, 16, Bytes(100, 7)), true, 44, 100},
      {"lower-case tags", WaveImage({{"FmT ", fmt}, {"DATA", Bytes(100, 7)}}, "riff"), true, 44,
       100},
      {"LIST before data and an 18-byte fmt body",
       WaveImage(
           {{"fmt ", FmtBody(11025, 2, 16, 2)}, {"LIST", Bytes(12, 'x')}, {"data", Bytes(100, 7)}}),
       true, 46 + 20, 100},
      {"data longer than the image", WaveImage({{"fmt ", fmt}, {"data", Bytes(30, 1), 0xFFFFFFFF}}),
       true, 44, 30},
      {"empty data at the very end", WaveImage({{"fmt ", fmt}, {"data", {}, 10}}), true, 44, 0},
      {"not RIFF", WaveImage({{"fmt ", fmt}, {"data", data}}, "RIFX"), false, 0, 0},
      {"no fmt at 12", WaveImage({{"LIST", Bytes(16, 0)}, {"data", data}}), false, 0, 0},
      {"fmt body too short", WaveImage({{"fmt ", Cut(fmt, 12)}, {"data", data}}), false, 0, 0},
      {"no data chunk", WaveImage({{"fmt ", fmt}, {"LIST", Bytes(16, 0)}}), false, 0, 0},
      {"chunk that jumps past the end",
       WaveImage({{"fmt ", fmt}, {"LIST", {}, 0xFFFFFFF8}, {"data", data}}), false, 0, 0},
      {"fmt size that jumps past the end", WaveImage({{"fmt ", fmt, 0xFFFFFFFF}, {"data", data}}),
       false, 0, 0},
      {"35 bytes", Cut(MakeWav(11025, 2, 16, {}), 35), false, 0, 0},
      {"nothing", Bytes{}, false, 0, 0},
  };
  for (const ImageCase& c : cases) {
    SCOPED_TRACE(c.name);
    WavImageInfo info;
    ASSERT_EQ(ParseWavImage(c.image, info), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(info.data, c.image.data() + c.data_offset);
    EXPECT_EQ(info.length, c.data_length);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.rate, 11025);
    EXPECT_EQ(info.bits, 16);
  }
}

}  // namespace
}  // namespace cadencio::audio
