// The built-in TTS's way to the sound: its samples reach the wave-out device as 16-bit mono at
// the engine's rate, through the PCM entry of WAV playback, raised to the speech level every
// voice speaks at: scaled below the limiter's knee, bent softly above it, never clipped.
#include "engines/sivra_glue.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
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

  // 200 samples (400 bytes, above the shortest block, so nothing is padded), both signs, up to
  // 92 % of full scale.
  std::vector<int16_t> samples;
  for (int i = 0; i < 200; ++i) samples.push_back(static_cast<int16_t>((i - 100) * 301));
  host.PlaySamples(samples);
  EXPECT_EQ(device.opens, (std::vector<audio::WaveFormat>{{tts::kSivraSampleRate, 16, 1}}));
  ASSERT_EQ(device.writes.size(), 1u);
  const Bytes& bytes = device.writes[0].bytes;
  ASSERT_EQ(bytes.size(), 2 * samples.size());
  const double gain = std::pow(10.0, kSivraGainDb / 20.0);
  int previous = -32768;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const int played = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    if (std::abs(samples[i]) * gain < audio::kSpeechKnee * 32768) {
      EXPECT_NEAR(played, samples[i] * gain, 1.0) << i;
    }
    EXPECT_GT(played, previous) << i << ": the order of the samples is kept";
    EXPECT_LT(std::abs(played), 32767) << i << ": no sample clips";
    previous = played;
  }
  while (wav.WavBusy()) waiter.WaitMessage();
  EXPECT_EQ(wav.InFlight(), 0);
}

}  // namespace
}  // namespace cadencio::engines
