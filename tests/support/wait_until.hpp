// Waiting in real time for what another thread or program does.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace cadencio::testing {

// Waits until `done` answers true, looking every `step`, at most `limit`; whether it did.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(5),
                      std::chrono::milliseconds step = std::chrono::milliseconds(10)) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(step);
  }
  return true;
}

}  // namespace cadencio::testing
