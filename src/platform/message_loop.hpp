// The program thread's message queue: what a window's message queue was. Front ends post key
// messages, the audio thread posts block-done messages, the speech code posts wake-ups; only
// the program thread takes them out.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

namespace cadencio::platform {

enum class MessageKind {
  kKeyDown,     // key: virtual key code; ctrl/alt/shift held
  kSysKeyDown,  // a key-down the system would keep for itself (Alt combinations)
  kKeyUp,       // key: virtual key code
  kChar,        // key: the character as a Windows-1252 byte
  kBlockDone,   // param: ring index of the wave-out block that finished
  kWakeSpeech,  // 1123: speech was cut; only ends a wait
  kWakeEngine,  // 2980: an engine reports; only ends a wait
  kClose,       // the window is being closed
  kQuit,        // the quit message: the program ends with exit code 255
};

struct Message {
  MessageKind kind;
  int key = 0;
  bool ctrl = false;
  bool alt = false;
  bool shift = false;
  int64_t param = 0;
};

class MessageLoop {
 public:
  MessageLoop();
  ~MessageLoop();
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // Any thread.
  void Post(const Message& message);
  // Program thread: takes the oldest message; false when none waits.
  bool Peek(Message& out);
  bool Empty() const;
  // Blocks up to `timeout_ms` (negative: no limit) until a message is posted.
  void Wait(int64_t timeout_ms);
  // A descriptor that is readable while messages wait, for poll() in a front end.
  int WakeFd() const { return wake_fd_; }

 private:
  mutable std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<Message> queue_;
  int wake_fd_ = -1;
};

}  // namespace cadencio::platform
