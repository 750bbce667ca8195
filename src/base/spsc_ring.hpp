// A fixed-size single-producer single-consumer ring, so that the program thread can hand
// commands to the audio thread without locks or allocation on the audio side.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>

namespace cadencio::base {

template <typename T, std::size_t N>
class SpscRing {
 public:
  bool Push(const T& item) {
    std::size_t head = head_.load(std::memory_order_relaxed);
    std::size_t next = (head + 1) % N;
    if (next == tail_.load(std::memory_order_acquire)) return false;
    items_[head] = item;
    head_.store(next, std::memory_order_release);
    return true;
  }
  bool Pop(T& out) {
    std::size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail == head_.load(std::memory_order_acquire)) return false;
    out = items_[tail];
    tail_.store((tail + 1) % N, std::memory_order_release);
    return true;
  }

 private:
  std::array<T, N> items_{};
  std::atomic<std::size_t> head_{0};
  std::atomic<std::size_t> tail_{0};
};

}  // namespace cadencio::base
