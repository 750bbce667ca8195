// Real and virtual clocks.
#include "base/clock.hpp"

#include <chrono>
#include <ctime>
#include <thread>

namespace cadencio::base {

int64_t RealClock::NowMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void RealClock::SleepMs(int64_t ms) {
  if (ms <= 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Clock::DateTime RealClock::LocalDateTime() const {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday,
          tm.tm_hour,        tm.tm_min,     tm.tm_sec,  ms};
}

Clock::DateTime VirtualClock::LocalDateTime() const {
  // The start time plus the elapsed virtual time, within the same day.
  int64_t total_ms = ((start_.hour * 60 + start_.minute) * 60 + start_.second) * 1000LL +
                     start_.millisecond + now_ms_;
  int64_t day_ms = 24LL * 3600 * 1000;
  int64_t in_day = total_ms % day_ms;
  DateTime dt = start_;
  dt.hour = static_cast<int>(in_day / 3600000);
  dt.minute = static_cast<int>(in_day / 60000 % 60);
  dt.second = static_cast<int>(in_day / 1000 % 60);
  dt.millisecond = static_cast<int>(in_day % 1000);
  return dt;
}

void VirtualClock::AdvanceTo(int64_t ms) {
  if (ms < now_ms_) return;
  now_ms_ = ms;
  for (auto& listener : listeners_) listener(now_ms_);
}

void VirtualClock::AddListener(std::function<void(int64_t)> listener) {
  listeners_.push_back(std::move(listener));
}

}  // namespace cadencio::base
