// Tests of the SDL audio output on SDL's silent drivers: the stream runs and the device is
// given back cleanly, even when the driver asked for does not exist.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "audio/sdl/sdl_audio.hpp"

namespace cadencio::audio {
namespace {

// Sets SDL_AUDIODRIVER for the life of the object and restores it afterwards.
class AudioDriverEnv {
 public:
  explicit AudioDriverEnv(const char* driver) {
    if (const char* old = std::getenv("SDL_AUDIODRIVER")) old_ = old;
    setenv("SDL_AUDIODRIVER", driver, 1);
  }
  ~AudioDriverEnv() {
    if (old_.empty()) {
      unsetenv("SDL_AUDIODRIVER");
    } else {
      setenv("SDL_AUDIODRIVER", old_.c_str(), 1);
    }
  }

 private:
  std::string old_;
};

// Waits up to two seconds for the stream to pass `frames`.
bool StreamReaches(const Mixer& mixer, int64_t frames) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < deadline) {
    if (mixer.FramesRendered() >= frames) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

TEST(SdlAudio, DummyDriverRunsTheStream) {
  AudioDriverEnv env("dummy");
  auto audio = OpenSdlAudio(44100);
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->DriverName(), "dummy");
  Mixer& mixer = audio->GetMixer();
  EXPECT_EQ(mixer.SampleRate(), 44100);
  // Lead: two device buffers and 10 ms, never less than the 10 ms.
  EXPECT_GE(audio->LeadFrames(), 441);
  const int64_t before = mixer.FramesRendered();
  EXPECT_TRUE(StreamReaches(mixer, before + 4410));
}

TEST(SdlAudio, UnknownDriverFallsBackToDummy) {
  AudioDriverEnv env("no-such-driver");
  auto audio = OpenSdlAudio(48000);
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->DriverName(), "dummy");
  EXPECT_EQ(audio->GetMixer().SampleRate(), 48000);
  EXPECT_TRUE(StreamReaches(audio->GetMixer(), 4800));
}

TEST(SdlAudio, ReopensAfterClosing) {
  AudioDriverEnv env("dummy");
  for (int round = 0; round < 3; ++round) {
    auto audio = OpenSdlAudio();
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(audio->DriverName(), "dummy") << "round " << round;
    EXPECT_TRUE(StreamReaches(audio->GetMixer(), 1024)) << "round " << round;
  }
}

TEST(SdlAudio, BeatsPlayThroughTheDevice) {
  AudioDriverEnv env("dummy");
  auto audio = OpenSdlAudio();
  Mixer& mixer = audio->GetMixer();
  Sound click;
  click.name = "click";
  click.samples.assign(200, 0.5f);
  std::atomic<int64_t> onset{-1};
  // The observer is set before any sound is queued; it runs on SDL's audio thread.
  mixer.SetOnsetObserver([&](int64_t frame, const Sound&) { onset.store(frame); });
  const int64_t start = mixer.FramesRendered() + audio->LeadFrames();
  mixer.StartBeat(&click, start);
  ASSERT_TRUE(StreamReaches(mixer, start + 100));
  EXPECT_EQ(onset.load(), start);
}

}  // namespace
}  // namespace cadencio::audio
