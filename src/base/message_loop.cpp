// Thread-safe message queue with an eventfd, so that front ends can wait on input and messages
// together and the audio thread can end a wait without a lock.
#include "base/message_loop.hpp"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace cadencio::base {

MessageLoop::MessageLoop() : wake_fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

MessageLoop::~MessageLoop() {
  for (NoticeSource* source : sources_) source->LoopGone();
  if (wake_fd_ >= 0) close(wake_fd_);
}

void MessageLoop::Post(const Message& message) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(message);
  }
  Ring();
}

void MessageLoop::Ring() {
  if (wake_fd_ < 0) return;
  uint64_t one = 1;
  [[maybe_unused]] auto n = write(wake_fd_, &one, sizeof one);
}

void MessageLoop::AddNoticeSource(NoticeSource* source) {
  if (std::find(sources_.begin(), sources_.end(), source) == sources_.end()) {
    sources_.push_back(source);
  }
}

void MessageLoop::RemoveNoticeSource(NoticeSource* source) {
  sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void MessageLoop::SetNoticeHandler(MessageKind kind, NoticeHandler handler) {
  std::erase_if(notice_handlers_, [kind](const auto& entry) { return entry.first == kind; });
  if (handler) notice_handlers_.emplace_back(kind, std::move(handler));
}

bool MessageLoop::DispatchNotice(const Message& message) {
  for (const auto& [kind, handler] : notice_handlers_) {
    if (kind != message.kind) continue;
    // A copy, so that the handler may replace or remove itself while it runs.
    const NoticeHandler call = handler;
    call(message);
    return true;
  }
  return false;
}

void MessageLoop::DrainSources() {
  for (NoticeSource* source : sources_) source->DrainNotices();
}

bool MessageLoop::Peek(Message& out) {
  DrainSources();
  std::lock_guard lock(mutex_);
  if (queue_.empty()) {
    // Nothing waits: the doorbell's count is stale, so that the next wait blocks.
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

bool MessageLoop::Empty() {
  DrainSources();
  std::lock_guard lock(mutex_);
  return queue_.empty();
}

bool MessageLoop::ReadyToWait() {
  if (!Empty()) return false;
  if (wake_fd_ < 0) return true;
  uint64_t count;
  [[maybe_unused]] auto n = read(wake_fd_, &count, sizeof count);
  return Empty();
}

void MessageLoop::Wait(int64_t timeout_ms) {
  if (wake_fd_ < 0) {
    // No doorbell: look again after a short while.
    if (Empty()) {
      std::this_thread::sleep_for(
          std::chrono::milliseconds(std::clamp<int64_t>(timeout_ms, 0, 10)));
    }
    return;
  }
  if (!ReadyToWait()) return;
  pollfd fd{wake_fd_, POLLIN, 0};
  int wait_ms = timeout_ms < 0 ? -1 : static_cast<int>(std::min<int64_t>(timeout_ms, 1 << 30));
  poll(&fd, 1, wait_ms);
}

}  // namespace cadencio::base
