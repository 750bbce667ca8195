// How the parts below the console wait on the program thread: they pump the message loop, ask
// whether a key is waiting (a key cuts whatever they are doing and stays queued for the
// caller), sleep, and block until the next message. The console implements it over the front
// end; tests give a virtual-time stand-in.
#pragma once

#include <cstdint>

#include "base/message_loop.hpp"

namespace cadencio::base {

class Waiter {
 public:
  virtual ~Waiter() = default;

  // Handles the messages that have come; true when a key waits (it stays queued). Never waits.
  virtual bool KeyPressed() = 0;
  // Reads and drops every key that waits.
  virtual void DrainKeys() = 0;
  // Handles the messages that have come.
  virtual void PumpAllMessages() = 0;
  // Blocks until a message or input arrives; does not handle it.
  virtual void WaitMessage() = 0;
  // Sleeps `ms` (taken modulo 65536), then handles the messages that came meanwhile.
  virtual void Delay(int64_t ms) = 0;
  // The loop the waits pump: wake-ups that end a WaitMessage are posted to it (from any thread
  // but the audio thread), and the notices the pump does not handle itself (the wave-out
  // block-done ones) go to the handlers set on it.
  virtual MessageLoop& Loop() = 0;
};

}  // namespace cadencio::base
