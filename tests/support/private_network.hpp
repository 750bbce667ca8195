// Link's peers find each other by multicast, so every test and benchmark of Link runs inside a
// private network namespace of its own: `unshare -rn` (a new user and network namespace), its
// loopback up with multicast on. The peers then meet over that loopback, and nothing reaches the
// machine's own interfaces. A test re-runs itself there:
//
//   TEST(Link, Something) {
//     if (!testing::InPrivateNetwork()) return testing::RerunTestInPrivateNetwork();
//     ... the test, inside the namespace ...
//   }
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace cadencio::testing {

inline constexpr const char* kPrivateNetworkVariable = "CADENCIO_PRIVATE_NETWORK";

// True inside the namespace that RunInPrivateNetwork made.
inline bool InPrivateNetwork() {
  return std::getenv(kPrivateNetworkVariable) != nullptr;
}

struct NetworkRun {
  bool made = false;  // false: no namespace could be made, and `output` says why
  int status = -1;    // the command's exit code
  std::string output;
};

// Runs the shell words `command` (with standard error joined to the output) inside a new
// private network namespace whose loopback is up with multicast.
inline NetworkRun RunInPrivateNetwork(const std::string& command) {
  NetworkRun run;
  if (std::system("unshare -rn true >/dev/null 2>&1") != 0) {
    run.output = "no private network namespace: unshare -rn is missing or not permitted here";
    return run;
  }
  // A command that hangs is ended after four minutes, with what it printed so far.
  const std::string line =
      std::string(kPrivateNetworkVariable) +
      "=1 timeout -k 10 240 unshare -rn sh -c 'ip link set lo up && ip link set lo multicast "
      "on && exec \"$@\"' sh " +
      command + " 2>&1";
  FILE* pipe = popen(line.c_str(), "r");
  if (pipe == nullptr) {
    run.output = "the namespace's shell did not start";
    return run;
  }
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  // The shell ends with 127 when `ip` is missing, before the command runs.
  run.made = run.status != 127 || run.output.find("ip: not found") == std::string::npos;
  if (!run.made) run.output = "no private network namespace: the ip command is missing";
  return run;
}

// Runs the current test again in its own test program, inside a private network namespace, and
// passes on its outcome; skips when no namespace can be made or the test skipped there.
inline void RerunTestInPrivateNetwork() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
  const NetworkRun run = RunInPrivateNetwork(
      "'" + program + "' --gtest_filter=" + test->test_suite_name() + "." + test->name());
  if (!run.made) GTEST_SKIP() << run.output;
  // A test skipped inside (no server could start there) is a skip here too, not a pass.
  if (run.status == 0 && run.output.find("[  SKIPPED ]") != std::string::npos) {
    GTEST_SKIP() << run.output;
  }
  EXPECT_NE(run.status, 124) << "the test did not end within four minutes";
  EXPECT_EQ(run.status, 0) << run.output;
}

}  // namespace cadencio::testing
