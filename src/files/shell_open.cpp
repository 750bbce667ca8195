// Starting a program with posix_spawnp and an argument vector, detached from the terminal; a
// small thread per child collects its exit so that no finished child stays behind as a zombie.
#include "files/shell_open.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>
#include <vector>

#include "files/child_spawn.hpp"

extern char** environ;

namespace cadencio::files {

namespace {

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
  ChildSpawn setup;
  if (!setup.Prepare(-1, -1, -1)) return false;

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

}  // namespace cadencio::files
