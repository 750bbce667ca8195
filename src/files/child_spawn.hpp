// The attributes and file actions of one posix_spawnp start: the child gets its own session
// (no controlling terminal, so the terminal's signals never reach it), the signals this program
// handles or ignores back at their defaults, nothing blocked, and the given standard streams.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

namespace cadencio::files {

class ChildSpawn {
 public:
  ChildSpawn() {
    attr_ok_ = posix_spawnattr_init(&attr_) == 0;
    actions_ok_ = attr_ok_ && posix_spawn_file_actions_init(&actions_) == 0;
  }
  ~ChildSpawn() {
    if (actions_ok_) posix_spawn_file_actions_destroy(&actions_);
    if (attr_ok_) posix_spawnattr_destroy(&attr_);
  }
  ChildSpawn(const ChildSpawn&) = delete;
  ChildSpawn& operator=(const ChildSpawn&) = delete;

  // Each stream is the given descriptor, or /dev/null for a negative one.
  bool Prepare(int in_fd, int out_fd, int err_fd) {
    if (!actions_ok_) return false;
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD, SIGWINCH}) {
      sigaddset(&defaults, sig);
    }
    const short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID;
    return posix_spawnattr_setflags(&attr_, flags) == 0 &&
           posix_spawnattr_setsigmask(&attr_, &none) == 0 &&
           posix_spawnattr_setsigdefault(&attr_, &defaults) == 0 &&
           Stream(in_fd, STDIN_FILENO, O_RDONLY) && Stream(out_fd, STDOUT_FILENO, O_WRONLY) &&
           Stream(err_fd, STDERR_FILENO, O_WRONLY);
  }

  const posix_spawnattr_t* Attr() const { return &attr_; }
  const posix_spawn_file_actions_t* Actions() const { return &actions_; }

 private:
  bool Stream(int fd, int target, int null_mode) {
    if (fd < 0)
      return posix_spawn_file_actions_addopen(&actions_, target, "/dev/null", null_mode, 0) == 0;
    return posix_spawn_file_actions_adddup2(&actions_, fd, target) == 0;
  }

  posix_spawnattr_t attr_{};
  posix_spawn_file_actions_t actions_{};
  bool attr_ok_ = false;
  bool actions_ok_ = false;
};

}  // namespace cadencio::files
