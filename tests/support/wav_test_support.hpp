// Helpers for the WAV playback tests: RIFF/WAVE byte images built piece by piece, waits that
// advance a virtual clock, and a wave-out device that plays in virtual time.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "audio/wave_out/wave_out_device.hpp"
#include "base/clock.hpp"
#include "base/message_loop.hpp"
#include "base/waiter.hpp"

namespace cadencio::testing {

using Bytes = std::vector<uint8_t>;

inline void PutLe16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

inline void PutLe32(Bytes& out, uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}

inline void PutTag(Bytes& out, const std::string& tag) {
  out.insert(out.end(), tag.begin(), tag.end());
}

// "RIFF", a size, "WAVE".
inline Bytes RiffHead(const std::string& tag = "RIFF") {
  Bytes out;
  PutTag(out, tag);
  PutLe32(out, 0);
  PutTag(out, "WAVE");
  return out;
}

// A chunk head with the given size, whatever follows.
inline void PutChunkHead(Bytes& out, const std::string& tag, uint32_t size) {
  PutTag(out, tag);
  PutLe32(out, size);
}

inline void PutChunk(Bytes& out, const std::string& tag, const Bytes& body) {
  PutChunkHead(out, tag, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
}

inline Bytes FmtBody(int rate, int channels, int bits, std::size_t extra = 0) {
  Bytes body;
  int align = channels * bits / 8;
  PutLe16(body, 1);
  PutLe16(body, static_cast<uint32_t>(channels));
  PutLe32(body, static_cast<uint32_t>(rate));
  PutLe32(body, static_cast<uint32_t>(rate * align));
  PutLe16(body, static_cast<uint32_t>(align));
  PutLe16(body, static_cast<uint32_t>(bits));
  body.resize(body.size() + extra, 0);
  return body;
}

// One chunk of a built image: its tag, its body, and the size its head claims (the body's own
// size when none is given).
struct Chunk {
  std::string tag;
  Bytes body;
  std::optional<uint32_t> claimed_size = std::nullopt;
};

// A RIFF head with the given tag, then the chunks in order.
inline Bytes WaveImage(std::initializer_list<Chunk> chunks, const std::string& riff = "RIFF") {
  Bytes out = RiffHead(riff);
  for (const Chunk& chunk : chunks) {
    PutChunkHead(out, chunk.tag,
                 chunk.claimed_size.value_or(static_cast<uint32_t>(chunk.body.size())));
    out.insert(out.end(), chunk.body.begin(), chunk.body.end());
  }
  return out;
}

// The first `size` bytes.
inline Bytes Cut(Bytes bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

// A plain file: RIFF head, fmt, data.
inline Bytes MakeWav(int rate, int channels, int bits, const Bytes& data) {
  Bytes out = RiffHead();
  PutChunk(out, "fmt ", FmtBody(rate, channels, bits));
  PutChunk(out, "data", data);
  return out;
}

// The program's waits without a console. Keys arrive at given virtual times and wait in a
// queue until taken; the other messages go to the loop's handlers. A wait advances the clock a
// millisecond at a time until a message comes, so time moves as it would for a program waiting
// on a real window. With `step_ms` a wait also ends after that much time, as the headless front
// end's does; without, a wait that would never end fails the test instead of hanging it.
class TestWaiter final : public base::Waiter {
 public:
  TestWaiter(base::VirtualClock& clock, base::MessageLoop& loop, int64_t step_ms = 0)
      : clock_(clock), loop_(loop), step_ms_(step_ms) {}
  void AddKey(int64_t at_ms, uint8_t ch) { script_.push_back({at_ms, ch}); }
  std::size_t KeysWaiting() const { return keys_.size(); }
  // The oldest key that waits, taken from the queue; 0 when none does.
  uint8_t TakeKey() {
    PumpAllMessages();
    if (keys_.empty()) return 0;
    const uint8_t key = keys_.front();
    keys_.pop_front();
    return key;
  }

  bool KeyPressed() override {
    PumpAllMessages();
    return !keys_.empty();
  }
  void DrainKeys() override {
    PumpAllMessages();
    keys_.clear();
  }
  void PumpAllMessages() override {
    PostDueKeys();
    base::Message message;
    while (loop_.Peek(message)) {
      if (message.kind == base::MessageKind::kChar) {
        keys_.push_back(static_cast<uint8_t>(message.key));
      } else {
        loop_.DispatchNotice(message);
      }
    }
  }
  void WaitMessage() override {
    constexpr int64_t kLongestWaitMs = 120000;
    for (int64_t waited = 0; waited < kLongestWaitMs; ++waited) {
      if (!loop_.Empty() || (step_ms_ > 0 && waited == step_ms_)) return;
      clock_.AdvanceTo(clock_.NowMs() + 1);
      PostDueKeys();
    }
    if (!loop_.Empty()) return;
    ADD_FAILURE() << "a wait found no message for two minutes of virtual time";
    throw std::runtime_error("a wait that never ends");
  }
  void Delay(int64_t ms) override {
    clock_.SleepMs(ms & 0xFFFF);
    PumpAllMessages();
  }
  base::MessageLoop& Loop() override { return loop_; }

 private:
  void PostDueKeys() {
    while (!script_.empty() && script_.front().first <= clock_.NowMs()) {
      base::Message message{base::MessageKind::kChar};
      message.key = script_.front().second;
      loop_.Post(message);
      script_.pop_front();
    }
  }

  base::VirtualClock& clock_;
  base::MessageLoop& loop_;
  const int64_t step_ms_;
  std::deque<std::pair<int64_t, uint8_t>> script_;
  std::deque<uint8_t> keys_;
};

// A wave-out device that plays each block for its duration in virtual time, one after the
// other, and reports it done when that time has passed. It records what it was asked to do.
class FakeWaveOut final : public audio::WaveOutDevice {
 public:
  struct Written {
    int index;
    Bytes bytes;
    int64_t at_ms;
    audio::WaveFormat format;
  };

  FakeWaveOut(base::VirtualClock& clock, base::MessageLoop& loop) : clock_(clock), loop_(loop) {
    clock.AddListener([this](int64_t now) { Finish(now); });
  }

  int Open(const audio::WaveFormat& format) override {
    opens.push_back(format);
    open_times.push_back(clock_.NowMs());
    int result = audio::kWaveOk;
    if (!open_results.empty()) {
      result = open_results.front();
      open_results.pop_front();
    }
    if (result == audio::kWaveOk) {
      open_ = true;
      format_ = format;
    }
    return result;
  }
  bool IsOpen() const override { return open_; }
  int Write(int index, const uint8_t* bytes, std::size_t count) override {
    if (!open_) return audio::kWaveErrorInvalidHandle;
    writes.push_back({index, Bytes(bytes, bytes + count), clock_.NowMs(), format_});
    int frame_bytes = format_.channels * format_.bits / 8;
    double ms = frame_bytes > 0 && format_.rate > 0
                    ? 1000.0 * static_cast<double>(count) / frame_bytes / format_.rate
                    : 0.0;
    double start = std::max<double>(static_cast<double>(clock_.NowMs()), busy_until_);
    busy_until_ = start + ms;
    queued_.push_back({index, busy_until_});
    return audio::kWaveOk;
  }
  int Unprepare(int index) override {
    unprepared.push_back(index);
    if (unprepare_results.empty()) return audio::kWaveOk;
    int result = unprepare_results.front();
    unprepare_results.pop_front();
    return result;
  }
  void Reset() override {
    reset_times.push_back(clock_.NowMs());
    DropAll();
  }
  void Close() override {
    DropAll();
    if (open_) close_times.push_back(clock_.NowMs());
    open_ = false;
  }
  // Bytes written, in order, as one stream.
  Bytes Stream() const {
    Bytes all;
    for (const auto& w : writes) all.insert(all.end(), w.bytes.begin(), w.bytes.end());
    return all;
  }
  std::vector<std::size_t> WriteSizes() const {
    std::vector<std::size_t> sizes;
    for (const auto& w : writes) sizes.push_back(w.bytes.size());
    return sizes;
  }
  std::size_t Queued() const { return queued_.size(); }

  std::deque<int> open_results;
  std::deque<int> unprepare_results;
  std::vector<audio::WaveFormat> opens;
  std::vector<int64_t> open_times;
  std::vector<Written> writes;
  std::vector<int> unprepared;
  std::vector<int64_t> reset_times;
  std::vector<int64_t> close_times;

 private:
  void Post(int index) {
    base::Message message{base::MessageKind::kBlockDone};
    message.param = index;
    loop_.Post(message);
  }
  void Finish(int64_t now) {
    while (!queued_.empty() && queued_.front().second <= static_cast<double>(now)) {
      Post(queued_.front().first);
      queued_.pop_front();
    }
  }
  void DropAll() {
    for (const auto& block : queued_) Post(block.first);
    queued_.clear();
    busy_until_ = 0;
  }

  base::VirtualClock& clock_;
  base::MessageLoop& loop_;
  bool open_ = false;
  audio::WaveFormat format_;
  std::deque<std::pair<int, double>> queued_;
  double busy_until_ = 0;
};

}  // namespace cadencio::testing
