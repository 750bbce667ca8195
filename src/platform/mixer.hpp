// The mixer: sums the program's sound channels into the output stream. The audio thread (or
// the capture output in tests) calls Render; the program thread keeps the beat channel's
// schedule and publishes it whole through a lock-free triple buffer, so no beat and no stop is
// ever lost to a full queue. The count of frames rendered is the stream's clock, by which
// beats are timed.
//
// Channels: the beat channel (one sound at a time, a new sound cuts the old one at its own
// start frame) and the wave-out channel for speech and prompts (blocks queued by WAV playback).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>

#include "platform/sound.hpp"
#include "platform/triple_buffer.hpp"
#include "platform/wave_out_channel.hpp"

namespace cadencio::platform {

class Mixer {
 public:
  explicit Mixer(int sample_rate) : sample_rate_(sample_rate) {}
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  int SampleRate() const { return sample_rate_; }
  // Frames rendered so far: the position of the stream.
  int64_t FramesRendered() const { return rendered_.load(std::memory_order_acquire); }

  // Program thread. The sound must outlive its playing (sounds are kept in a bank for the
  // program's life). A start frame already rendered means "as soon as possible".
  void StartBeat(const Sound* sound, int64_t start_frame);
  // Starts a sound at once on the beat channel and repeats it until it is stopped or cut.
  void StartLoop(const Sound* sound);
  void StopBeat();

  // The wave-out channel: the device that WAV playback writes its blocks to (program thread).
  WaveOutChannel& WaveOut() { return wave_out_; }

  // Rendering thread: fills `frames` stereo frames.
  void Render(float* out, int frames);

  // Tests: hears every sound start with its exact stream frame (on the rendering thread).
  using OnsetObserver = std::function<void(int64_t frame, const Sound& sound)>;
  void SetOnsetObserver(OnsetObserver observer) { onset_observer_ = std::move(observer); }

 private:
  // One start of a sound on the beat channel; `serial` tells starts of the same sound apart.
  struct Voice {
    const Sound* sound = nullptr;
    int64_t start = 0;
    uint64_t serial = 0;
    bool loop = false;
  };
  // The beat channel's starts in order of start frame. The sound heard at a frame is the one
  // of the latest start at or before it, from its start on: each start cuts the sound before
  // it at its own frame, so a beat scheduled ahead is not lost to the next one. An empty
  // schedule is silence.
  static constexpr int kMaxStarts = 16;
  struct Schedule {
    std::array<Voice, kMaxStarts> starts{};
    int count = 0;
  };
  void Start(const Sound* sound, int64_t start_frame, bool loop);
  // Program thread: drops the starts that a later start, already reached, has cut.
  void PruneSchedule();
  void PublishSchedule();

  const int sample_rate_;
  std::atomic<int64_t> rendered_{0};
  // Program-thread state.
  Schedule schedule_;
  uint64_t next_serial_ = 1;
  TripleBuffer<Schedule> published_;
  // Rendering-thread state: the start being heard (its start is the frame it began at).
  Voice beat_;
  OnsetObserver onset_observer_;
  WaveOutChannel wave_out_{sample_rate_};
};

}  // namespace cadencio::platform
