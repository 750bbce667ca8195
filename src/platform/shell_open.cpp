// Starting a program with posix_spawnp and an argument vector, detached from the terminal; a
// small thread per child collects its exit so that no finished child stays behind as a zombie.
#include "platform/shell_open.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>
#include <vector>

extern char** environ;

namespace cadencio::platform {

namespace {

// Owns the spawn attributes and file actions for one start.
class SpawnSetup {
 public:
  SpawnSetup() {
    ok_ = posix_spawnattr_init(&attr_) == 0;
    if (!ok_) return;
    actions_ok_ = posix_spawn_file_actions_init(&actions_) == 0;
    ok_ = actions_ok_;
  }
  ~SpawnSetup() {
    if (actions_ok_) posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attr_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // A new session (no controlling terminal, so the terminal's signals never reach it), the
  // signals this program handles or ignores put back to their defaults, nothing blocked, and
  // the three standard streams on /dev/null.
  bool Prepare() {
    if (!ok_) return false;
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD, SIGWINCH}) {
      sigaddset(&defaults, sig);
    }
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID;
    if (posix_spawnattr_setflags(&attr_, flags) != 0) return false;
    if (posix_spawnattr_setsigmask(&attr_, &none) != 0) return false;
    if (posix_spawnattr_setsigdefault(&attr_, &defaults) != 0) return false;
    if (posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0) != 0) {
      return false;
    }
    for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
      if (posix_spawn_file_actions_addopen(&actions_, fd, "/dev/null", O_WRONLY, 0) != 0) {
        return false;
      }
    }
    return true;
  }

  const posix_spawnattr_t* Attr() const { return &attr_; }
  const posix_spawn_file_actions_t* Actions() const { return &actions_; }

 private:
  posix_spawnattr_t attr_{};
  posix_spawn_file_actions_t actions_{};
  bool ok_ = false;
  bool actions_ok_ = false;
};

// Collects the child's exit in the background; the thread touches nothing of the program.
void ReapLater(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, WNOHANG) == pid) return;  // already gone
  try {
    std::thread([pid] {
      int child_status = 0;
      while (waitpid(pid, &child_status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to spare: the child is collected when this process ends.
  }
}

}  // namespace

bool ShellOpen(const std::string& program, const std::string& parameter) {
  if (program.empty()) return false;
  SpawnSetup setup;
  if (!setup.Prepare()) return false;

  std::string argument0 = program;
  std::string argument1 = parameter;
  std::vector<char*> argv = {argument0.data()};
  if (!argument1.empty()) argv.push_back(argument1.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  int error =
      posix_spawnp(&pid, program.c_str(), setup.Actions(), setup.Attr(), argv.data(), environ);
  if (error != 0) return false;
  ReapLater(pid);
  return true;
}

}  // namespace cadencio::platform
