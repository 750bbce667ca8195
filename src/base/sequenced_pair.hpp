// Two numbers that one thread writes together and others read together without a lock: the
// writer (an audio thread, which must never wait) counts a sequence up before and after, so the
// count is odd while it writes; a reader that saw it odd or changed tries again.
#pragma once

#include <atomic>
#include <cstdint>

namespace cadencio::base {

class SequencedPair {
 public:
  // The one writer.
  void Write(int64_t first, int64_t second) {
    const uint32_t sequence = sequence_.load(std::memory_order_relaxed);
    sequence_.store(sequence + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    first_.store(first, std::memory_order_relaxed);
    second_.store(second, std::memory_order_relaxed);
    sequence_.store(sequence + 2, std::memory_order_release);
  }
  // Any other thread: false when the pair was never written, or was written over on every try.
  bool Read(int64_t& first, int64_t& second) const {
    for (int attempt = 0; attempt < 100; ++attempt) {
      const uint32_t before = sequence_.load(std::memory_order_acquire);
      first = first_.load(std::memory_order_relaxed);
      second = second_.load(std::memory_order_relaxed);
      std::atomic_thread_fence(std::memory_order_acquire);
      if ((before & 1) != 0 || sequence_.load(std::memory_order_relaxed) != before) continue;
      return before != 0;
    }
    return false;
  }

 private:
  std::atomic<uint32_t> sequence_{0};
  std::atomic<int64_t> first_{0};
  std::atomic<int64_t> second_{0};
};

}  // namespace cadencio::base
