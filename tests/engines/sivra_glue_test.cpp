// The built-in TTS's way to the sound: its samples reach the wave-out device byte for byte, as
// 16-bit mono at the engine's rate, through the PCM entry of WAV playback.
#include "engines/sivra_glue.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/wav_test_support.hpp"

namespace cadencio::engines {
namespace {

using testing::Bytes;

TEST(SivraHostAdapter, SamplesPlayAsSixteenBitMonoAtTheEnginesRate) {
  base::VirtualClock clock;
  base::MessageLoop loop;
  testing::TestWaiter waiter{clock, loop};
  testing::FakeWaveOut device{clock, loop};
  audio::WavPlayback wav{waiter, device};
  SivraHostAdapter host{wav, {}};

  // 200 samples (400 bytes, above the shortest block, so nothing is padded), both signs.
  std::vector<int16_t> samples;
  Bytes expected;
  for (int i = 0; i < 200; ++i) {
    samples.push_back(static_cast<int16_t>((i - 100) * 301));
    testing::PutLe16(expected, static_cast<uint16_t>(samples.back()));
  }
  host.PlaySamples(samples);
  EXPECT_EQ(device.opens, (std::vector<audio::WaveFormat>{{tts::kSivraSampleRate, 16, 1}}));
  ASSERT_EQ(device.writes.size(), 1u);
  EXPECT_EQ(device.writes[0].bytes, expected);
  while (wav.WavBusy()) waiter.WaitMessage();
  EXPECT_EQ(wav.InFlight(), 0);
}

}  // namespace
}  // namespace cadencio::engines
