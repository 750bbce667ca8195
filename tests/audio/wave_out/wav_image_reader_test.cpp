// Finding the format and the samples of WAVE images in memory.
#include "audio/wave_out/wav_image_reader.hpp"

#include <gtest/gtest.h>

#include <functional>

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

Bytes Build(const std::function<void(Bytes&)>& build) {
  Bytes out;
  build(out);
  return out;
}

TEST(ParseWavImage, FindsTheDataOrRefusesTheImage) {
  const ImageCase cases[] = {
      {"plain", MakeWav(11025, 2, 16, Bytes(100, 7)), true, 44, 100},
      {"lower-case tags", Build([](Bytes& b) {
         b = RiffHead("riff");
         PutChunk(b, "FmT ", FmtBody(11025, 2, 16));
         PutChunk(b, "DATA", Bytes(100, 7));
       }),
       true, 44, 100},
      {"LIST before data and an 18-byte fmt body", Build([](Bytes& b) {
         b = RiffHead();
         PutChunk(b, "fmt ", FmtBody(11025, 2, 16, 2));
         PutChunk(b, "LIST", Bytes(12, 'x'));
         PutChunk(b, "data", Bytes(100, 7));
       }),
       true, 46 + 20, 100},
      {"data longer than the image", Build([](Bytes& b) {
         b = RiffHead();
         PutChunk(b, "fmt ", FmtBody(11025, 2, 16));
         PutChunkHead(b, "data", 0xFFFFFFFF);
         b.resize(b.size() + 30, 1);
       }),
       true, 44, 30},
      {"empty data at the very end", Build([](Bytes& b) {
         b = RiffHead();
         PutChunk(b, "fmt ", FmtBody(11025, 2, 16));
         PutChunkHead(b, "data", 10);
       }),
       true, 44, 0},
      {"not RIFF", Build([](Bytes& b) {
         b = RiffHead("RIFX");
         PutChunk(b, "fmt ", FmtBody(11025, 2, 16));
         PutChunk(b, "data", Bytes(10, 7));
       }),
       false, 0, 0},
      {"no fmt at 12", Build([](Bytes& b) {
         b = RiffHead();
         PutChunk(b, "LIST", Bytes(16, 0));
         PutChunk(b, "data", Bytes(10, 7));
       }),
       false, 0, 0},
      {"fmt body too short", Build([](Bytes& b) {
         b = RiffHead();
         Bytes body = FmtBody(11025, 2, 16);
         body.resize(12);
         PutChunk(b, "fmt ", body);
         PutChunk(b, "data", Bytes(10, 7));
       }),
       false, 0, 0},
      {"no data chunk", Build([](Bytes& b) {
         b = RiffHead();
         PutChunk(b, "fmt ", FmtBody(11025, 2, 16));
         PutChunk(b, "LIST", Bytes(16, 0));
       }),
       false, 0, 0},
      {"chunk that jumps past the end", Build([](Bytes& b) {
         b = RiffHead();
         PutChunk(b, "fmt ", FmtBody(11025, 2, 16));
         PutChunkHead(b, "LIST", 0xFFFFFFF8);
         PutChunk(b, "data", Bytes(10, 7));
       }),
       false, 0, 0},
      {"fmt size that jumps past the end", Build([](Bytes& b) {
         b = RiffHead();
         PutChunkHead(b, "fmt ", 0xFFFFFFFF);
         Bytes body = FmtBody(11025, 2, 16);
         b.insert(b.end(), body.begin(), body.end());
         PutChunk(b, "data", Bytes(10, 7));
       }),
       false, 0, 0},
      {"35 bytes", Build([](Bytes& b) {
         b = MakeWav(11025, 2, 16, {});
         b.resize(35);
       }),
       false, 0, 0},
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
