// The real program in a pseudo-terminal: whichever way it ends (Esc and "s", Ctrl+] for
// Ctrl+Break, a termination signal, a crash), the terminal's modes are given back as they were.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/pty_screen.hpp"

namespace {

struct Ending {
  const char* name;
  int signal;                // sent to the program, or 0
  const char* keys;          // typed instead, or null
  int expected_exit;         // when it exits
  int expected_term_signal;  // when a signal ends it
};

// Reads what the program writes until `text` appears or the time runs out.
bool WaitForOutput(int master, const std::string& text, int timeout_ms) {
  std::string seen;
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (std::chrono::steady_clock::now() < end) {
    pollfd fd{master, POLLIN, 0};
    if (poll(&fd, 1, 100) <= 0) continue;
    char buffer[4096];
    ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) return false;
    seen.append(buffer, static_cast<std::size_t>(n));
    if (seen.find(text) != std::string::npos) return true;
  }
  return false;
}

// Drains the program's output until it ends, so that it never blocks on a full terminal.
int WaitForEnd(int master, pid_t pid) {
  int status = 0;
  for (int round = 0; round < 300; ++round) {
    pollfd fd{master, POLLIN, 0};
    if (poll(&fd, 1, 50) > 0) {
      char buffer[4096];
      if (read(master, buffer, sizeof buffer) < 0) {
      }
    }
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return status;
}

TEST(TerminalRestore, EveryWayOutGivesTheTerminalBack) {
  const Ending endings[] = {
      {"Esc and s", 0, "\033", 0, 0},
      {"Ctrl+] (Ctrl+Break)", 0, "\x1d", 255, 0},
      {"SIGTERM", SIGTERM, nullptr, 0, SIGTERM},
      {"SIGHUP", SIGHUP, nullptr, 0, SIGHUP},
      {"SIGINT", SIGINT, nullptr, 0, SIGINT},
      {"SIGSEGV", SIGSEGV, nullptr, 0, SIGSEGV},
  };
  const std::string config =
      (std::filesystem::temp_directory_path() / ("cadencio-pty-" + std::to_string(getpid())))
          .string();
  std::filesystem::create_directories(config);
  for (const Ending& ending : endings) {
    int master = -1;
    winsize size{25, 80, 0, 0};
    pid_t pid = forkpty(&master, nullptr, nullptr, &size);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      setenv("TERM", "xterm-256color", 1);
      setenv("AUDIRA_WINDIR", config.c_str(), 1);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      // Under the address sanitizer the crash must reach the program's own handler.
      setenv("ASAN_OPTIONS", "detect_leaks=0:handle_segv=0:handle_sigbus=0:handle_abort=0", 1);
      execl(CADENCIO_BINARY, CADENCIO_BINARY, static_cast<char*>(nullptr));
      _exit(127);
    }
    termios before{};
    ASSERT_EQ(tcgetattr(master, &before), 0);
    ASSERT_TRUE(WaitForOutput(master, "MARCATEMPO", 20000)) << ending.name;
    termios during{};
    tcgetattr(master, &during);
    EXPECT_EQ(during.c_lflag & ICANON, 0u) << ending.name << ": the program runs in raw mode";
    if (ending.keys != nullptr) {
      // Esc asks for confirmation once the tempo and measure are answered.
      ASSERT_EQ(write(master, "60\r", 3), 3);
      ASSERT_TRUE(WaitForOutput(master, "Pressione", 20000)) << ending.name;
      ASSERT_EQ(write(master, "q", 1), 1);
      ASSERT_TRUE(WaitForOutput(master, "OK, F1 ajuda", 20000)) << ending.name;
      ASSERT_EQ(write(master, ending.keys, 1), 1);
      if (ending.keys[0] == '\033') {
        ASSERT_TRUE(WaitForOutput(master, "Confirma", 20000)) << ending.name;
        ASSERT_EQ(write(master, "s", 1), 1);
      }
    } else {
      kill(pid, ending.signal);
    }
    int status = WaitForEnd(master, pid);
    termios after{};
    ASSERT_EQ(tcgetattr(master, &after), 0) << ending.name;
    EXPECT_EQ(after.c_lflag, before.c_lflag) << ending.name;
    EXPECT_EQ(after.c_iflag, before.c_iflag) << ending.name;
    EXPECT_EQ(after.c_oflag, before.c_oflag) << ending.name;
    if (ending.expected_term_signal != 0) {
      ASSERT_TRUE(WIFSIGNALED(status)) << ending.name;
      EXPECT_EQ(WTERMSIG(status), ending.expected_term_signal) << ending.name;
    } else {
      ASSERT_TRUE(WIFEXITED(status)) << ending.name;
      EXPECT_EQ(WEXITSTATUS(status), ending.expected_exit) << ending.name;
    }
    close(master);
  }
  std::filesystem::remove_all(config);
}

// The program on a terminal that cannot move its cursor writes each message as a plain line,
// and on a terminal without colours draws its screen; both read the keys and end normally.
TEST(TerminalTypes, DumbGetsPlainLinesAndVt100TheScreen) {
  const std::string config =
      (std::filesystem::temp_directory_path() / ("cadencio-types-" + std::to_string(getpid())))
          .string();
  std::filesystem::create_directories(config);
  for (const char* term : {"dumb", "vt100"}) {
    cadencio::testing::PtyChild child(term, [&config](cadencio::testing::PtyChild&) {
      setenv("AUDIRA_WINDIR", config.c_str(), 1);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      execl(CADENCIO_BINARY, CADENCIO_BINARY, static_cast<char*>(nullptr));
      return 127;
    });
    ASSERT_TRUE(child.Started()) << term;
    cadencio::testing::PtyScreen screen;
    ASSERT_TRUE(child.WaitFor(screen, "Informe BPM")) << term << ": " << screen.Raw();
    child.Type("60\r");
    ASSERT_TRUE(child.WaitFor(screen, "Pressione")) << term;
    child.Type("q");
    ASSERT_TRUE(child.WaitFor(screen, "OK, F1 ajuda")) << term;
    child.Type("\033");
    ASSERT_TRUE(child.WaitFor(screen, "Confirma")) << term;
    child.Type("s");
    EXPECT_EQ(child.Wait(screen), 0) << term;
    if (std::string(term) == "dumb") {
      EXPECT_EQ(screen.Raw().find('\033'), std::string::npos) << "no control sequences";
      EXPECT_NE(screen.Raw().find("MARCATEMPO - V. 1.0\r\nProjeto AUDIRA - KOR/UNTA\r\n"
                                  "Informe BPM, sugiro 60 : 60\r\nInforme unidade de compasso\r\n"),
                std::string::npos)
          << screen.Raw();
      EXPECT_NE(screen.Raw().find("OK, F1 ajuda\r\nConfirma o fim do programa ? s\r\n"
                                  "Fim do programa\r\n"),
                std::string::npos)
          << screen.Raw();
    } else {
      EXPECT_EQ(screen.RowText(1), "MARCATEMPO - V. 1.0");
      EXPECT_EQ(screen.RowText(5), "Informe BPM, sugiro 60 : 60");
      EXPECT_EQ(screen.RowText(10), "OK, F1 ajuda");
    }
  }
  std::filesystem::remove_all(config);
}

}  // namespace
