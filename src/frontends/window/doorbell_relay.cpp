// The doorbell's watcher thread.
#include "frontends/window/doorbell_relay.hpp"

#include <SDL.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

namespace cadencio::frontends {

DoorbellRelay::DoorbellRelay(int doorbell, uint32_t event_type)
    : doorbell_(doorbell), event_type_(event_type), control_(eventfd(0, EFD_CLOEXEC)) {
  if (doorbell_ >= 0 && control_ >= 0) thread_ = std::thread([this] { Run(); });
}

DoorbellRelay::~DoorbellRelay() {
  stopping_ = true;
  Arm();
  if (thread_.joinable()) thread_.join();
  if (control_ >= 0) close(control_);
}

void DoorbellRelay::Arm() {
  if (control_ < 0) return;
  uint64_t one = 1;
  [[maybe_unused]] auto n = write(control_, &one, sizeof one);
}

void DoorbellRelay::Run() {
  bool armed = false;
  while (!stopping_) {
    // Unarmed, only the control counter is watched: a ring the program thread sees for itself
    // needs no event, and a doorbell left readable must not spin this thread.
    pollfd fds[2] = {{control_, POLLIN, 0}, {doorbell_, POLLIN, 0}};
    if (poll(fds, armed ? 2 : 1, -1) < 0 && errno != EINTR) return;
    if ((fds[0].revents & POLLIN) != 0) {
      uint64_t count;
      [[maybe_unused]] auto n = read(control_, &count, sizeof count);
      armed = true;
      continue;
    }
    if (armed && (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return;  // loop gone
    if (armed && (fds[1].revents & POLLIN) != 0) {
      SDL_Event event{};
      event.type = event_type_;
      SDL_PushEvent(&event);
      armed = false;
    }
  }
}

}  // namespace cadencio::frontends
