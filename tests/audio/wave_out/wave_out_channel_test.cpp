// The wave-out channel, mixed by the mixer: formats, block order, block-done reports, reset and
// close, and the joins of resampled blocks.
#include "audio/wave_out/wave_out_channel.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "audio/mixer.hpp"

namespace cadencio::audio {
namespace {

constexpr int kRate = 44100;

std::vector<int64_t> TakeDone(base::MessageLoop& loop) {
  std::vector<int64_t> done;
  base::Message message{base::MessageKind::kQuit};
  while (loop.Peek(message)) {
    if (message.kind == base::MessageKind::kBlockDone) done.push_back(message.param);
  }
  return done;
}

std::vector<float> Render(Mixer& mixer, int frames) {
  std::vector<float> out(static_cast<std::size_t>(frames) * 2);
  mixer.Render(out.data(), frames);
  return out;
}

std::vector<uint8_t> Pcm16(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes;
  for (int16_t s : samples) {
    bytes.push_back(static_cast<uint8_t>(s & 0xFF));
    bytes.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
  }
  return bytes;
}

class WaveOutChannelTest : public ::testing::Test {
 protected:
  WaveOutChannelTest() { channel().SetMessageLoop(&loop); }
  WaveOutChannel& channel() { return channel_; }
  Mixer mixer{kRate};
  WaveOutChannel& channel_ = AddWaveOutChannel(mixer);
  base::MessageLoop loop;
};

TEST_F(WaveOutChannelTest, RefusesFormatsItCannotPlay) {
  struct Case {
    WaveFormat format;
    int expected;
  };
  const Case cases[] = {
      {{11025, 8, 1}, kWaveOk},
      {{16537, 16, 2}, kWaveOk},
      {{11025, 12, 1}, kWaveErrorBadFormat},
      {{11025, 8, 3}, kWaveErrorBadFormat},
      {{11025, 8, 0}, kWaveErrorBadFormat},
      {{1, 8, 1}, kWaveErrorBadFormat},
      {{400000, 16, 1}, kWaveErrorBadFormat},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.format.rate << "/" << c.format.bits << "/" << c.format.channels);
    EXPECT_EQ(channel().Open(c.format), c.expected);
    EXPECT_EQ(channel().IsOpen(), c.expected == kWaveOk);
    channel().Close();
  }
}

TEST_F(WaveOutChannelTest, WriteNeedsAnOpenDeviceAndAFreeSlot) {
  uint8_t block[16] = {};
  EXPECT_EQ(channel().Write(1, block, sizeof block), kWaveErrorInvalidHandle);
  ASSERT_EQ(channel().Open({kRate, 8, 1}), kWaveOk);
  EXPECT_EQ(channel().Open({kRate, 8, 1}), kWaveErrorAllocated);
  for (int i = 1; i <= WaveOutChannel::kSlots; ++i) EXPECT_EQ(channel().Write(i, block, 16), 0);
  EXPECT_EQ(channel().Write(5, block, 16), kWaveErrorNoMemory);
  std::vector<uint8_t> too_big(WaveOutDevice::kMaxBlockBytes + 2, 128);
  channel().Reset();
  EXPECT_EQ(channel().Write(1, too_big.data(), too_big.size()), kWaveErrorNoMemory);
}

TEST_F(WaveOutChannelTest, PlaysSamplesAtTheMixerRateAndReportsTheBlockAfterItsLastSample) {
  ASSERT_EQ(channel().Open({kRate, 16, 1}), kWaveOk);
  auto bytes = Pcm16({16384, -16384, 8192, 0, 32767});
  ASSERT_EQ(channel().Write(3, bytes.data(), bytes.size()), kWaveOk);

  auto first = Render(mixer, 4);
  EXPECT_FLOAT_EQ(first[0], 0.5f);
  EXPECT_FLOAT_EQ(first[1], 0.5f);
  EXPECT_FLOAT_EQ(first[2], -0.5f);
  EXPECT_FLOAT_EQ(first[5], 0.25f);
  EXPECT_TRUE(TakeDone(loop).empty()) << "one sample of the block is still to play";

  auto second = Render(mixer, 4);
  EXPECT_NEAR(second[0], 32767.0f / 32768.0f, 1e-6);
  // After the last sample the sound fades out instead of stopping.
  EXPECT_LT(second[2], second[0]);
  EXPECT_GT(second[2], 0.9f);
  EXPECT_EQ(TakeDone(loop), std::vector<int64_t>{3});
}

TEST_F(WaveOutChannelTest, EightBitStereoKeepsItsSides) {
  ASSERT_EQ(channel().Open({kRate, 8, 2}), kWaveOk);
  const uint8_t bytes[] = {192, 64, 128, 0};
  ASSERT_EQ(channel().Write(1, bytes, sizeof bytes), kWaveOk);
  auto out = Render(mixer, 2);
  EXPECT_FLOAT_EQ(out[0], 0.5f);
  EXPECT_FLOAT_EQ(out[1], -0.5f);
  EXPECT_FLOAT_EQ(out[2], 0.0f);
  EXPECT_FLOAT_EQ(out[3], -1.0f);
}

TEST_F(WaveOutChannelTest, BlocksPlayInTheOrderWrittenAndJoinWithoutAGap) {
  ASSERT_EQ(channel().Open({kRate, 8, 1}), kWaveOk);
  const uint8_t a[] = {160, 160, 160};
  const uint8_t b[] = {96, 96};
  const uint8_t c[] = {192};
  channel().Write(4, a, 3);
  channel().Write(1, b, 2);
  channel().Write(2, c, 1);
  auto out = Render(mixer, 8);
  const float expected[] = {0.25f, 0.25f, 0.25f, -0.25f, -0.25f, 0.5f};
  for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(out[2 * i], expected[i]) << "frame " << i;
  // Then the last one fades.
  EXPECT_LT(out[12], 0.5f);
  EXPECT_LT(out[14], out[12]);
  EXPECT_EQ(TakeDone(loop), (std::vector<int64_t>{4, 1, 2}));
}

TEST_F(WaveOutChannelTest, ResetReportsEveryQueuedBlockInOrderAndSilencesThem) {
  ASSERT_EQ(channel().Open({kRate, 8, 1}), kWaveOk);
  std::vector<uint8_t> block(1000, 200);
  for (int i = 1; i <= 3; ++i) channel().Write(i, block.data(), block.size());
  Render(mixer, 500);  // the first block is half played
  channel().Reset();
  EXPECT_EQ(TakeDone(loop), (std::vector<int64_t>{1, 2, 3}));
  // It fades out over 2 ms (88 frames), then all is silent.
  auto out = Render(mixer, 200);
  for (int i = 1; i < 88; ++i) EXPECT_LT(out[2 * i], out[2 * i - 2]) << "frame " << i;
  for (int i = 88; i < 200; ++i) EXPECT_EQ(out[2 * i], 0.0f) << "frame " << i;
  EXPECT_TRUE(TakeDone(loop).empty());
  // The device stays open and takes new blocks.
  EXPECT_EQ(channel().Write(4, block.data(), 10), kWaveOk);
  Render(mixer, 10);
  EXPECT_EQ(TakeDone(loop), std::vector<int64_t>{4});
}

TEST_F(WaveOutChannelTest, CloseReportsQueuedBlocksAndAllowsAnotherFormat) {
  ASSERT_EQ(channel().Open({kRate, 8, 1}), kWaveOk);
  uint8_t block[10] = {};
  channel().Write(2, block, 10);
  channel().Close();
  EXPECT_FALSE(channel().IsOpen());
  EXPECT_EQ(TakeDone(loop), std::vector<int64_t>{2});
  EXPECT_EQ(channel().Open({11025, 16, 2}), kWaveOk);
}

// A sine at 11025 Hz cut into four blocks: the resampled stream is four times as long, keeps
// its frequency and has no step at the joins.
TEST_F(WaveOutChannelTest, ResampledBlocksJoinSeamlessly) {
  constexpr int kSourceRate = 11025;
  constexpr int kBlock = 2000;
  ASSERT_EQ(channel().Open({kSourceRate, 16, 1}), kWaveOk);
  const double hz = 441.0;
  std::vector<int16_t> sine(4 * kBlock);
  for (std::size_t i = 0; i < sine.size(); ++i) {
    sine[i] = static_cast<int16_t>(16000 * std::sin(2 * M_PI * hz * i / kSourceRate));
  }
  auto bytes = Pcm16(sine);
  for (int b = 0; b < 4; ++b) {
    ASSERT_EQ(channel().Write(b + 1, bytes.data() + b * kBlock * 2, kBlock * 2), kWaveOk);
  }
  auto out = Render(mixer, 4 * kBlock * 4 + 1000);
  ASSERT_EQ(TakeDone(loop), (std::vector<int64_t>{1, 2, 3, 4}));

  // Playing length: all but the few samples the resampler's filter holds back.
  int last = 0;
  for (int i = 0; i < static_cast<int>(out.size() / 2); ++i) {
    if (std::fabs(out[2 * i]) > 1e-4) last = i;
  }
  EXPECT_NEAR(last, 4 * kBlock * 4, 200);
  // The largest step between neighbouring output samples stays that of the sine itself.
  double max_step = 0;
  int crossings = 0;
  for (int i = 1; i < last - 100; ++i) {
    max_step = std::max(max_step, std::fabs(double{out[2 * i]} - out[2 * i - 2]));
    if ((out[2 * i - 2] < 0) != (out[2 * i] < 0)) ++crossings;
  }
  const double sine_step = 2 * M_PI * hz / kRate * 16000 / 32768;
  EXPECT_LT(max_step, sine_step * 1.25);
  const double seconds = (last - 100) / double{kRate};
  EXPECT_NEAR(crossings / seconds / 2, hz, 5.0);
}

// However a sound stops, no step reaches the output: a loud sine stopped at its peak by a
// reset, by a close or by its own end (with and without the resampler) comes down to silence
// with steps no larger than the sine's own, and is silent soon after.
TEST_F(WaveOutChannelTest, SoundsStopWithoutAStep) {
  enum Stop { kReset, kClose, kEnd };
  struct Case {
    const char* name;
    int rate;
    Stop stop;
  };
  const Case cases[] = {{"reset, resampled", 11025, kReset},
                        {"close, resampled", 11025, kClose},
                        {"end, resampled", 11025, kEnd},
                        {"reset", kRate, kReset},
                        {"end", kRate, kEnd}};
  constexpr double kHz = 200.0;
  constexpr double kAmplitude = 30000.0 / 32768.0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(channel().Open({c.rate, 16, 1}), kWaveOk);
    // A quarter period more than 20 periods: the sound ends at its peak.
    const int length = static_cast<int>(c.rate * 20.25 / kHz);
    std::vector<int16_t> sine(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
      sine[static_cast<std::size_t>(i)] = static_cast<int16_t>(
          std::lround(kAmplitude * 32768.0 * std::sin(2 * M_PI * kHz * (i + 1) / c.rate)));
    }
    auto bytes = Pcm16(sine);
    ASSERT_EQ(channel().Write(1, bytes.data(), bytes.size()), kWaveOk);
    // Stopped at a peak (five and a quarter periods in), or left to end.
    const int stop_at = static_cast<int>(kRate * 5.25 / kHz);
    std::vector<float> out = Render(mixer, c.stop == kEnd ? kRate / 5 : stop_at);
    if (c.stop == kReset) channel().Reset();
    if (c.stop == kClose) channel().Close();
    if (c.stop != kEnd) {
      auto rest = Render(mixer, kRate / 10);
      out.insert(out.end(), rest.begin(), rest.end());
    }
    channel().Close();
    TakeDone(loop);
    // The sine's largest step at the output rate, with a margin for the resampler's ripple.
    const double sine_step = 2 * M_PI * kHz / kRate * kAmplitude;
    double max_step = 0;
    for (std::size_t i = 2; i < out.size(); i += 2) {
      max_step = std::max(max_step, std::fabs(double{out[i]} - out[i - 2]));
    }
    EXPECT_LT(max_step, sine_step * 1.25);
    EXPECT_EQ(out[out.size() - 2], 0.0f) << "silent at the end";
  }
}

// The audio thread renders on its own while the program thread writes and resets: every block
// written is reported exactly once.
TEST_F(WaveOutChannelTest, EveryBlockIsReportedOnceUnderConcurrentRendering) {
  ASSERT_EQ(channel().Open({22050, 8, 1}), kWaveOk);
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    std::vector<float> out(2 * 256);
    while (!stop.load()) mixer.Render(out.data(), 256);
  });
  std::vector<uint8_t> block(300, 170);
  int written = 0;
  std::vector<int> reported(1, 0);
  for (int round = 0; round < 300; ++round) {
    if (channel().Write(round, block.data(), block.size()) == kWaveOk) {
      ++written;
      reported.resize(static_cast<std::size_t>(round) + 1, 0);
    }
    if (round % 7 == 0) channel().Reset();
    for (int64_t index : TakeDone(loop)) ++reported[static_cast<std::size_t>(index)];
  }
  channel().Close();
  stop = true;
  audio.join();
  for (int64_t index : TakeDone(loop)) ++reported[static_cast<std::size_t>(index)];
  int total = 0;
  for (int count : reported) {
    EXPECT_LE(count, 1);
    total += count;
  }
  EXPECT_EQ(total, written);
  EXPECT_GT(written, 0);
}

}  // namespace
}  // namespace cadencio::audio
