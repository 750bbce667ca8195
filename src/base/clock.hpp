// The time source of the program: a monotonic real clock, or a virtual clock for tests in which
// sleeping only advances the time.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace cadencio::base {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start, monotonic.
  virtual int64_t NowMs() const = 0;
  // Blocks the calling thread for about `ms` milliseconds (0 only yields).
  virtual void SleepMs(int64_t ms) = 0;
  // Wall-clock date and time of day, local time.
  struct DateTime {
    int year, month, day, day_of_week;  // day of week 0 = Sunday
    int hour, minute, second, millisecond;
  };
  virtual DateTime LocalDateTime() const = 0;
};

class RealClock final : public Clock {
 public:
  int64_t NowMs() const override;
  void SleepMs(int64_t ms) override;
  DateTime LocalDateTime() const override;
};

// Time that moves only when somebody sleeps on it. Listeners hear every advance, so that a
// capture audio output can render the stream up to the new time.
class VirtualClock final : public Clock {
 public:
  // Monday 5 January 2026, 01:10:30.
  static constexpr DateTime kDefaultStart = {2026, 1, 5, 1, 10, 30, 0, 0};
  explicit VirtualClock(DateTime start = kDefaultStart) : start_(start) {}
  int64_t NowMs() const override { return now_ms_; }
  void SleepMs(int64_t ms) override { AdvanceTo(now_ms_ + (ms > 0 ? ms : 0)); }
  DateTime LocalDateTime() const override;
  void AdvanceTo(int64_t ms);
  void AddListener(std::function<void(int64_t now_ms)> listener);

 private:
  DateTime start_;
  int64_t now_ms_ = 0;
  std::vector<std::function<void(int64_t)>> listeners_;
};

}  // namespace cadencio::base
