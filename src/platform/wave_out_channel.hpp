// The mixer's wave-out channel: the real wave-out device. Blocks are converted on the program
// thread when they are written (8-bit unsigned or 16-bit signed, mono or stereo, any rate, to
// stereo float at the mixer's rate; one resampler per open device, so that the blocks of one
// sound join without a seam) into a pool of preallocated slots. The audio thread plays the
// slots in the order they were written and, after the last sample of a block, puts the slot in
// a lock-free ring of done notices and rings the message loop's doorbell; the program thread
// drains the ring into block-done messages with the blocks' numbers and only then frees the
// slots. Nothing on the audio thread locks, allocates or waits.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/message_loop.hpp"
#include "platform/spsc_ring.hpp"
#include "platform/wave_out_device.hpp"

namespace cadencio::platform {

class WaveOutChannel final : public WaveOutDevice, public NoticeSource {
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
  void SetMessageLoop(MessageLoop* loop);
  // Program thread: turns the done notices into block-done messages and frees their slots.
  void DrainNotices() override;
  void LoopGone() override { loop_.store(nullptr, std::memory_order_release); }

  int Open(const WaveFormat& format) override;
  bool IsOpen() const override { return open_; }
  int Write(int index, const uint8_t* bytes, std::size_t count) override;
  void Reset() override;
  void Close() override;

  // Rendering thread: adds the playing blocks into `frames` interleaved stereo frames.
  void MixInto(float* out, int frames);

 private:
  enum SlotState : int { kFree, kQueued, kPlaying, kDone };
  struct Slot {
    std::vector<float> samples;  // sized at open; the audio thread only reads it
    int64_t frames = 0;
    int index = 0;
    uint64_t order = 0;
    std::atomic<int> state{kFree};
  };
  struct Resampler;

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

  const int output_rate_;
  // Written on the program thread; the audio thread only rings its doorbell.
  std::atomic<MessageLoop*> loop_{nullptr};
  // Program-thread state.
  bool open_ = false;
  WaveFormat format_;
  std::unique_ptr<Resampler> resampler_;
  std::vector<float> input_;
  uint64_t next_order_ = 1;
  // Shared with the audio thread.
  std::array<Slot, kSlots> slots_;
  // Slots whose block has finished, in the order they finished. A slot is freed only when its
  // notice has been taken, so the ring never holds more than kSlots and never overflows.
  SpscRing<int, kSlots + 1> done_;
  std::atomic<bool> rendering_{false};
  std::atomic<bool> excluded_{false};
  // Rendering-thread state (the program thread touches it only while exclusive).
  int current_ = -1;
  int64_t position_ = 0;
};

}  // namespace cadencio::platform
