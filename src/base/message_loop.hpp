// The program thread's message queue: what a window's message queue was. Front ends post key
// messages and the speech code posts wake-ups; only the program thread takes them out. A
// producer that must never lock or allocate (the audio thread) keeps its notices in a
// lock-free ring of its own, a notice source, which the loop drains on the program thread
// whenever messages are looked at; it only rings the loop's doorbell to end a wait.
//
// Whoever pumps the messages (the console) handles the keys, the window's close and the quit
// itself and hands every other message back to the loop, which calls the handler registered
// for its kind: WAV playback registers the one of the wave-out block-done notices.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace cadencio::base {

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

class MessageLoop;

// Notices gathered without locks on another thread, turned into messages on the program thread.
class NoticeSource {
 public:
  virtual ~NoticeSource() = default;
  // Program thread: posts the notices that have arrived, oldest first.
  virtual void DrainNotices() = 0;
  // The loop the source was added to is going away; it must not be used any more.
  virtual void LoopGone() = 0;
};

class MessageLoop {
 public:
  MessageLoop();
  ~MessageLoop();
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // Any thread but the audio thread (it locks).
  void Post(const Message& message);
  // Any thread, including the audio thread: ends a pending Wait. Never locks, allocates or
  // blocks (one write to a non-blocking event counter).
  void Ring();

  // Program thread from here on.
  void AddNoticeSource(NoticeSource* source);
  void RemoveNoticeSource(NoticeSource* source);
  // Takes the oldest message; false when none waits.
  bool Peek(Message& out);
  bool Empty();
  // Before a wait on WakeFd(): empties the doorbell's stale count and then looks again, so that
  // a message posted in between is not missed and an old ring does not end the wait at once.
  // True when nothing waits.
  bool ReadyToWait();
  // Blocks up to `timeout_ms` (negative: no limit) until a message is posted or the doorbell
  // rings.
  void Wait(int64_t timeout_ms);
  // A descriptor that is readable while messages wait, for poll() in a front end.
  int WakeFd() const { return wake_fd_; }

  // The handler of a kind of message that the pump does not handle itself; one per kind, and
  // an empty handler removes it.
  using NoticeHandler = std::function<void(const Message&)>;
  void SetNoticeHandler(MessageKind kind, NoticeHandler handler);
  // Calls the handler of the message's kind; false when the kind has none. A handler may pump
  // messages, and replace or remove itself, while it runs.
  bool DispatchNotice(const Message& message);

 private:
  void DrainSources();

  mutable std::mutex mutex_;
  std::deque<Message> queue_;
  std::vector<NoticeSource*> sources_;                                  // program thread only
  std::vector<std::pair<MessageKind, NoticeHandler>> notice_handlers_;  // program thread only
  int wake_fd_ = -1;
};

}  // namespace cadencio::base
