// The wave-out channel: the real wave-out device, a stream the mixer adds to its sum. Blocks are
// converted on the program thread when they are written (8-bit unsigned or 16-bit signed, mono or
// stereo, any rate, to stereo float at the mixer's rate; one resampler per open device, so that the
// blocks of one sound join without a seam) into a pool of preallocated slots. The audio thread
// plays the slots in the order they were written and, after the last sample of a block, puts the
// slot in a lock-free ring of done notices and rings the message loop's doorbell; the program
// thread drains the ring into block-done messages with the blocks' numbers and only then frees the
// slots. Nothing on the audio thread locks, allocates or waits.
//
// No sound stops with a step. Each resampled block carries an ending: what the resampler still
// holds back at its end, played only when no block follows (the sound ends there). When the
// blocks run out, the last frame played then fades to silence, and a reset or close fades out
// the block that was playing, each over 2 ms.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/mixer.hpp"
#include "audio/resampler.hpp"
#include "audio/wave_out/wave_out_device.hpp"
#include "base/message_loop.hpp"
#include "base/spsc_ring.hpp"

namespace cadencio::audio {

class WaveOutChannel final : public WaveOutDevice, public MixedStream, public base::NoticeSource {
 public:
  // Blocks that can be queued at once.
  static constexpr int kSlots = 4;
  // Rates outside this range are refused as a bad format.
  static constexpr int kMinRate = 4000;
  static constexpr int kMaxRate = 192000;

  explicit WaveOutChannel(int output_rate);
  ~WaveOutChannel() override;
  WaveOutChannel(const WaveOutChannel&) = delete;
  WaveOutChannel& operator=(const WaveOutChannel&) = delete;

  // Program thread: the loop that hears of finished blocks (none: they are not reported).
  void SetMessageLoop(base::MessageLoop* loop);
  // Program thread: turns the done notices into block-done messages and frees their slots.
  void DrainNotices() override;
  void LoopGone() override { loop_.store(nullptr, std::memory_order_release); }

  int Open(const WaveFormat& format) override;
  bool IsOpen() const override { return open_; }
  int Write(int index, const uint8_t* bytes, std::size_t count) override;
  void Reset() override;
  void Close() override;

  // Rendering thread: adds the playing blocks into `frames` interleaved stereo frames.
  void MixInto(float* out, int frames) override;

 private:
  enum SlotState : int { kFree, kQueued, kPlaying, kDone };
  struct Slot {
    std::vector<float> samples;  // sized at open; the audio thread only reads it
    int64_t frames = 0;
    int64_t ending = 0;  // frames after `frames` played when no block follows
    int index = 0;
    uint64_t order = 0;
    std::atomic<int> state{kFree};
  };

  // Keeps the audio thread out of the slots while the program thread drops blocks.
  void BeginExclusive();
  void EndExclusive();
  // Exclusive: reports every queued block done, in the order written, and frees its slot.
  void DropAll();
  void PostDone(int index);
  void FreeSlot(Slot& slot);
  // Turns the PCM bytes into stereo float at the source rate, in input_.
  int64_t DecodeToFloat(const uint8_t* bytes, std::size_t count);
  int PickNextSlot();
  bool AnyQueued() const;
  // Program thread: how the sound ends after a block, written after `at` frames of the slot:
  // its `last` frame faded out over 2 ms and what the resampler still holds, from a copy of
  // the resampler. Answers the count of frames.
  int64_t ConvertEnding(Slot& slot, int64_t at, const float* last);
  // Starts the fade-out tail at frame `at` of the buffer being rendered: `available` frames
  // of `from` (then its last frame held) fade to silence, on top of what is left of the tail
  // before. `out` receives the earlier tail's frames before `at` (none when null).
  void StartTail(const float* from, int64_t available, float* out, int at);
  // Adds the tail's next frames to `out`, after the delay it was started with.
  void MixTail(float* out, int frames);

  const int output_rate_;
  // Written on the program thread; the audio thread only rings its doorbell.
  std::atomic<base::MessageLoop*> loop_{nullptr};
  // Program-thread state.
  bool open_ = false;
  WaveFormat format_;
  std::unique_ptr<StreamResampler> resampler_;
  std::vector<float> input_;
  std::vector<float> ramp_;  // the fade of a block's last frame, at the sound's rate
  uint64_t next_order_ = 1;
  // Shared with the audio thread.
  std::array<Slot, kSlots> slots_;
  // Slots whose block has finished, in the order they finished. A slot is freed only when its
  // notice has been taken, so the ring never holds more than kSlots and never overflows.
  base::SpscRing<int, kSlots + 1> done_;
  std::atomic<bool> rendering_{false};
  std::atomic<bool> excluded_{false};
  // Rendering-thread state (the program thread touches it only while exclusive).
  int current_ = -1;
  int64_t position_ = 0;
  bool in_ending_ = false;       // the current slot plays its ending
  std::array<float, 2> last_{};  // the last frame played from a block, until it fades
  std::vector<float> tail_;      // the fade-out tail, stereo, sized at construction
  int tail_frames_ = 0;          // its length (2 ms at the output rate)
  int tail_position_ = 0;        // frames of it played; tail_frames_ when there is none
  int tail_delay_ = 0;           // frames of the current buffer before it begins
};

// Program thread: a wave-out channel at the mixer's rate, added to its mix for the mixer's life.
WaveOutChannel& AddWaveOutChannel(Mixer& mixer);

}  // namespace cadencio::audio
