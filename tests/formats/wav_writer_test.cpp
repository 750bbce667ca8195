// The WAVE writer: the exact bytes of its header, and files that the program's own RIFF
// reader reads back as written.
#include "formats/wav_writer.hpp"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "formats/byte_source.hpp"
#include "formats/riff_reader.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::formats {
namespace {

using Bytes = std::vector<uint8_t>;

// The bytes as hex digits, blanks and all, for comparing with a header laid out field by field.
std::string Hex(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

std::string WithoutBlanks(std::string text) {
  std::erase(text, ' ');
  return text;
}

TEST(WavHeader, FieldsOfEachFormat) {
  struct Case {
    const char* name;
    uint32_t data_size, rate;
    uint16_t channels, bits;
    // "RIFF" size "WAVE" "fmt " 16 tag channels rate bytes/s align bits "data" size
    const char* expected;
  };
  const Case cases[] = {
      {"8-bit mono (block align 1)", 10, 11025, 1, 8,
       "52494646 2e000000 57415645 666d7420 10000000 0100 0100 112b0000 112b0000 0100 0800 "
       "64617461 0a000000"},
      {"16-bit mono", 1000, 16000, 1, 16,
       "52494646 0c040000 57415645 666d7420 10000000 0100 0100 803e0000 007d0000 0200 1000 "
       "64617461 e8030000"},
      {"16-bit stereo", 4, 22050, 2, 16,
       "52494646 28000000 57415645 666d7420 10000000 0100 0200 22560000 88580100 0400 1000 "
       "64617461 04000000"},
  };
  for (const Case& c : cases) {
    Bytes image(kWavHeaderSize + 2, 0xAA);
    BuildWavHeader(image, c.data_size, c.rate, c.channels, c.bits);
    EXPECT_EQ(Hex(std::span(image).first(kWavHeaderSize)), WithoutBlanks(c.expected)) << c.name;
    EXPECT_EQ(image[kWavHeaderSize], 0xAA) << c.name << ": nothing after the header";
  }
  Bytes small(20, 7);
  BuildWavHeader(small, 10, 11025, 1, 8);
  EXPECT_EQ(small, Bytes(20, 7)) << "an image shorter than the header is left alone";
}

// What the RIFF reader finds in a file: the format fields and the sample bytes.
struct ReadBack {
  bool ok = false;
  int channels = 0, rate = 0, bits = 0;
  Bytes data;
};

ReadBack ReadFile(const std::string& path) {
  ReadBack out;
  std::unique_ptr<FileByteSource> file = FileByteSource::Open(path);
  if (!file) return out;
  RiffOptions standard;
  standard.wave_tag = true;
  standard.fmt_first = false;
  standard.pad_odd_chunks = true;
  RiffWav wav;
  if (!ReadRiffHead(*file, standard, wav) || wav.FormatTag() != 1) return out;
  out.ok = wav.data_offset == kWavHeaderSize;
  out.channels = wav.Channels();
  out.rate = wav.Rate();
  out.bits = wav.Bits();
  out.data.resize(wav.data_size);
  out.data.resize(file->Read(out.data.data(), out.data.size()));
  if (file->Read(out.data.data(), 1) != 0) out.ok = false;  // bytes beyond the data chunk
  return out;
}

TEST(WavFiles, WrittenFilesReadBackAsWritten) {
  testing::ScratchDir dir;
  const std::vector<int16_t> sixteen = {0, 1, -1, 32767, -32768, 0x1234};
  struct Case {
    const char* name;
    bool written;
    int rate, bits;
    Bytes data;  // as stored: 16-bit samples little-endian whatever the machine
  };
  const Case cases[] = {
      {"eight.wav",
       WriteWav8Mono(dir / "eight.wav", Bytes{0, 128, 255, 7, 9}, 11025),
       11025,
       8,
       {0, 128, 255, 7, 9}},
      {"sixteen.wav",
       WriteWav16Mono(dir / "sixteen.wav", sixteen, 44100),
       44100,
       16,
       {0, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0x80, 0x34, 0x12}},
      {"empty.wav", WriteWav8Mono(dir / "empty.wav", {}, 8000), 8000, 8, {}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(c.written) << c.name;
    const ReadBack back = ReadFile(dir / c.name);
    EXPECT_TRUE(back.ok) << c.name;
    EXPECT_EQ(back.channels, 1) << c.name;
    EXPECT_EQ(back.rate, c.rate) << c.name;
    EXPECT_EQ(back.bits, c.bits) << c.name;
    EXPECT_EQ(back.data, c.data) << c.name;
  }
}

TEST(WavFiles, ImpossibleWritesFail) {
  testing::ScratchDir dir;
  const std::vector<int16_t> two = {1, 2};
  EXPECT_FALSE(WriteWav16Mono("/nonexistent-dir/x/y.wav", two, 44100));
  EXPECT_FALSE(WriteWav16Mono(dir / "bad_rate.wav", two, 0));
  EXPECT_FALSE(WriteWav8Mono(dir / "bad_rate8.wav", Bytes{1, 2}, -5));
  EXPECT_FALSE(WriteWav8Mono("/nonexistent-dir/x/z.wav", Bytes{1, 2}, 11025));
}

}  // namespace
}  // namespace cadencio::formats
