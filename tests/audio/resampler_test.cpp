// Tests of the resampler: the length and channels of a whole-buffer conversion, a stream cut into
// blocks against the same sound converted at once, and the copies and resets of a stream.
#include "audio/resampler.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace cadencio::audio {
namespace {

// `frames` interleaved frames; channel c is a sine of `hertz` x (c + 1) at `rate`.
std::vector<float> Sines(int64_t frames, int channels, double hertz, int rate) {
  std::vector<float> out(static_cast<std::size_t>(frames * channels));
  const double step = 2 * std::acos(-1.0) * hertz / rate;
  for (int64_t f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) {
      out[static_cast<std::size_t>(f * channels + c)] =
          static_cast<float>(0.5 * std::sin(step * (c + 1) * static_cast<double>(f)));
    }
  }
  return out;
}

double Rms(const std::vector<float>& samples, int channels, int channel, int64_t from, int64_t to) {
  double sum = 0;
  for (int64_t f = from; f < to; ++f) {
    const double s = samples[static_cast<std::size_t>(f * channels + channel)];
    sum += s * s;
  }
  return std::sqrt(sum / static_cast<double>(to - from));
}

TEST(ResampleBuffer, KeepsLengthLevelAndChannels) {
  struct Case {
    int from;
    int to;
    int channels;
    ResampleQuality quality;
  };
  const Case cases[] = {
      {11025, 44100, 1, kPlaybackQuality},       {16000, 44100, 2, kPlaybackQuality},
      {44100, 22050, 2, kPlaybackQuality},       {48000, 44100, 1, ResampleQuality::kBest},
      {22050, 48000, 2, ResampleQuality::kBest},
  };
  for (const Case& c : cases) {
    const int64_t in_frames = c.from / 4;
    const std::vector<float> in = Sines(in_frames, c.channels, 440, c.from);
    const double ratio = static_cast<double>(c.to) / c.from;
    const auto expected = static_cast<int64_t>(std::llround(in_frames * ratio));
    std::vector<float> out(static_cast<std::size_t>((expected + 64) * c.channels));
    const std::optional<int64_t> made = ResampleBuffer(in, out, c.channels, ratio, c.quality);
    ASSERT_TRUE(made) << c.from << " -> " << c.to;
    // The filter's tail is flushed: the whole sound comes out, not what the filter held back.
    EXPECT_NEAR(static_cast<double>(*made), static_cast<double>(expected), 2) << c.from;
    out.resize(static_cast<std::size_t>(*made * c.channels));
    for (int channel = 0; channel < c.channels; ++channel) {
      // Each side keeps its own sine at its level (0.5 / sqrt 2), away from the edges.
      EXPECT_NEAR(Rms(out, c.channels, channel, *made / 4, *made * 3 / 4), 0.3536, 0.01)
          << c.from << " -> " << c.to << " channel " << channel;
    }
  }
}

TEST(ResampleBuffer, StopsAtTheRoomItIsGiven) {
  const std::vector<float> in = Sines(1000, 1, 440, 11025);
  std::vector<float> out(100);
  EXPECT_EQ(ResampleBuffer(in, out, 1, 4.0), 100);
  EXPECT_FALSE(ResampleBuffer(in, out, 1, 1.0e6));  // beyond the converter
}

// The blocks of a stream, then its ending, as one buffer.
std::vector<float> ConvertInBlocks(StreamResampler& stream, const std::vector<float>& in,
                                   int64_t block_frames) {
  std::vector<float> out(in.size() * 8 + 4096);
  const int64_t capacity = static_cast<int64_t>(out.size() / 2);
  int64_t made = 0;
  const int64_t frames = static_cast<int64_t>(in.size() / 2);
  for (int64_t at = 0; at < frames; at += block_frames) {
    made += stream.Convert(in.data() + at * 2, std::min(block_frames, frames - at),
                           out.data() + made * 2, capacity - made, false);
  }
  const float silence[2] = {0, 0};
  made += stream.Convert(silence, 1, out.data() + made * 2, capacity - made, true);
  out.resize(static_cast<std::size_t>(made * 2));
  return out;
}

TEST(StreamResampler, BlocksJoinAsOneConversion) {
  const double ratio = 44100.0 / 11025;
  std::vector<float> in = Sines(3000, 2, 300, 11025);
  std::vector<float> whole_in = in;
  whole_in.insert(whole_in.end(), {0.0f, 0.0f});  // the silent frame the stream ends with
  std::vector<float> whole(whole_in.size() * 8);
  const std::optional<int64_t> made = ResampleBuffer(whole_in, whole, 2, ratio);
  ASSERT_TRUE(made);
  whole.resize(static_cast<std::size_t>(*made * 2));
  for (int64_t block : {int64_t{1}, int64_t{37}, int64_t{512}, int64_t{3000}}) {
    auto stream = StreamResampler::Create(2, ratio);
    ASSERT_TRUE(stream);
    const std::vector<float> blocks = ConvertInBlocks(*stream, in, block);
    ASSERT_EQ(blocks.size(), whole.size()) << "blocks of " << block;
    for (std::size_t i = 0; i < whole.size(); ++i) {
      ASSERT_NEAR(blocks[i], whole[i], 1e-5) << "blocks of " << block << ", sample " << i;
    }
  }
}

TEST(StreamResampler, CopyEndsWithoutDisturbingTheOriginalAndResetStartsAfresh) {
  const double ratio = 44100.0 / 16000;
  const std::vector<float> first = Sines(800, 2, 500, 16000);
  const std::vector<float> second = Sines(800, 2, 700, 16000);
  std::vector<float> out(8192), expected(8192);

  auto stream = StreamResampler::Create(2, ratio);
  auto untouched = StreamResampler::Create(2, ratio);
  ASSERT_TRUE(stream && untouched);
  stream->Convert(first.data(), 800, out.data(), 4096, false);
  untouched->Convert(first.data(), 800, expected.data(), 4096, false);
  // The ending is made on a copy; the stream goes on from where it was.
  auto copy = stream->Clone();
  ASSERT_TRUE(copy);
  EXPECT_GT(copy->Convert(second.data(), 10, out.data(), 4096, true), 0);
  const int64_t made = stream->Convert(second.data(), 800, out.data(), 4096, false);
  ASSERT_EQ(made, untouched->Convert(second.data(), 800, expected.data(), 4096, false));
  for (int64_t i = 0; i < made * 2; ++i) ASSERT_EQ(out[i], expected[i]) << i;

  // After a reset the stream converts like a new one.
  auto fresh = StreamResampler::Create(2, ratio);
  stream->Reset();
  const int64_t again = stream->Convert(second.data(), 800, out.data(), 4096, false);
  ASSERT_EQ(again, fresh->Convert(second.data(), 800, expected.data(), 4096, false));
  for (int64_t i = 0; i < again * 2; ++i) ASSERT_EQ(out[i], expected[i]) << i;
}

}  // namespace
}  // namespace cadencio::audio
