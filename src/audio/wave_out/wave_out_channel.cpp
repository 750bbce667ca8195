// The mixer's wave-out channel: conversion of written blocks, their hand-over to the audio
// thread through slot states, and the block-done reports.
#include "audio/wave_out/wave_out_channel.hpp"

#include <algorithm>
#include <cmath>
#include <thread>

#include "audio/pcm_fade.hpp"

namespace cadencio::audio {

namespace {

// Room kept in every slot beyond the converted length of a full block, for the samples the
// resampler held back from the block before and for the block's ending.
constexpr int64_t kSlotMarginFrames = 2048;

bool FormatSupported(const WaveFormat& format) {
  return (format.bits == 8 || format.bits == 16) &&
         (format.channels == 1 || format.channels == 2) &&
         format.rate >= WaveOutChannel::kMinRate && format.rate <= WaveOutChannel::kMaxRate;
}

}  // namespace

WaveOutChannel& AddWaveOutChannel(Mixer& mixer) {
  auto channel = std::make_unique<WaveOutChannel>(mixer.SampleRate());
  WaveOutChannel& added = *channel;
  mixer.AddStream(std::move(channel));
  return added;
}

WaveOutChannel::WaveOutChannel(int output_rate)
    : output_rate_(output_rate),
      tail_(CutFadeSamples(output_rate) * 2, 0.0f),
      tail_frames_(static_cast<int>(CutFadeSamples(output_rate))),
      tail_position_(tail_frames_) {}

WaveOutChannel::~WaveOutChannel() {
  if (base::MessageLoop* loop = loop_.load(std::memory_order_relaxed))
    loop->RemoveNoticeSource(this);
}

void WaveOutChannel::SetMessageLoop(base::MessageLoop* loop) {
  base::MessageLoop* old = loop_.load(std::memory_order_relaxed);
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
    // One converter for the whole time the device is open. Blocks are converted on the
    // program thread, ahead of their playing.
    resampler_ = StreamResampler::Create(2, ratio);
    if (!resampler_) return kWaveErrorNoMemory;
  } else {
    resampler_.reset();
  }
  // The audio thread holds no slot while the device is closed, so the slots can grow here.
  for (Slot& slot : slots_)
    slot.samples.resize(static_cast<std::size_t>(max_out + kSlotMarginFrames) * 2);
  input_.resize(static_cast<std::size_t>(max_in) * 2);
  ramp_.resize(CutFadeSamples(format.rate) * 2);
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
    out_frames = resampler_->Convert(input_.data(), in_frames, slot.samples.data(), capacity,
                                     /*end_of_input=*/false);
  }
  slot.frames = out_frames;
  slot.ending = resampler_ && in_frames > 0
                    ? ConvertEnding(slot, out_frames, input_.data() + (in_frames - 1) * 2)
                    : 0;
  slot.index = index;
  slot.order = next_order_++;
  slot.state.store(kQueued, std::memory_order_release);
  return kWaveOk;
}

int64_t WaveOutChannel::ConvertEnding(Slot& slot, int64_t at, const float* last) {
  std::unique_ptr<StreamResampler> copy = resampler_->Clone();
  if (!copy) return 0;
  // The last frame fades to silence over 2 ms of the sound's own rate, then the converter
  // gives up what it holds.
  const int64_t fade = static_cast<int64_t>(ramp_.size() / 2);
  for (int64_t i = 0; i < fade; ++i) {
    const float gain = static_cast<float>(fade - 1 - i) / static_cast<float>(fade);
    ramp_[2 * i] = last[0] * gain;
    ramp_[2 * i + 1] = last[1] * gain;
  }
  const int64_t capacity = static_cast<int64_t>(slot.samples.size() / 2);
  if (at >= capacity) return 0;
  return copy->Convert(ramp_.data(), fade, slot.samples.data() + at * 2, capacity - at,
                       /*end_of_input=*/true);
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
  // What was playing fades out instead of stopping at once.
  if (current_ >= 0) {
    const Slot& slot = slots_[current_];
    StartTail(slot.samples.data() + position_ * 2, slot.frames + slot.ending - position_, nullptr,
              0);
  }
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
  in_ending_ = false;
}

void WaveOutChannel::Reset() {
  if (!open_) return;
  BeginExclusive();
  DropAll();
  if (resampler_) resampler_->Reset();
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
  base::MessageLoop* loop = loop_.load(std::memory_order_relaxed);
  if (!loop) return;
  base::Message message{base::MessageKind::kBlockDone};
  message.param = index;
  loop->Post(message);
}

void WaveOutChannel::StartTail(const float* from, int64_t available, float* out, int at) {
  // The earlier tail's frames before `at` belong to this buffer; the rest joins the new tail.
  if (out != nullptr) MixTail(out, at);
  const int left = tail_frames_ - tail_position_;
  float held[2] = {last_[0], last_[1]};
  for (int i = 0; i < tail_frames_; ++i) {
    if (i < available) {
      held[0] = from[2 * i];
      held[1] = from[2 * i + 1];
    }
    const float gain = static_cast<float>(tail_frames_ - 1 - i) / static_cast<float>(tail_frames_);
    // Reading ahead of the writing position keeps the earlier tail intact until it is used.
    const int earlier = tail_position_ + i;
    const bool add = i < left;
    tail_[2 * i] = held[0] * gain + (add ? tail_[2 * earlier] : 0.0f);
    tail_[2 * i + 1] = held[1] * gain + (add ? tail_[2 * earlier + 1] : 0.0f);
  }
  tail_position_ = 0;
  tail_delay_ = at;
  last_ = {0.0f, 0.0f};
}

void WaveOutChannel::MixTail(float* out, int frames) {
  int i = std::min(frames, tail_delay_);
  tail_delay_ -= i;
  for (; i < frames && tail_position_ < tail_frames_; ++i, ++tail_position_) {
    out[2 * i] += tail_[2 * tail_position_];
    out[2 * i + 1] += tail_[2 * tail_position_ + 1];
  }
}

bool WaveOutChannel::AnyQueued() const {
  return std::any_of(slots_.begin(), slots_.end(), [](const Slot& slot) {
    return slot.state.load(std::memory_order_acquire) == kQueued;
  });
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
      if (current_ < 0) {
        // The blocks ran out: the last frame fades to silence.
        if (last_[0] != 0.0f || last_[1] != 0.0f) StartTail(nullptr, 0, out, done);
        break;
      }
    }
    Slot& slot = slots_[current_];
    const int64_t length = in_ending_ ? slot.frames + slot.ending : slot.frames;
    int64_t count = std::min<int64_t>(frames - done, length - position_);
    const float* from = slot.samples.data() + position_ * 2;
    float* to = out + static_cast<int64_t>(done) * 2;
    for (int64_t i = 0; i < count * 2; ++i) to[i] += from[i];
    if (count > 0) last_ = {from[count * 2 - 2], from[count * 2 - 1]};
    done += static_cast<int>(count);
    position_ += count;
    if (position_ >= length) {
      // A block that no other follows ends with what the resampler held back.
      if (!in_ending_ && slot.ending > 0 && !AnyQueued()) {
        in_ending_ = true;
        continue;
      }
      in_ending_ = false;
      // The notice goes through the ring; the program thread frees the slot when it takes it.
      slot.state.store(kDone, std::memory_order_release);
      done_.Push(current_);
      current_ = -1;
      position_ = 0;
      if (base::MessageLoop* loop = loop_.load(std::memory_order_acquire)) loop->Ring();
    }
  }
  MixTail(out, frames);
  rendering_.store(false, std::memory_order_seq_cst);
}

}  // namespace cadencio::audio
