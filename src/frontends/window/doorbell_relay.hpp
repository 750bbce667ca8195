// Lets the window sleep in SDL's event wait and still wake for the program's messages: while
// the program thread waits on SDL's queue, a thread of the window watches the message loop's
// doorbell and, when it rings, pushes an SDL event that ends the wait. The audio thread only
// rings the doorbell (SDL's queue takes a lock, which the audio thread must never do).
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace cadencio::frontends {

class DoorbellRelay {
 public:
  // `doorbell` is the loop's wake descriptor; `event_type` the SDL event pushed.
  DoorbellRelay(int doorbell, uint32_t event_type);
  ~DoorbellRelay();
  DoorbellRelay(const DoorbellRelay&) = delete;
  DoorbellRelay& operator=(const DoorbellRelay&) = delete;

  // Program thread, before it waits on SDL's queue: the next ring is passed on as one event.
  void Arm();

 private:
  void Run();
  const int doorbell_;
  const uint32_t event_type_;
  int control_ = -1;  // an event counter: armed, or asked to stop
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace cadencio::frontends
