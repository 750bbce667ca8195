// Thread-safe message queue with an eventfd so that front ends can wait on input and messages
// together.
#include "platform/message_loop.hpp"

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>

namespace cadencio::platform {

MessageLoop::MessageLoop() : wake_fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

MessageLoop::~MessageLoop() {
  if (wake_fd_ >= 0) close(wake_fd_);
}

void MessageLoop::Post(const Message& message) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(message);
  }
  posted_.notify_one();
  if (wake_fd_ >= 0) {
    uint64_t one = 1;
    [[maybe_unused]] auto n = write(wake_fd_, &one, sizeof one);
  }
}

bool MessageLoop::Peek(Message& out) {
  std::lock_guard lock(mutex_);
  if (queue_.empty()) {
    if (wake_fd_ >= 0) {
      uint64_t count;
      [[maybe_unused]] auto n = read(wake_fd_, &count, sizeof count);
    }
    return false;
  }
  out = queue_.front();
  queue_.pop_front();
  return true;
}

bool MessageLoop::Empty() const {
  std::lock_guard lock(mutex_);
  return queue_.empty();
}

void MessageLoop::Wait(int64_t timeout_ms) {
  std::unique_lock lock(mutex_);
  if (timeout_ms < 0) {
    posted_.wait(lock, [this] { return !queue_.empty(); });
  } else {
    posted_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                     [this] { return !queue_.empty(); });
  }
}

}  // namespace cadencio::platform
