// Standard error dropped for the life of the object: the sound and display libraries that SDL
// probes write their complaints (ALSA: "cannot find card '0'", the disk driver's notice,
// Wayland's "XDG_RUNTIME_DIR is invalid") straight to it, where they would land on the
// terminal's screen or among the command line's own messages.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace cadencio::base {

class QuietStderr {
 public:
  QuietStderr() {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    const int null_fd = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && null_fd >= 0) dup2(null_fd, STDERR_FILENO);
    if (null_fd >= 0) close(null_fd);
  }
  ~QuietStderr() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_ = -1;
};

}  // namespace cadencio::base
