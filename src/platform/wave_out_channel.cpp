// The mixer's wave-out channel: conversion of written blocks, their hand-over to the audio
// thread through slot states, and the block-done reports.
#include "platform/wave_out_channel.hpp"

#include <samplerate.h>

#include <algorithm>
#include <cmath>
#include <thread>

namespace cadencio::platform {

namespace {

// Room kept in every slot beyond the converted length of a full block, for the samples the
// resampler held back from the block before.
constexpr int64_t kSlotMarginFrames = 1024;

bool FormatSupported(const WaveFormat& format) {
  return (format.bits == 8 || format.bits == 16) &&
         (format.channels == 1 || format.channels == 2) &&
         format.rate >= WaveOutChannel::kMinRate && format.rate <= WaveOutChannel::kMaxRate;
}

}  // namespace

// One libsamplerate converter, kept for the whole time the device is open.
struct WaveOutChannel::Resampler {
  SRC_STATE* state = nullptr;
  double ratio = 1.0;
  ~Resampler() {
    if (state) src_delete(state);
  }
};

WaveOutChannel::WaveOutChannel(int output_rate) : output_rate_(output_rate) {}

WaveOutChannel::~WaveOutChannel() {
  if (MessageLoop* loop = loop_.load(std::memory_order_relaxed)) loop->RemoveNoticeSource(this);
}

void WaveOutChannel::SetMessageLoop(MessageLoop* loop) {
  MessageLoop* old = loop_.load(std::memory_order_relaxed);
  if (old == loop) return;
  DrainNotices();
  if (old) old->RemoveNoticeSource(this);
  loop_.store(loop, std::memory_order_release);
  if (loop) loop->AddNoticeSource(this);
}

void WaveOutChannel::DrainNotices() {
  int slot = 0;
  while (done_.Pop(slot)) FreeSlot(slots_[slot]);
}

void WaveOutChannel::FreeSlot(Slot& slot) {
  const int index = slot.index;
  slot.state.store(kFree, std::memory_order_release);
  PostDone(index);
}

int WaveOutChannel::Open(const WaveFormat& format) {
  if (open_) return kWaveErrorAllocated;
  if (!FormatSupported(format)) return kWaveErrorBadFormat;
  int frame_bytes = format.channels * format.bits / 8;
  int64_t max_in = static_cast<int64_t>(kMaxBlockBytes) / frame_bytes;
  double ratio = static_cast<double>(output_rate_) / format.rate;
  int64_t max_out = static_cast<int64_t>(std::ceil(static_cast<double>(max_in) * ratio));
  if (format.rate != output_rate_) {
    auto resampler = std::make_unique<Resampler>();
    int error = 0;
    resampler->state = src_new(SRC_SINC_FASTEST, 2, &error);
    if (!resampler->state) return kWaveErrorNoMemory;
    resampler->ratio = ratio;
    resampler_ = std::move(resampler);
  } else {
    resampler_.reset();
  }
  // The audio thread holds no slot while the device is closed, so the slots can grow here.
  for (Slot& slot : slots_)
    slot.samples.resize(static_cast<std::size_t>(max_out + kSlotMarginFrames) * 2);
  input_.resize(static_cast<std::size_t>(max_in) * 2);
  format_ = format;
  open_ = true;
  return kWaveOk;
}

int64_t WaveOutChannel::DecodeToFloat(const uint8_t* bytes, std::size_t count) {
  int frame_bytes = format_.channels * format_.bits / 8;
  int64_t frames = static_cast<int64_t>(count) / frame_bytes;
  for (int64_t f = 0; f < frames; ++f) {
    const uint8_t* frame = bytes + f * frame_bytes;
    float side[2] = {0.0f, 0.0f};
    for (int c = 0; c < format_.channels; ++c) {
      if (format_.bits == 8) {
        side[c] = (static_cast<float>(frame[c]) - 128.0f) / 128.0f;
      } else {
        auto value = static_cast<int16_t>(frame[2 * c] | (frame[2 * c + 1] << 8));
        side[c] = static_cast<float>(value) / 32768.0f;
      }
    }
    input_[2 * f] = side[0];
    input_[2 * f + 1] = format_.channels == 2 ? side[1] : side[0];
  }
  return frames;
}

int WaveOutChannel::Write(int index, const uint8_t* bytes, std::size_t count) {
  if (!open_) return kWaveErrorInvalidHandle;
  if (count > kMaxBlockBytes || (count > 0 && !bytes)) return kWaveErrorNoMemory;
  DrainNotices();  // finished blocks free their slots even when no loop takes the notices
  auto free_slot = std::find_if(slots_.begin(), slots_.end(), [](const Slot& slot) {
    return slot.state.load(std::memory_order_acquire) == kFree;
  });
  if (free_slot == slots_.end()) return kWaveErrorNoMemory;
  Slot& slot = *free_slot;

  int64_t in_frames = DecodeToFloat(bytes, count);
  int64_t capacity = static_cast<int64_t>(slot.samples.size() / 2);
  int64_t out_frames = 0;
  if (!resampler_) {
    out_frames = in_frames;
    std::copy_n(input_.begin(), in_frames * 2, slot.samples.begin());
  } else {
    // Feed the whole block; the converter keeps its filter state for the next block.
    int64_t used = 0;
    while (used < in_frames && out_frames < capacity) {
      SRC_DATA data{};
      data.data_in = input_.data() + used * 2;
      data.input_frames = static_cast<long>(in_frames - used);
      data.data_out = slot.samples.data() + out_frames * 2;
      data.output_frames = static_cast<long>(capacity - out_frames);
      data.end_of_input = 0;
      data.src_ratio = resampler_->ratio;
      if (src_process(resampler_->state, &data) != 0) break;
      if (data.input_frames_used == 0 && data.output_frames_gen == 0) break;
      used += data.input_frames_used;
      out_frames += data.output_frames_gen;
    }
  }
  slot.frames = out_frames;
  slot.index = index;
  slot.order = next_order_++;
  slot.state.store(kQueued, std::memory_order_release);
  return kWaveOk;
}

void WaveOutChannel::BeginExclusive() {
  excluded_.store(true, std::memory_order_seq_cst);
  // A render in progress is short (one device period); wait for it to leave the slots.
  while (rendering_.load(std::memory_order_seq_cst)) std::this_thread::yield();
}

void WaveOutChannel::EndExclusive() {
  excluded_.store(false, std::memory_order_seq_cst);
}

void WaveOutChannel::DropAll() {
  DrainNotices();  // the blocks that finished are reported first, in their order
  for (;;) {
    Slot* oldest = nullptr;
    for (Slot& slot : slots_) {
      if (slot.state.load(std::memory_order_relaxed) == kFree) continue;
      if (!oldest || slot.order < oldest->order) oldest = &slot;
    }
    if (!oldest) break;
    FreeSlot(*oldest);
  }
  current_ = -1;
  position_ = 0;
}

void WaveOutChannel::Reset() {
  if (!open_) return;
  BeginExclusive();
  DropAll();
  if (resampler_) src_reset(resampler_->state);
  EndExclusive();
}

void WaveOutChannel::Close() {
  if (!open_) return;
  BeginExclusive();
  DropAll();
  resampler_.reset();
  open_ = false;
  EndExclusive();
}

void WaveOutChannel::PostDone(int index) {
  MessageLoop* loop = loop_.load(std::memory_order_relaxed);
  if (!loop) return;
  Message message{MessageKind::kBlockDone};
  message.param = index;
  loop->Post(message);
}

int WaveOutChannel::PickNextSlot() {
  int next = -1;
  for (int i = 0; i < kSlots; ++i) {
    if (slots_[i].state.load(std::memory_order_acquire) != kQueued) continue;
    if (next < 0 || slots_[i].order < slots_[next].order) next = i;
  }
  if (next >= 0) slots_[next].state.store(kPlaying, std::memory_order_relaxed);
  return next;
}

void WaveOutChannel::MixInto(float* out, int frames) {
  rendering_.store(true, std::memory_order_seq_cst);
  if (excluded_.load(std::memory_order_seq_cst)) {
    rendering_.store(false, std::memory_order_seq_cst);
    return;
  }
  int done = 0;
  while (done < frames) {
    if (current_ < 0) {
      current_ = PickNextSlot();
      position_ = 0;
      if (current_ < 0) break;
    }
    Slot& slot = slots_[current_];
    int64_t count = std::min<int64_t>(frames - done, slot.frames - position_);
    const float* from = slot.samples.data() + position_ * 2;
    float* to = out + static_cast<int64_t>(done) * 2;
    for (int64_t i = 0; i < count * 2; ++i) to[i] += from[i];
    done += static_cast<int>(count);
    position_ += count;
    if (position_ >= slot.frames) {
      // The notice goes through the ring; the program thread frees the slot when it takes it.
      slot.state.store(kDone, std::memory_order_release);
      done_.Push(current_);
      current_ = -1;
      position_ = 0;
      if (MessageLoop* loop = loop_.load(std::memory_order_acquire)) loop->Ring();
    }
  }
  rendering_.store(false, std::memory_order_seq_cst);
}

}  // namespace cadencio::platform
