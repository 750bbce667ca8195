// WAV playback: file pieces, padding, the chunk walk and its failures, device opening, the
// speed switches, keys that stop playback and the block-done accounting; first against a
// device that plays in virtual time, then through the mixer's real wave-out channel.
#include "audio/wave_out/wav_playback.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "audio/audio_output.hpp"
#include "audio/pcm_fade.hpp"
#include "audio/wave_out/wave_out_channel.hpp"
#include "support/wav_test_support.hpp"

namespace cadencio::audio {
namespace {

using namespace cadencio::testing;

// Samples at the end of an 8-bit mono block at 11025 Hz that fade to silence.
const std::size_t kFade = CutFadeSamples(11025);

Bytes Pattern(std::size_t size) {
  Bytes data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(1 + i % 251);
  return data;
}

// A vowel-like 16-bit mono sound: a decaying ring every 100 samples.
Bytes Vowel16(std::size_t samples) {
  Bytes data;
  for (std::size_t i = 0; i < samples; ++i) {
    double n = static_cast<double>(i % 100);
    double v = 20000 * std::exp(-n / 30) * std::cos(2 * M_PI * n / 25);
    PutLe16(data, static_cast<uint32_t>(static_cast<int16_t>(v)) & 0xFFFF);
  }
  return data;
}

class WavPlaybackTest : public ::testing::Test {
 protected:
  int PlayFile(const Bytes& file) {
    files["test.wav"] = file;
    return wav.PlayWavFile("test.wav");
  }
  // Waits as callers do, until nothing is playing.
  void WaitDone() {
    while (wav.WavBusy()) waiter.WaitMessage();
  }

  base::VirtualClock clock;
  base::MessageLoop loop;
  TestWaiter waiter{clock, loop};
  FakeWaveOut device{clock, loop};
  std::map<std::string, Bytes> files;
  WavPlayback wav{waiter, device,
                  [this](const std::string& path) -> std::unique_ptr<formats::ByteSource> {
                    auto found = files.find(path);
                    if (found == files.end()) return nullptr;
                    return std::make_unique<formats::MemoryByteSource>(found->second);
                  }};
};

// --- pieces and padding ------------------------------------------------------------------

TEST_F(WavPlaybackTest, DataChunksPlayInPiecesThatNeverLeaveAShortLastOne) {
  struct Case {
    std::size_t data_size;
    std::vector<std::size_t> pieces;
  };
  const Case cases[] = {
      {65600, {65278, 322}}, {131068, {65534, 65534}},        {65534, {65534}},
      {65535, {65278, 257}}, {65789, {65278, 511}},           {65790, {65534, 256}},
      {300, {300}},          {196602, {65534, 65534, 65534}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "data of " << c.data_size << " bytes");
    device.writes.clear();
    Bytes data = Pattern(c.data_size);
    ASSERT_EQ(PlayFile(MakeWav(11025, 1, 8, data)), 0);
    ASSERT_EQ(device.WriteSizes(), c.pieces);
    // Every piece holds its slice of the data; only the end of a piece shorter than a full
    // block fades to silence, and the piece after it rises from silence.
    std::size_t at = 0;
    std::size_t rise = 0;
    for (const auto& written : device.writes) {
      std::size_t n = written.bytes.size();
      const std::size_t kept = n == 65534 ? n - 1 : n - kFade;
      for (std::size_t i = rise; i < kept; ++i) ASSERT_EQ(written.bytes[i], data[at + i]) << i;
      if (rise > 0) {
        EXPECT_EQ(written.bytes[0], 128);
      }
      EXPECT_EQ(written.bytes[n - 1], n == 65534 ? data[at + n - 1] : 128);
      rise = n == 65534 ? 0 : kFade;
      at += n;
    }
    EXPECT_EQ(wav.InFlight(), 0);
    EXPECT_FALSE(wav.DeviceOpen());
  }
}

TEST_F(WavPlaybackTest, ShortBlocksArePaddedWithSilence) {
  struct Case {
    const char* name;
    int channels, bits;
    std::size_t length;
    uint8_t fill;      // the sample value of the block
    std::size_t sent;  // bytes given to the device
    int last;          // expected last data byte
    uint8_t padding;   // expected bytes after the data
  };
  const Case cases[] = {
      {"8-bit mono", 1, 8, 100, 200, 256, 128, 128},
      {"8-bit mono, one byte", 1, 8, 1, 200, 256, 128, 128},
      {"8-bit mono, long", 1, 8, 1000, 200, 1000, 128, 0},
      {"8-bit stereo", 2, 8, 100, 200, 256, 200, 128},
      {"16-bit mono", 1, 16, 100, 0x55, 256, 0x55, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    device.writes.clear();
    Bytes data(c.length, c.fill);
    ASSERT_EQ(wav.PlayPcm({c.channels, 11025, c.bits}, data), 0);
    WaitDone();
    ASSERT_EQ(device.writes.size(), 1u);
    const Bytes& sent = device.writes[0].bytes;
    ASSERT_EQ(sent.size(), c.sent);
    const std::size_t faded = c.channels == 1 && c.bits == 8 ? kFade : 1;
    for (std::size_t i = 0; i + faded < c.length; ++i) ASSERT_EQ(sent[i], c.fill);
    EXPECT_EQ(sent[c.length - 1], c.last);
    for (std::size_t i = c.length; i < sent.size(); ++i) ASSERT_EQ(sent[i], c.padding) << i;
  }
}

TEST_F(WavPlaybackTest, AFullBlockKeepsItsLastSampleAndTheRingIndexCycles) {
  Bytes data(65534 * 5 + 10, 200);
  ASSERT_EQ(wav.PlayPcm({1, 22050, 8}, data), 0);
  WaitDone();
  ASSERT_EQ(device.writes.size(), 6u);
  const int expected_index[] = {1, 2, 3, 4, 1, 2};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(device.writes[i].index, expected_index[i]);
  EXPECT_EQ(device.writes[0].bytes.back(), 200);
  EXPECT_EQ(device.writes[5].bytes[9], 128);
  // The fifth block waited for the first to come back.
  EXPECT_GE(device.writes[4].at_ms, static_cast<int64_t>(65534 * 1000 / 22050));
}

// The end of a block is no step: from full scale, from a sample just off silence and from a
// loud sine, the block's last 2 ms come down to silence with steps no larger than the fade's.
TEST_F(WavPlaybackTest, TheEndOfAnEightBitMonoBlockFadesToSilence) {
  struct Case {
    const char* name;
    Bytes data;
  };
  Bytes sine(700);
  for (std::size_t i = 0; i < sine.size(); ++i) {
    sine[i] = static_cast<uint8_t>(128 + 120 * std::sin(2 * M_PI * 300 * i / 11025.0));
  }
  const Case cases[] = {
      {"full scale", Bytes(500, 255)}, {"near silence", Bytes(500, 130)}, {"sine", sine}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    device.writes.clear();
    ASSERT_EQ(wav.PlayPcm({1, 11025, 8}, c.data), 0);
    WaitDone();
    const Bytes& sent = device.writes.at(0).bytes;
    ASSERT_EQ(sent.size(), c.data.size());
    EXPECT_EQ(sent.back(), 128);
    // The sine's own largest step between neighbours is about 120 * 2 pi * 300 / 11025 = 21.
    for (std::size_t i = sent.size() - kFade; i < sent.size(); ++i) {
      EXPECT_LE(std::abs(sent[i] - sent[i - 1]), 22) << "sample " << i;
      EXPECT_LE(std::abs(sent[i] - 128), std::abs(c.data[i] - 128)) << "sample " << i;
    }
  }
}

// --- the chunk walk -----------------------------------------------------------------------

TEST_F(WavPlaybackTest, ChunksBeforeTheDataAreSkipped) {
  Bytes data = Pattern(500);
  struct Case {
    const char* name;
    Bytes file;
  };
  const Bytes with_list =
      WaveImage({{"fmt ", FmtBody(11025, 1, 8)}, {"LIST", Bytes(26, 'x')}, {"data", data}});
  // An 18-byte fmt body, a LIST of odd size with no pad byte after it, tags in mixed case.
  const Bytes odd_list = WaveImage({{"FMT ", FmtBody(11025, 1, 8, 2)},
                                    {"LIST", Bytes(3, 'x')},
                                    {"fact", Bytes(4, 0)},
                                    {"Data", data}},
                                   "riff");

  const Case cases[] = {{"LIST before data", with_list}, {"odd chunk, lower case", odd_list}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    device.writes.clear();
    EXPECT_EQ(PlayFile(c.file), 0);
    ASSERT_EQ(device.writes.size(), 1u);
    EXPECT_TRUE(std::equal(data.begin(), data.end() - kFade, device.writes[0].bytes.begin()));
    EXPECT_EQ(device.writes[0].format, (WaveFormat{11025, 8, 1}));
  }
}

TEST_F(WavPlaybackTest, UnplayableFilesGiveMinusOneAndPlayNothing) {
  const Bytes valid = MakeWav(11025, 1, 8, Bytes(100, 150));
  const Bytes fmt = FmtBody(11025, 1, 8);
  const Bytes data(100, 1);
  struct Case {
    const char* name;
    Bytes file;
  };
  const Case cases[] = {
      {"eleven bytes", Cut(valid, 11)},
      {"not RIFF", WaveImage({{"fmt ", fmt}, {"data", data}}, "RIFX")},
      {"no fmt first", WaveImage({{"LIST", Bytes(4, 0)}, {"fmt ", fmt}, {"data", data}})},
      {"fmt body too short for its fields", WaveImage({{"fmt ", Cut(fmt, 14)}, {"data", data}})},
      {"fmt body cut off", Cut(valid, 30)},
      {"fmt claims four gigabytes", WaveImage({{"fmt ", fmt, 0xFFFFFFFF}})},
      {"no data chunk", WaveImage({{"fmt ", fmt}, {"LIST", Bytes(10, 0)}})},
      {"chunk head cut off", Cut(valid, 40)},
      {"skipped chunk claims more than the file",
       WaveImage({{"fmt ", fmt}, {"LIST", {}, 0xFFFFFFF0}, {"data", data}})},
      {"data chunk with no bytes", Cut(valid, 44)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PlayFile(c.file), -1);
    EXPECT_TRUE(device.writes.empty());
    EXPECT_TRUE(device.opens.empty());
  }
  EXPECT_EQ(wav.PlayWavFile("missing.wav"), -1);
}

TEST_F(WavPlaybackTest, AFileShorterThanItsDataChunkPlaysWhatItHolds) {
  // Short within the last piece: what is there plays and the result is 0.
  const Bytes file = WaveImage({{"fmt ", FmtBody(11025, 1, 8)}, {"data", Pattern(1000), 2000}});
  EXPECT_EQ(PlayFile(file), 0);
  EXPECT_EQ(device.WriteSizes(), std::vector<std::size_t>{1000});

  // Pieces missing after the first: what was read plays, then the empty read gives -1.
  device.writes.clear();
  const Bytes lying =
      WaveImage({{"fmt ", FmtBody(11025, 1, 8)}, {"data", Pattern(70000), 0xFFFFFFF0}});
  EXPECT_EQ(PlayFile(lying), -1);
  EXPECT_EQ(device.WriteSizes(), (std::vector<std::size_t>{65534, 4466}));
}

// --- the device ---------------------------------------------------------------------------

TEST_F(WavPlaybackTest, AnOpenErrorIsReturnedAndNothingPlays) {
  device.open_results = {audio::kWaveErrorBadFormat};
  EXPECT_EQ(PlayFile(MakeWav(11025, 1, 8, Bytes(500, 1))), audio::kWaveErrorBadFormat);
  EXPECT_TRUE(device.writes.empty());
  device.open_results = {audio::kWaveErrorNoDriver};
  Bytes data(10, 1);
  EXPECT_EQ(wav.PlayPcm({1, 11025, 8}, data), audio::kWaveErrorNoDriver);
}

TEST_F(WavPlaybackTest, ABusyDeviceIsTriedAgainEveryHundredMilliseconds) {
  device.open_results = {4, 4, 4};
  EXPECT_EQ(PlayFile(MakeWav(11025, 1, 8, Bytes(500, 1))), 0);
  EXPECT_EQ(device.open_times, (std::vector<int64_t>{0, 100, 200, 300}));
  EXPECT_EQ(device.writes.size(), 1u);
}

TEST_F(WavPlaybackTest, ADeviceBusyForTenSecondsGivesUp) {
  device.open_results = std::deque<int>(200, audio::kWaveErrorAllocated);
  EXPECT_EQ(PlayFile(MakeWav(11025, 1, 8, Bytes(500, 1))), audio::kWaveErrorAllocated);
  EXPECT_EQ(device.opens.size(), 101u);
  EXPECT_EQ(clock.NowMs(), 10000);
  EXPECT_TRUE(device.writes.empty());
}

TEST_F(WavPlaybackTest, AnotherFormatWaitsUntilTheBlocksInFlightAreBack) {
  Bytes first(2 * 65534, 200);
  ASSERT_EQ(wav.PlayPcm({1, 11025, 8}, first), 0);
  const int64_t first_end_ms = 2 * 65534 * 1000 / 11025;
  // The same format keeps the open device.
  Bytes more(1000, 200);
  ASSERT_EQ(wav.PlayPcm({1, 11025, 8}, more), 0);
  EXPECT_EQ(device.opens.size(), 1u);
  EXPECT_LT(clock.NowMs(), 100);

  Bytes other(1000, 0);
  ASSERT_EQ(wav.PlayPcm({1, 11025, 16}, other), 0);
  ASSERT_EQ(device.opens.size(), 2u);
  EXPECT_EQ(device.opens[1], (WaveFormat{11025, 16, 1}));
  EXPECT_GE(device.open_times[1], first_end_ms);
  ASSERT_EQ(device.close_times.size(), 1u);
  EXPECT_LE(device.close_times[0], device.open_times[1]);
  EXPECT_EQ(wav.CurrentFormat(), (WaveFormat{11025, 16, 1}));
}

TEST_F(WavPlaybackTest, TheBusyTestClosesTheDeviceWhenEveryBlockIsBack) {
  Bytes data(1100, 200);  // 100 ms
  ASSERT_EQ(wav.PlayPcm({1, 11025, 8}, data), 0);
  EXPECT_TRUE(wav.WavBusy());
  EXPECT_TRUE(wav.DeviceOpen());
  EXPECT_EQ(wav.InFlight(), 1);
  WaitDone();
  EXPECT_GE(clock.NowMs(), 99);
  EXPECT_EQ(wav.InFlight(), 0);
  EXPECT_FALSE(wav.DeviceOpen());
  EXPECT_TRUE(device.reset_times.empty()) << "nothing was left to reset";
}

TEST_F(WavPlaybackTest, BufferImagesPlayTheirDataAndReturnOnceQueued) {
  Bytes data = Pattern(800);
  wav.PlayWavBuffer(MakeWav(11025, 1, 8, data));
  EXPECT_EQ(wav.InFlight(), 1);
  ASSERT_EQ(device.writes.size(), 1u);
  EXPECT_TRUE(std::equal(data.begin(), data.end() - kFade, device.writes[0].bytes.begin()));
  WaitDone();

  Bytes not_wave = MakeWav(11025, 1, 8, data);
  not_wave[0] = 'X';
  wav.PlayWavBuffer(not_wave);
  EXPECT_EQ(device.opens.size(), 1u);
}

// --- speed switches -----------------------------------------------------------------------

TEST_F(WavPlaybackTest, FastPlaybackRaisesTheRateByHalf) {
  wav.SetFastPlayback(true);
  struct Case {
    int rate, channels, bits, opened;
  };
  const Case cases[] = {{11025, 1, 8, 16537}, {22050, 2, 16, 33075}, {8001, 1, 16, 12001}};
  for (const Case& c : cases) {
    device.opens.clear();
    ASSERT_EQ(PlayFile(MakeWav(c.rate, c.channels, c.bits, Bytes(400, 1))), 0);
    ASSERT_EQ(device.opens.size(), 1u);
    EXPECT_EQ(device.opens[0], (WaveFormat{c.opened, c.bits, c.channels}));
  }
}

TEST_F(WavPlaybackTest, CutSpeechOpensSixteenBitMonoAtEightBitsAndHalvesIt) {
  wav.SetCutSpeech(true);
  Bytes data = Vowel16(20000);
  ASSERT_EQ(PlayFile(MakeWav(11025, 1, 16, data)), 0);
  ASSERT_EQ(device.opens.size(), 1u);
  EXPECT_EQ(device.opens[0], (WaveFormat{11025, 8, 1}));
  std::size_t played = device.Stream().size();
  EXPECT_GT(played, 9000u);
  EXPECT_LT(played, 11000u);

  // Stereo is never cut and keeps its bits.
  device.opens.clear();
  device.writes.clear();
  ASSERT_EQ(PlayFile(MakeWav(11025, 2, 16, data)), 0);
  EXPECT_EQ(device.opens[0], (WaveFormat{11025, 16, 2}));
  EXPECT_EQ(device.Stream(), data);
}

TEST_F(WavPlaybackTest, WithBothSwitchesTheCutUsesTheParametersOfTheRaisedRate) {
  wav.SetCutSpeech(true);
  wav.SetFastPlayback(true);
  Bytes data = Vowel16(20000);
  ASSERT_EQ(PlayFile(MakeWav(11025, 1, 16, data)), 0);
  ASSERT_EQ(device.opens.size(), 1u);
  EXPECT_EQ(device.opens[0], (WaveFormat{16537, 8, 1}));

  Bytes expected = data;
  expected.resize(CutSpeechPeriods(expected.data(), expected.size(), 16, 16537));
  audio::FadeOutUnsigned8(expected, audio::CutFadeSamples(16537));
  Bytes at_11025 = data;
  at_11025.resize(CutSpeechPeriods(at_11025.data(), at_11025.size(), 16, 11025));
  EXPECT_EQ(device.Stream(), expected);
  EXPECT_NE(expected.size(), at_11025.size());
}

TEST_F(WavPlaybackTest, BlocksUnderAThousandSamplesAreNotCut) {
  wav.SetCutSpeech(true);
  Bytes data = Vowel16(999);
  ASSERT_EQ(PlayFile(MakeWav(11025, 1, 16, data)), 0);
  Bytes stream = device.Stream();
  ASSERT_EQ(stream.size(), 999u);
  for (std::size_t i = 0; i + kFade < 999; ++i) {
    ASSERT_EQ(stream[i], data[2 * i + 1] ^ 0x80) << i;
  }
}

// --- keys ---------------------------------------------------------------------------------

TEST_F(WavPlaybackTest, AKeyDuringTheFinalWaitStopsTheFileAndStaysQueued) {
  waiter.AddKey(1000, 'x');
  ASSERT_EQ(PlayFile(MakeWav(11025, 1, 8, Bytes(131068, 200))), 0);
  ASSERT_EQ(device.reset_times.size(), 1u);
  EXPECT_GE(device.reset_times[0], 1000);
  EXPECT_LE(device.reset_times[0], 1010);
  EXPECT_EQ(wav.InFlight(), 0);
  EXPECT_FALSE(wav.DeviceOpen());
  ASSERT_EQ(waiter.KeysWaiting(), 1u);
  EXPECT_EQ(waiter.TakeKey(), 'x');
}

TEST_F(WavPlaybackTest, AKeyWhileTheRingIsFullStopsWithinOneTenMillisecondTest) {
  waiter.AddKey(1003, 'y');
  Bytes data(6 * 65534, 200);
  ASSERT_EQ(wav.PlayPcm({1, 11025, 8}, data), 0);
  EXPECT_EQ(device.writes.size(), 4u);
  ASSERT_EQ(device.reset_times.size(), 1u);
  EXPECT_GE(device.reset_times[0], 1003);
  EXPECT_LE(device.reset_times[0], 1013);
  EXPECT_EQ(wav.InFlight(), 0);
  EXPECT_EQ(waiter.TakeKey(), 'y');
}

TEST_F(WavPlaybackTest, AKeyAlreadyWaitingPlaysNothing) {
  waiter.AddKey(0, 'z');
  EXPECT_EQ(PlayFile(MakeWav(11025, 1, 8, Bytes(1000, 200))), 0);
  EXPECT_TRUE(device.opens.empty());
  EXPECT_EQ(waiter.TakeKey(), 'z');
}

// --- block-done ---------------------------------------------------------------------------

TEST_F(WavPlaybackTest, UnprepareFailuresAreReportedWithTheirText) {
  struct Case {
    int code;
    const char* text;
  };
  const Case cases[] = {
      {5, "Specified device handle is invalid."},
      {6, "No device driver is present."},
      {7, "Unable to allocate or lock memory."},
      {33, "The data block pointed to by the pwh parameter is still in queue"},
      {99, ""},
  };
  std::vector<std::string> reported;
  wav.SetReleaseErrorReport([&reported](std::string_view text) { reported.emplace_back(text); });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    reported.clear();
    device.unprepare_results = {c.code};
    Bytes data(300, 200);
    ASSERT_EQ(wav.PlayPcm({1, 11025, 8}, data), 0);
    WaitDone();
    EXPECT_EQ(reported, std::vector<std::string>{c.text});
    EXPECT_EQ(wav.InFlight(), 0);
  }
  EXPECT_EQ(WavPlayback::UnprepareErrorText(0), "");
}

TEST_F(WavPlaybackTest, StrayBlockDoneMessagesAreIgnored) {
  Bytes data(2000, 200);
  ASSERT_EQ(wav.PlayPcm({1, 11025, 8}, data), 0);
  wav.OnWaveBlockDone(0);
  wav.OnWaveBlockDone(5);
  EXPECT_EQ(wav.InFlight(), 1);
  EXPECT_TRUE(device.unprepared.empty());
}

// --- through the mixer's wave-out channel -------------------------------------------------

class WavPlaybackMixerTest : public ::testing::Test {
 protected:
  WavPlaybackMixerTest() { channel.SetMessageLoop(&loop); }

  // First and last stream frame louder than a whisper.
  std::pair<int64_t, int64_t> SoundingSpan() const {
    const auto& stream = audio.Stream();
    int64_t first = -1, last = -1;
    for (std::size_t i = 0; i < stream.size() / 2; ++i) {
      if (std::fabs(stream[2 * i]) > 0.02f) {
        if (first < 0) first = static_cast<int64_t>(i);
        last = static_cast<int64_t>(i);
      }
    }
    return {first, last};
  }
  int Play(const Bytes& file) {
    formats::MemoryByteSource source(file);
    return wav.PlayWavStream(source);
  }

  base::VirtualClock clock;
  base::MessageLoop loop;
  TestWaiter waiter{clock, loop};
  CaptureAudio audio{clock, 44100};
  WaveOutChannel& channel = AddWaveOutChannel(audio.GetMixer());
  WavPlayback wav{waiter, channel};
};

Bytes Tone8(std::size_t samples, int rate) {
  Bytes data(samples);
  for (std::size_t i = 0; i < samples; ++i) {
    data[i] = static_cast<uint8_t>(128 + 100 * std::sin(2 * M_PI * 440.0 * i / rate));
  }
  return data;
}

TEST_F(WavPlaybackMixerTest, AFilePlaysForItsDurationAndReturnsAfterIt) {
  ASSERT_EQ(Play(MakeWav(11025, 1, 8, Tone8(3 * 11025, 11025))), 0);
  auto [first, last] = SoundingSpan();
  // The output runs the limiter's lookahead behind the mix.
  EXPECT_LT(first, 50 + audio.GetMixer().LookaheadFrames());
  EXPECT_NEAR(static_cast<double>(last - first), 3 * 44100.0, 200.0);
  // The resampler keeps the last two milliseconds or so of a sound to itself.
  EXPECT_GE(clock.NowMs(), 2990);
  EXPECT_EQ(wav.InFlight(), 0);
  EXPECT_FALSE(channel.IsOpen());
}

TEST_F(WavPlaybackMixerTest, FastPlaybackTakesTwoThirdsOfTheTime) {
  wav.SetFastPlayback(true);
  ASSERT_EQ(Play(MakeWav(11025, 1, 8, Tone8(3 * 11025, 11025))), 0);
  auto [first, last] = SoundingSpan();
  EXPECT_NEAR(static_cast<double>(last - first), 3 * 44100.0 * 11025 / 16537, 200.0);
}

TEST_F(WavPlaybackMixerTest, CutSpeechTakesAboutHalfTheTime) {
  wav.SetCutSpeech(true);
  ASSERT_EQ(Play(MakeWav(11025, 1, 16, Vowel16(4 * 11025))), 0);
  auto [first, last] = SoundingSpan();
  double seconds = static_cast<double>(last - first) / 44100;
  EXPECT_GT(seconds, 1.8);
  EXPECT_LT(seconds, 2.2);
}

TEST_F(WavPlaybackMixerTest, AKeyCutsTheSoundAtOnceAndStaysQueued) {
  waiter.AddKey(1000, 'k');
  ASSERT_EQ(Play(MakeWav(11025, 1, 8, Tone8(10 * 11025, 11025))), 0);
  auto [first, last] = SoundingSpan();
  EXPECT_GE(last, 44100 * 1000 / 1000 - 50);
  EXPECT_LE(last, 44100 * 1010 / 1000);
  EXPECT_EQ(waiter.TakeKey(), 'k');
  // Later sounds start from a fresh device.
  Bytes data = Tone8(1000, 11025);
  ASSERT_EQ(wav.PlayPcm({1, 11025, 8}, data), 0);
  while (wav.WavBusy()) waiter.WaitMessage();
  EXPECT_FALSE(channel.IsOpen());
}

}  // namespace
}  // namespace cadencio::audio
