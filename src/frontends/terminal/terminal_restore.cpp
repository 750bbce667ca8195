// Terminal mode restore from signal handlers and exit(). The state the handlers read is plain
// data, filled before they are installed.
#include "frontends/terminal/terminal_restore.hpp"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace cadencio::frontends {
namespace {

constexpr int kTerminationSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int kCrashSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
constexpr size_t kHandledSignalCount = std::size(kTerminationSignals) + std::size(kCrashSignals);

struct RestoreState {
  termios saved{};
  std::array<char, 512> reset{};  // leave the alternate screen, reset attributes, show cursor
  size_t reset_length = 0;
  volatile sig_atomic_t active = 0;
  std::array<int, kHandledSignalCount> signals{};
  std::array<struct sigaction, kHandledSignalCount> previous{};
  struct sigaction previous_winch {};
  bool installed = false;
};

RestoreState g_restore;
int g_wake_pipe[2] = {-1, -1};  // written by SIGWINCH so that a waiting poll() wakes up
volatile sig_atomic_t g_resized = 0;
std::array<char, 64 * 1024> g_signal_stack;

// Gives the signal back to whoever had it before (the default action, or a sanitizer's report)
// and raises it again; it is delivered once this handler returns.
void OnFatalSignal(int sig) {
  const int saved_errno = errno;
  RestoreTerminalNow();
  for (size_t i = 0; i < kHandledSignalCount; ++i) {
    if (g_restore.signals[i] == sig) sigaction(sig, &g_restore.previous[i], nullptr);
  }
  raise(sig);
  errno = saved_errno;
}

void OnResize(int) {
  const int saved_errno = errno;
  g_resized = 1;
  if (g_wake_pipe[1] >= 0) {
    [[maybe_unused]] ssize_t n = write(g_wake_pipe[1], "r", 1);
  }
  errno = saved_errno;
}

void RestoreAtExit() {
  RestoreTerminalNow();
}

void CloseWakePipe() {
  for (int& fd : g_wake_pipe) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

}  // namespace

bool SaveTerminalMode() {
  return tcgetattr(STDIN_FILENO, &g_restore.saved) == 0;
}

void PutBackTerminalMode() {
  tcsetattr(STDIN_FILENO, TCSANOW, &g_restore.saved);
}

bool TerminalRestoreArmed() {
  return g_restore.active != 0;
}

void RestoreTerminalNow() {
  if (g_restore.active == 0) return;
  g_restore.active = 0;
  size_t done = 0;
  while (done < g_restore.reset_length) {
    ssize_t n = write(STDOUT_FILENO, g_restore.reset.data() + done, g_restore.reset_length - done);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      break;
    }
    done += static_cast<size_t>(n);
  }
  tcsetattr(STDIN_FILENO, TCSANOW, &g_restore.saved);
}

void InstallTerminalSignalHandlers() {
  if (g_restore.installed) return;
  if (pipe2(g_wake_pipe, O_NONBLOCK | O_CLOEXEC) != 0) g_wake_pipe[0] = g_wake_pipe[1] = -1;
  stack_t stack{};
  stack.ss_sp = g_signal_stack.data();
  stack.ss_size = g_signal_stack.size();
  sigaltstack(&stack, nullptr);  // so that a stack overflow can still restore the terminal

  size_t slot = 0;
  auto install = [&slot](int sig) {
    struct sigaction action {};
    action.sa_handler = OnFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK;
    g_restore.signals[slot] = sig;
    sigaction(sig, &action, &g_restore.previous[slot]);
    ++slot;
  };
  for (int sig : kTerminationSignals) install(sig);
  for (int sig : kCrashSignals) install(sig);

  struct sigaction resize {};
  resize.sa_handler = OnResize;
  sigemptyset(&resize.sa_mask);
  resize.sa_flags = SA_RESTART;
  sigaction(SIGWINCH, &resize, &g_restore.previous_winch);
  g_restore.installed = true;
}

void RemoveTerminalSignalHandlers() {
  if (!g_restore.installed) return;
  for (size_t i = 0; i < kHandledSignalCount; ++i) {
    sigaction(g_restore.signals[i], &g_restore.previous[i], nullptr);
  }
  sigaction(SIGWINCH, &g_restore.previous_winch, nullptr);
  CloseWakePipe();
  g_restore.installed = false;
}

void ArmTerminalRestore(std::string_view reset) {
  g_restore.reset_length = std::min(reset.size(), g_restore.reset.size());
  std::memcpy(g_restore.reset.data(), reset.data(), g_restore.reset_length);
  static const bool at_exit_registered = std::atexit(RestoreAtExit) == 0;
  (void)at_exit_registered;
  g_restore.active = 1;
}

void DisarmTerminalRestore() {
  g_restore.active = 0;
}

int ResizeWakeFd() {
  return g_wake_pipe[0];
}

bool TakeResize() {
  if (g_wake_pipe[0] >= 0) {
    char drain[64];
    while (read(g_wake_pipe[0], drain, sizeof drain) > 0) {
    }
  }
  if (g_resized == 0) return false;
  g_resized = 0;
  return true;
}

void MarkResized() {
  g_resized = 1;
}

}  // namespace cadencio::frontends
