// Tests of the WAVE reader: chunk walking, format checks, sample conversion and resampling,
// loading files.
#include "audio/wav_loader.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "formats/wav_writer.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::audio {
namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v & 0xFF));
  b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void PutTag(Bytes& b, const char* tag) {
  b.insert(b.end(), tag, tag + 4);
}

// One chunk: tag, size (as given, or the body's length), body, pad byte after an odd body.
void PutChunk(Bytes& b, const char* tag, const Bytes& body, int64_t claimed = -1, bool pad = true) {
  PutTag(b, tag);
  Put32(b, static_cast<uint32_t>(claimed >= 0 ? claimed : static_cast<int64_t>(body.size())));
  b.insert(b.end(), body.begin(), body.end());
  if (pad && body.size() % 2 == 1) b.push_back(0xEE);
}

Bytes FmtBody(int channels, int rate, int bits, int tag = 1) {
  Bytes f;
  Put16(f, static_cast<uint32_t>(tag));
  Put16(f, static_cast<uint32_t>(channels));
  Put32(f, static_cast<uint32_t>(rate));
  Put32(f, static_cast<uint32_t>(rate * channels * bits / 8));
  Put16(f, static_cast<uint32_t>(channels * bits / 8));
  Put16(f, static_cast<uint32_t>(bits));
  return f;
}

Bytes ExtensibleFmtBody(int channels, int rate, int bits, uint16_t sub_format) {
  Bytes f = FmtBody(channels, rate, bits, 0xFFFE);
  Put16(f, 22);                           // cbSize
  Put16(f, static_cast<uint32_t>(bits));  // valid bits
  Put32(f, channels == 1 ? 4u : 3u);      // channel mask
  Put16(f, sub_format);                   // GUID, first two bytes
  const uint8_t tail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  f.insert(f.end(), tail, tail + 14);
  return f;
}

// A RIFF/WAVE image of the given chunks (already encoded).
Bytes Riff(const Bytes& chunks, const char* form = "WAVE") {
  Bytes b;
  PutTag(b, "RIFF");
  Put32(b, static_cast<uint32_t>(4 + chunks.size()));
  PutTag(b, form);
  b.insert(b.end(), chunks.begin(), chunks.end());
  return b;
}

Bytes SimpleWav(int channels, int rate, int bits, const Bytes& data) {
  Bytes chunks;
  PutChunk(chunks, "fmt ", FmtBody(channels, rate, bits));
  PutChunk(chunks, "data", data);
  return Riff(chunks);
}

Bytes Pcm16(const std::vector<int16_t>& samples) {
  Bytes b;
  for (int16_t s : samples) Put16(b, static_cast<uint16_t>(s));
  return b;
}

// Samples of `levels` (interleaved, one per channel) in a form: the format tag (with
// the sub-format of an extensible one) and the bits of a sample. Floats are stored as they are,
// whole numbers scaled to full scale (8 bits unsigned).
Bytes Samples(int tag, int bits, int channels, const std::vector<double>& levels,
              uint16_t sub_format = 0) {
  Bytes data;
  for (double level : levels) {
    if (tag == 3 || sub_format == 3) {
      const uint64_t bytes = bits == 32 ? std::bit_cast<uint32_t>(static_cast<float>(level))
                                        : std::bit_cast<uint64_t>(level);
      for (int i = 0; i < bits / 8; ++i) data.push_back(static_cast<uint8_t>(bytes >> (8 * i)));
    } else if (bits == 8) {
      data.push_back(static_cast<uint8_t>(128 + std::lround(level * 128)));
    } else {
      const auto whole = static_cast<uint32_t>(std::llround(level * std::ldexp(1.0, bits - 1)));
      for (int i = 0; i < bits / 8; ++i) data.push_back(static_cast<uint8_t>(whole >> (8 * i)));
    }
  }
  Bytes chunks;
  PutChunk(chunks, "fmt ",
           tag == 0xFFFE ? ExtensibleFmtBody(channels, 44100, bits, sub_format)
                         : FmtBody(channels, 44100, bits, tag));
  PutChunk(chunks, "data", data);
  return Riff(chunks);
}

std::vector<int16_t> Sine(double freq, int rate, int frames, double amplitude) {
  std::vector<int16_t> s(static_cast<std::size_t>(frames));
  const double pi = std::acos(-1.0);
  for (int i = 0; i < frames; ++i) {
    s[static_cast<std::size_t>(i)] =
        static_cast<int16_t>(std::lround(amplitude * 32767 * std::sin(2 * pi * freq * i / rate)));
  }
  return s;
}

// Counts sign changes of one channel of interleaved stereo, between frames [from, to).
int ZeroCrossings(const std::vector<float>& stereo, int channel, std::size_t from, std::size_t to) {
  int count = 0;
  for (std::size_t i = from + 1; i < to; ++i) {
    if ((stereo[2 * (i - 1) + channel] < 0) != (stereo[2 * i + channel] < 0)) ++count;
  }
  return count;
}

float Peak(const std::vector<float>& stereo, std::size_t from, std::size_t to) {
  float peak = 0;
  for (std::size_t i = 2 * from; i < 2 * to; ++i) peak = std::max(peak, std::fabs(stereo[i]));
  return peak;
}

// --- Parsing -------------------------------------------------------------------------------

TEST(ParsePcmWav, ReadsEightBitMono) {
  auto pcm = ParsePcmWav(SimpleWav(1, 11025, 8, {128, 0, 255}));
  ASSERT_TRUE(pcm);
  EXPECT_EQ(pcm->format.channels, 1);
  EXPECT_EQ(pcm->format.sample_rate, 11025);
  EXPECT_EQ(pcm->format.bits, 8);
  EXPECT_EQ(pcm->bytes, (Bytes{128, 0, 255}));
}

TEST(ParsePcmWav, ReadsSixteenBitStereo) {
  Bytes data = Pcm16({1, -1, 300, -300});
  auto pcm = ParsePcmWav(SimpleWav(2, 22050, 16, data));
  ASSERT_TRUE(pcm);
  EXPECT_EQ(pcm->format.channels, 2);
  EXPECT_EQ(pcm->format.sample_rate, 22050);
  EXPECT_EQ(pcm->format.bits, 16);
  EXPECT_EQ(pcm->bytes, data);
}

TEST(ParsePcmWav, SkipsOtherChunksBeforeData) {
  Bytes chunks;
  PutChunk(chunks, "fmt ", FmtBody(1, 8000, 16));
  PutChunk(chunks, "LIST", Bytes(26, 'x'));
  PutChunk(chunks, "fact", {4, 0, 0, 0});
  PutChunk(chunks, "data", Pcm16({7, 8}));
  auto pcm = ParsePcmWav(Riff(chunks));
  ASSERT_TRUE(pcm);
  EXPECT_EQ(pcm->bytes, Pcm16({7, 8}));
}

TEST(ParsePcmWav, HonoursThePadByteAfterAnOddChunk) {
  Bytes chunks;
  PutChunk(chunks, "fmt ", FmtBody(1, 8000, 8));
  PutChunk(chunks, "LIST", Bytes(5, 'x'));  // body of 5 bytes, then one pad byte
  PutChunk(chunks, "data", {10, 20, 30});
  auto pcm = ParsePcmWav(Riff(chunks));
  ASSERT_TRUE(pcm);
  EXPECT_EQ(pcm->bytes, (Bytes{10, 20, 30}));
}

TEST(ParsePcmWav, ComparesTagsWithoutCase) {
  Bytes chunks;
  PutChunk(chunks, "FMT ", FmtBody(1, 8000, 8));
  PutChunk(chunks, "Data", {1, 2});
  auto pcm = ParsePcmWav(Riff(chunks, "wave"));
  ASSERT_TRUE(pcm);
  EXPECT_EQ(pcm->bytes, (Bytes{1, 2}));
}

TEST(ParsePcmWav, CutsADataChunkLongerThanTheFile) {
  Bytes chunks;
  PutChunk(chunks, "fmt ", FmtBody(1, 8000, 16));
  PutChunk(chunks, "data", Pcm16({5, 6, 7}), 1000);
  auto pcm = ParsePcmWav(Riff(chunks));
  ASSERT_TRUE(pcm);
  EXPECT_EQ(pcm->bytes, Pcm16({5, 6, 7}));
}

TEST(ParsePcmWav, KeepsOnlyWholeFrames) {
  Bytes chunks;
  PutChunk(chunks, "fmt ", FmtBody(2, 8000, 16));
  PutChunk(chunks, "data", Bytes{1, 0, 2, 0, 3, 0}, -1, false);  // one frame and a half
  auto pcm = ParsePcmWav(Riff(chunks));
  ASSERT_TRUE(pcm);
  EXPECT_EQ(pcm->bytes, (Bytes{1, 0, 2, 0}));
}

TEST(ParsePcmWav, AcceptsExtensiblePcm) {
  Bytes chunks;
  PutChunk(chunks, "fmt ", ExtensibleFmtBody(2, 48000, 16, 1));
  PutChunk(chunks, "data", Pcm16({1, 2}));
  auto pcm = ParsePcmWav(Riff(chunks));
  ASSERT_TRUE(pcm);
  EXPECT_EQ(pcm->format.sample_rate, 48000);
  EXPECT_EQ(pcm->format.channels, 2);
}

TEST(ParsePcmWav, RejectsBrokenOrUnplayableImages) {
  auto with_fmt = [](const Bytes& fmt) {
    Bytes chunks;
    PutChunk(chunks, "fmt ", fmt);
    PutChunk(chunks, "data", {0, 0, 0, 0});
    return Riff(chunks);
  };
  Bytes short_fmt = FmtBody(1, 8000, 8);
  short_fmt.resize(14);
  Bytes truncated_list;
  PutChunk(truncated_list, "fmt ", FmtBody(1, 8000, 8));
  PutChunk(truncated_list, "LIST", Bytes(4, 'x'), 400);
  Bytes data_first;
  PutChunk(data_first, "data", {0, 0});
  PutChunk(data_first, "fmt ", FmtBody(1, 8000, 8));
  Bytes no_data;
  PutChunk(no_data, "fmt ", FmtBody(1, 8000, 8));
  Bytes truncated_fmt;
  PutChunk(truncated_fmt, "fmt ", Bytes(8, 0), 16);

  struct Case {
    const char* what;
    Bytes image;
  };
  const Case cases[] = {
      {"empty", {}},
      {"not RIFF",
       [] {
         Bytes b = SimpleWav(1, 8000, 8, {0});
         b[0] = 'X';
         return b;
       }()},
      {"not WAVE", Riff({}, "AVI ")},
      {"header only", Riff({})},
      {"fmt too short", with_fmt(short_fmt)},
      {"fmt truncated", Riff(truncated_fmt)},
      {"zero rate", with_fmt(FmtBody(1, 0, 8))},
      {"no channels", with_fmt(FmtBody(0, 8000, 8))},
      {"12 bits", with_fmt(FmtBody(1, 8000, 12))},
      {"33 channels", with_fmt(FmtBody(33, 8000, 8))},
      {"float tag, 16 bits", with_fmt(FmtBody(1, 8000, 16, 3))},
      {"ADPCM tag", with_fmt(FmtBody(1, 8000, 16, 2))},
      {"extensible float", with_fmt(ExtensibleFmtBody(1, 8000, 16, 3))},
      {"extensible too short", with_fmt(FmtBody(1, 8000, 16, 0xFFFE))},
      {"truncated LIST", Riff(truncated_list)},
      {"data before fmt", Riff(data_first)},
      {"no data", Riff(no_data)},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(ParsePcmWav(c.image)) << c.what;
  }
}

// --- Conversion ----------------------------------------------------------------------------

TEST(ConvertToStereoFloat, ScalesEightAndSixteenBitSamples) {
  PcmData eight{{1, 44100, 8}, {128, 0, 255, 192}};
  EXPECT_EQ(ConvertToStereoFloat(eight, 44100),
            (std::vector<float>{0, 0, -1, -1, 127 / 128.0f, 127 / 128.0f, 0.5f, 0.5f}));
  PcmData sixteen{{2, 44100, 16}, Pcm16({-32768, 32767, 16384, 0})};
  EXPECT_EQ(ConvertToStereoFloat(sixteen, 44100),
            (std::vector<float>{-1, 32767 / 32768.0f, 0.5f, 0}));
}

TEST(ConvertToStereoFloat, EightBitSilenceStaysSilentAfterResampling) {
  PcmData silence{{1, 11025, 8}, Bytes(2000, 128)};
  auto out = ConvertToStereoFloat(silence, 44100);
  ASSERT_EQ(out.size(), 8000u * 2);
  EXPECT_EQ(Peak(out, 0, 8000), 0.0f);
}

TEST(ConvertToStereoFloat, LengthFollowsTheRateRatio) {
  struct Case {
    int from, frames, to;
    std::size_t expected;
  };
  const Case cases[] = {
      {11025, 11025, 44100, 44100}, {48000, 48000, 44100, 44100}, {22050, 1001, 44100, 2002},
      {48000, 4801, 44100, 4411},   {8000, 1, 44100, 6},          {44100, 333, 44100, 333},
  };
  for (const Case& c : cases) {
    PcmData pcm{{1, c.from, 16}, Pcm16(std::vector<int16_t>(static_cast<std::size_t>(c.frames)))};
    EXPECT_EQ(ConvertToStereoFloat(pcm, c.to).size(), c.expected * 2)
        << c.from << " -> " << c.to << ", " << c.frames << " frames";
    EXPECT_EQ(ConvertedFrameCount(pcm, c.to), static_cast<int64_t>(c.expected));
  }
}

// The last part of a clip must come out of the converter, not stay in its filter.
TEST(ConvertToStereoFloat, KeepsTheEndOfTheClip) {
  for (int from : {11025, 48000}) {
    const int frames = from / 2 + 1;
    auto tone = Sine(440, from, frames, 0.5);
    PcmData pcm{{1, from, 16}, Pcm16(tone)};
    auto out = ConvertToStereoFloat(pcm, 44100);
    const std::size_t n = out.size() / 2;
    ASSERT_EQ(n, static_cast<std::size_t>(std::lround(frames * 44100.0 / from))) << from;
    // The last 5 ms still carry the tone at full level, up to the last frames.
    EXPECT_GT(Peak(out, n - 220, n - 2), 0.45f) << from;
    EXPECT_GT(Peak(out, n - 30, n - 2), 0.1f) << from;
  }
}

TEST(ConvertToStereoFloat, SineKeepsAmplitudeAndFrequency) {
  struct Case {
    int from, channels;
  };
  for (Case c : {Case{11025, 1}, Case{22050, 2}, Case{48000, 1}, Case{44100, 2}}) {
    const int frames = c.from;  // one second
    auto tone = Sine(1000, c.from, frames, 0.8);
    std::vector<int16_t> interleaved;
    for (int16_t s : tone) {
      for (int ch = 0; ch < c.channels; ++ch) interleaved.push_back(s);
    }
    PcmData pcm{{c.channels, c.from, 16}, Pcm16(interleaved)};
    auto out = ConvertToStereoFloat(pcm, 44100);
    ASSERT_EQ(out.size(), 44100u * 2) << c.from;
    // 1000 Hz: two crossings per period, counted away from the clip's edges (0.1 s .. 0.9 s).
    for (int ch : {0, 1}) {
      EXPECT_NEAR(ZeroCrossings(out, ch, 4410, 39690), 1600, 2) << c.from << " ch " << ch;
    }
    EXPECT_NEAR(Peak(out, 4410, 39690), 0.8f, 0.02f) << c.from;
  }
}

TEST(ConvertToStereoFloat, DoublesMonoOntoBothSides) {
  auto tone = Sine(300, 11025, 3000, 0.6);
  auto out = ConvertToStereoFloat(PcmData{{1, 11025, 16}, Pcm16(tone)}, 44100);
  ASSERT_FALSE(out.empty());
  for (std::size_t i = 0; i < out.size(); i += 2) {
    ASSERT_EQ(out[i], out[i + 1]) << "frame " << i / 2;
  }
}

TEST(ConvertToStereoFloat, KeepsStereoSidesApart) {
  std::vector<int16_t> lr;
  for (int i = 0; i < 1000; ++i) {
    lr.push_back(16384);
    lr.push_back(-16384);
  }
  auto out = ConvertToStereoFloat(PcmData{{2, 22050, 16}, Pcm16(lr)}, 44100);
  ASSERT_EQ(out.size(), 4000u);
  // In the middle, away from the filter's edges, left stays +0.5 and right -0.5.
  EXPECT_NEAR(out[2 * 1000], 0.5f, 0.01f);
  EXPECT_NEAR(out[2 * 1000 + 1], -0.5f, 0.01f);
}

TEST(ConvertToStereoFloat, GivesNothingForEmptyOrImpossibleInput) {
  EXPECT_TRUE(ConvertToStereoFloat(PcmData{{1, 8000, 8}, {}}, 44100).empty());
  EXPECT_TRUE(ConvertToStereoFloat(PcmData{{1, 8000, 12}, {1, 2, 3}}, 44100).empty());
  // A ratio of more than 256 is beyond the converter.
  EXPECT_TRUE(ConvertToStereoFloat(PcmData{{1, 100, 8}, {128, 128}}, 44100).empty());
}

// --- Files ---------------------------------------------------------------------------------

class WavFileTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("cadencio_wav_" + std::to_string(::getpid()) + "_" + name))
        .string();
  }
  void TearDown() override {
    for (const auto& p : made_) std::filesystem::remove(p);
  }
  std::string Made(const std::string& name) {
    made_.push_back(Path(name));
    return made_.back();
  }
  std::vector<std::string> made_;
};

TEST_F(WavFileTest, WritesAndLoadsBack) {
  const std::string path = Made("round.wav");
  std::vector<int16_t> samples = {0, 16384, -16384, 32767, -32768};
  ASSERT_TRUE(formats::WriteWav16Mono(path, samples, 44100));
  EXPECT_EQ(std::filesystem::file_size(path), 44u + 10u);
  auto sound = LoadWavFile(path, 44100);
  ASSERT_TRUE(sound);
  EXPECT_EQ(sound->name, path);
  EXPECT_EQ(sound->samples, (std::vector<float>{0, 0, 0.5f, 0.5f, -0.5f, -0.5f, 32767 / 32768.0f,
                                                32767 / 32768.0f, -1, -1}));
}

TEST_F(WavFileTest, LoadResamplesToTheStreamRate) {
  const std::string path = Made("rate.wav");
  ASSERT_TRUE(formats::WriteWav16Mono(path, Sine(440, 22050, 2205, 0.5), 22050));
  auto sound = LoadWavFile(path, 48000);
  ASSERT_TRUE(sound);
  EXPECT_EQ(sound->FrameCount(), 4800);
}

// Each form a sound editor writes is read as the same levels (+0.5 then -0.25, on both sides);
// anything else gives no sound and the reason, which the metronome says.
TEST_F(WavFileTest, FormsReadOrRefusedWithTheirReason) {
  const std::vector<double> levels = {0.5, -0.25};
  const std::vector<double> stereo = {0.5, 0.5, -0.25, -0.25};
  const Bytes whole = SimpleWav(1, 44100, 16, Pcm16({16384, -8192}));
  struct Case {
    const char* what;
    std::optional<Bytes> image;  // nothing: no file
    WavProblem problem;
  };
  const Case cases[] = {
      {"8-bit", Samples(1, 8, 1, levels), WavProblem::kNone},
      {"16-bit stereo", Samples(1, 16, 2, stereo), WavProblem::kNone},
      {"24-bit", Samples(1, 24, 1, levels), WavProblem::kNone},
      {"32-bit integer", Samples(1, 32, 1, levels), WavProblem::kNone},
      {"32-bit float", Samples(3, 32, 1, levels), WavProblem::kNone},
      {"64-bit float", Samples(3, 64, 1, levels), WavProblem::kNone},
      {"extensible 24-bit stereo", Samples(0xFFFE, 24, 2, stereo, 1), WavProblem::kNone},
      {"extensible float", Samples(0xFFFE, 32, 1, levels, 3), WavProblem::kNone},
      {"4 channels, their mean", Samples(3, 32, 4, {1.0, 0.5, 0.5, 0.0, -1.0, 0, 0, 0}),
       WavProblem::kNone},
      {"mu-law", Samples(7, 8, 1, levels), WavProblem::kUnsupported},
      {"IMA ADPCM", Samples(0x11, 4, 1, levels), WavProblem::kUnsupported},
      {"an MP3 renamed", Bytes{'I', 'D', '3', 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       WavProblem::kUnsupported},
      {"cut in its head", Bytes(whole.begin(), whole.begin() + 30), WavProblem::kIncomplete},
      {"cut after RIFF", Bytes(whole.begin(), whole.begin() + 6), WavProblem::kIncomplete},
      {"empty file", Bytes{}, WavProblem::kEmpty},
      {"no samples", SimpleWav(1, 44100, 16, {}), WavProblem::kEmpty},
      {"missing", std::nullopt, WavProblem::kMissing},
  };
  for (const Case& c : cases) {
    const std::string path = Made("form.wav");
    if (c.image) testing::WriteBytes(path, std::string(c.image->begin(), c.image->end()));
    WavProblem problem = WavProblem::kNone;
    const std::optional<Sound> sound = LoadWavFile(path, 44100, &problem);
    std::filesystem::remove(path);
    EXPECT_EQ(problem, c.problem) << c.what;
    ASSERT_EQ(sound.has_value(), c.problem == WavProblem::kNone) << c.what;
    if (!sound) continue;
    ASSERT_EQ(sound->samples.size(), 4u) << c.what;
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_NEAR(sound->samples[i], levels[i / 2], 1e-6) << c.what << ", sample " << i;
    }
  }
}

TEST_F(WavFileTest, MissingOrBrokenFilesGiveNothing) {
  EXPECT_FALSE(LoadWavFile(Path("does_not_exist.wav"), 44100));
  const std::string broken = Made("broken.wav");
  std::ofstream(broken, std::ios::binary) << "RIFF\x10\0\0\0WAVEjunk";
  EXPECT_FALSE(LoadWavFile(broken, 44100));
  EXPECT_FALSE(LoadWavFile(std::filesystem::temp_directory_path().string(), 44100));
}

}  // namespace
}  // namespace cadencio::audio
