// The console's keyboard queue: 64 bytes, first in first out. A key is one byte (a character)
// or two bytes, 0 and a code (an extended key).
#pragma once

#include <array>
#include <cstdint>

namespace cadencio::console {

class KeyQueue {
 public:
  static constexpr int kCapacity = 64;
  int Count() const { return count_; }
  int Free() const { return kCapacity - count_; }
  // False (and nothing queued) when the queue is full.
  bool Push(uint8_t byte) {
    if (count_ >= kCapacity) return false;
    bytes_[count_++] = byte;
    return true;
  }
  // The oldest byte; the queue must not be empty.
  uint8_t Pop() {
    uint8_t first = bytes_[0];
    for (int i = 1; i < count_; ++i) bytes_[i - 1] = bytes_[i];
    --count_;
    return first;
  }
  void Clear() { count_ = 0; }

 private:
  std::array<uint8_t, kCapacity> bytes_{};
  int count_ = 0;
};

}  // namespace cadencio::console
