// A value handed from one writer thread to one reader thread without locks: the writer fills
// the back buffer and publishes it, the reader always takes the latest published value. No
// publication can be lost to a full queue: a newer value simply replaces an older one.
#pragma once

#include <array>
#include <atomic>

namespace cadencio::base {

template <typename T>
class TripleBuffer {
 public:
  // Writer: the buffer to fill; it holds an old value, so fill it whole.
  T& Back() { return buffers_[back_]; }
  // Writer: makes the back buffer the latest value.
  void Publish() {
    const int old = middle_.exchange(back_ | kFresh, std::memory_order_acq_rel);
    back_ = old & kIndexMask;
  }
  // Reader: the latest published value (the one read before when nothing new came).
  const T& Latest() {
    if ((middle_.load(std::memory_order_relaxed) & kFresh) != 0) {
      const int old = middle_.exchange(front_, std::memory_order_acq_rel);
      front_ = old & kIndexMask;
    }
    return buffers_[front_];
  }

 private:
  static constexpr int kFresh = 4;
  static constexpr int kIndexMask = 3;
  std::array<T, 3> buffers_{};
  std::atomic<int> middle_{1};
  int back_ = 0;   // writer's
  int front_ = 2;  // reader's
};

}  // namespace cadencio::base
