// A sound device for the tests of what runs in real time beside the program (Link's sessions):
// a thread renders the mixer's output in buffers on a fixed schedule of the steady clock, as a
// sound card would, and so knows when each frame is heard. The onsets the mixer plays are kept
// with their frames.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_output.hpp"
#include "audio/mixer.hpp"

namespace cadencio::testing {

class PacedAudio final : public audio::AudioOutput {
 public:
  struct Onset {
    int64_t frame;
    const audio::Sound* sound;
  };

  explicit PacedAudio(int rate, int buffer_frames = 512) : mixer_(rate), buffer_(buffer_frames) {
    mixer_.SetOnsetObserver([this](int64_t frame, const audio::Sound& sound) {
      std::lock_guard<std::mutex> lock(mutex_);
      onsets_.push_back({frame, &sound});
    });
    thread_ = std::thread([this] { Run(); });
  }
  ~PacedAudio() override {
    stop_.store(true);
    thread_.join();
  }
  PacedAudio(const PacedAudio&) = delete;
  PacedAudio& operator=(const PacedAudio&) = delete;

  audio::Mixer& GetMixer() override { return mixer_; }
  int LeadFrames() const override { return 2 * buffer_ + mixer_.SampleRate() / 100; }
  int OutputLatencyFrames() const override { return buffer_; }
  std::string DriverName() const override { return "paced"; }

  // When the mix's frame `frame` is heard, in microseconds of the steady clock: the buffer
  // that plays it is due when the stream reaches it through the limiter's lookahead, and is
  // heard a buffer later.
  double HeardMicros(int64_t frame) const {
    const int64_t delay = mixer_.LookaheadFrames() + buffer_;
    return static_cast<double>(start_us_.load()) +
           static_cast<double>(frame + delay) * 1e6 / mixer_.SampleRate();
  }
  std::vector<Onset> Onsets() {
    std::lock_guard<std::mutex> lock(mutex_);
    return onsets_;
  }
  static int64_t NowMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }

 private:
  void Run() {
    std::vector<float> buffer(static_cast<std::size_t>(buffer_) * 2);
    const auto start = std::chrono::steady_clock::now();
    start_us_.store(
        std::chrono::duration_cast<std::chrono::microseconds>(start.time_since_epoch()).count());
    for (int64_t done = 0; !stop_.load(); done += buffer_) {
      std::this_thread::sleep_until(
          start + std::chrono::microseconds(done * 1'000'000 / mixer_.SampleRate()));
      mixer_.RenderOutput(buffer.data(), buffer_);
    }
  }

  audio::Mixer mixer_;
  const int buffer_;
  std::atomic<int64_t> start_us_{0};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Onset> onsets_;
  std::thread thread_;
};

}  // namespace cadencio::testing
