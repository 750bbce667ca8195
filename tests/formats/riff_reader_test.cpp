// The one RIFF/WAVE walk under the three layouts the program reads: standard files (beat
// sounds), files and images played as speech, and the recorded voice's letter files.
#include "formats/riff_reader.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cadencio::formats {
namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

Bytes Chunk(const char* tag, uint32_t stated_size, Bytes body) {
  Bytes out(tag, tag + 4);
  Put32(out, stated_size);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

// 8-bit mono at 11025 Hz, in `fmt_size` bytes of body.
Bytes FmtBody(uint32_t fmt_size = 16) {
  Bytes body(fmt_size, 0);
  const Bytes fields = {1, 0, 1, 0, 0x11, 0x2B, 0, 0, 0x11, 0x2B, 0, 0, 1, 0, 8, 0};
  std::copy_n(fields.begin(), std::min<std::size_t>(fmt_size, fields.size()), body.begin());
  return body;
}

Bytes Fmt(uint32_t fmt_size = 16) {
  return Chunk("fmt ", fmt_size, FmtBody(fmt_size));
}

Bytes Riff(std::initializer_list<Bytes> chunks, const char* form = "WAVE") {
  Bytes out = {'R', 'I', 'F', 'F', 0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(form[i]));
  for (const Bytes& chunk : chunks) {
    for (uint8_t byte : chunk) out.push_back(byte);
  }
  return out;
}

const Bytes kSamples = {0x80, 0x90, 0x70, 0x80};

RiffOptions Standard() {
  RiffOptions options;
  options.wave_tag = true;
  options.fmt_first = false;
  options.fmt_fields = 0;
  options.pad_odd_chunks = true;
  return options;
}

RiffOptions Letters() {
  RiffOptions options;
  options.fmt_fields = 0;
  options.data_size_16bit = true;
  return options;
}

// The samples found, or -1 when the walk fails.
int SamplesFound(const Bytes& image, const RiffOptions& options) {
  RiffWav wav;
  std::span<const uint8_t> samples;
  if (!ParseRiffImage(image, options, wav, samples)) return -1;
  return static_cast<int>(samples.size());
}

TEST(RiffWav, EachLayoutKeepsItsOwnRules) {
  struct Case {
    const char* name;
    Bytes image;
    int standard, playback, letters;  // samples found, -1: refused
  };
  const Bytes odd_list = Chunk("LIST", 3, {'a', 'b', 'c', 0});  // with its pad byte
  const Case cases[] = {
      {"plain", Riff({Fmt(), Chunk("data", 4, kSamples)}), 4, 4, 4},
      {"tags in other cases", Riff({Chunk("FMT ", 16, FmtBody()), Chunk("Data", 4, kSamples)}), 4,
       4, 4},
      {"not WAVE", Riff({Fmt(), Chunk("data", 4, kSamples)}, "AVI "), -1, 4, 4},
      {"a chunk before fmt", Riff({odd_list, Fmt(), Chunk("data", 4, kSamples)}), 4, -1, -1},
      // Without the pad byte the walk lands one byte early and finds no data chunk.
      {"odd chunk after fmt", Riff({Fmt(), odd_list, Chunk("data", 4, kSamples)}), 4, -1, -1},
      {"data before fmt", Riff({Chunk("data", 4, kSamples), Fmt()}), -1, -1, -1},
      {"fmt without the bits", Riff({Fmt(12), Chunk("data", 4, kSamples)}), 4, -1, 4},
      {"data longer than the file", Riff({Fmt(), Chunk("data", 100, kSamples)}), 4, 4, 4},
      // Letter files read the size as 16 bits: 0x10002 is 2.
      {"data size above 16 bits", Riff({Fmt(), Chunk("data", 0x10002, kSamples)}), 4, 4, 2},
      {"no data chunk", Riff({Fmt()}), -1, -1, -1},
      {"chunk running past the end", Riff({Fmt(), Chunk("LIST", 50, {1, 2})}), -1, -1, -1},
      {"too short", Bytes{'R', 'I', 'F', 'F', 0}, -1, -1, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SamplesFound(c.image, Standard()), c.standard) << c.name << ", standard";
    EXPECT_EQ(SamplesFound(c.image, {}), c.playback) << c.name << ", playback";
    EXPECT_EQ(SamplesFound(c.image, Letters()), c.letters) << c.name << ", letters";
  }
}

}  // namespace
}  // namespace cadencio::formats
