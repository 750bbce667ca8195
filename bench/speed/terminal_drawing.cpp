// Terminal drawing benchmark: what the terminal front end costs the program thread on a
// pseudo-terminal, per terminal type:
//  1. a cursor move alone (each word of a screen-review reading),
//  2. one character written (each typed key echoed by the field editor),
//  3. the bytes sent to the terminal for each.
// The program's standard input and output are put on the pseudo-terminal while it runs; the
// results go to the original standard output.
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "frontends/screen.hpp"
#include "frontends/terminal/terminal_frontend.hpp"

namespace {

using namespace cadencio::frontends;
using Clock = std::chrono::steady_clock;

struct Result {
  double move_us, write_us;
  double move_bytes, write_bytes;
};

std::atomic<long> g_bytes{0};

// Reads the terminal's side so that the program never blocks on a full terminal.
void DrainTerminal(int master, const std::atomic<bool>& stop) {
  char buffer[65536];
  while (!stop) {
    ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;
    g_bytes += n;
  }
}

Result Measure(const char* term, int rounds) {
  setenv("TERM", term, 1);
  TerminalFrontend frontend;
  frontend.Open();
  ScreenCells cells;
  cells.chars.fill(' ');
  cells.attrs.fill(kLightGray);
  for (int r = 0; r < kScreenRows; ++r) {
    for (int c = 0; c < 60; ++c) cells.chars[r * kScreenColumns + c] = 'a' + (r + c) % 26;
  }
  frontend.Present(cells, 0, 0, true);

  Result result{};
  long before = g_bytes;
  auto start = Clock::now();
  for (int i = 0; i < rounds; ++i) frontend.Present(cells, i % 60, (i / 60) % kScreenRows, true);
  result.move_us = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / rounds;
  usleep(50000);
  result.move_bytes = static_cast<double>(g_bytes - before) / rounds;

  // Typing lines on the last row: each key appends a character.
  before = g_bytes;
  start = Clock::now();
  for (int i = 0; i < rounds; ++i) {
    const int column = i % 79;
    if (column == 0) std::fill_n(cells.chars.begin() + 24 * kScreenColumns, kScreenColumns, ' ');
    cells.chars[24 * kScreenColumns + column] = static_cast<uint8_t>('0' + i % 10);
    frontend.Present(cells, column + 1, 24, true);
  }
  result.write_us =
      std::chrono::duration<double, std::micro>(Clock::now() - start).count() / rounds;
  usleep(50000);
  result.write_bytes = static_cast<double>(g_bytes - before) / rounds;
  frontend.Close();
  return result;
}

}  // namespace

int main() {
  constexpr int kRounds = 5000;
  int master = -1;
  int slave = -1;
  winsize size{kScreenRows, kScreenColumns, 0, 0};
  if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
    std::perror("openpty");
    return 1;
  }
  const int saved_out = dup(STDOUT_FILENO);
  const int saved_in = dup(STDIN_FILENO);
  FILE* report = fdopen(saved_out, "w");
  std::atomic<bool> stop{false};
  std::thread drain(DrainTerminal, master, std::cref(stop));

  std::fprintf(report, "%-16s %12s %12s %12s %12s\n", "TERM", "move us", "move bytes", "write us",
               "write bytes");
  for (const char* term : {"xterm-256color", "xterm", "vt100", "dumb"}) {
    std::fflush(stdout);
    dup2(slave, STDIN_FILENO);
    dup2(slave, STDOUT_FILENO);
    const Result r = Measure(term, kRounds);
    std::fflush(stdout);
    dup2(saved_in, STDIN_FILENO);
    dup2(saved_out, STDOUT_FILENO);
    std::fprintf(report, "%-16s %12.2f %12.1f %12.2f %12.1f\n", term, r.move_us, r.move_bytes,
                 r.write_us, r.write_bytes);
    std::fflush(report);
  }
  stop = true;
  close(slave);  // the reader then sees the terminal's end
  drain.join();
  close(master);
  return 0;
}
