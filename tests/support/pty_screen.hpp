// Test code run in a child process on a pseudo-terminal of 80 x 25, and a small terminal model
// that follows what the child draws there: the cursor, its visibility, and each cell's
// character with its reverse video and background colour. It understands the sequences that
// ncurses sends to the xterm, vt100 and dumb terminal types.
#pragma once

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace cadencio::testing {

class PtyScreen {
 public:
  struct Cell {
    char32_t ch = U' ';
    bool reverse = false;
    int bg = -1;  // -1: the terminal's own colour
  };
  static constexpr int kRows = 25;
  static constexpr int kColumns = 80;
  // A terminal of `rows` (at least the screen's 25).
  explicit PtyScreen(int rows = kRows) : rows_(rows), cells_(rows * kColumns) {}

  void Feed(std::string_view bytes) {
    for (char c : bytes) Step(static_cast<unsigned char>(c));
  }
  // Everything fed so far.
  const std::string& Raw() const { return raw_; }
  // Every title the terminal was given, in UTF-8, oldest first.
  const std::vector<std::string>& Titles() const { return titles_; }
  // 1-based, as the console counts.
  int Row() const { return row_ + 1; }
  int Column() const { return column_ + 1; }
  bool CursorVisible() const { return cursor_visible_; }
  const Cell& At(int row, int column) const { return cells_[(row - 1) * kColumns + column - 1]; }
  // A row's characters without trailing blanks; those outside ASCII as '?'.
  std::string RowText(int row) const {
    std::string text;
    for (int column = 1; column <= kColumns; ++column) {
      const char32_t ch = At(row, column).ch;
      text += ch < 0x80 ? static_cast<char>(ch) : '?';
    }
    return text.erase(text.find_last_not_of(' ') + 1);
  }

 private:
  void Put(char32_t ch) {
    if (column_ >= kColumns) {
      column_ = 0;
      row_ = std::min(row_ + 1, rows_ - 1);
    }
    cells_[row_ * kColumns + column_] = {ch, pen_.reverse, pen_.bg};
    last_ = ch;
    ++column_;
  }
  int Param(size_t i, int fallback) const {
    return i < params_.size() && params_[i] > 0 ? params_[i] : fallback;
  }
  void Sgr() {
    for (int p : params_) {
      if (p == 0) pen_ = Cell{};
      if (p == 7 || p == 27) pen_.reverse = p == 7;
      if (p == 49) pen_.bg = -1;
      if (p >= 40 && p <= 47) pen_.bg = p - 40;
      if (p >= 100 && p <= 107) pen_.bg = p - 100 + 8;
    }
  }
  void Csi(unsigned char final_byte) {
    if (private_) {
      if (Param(0, 0) == 25 && (final_byte == 'h' || final_byte == 'l')) {
        cursor_visible_ = final_byte == 'h';
      }
      return;
    }
    const int n = Param(0, 1);
    switch (final_byte) {
      case 'H':
        row_ = std::clamp(n - 1, 0, rows_ - 1);
        column_ = std::clamp(Param(1, 1) - 1, 0, kColumns - 1);
        break;
      case 'A':
        row_ = std::max(row_ - n, 0);
        break;
      case 'B':
        row_ = std::min(row_ + n, rows_ - 1);
        break;
      case 'C':
        column_ = std::min(column_ + n, kColumns - 1);
        break;
      case 'D':
        column_ = std::max(column_ - n, 0);
        break;
      case 'G':
        column_ = std::clamp(n - 1, 0, kColumns - 1);
        break;
      case 'd':
        row_ = std::clamp(n - 1, 0, rows_ - 1);
        break;
      case 'K':  // erase to the end of the row
        std::fill_n(cells_.begin() + row_ * kColumns + std::min(column_, kColumns),
                    kColumns - std::min(column_, kColumns), Cell{U' ', false, pen_.bg});
        break;
      case 'b':  // repeat the last character
        for (int i = 0; i < n; ++i) Put(last_);
        break;
      case 'm':
        Sgr();
        break;
      default:
        break;
    }
  }
  void Step(unsigned char b) {
    raw_ += static_cast<char>(b);
    if (state_ == State::kEscape) {
      state_ = b == '['   ? State::kCsi
               : b == ']' ? State::kOsc
               : b == '(' ? State::kSkipOne
                          : State::kText;
      params_.assign(1, 0);
      private_ = false;
    } else if (state_ == State::kCsi) {
      if (b >= '0' && b <= '9') {
        params_.back() = params_.back() * 10 + (b - '0');
      } else if (b == ';' || b == ':') {
        params_.push_back(0);
      } else if (b == '?' || b == '>' || b == '<' || b == '=') {
        private_ = true;
      } else if (b >= 0x40 && b <= 0x7E) {
        state_ = State::kText;
        Csi(b);
      }
    } else if (state_ == State::kOsc) {
      if (b == 7 || b == '\\') {
        state_ = State::kText;
        // OSC 0 and 2 set the title: "0;text".
        if (osc_.size() >= 2 && (osc_[0] == '0' || osc_[0] == '2') && osc_[1] == ';') {
          titles_.push_back(osc_.substr(2));
        }
        osc_.clear();
      } else if (b != 0x1B) {
        osc_ += static_cast<char>(b);
      }
    } else if (state_ == State::kSkipOne) {
      state_ = State::kText;
    } else if (pending_ > 0) {  // a UTF-8 continuation byte
      code_ = (code_ << 6) | (b & 0x3F);
      if (--pending_ == 0) Put(code_);
    } else if (b == 0x1B) {
      state_ = State::kEscape;
    } else if (b == '\r') {
      column_ = 0;
    } else if (b == '\n') {
      row_ = std::min(row_ + 1, rows_ - 1);
    } else if (b == '\b') {
      column_ = std::max(std::min(column_, kColumns - 1) - 1, 0);
    } else if (b >= 0xC0) {
      pending_ = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
      code_ = b & (0x3F >> pending_);
    } else if (b >= 0x20 && b < 0x7F) {
      Put(b);
    }
  }

  enum class State { kText, kEscape, kCsi, kOsc, kSkipOne };
  State state_ = State::kText;
  std::vector<int> params_;
  bool private_ = false;
  char32_t code_ = 0;
  int pending_ = 0;
  char32_t last_ = U' ';
  Cell pen_;
  int rows_;
  std::vector<Cell> cells_;
  int row_ = 0;
  int column_ = 0;
  bool cursor_visible_ = true;
  std::string raw_;
  std::string osc_;
  std::vector<std::string> titles_;
};

// Runs `body` in a child process whose standard input, output and error are a new
// pseudo-terminal of 80 x 25 (or `rows`) with the given TERM. The child can report to the parent
// and wait for its answer, so that the parent sees the terminal exactly as it was at that moment.
class PtyChild {
 public:
  PtyChild(const char* term, const std::function<int(PtyChild&)>& body,
           int rows = PtyScreen::kRows) {
    if (pipe(report_) != 0 || pipe(answer_) != 0) return;
    winsize size{static_cast<unsigned short>(rows), PtyScreen::kColumns, 0, 0};
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ == 0) {
      setenv("TERM", term, 1);
      close(report_[0]);
      close(answer_[1]);
      _exit(body(*this));
    }
    close(report_[1]);
    close(answer_[0]);
    report_[1] = answer_[0] = -1;
  }
  ~PtyChild() {
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    for (int fd : {master_, report_[0], answer_[1]}) {
      if (fd >= 0) close(fd);
    }
  }
  PtyChild(const PtyChild&) = delete;
  PtyChild& operator=(const PtyChild&) = delete;
  bool Started() const { return pid_ > 0 && master_ >= 0; }

  // Child side: sends one line to the parent and waits until it has looked at the terminal.
  void Report(std::string_view text) {
    std::string line(text);
    line += '\n';
    if (write(report_[1], line.data(), line.size()) < 0) return;
    char answer;
    if (read(answer_[0], &answer, 1) < 0) return;
  }

  // Parent side: what the child types on the keyboard.
  void Type(std::string_view bytes) {
    if (write(master_, bytes.data(), bytes.size()) < 0) return;
  }
  // Follows the terminal until the next report, then until the child has been quiet for a
  // moment; nothing when no report came within ten seconds or the child ended.
  std::optional<std::string> NextReport(PtyScreen& screen) {
    std::string line;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
      pollfd fds[2] = {{master_, POLLIN, 0}, {report_[0], POLLIN, 0}};
      if (poll(fds, 2, 100) <= 0) continue;
      if ((fds[0].revents & POLLIN) != 0) Drain(screen, 0);
      if ((fds[1].revents & (POLLIN | POLLHUP)) != 0) {
        char c;
        if (read(report_[0], &c, 1) != 1) return std::nullopt;
        if (c != '\n') {
          line += c;
          continue;
        }
        Drain(screen, 100);
        return line;
      }
    }
    return std::nullopt;
  }
  // Parent side: follows the terminal until `text` has been written (at or after byte `from`
  // of what it wrote); false after ten seconds.
  bool WaitFor(PtyScreen& screen, std::string_view text, std::size_t from = 0) {
    for (int round = 0; round < 100; ++round) {
      if (screen.Raw().find(text, from) != std::string::npos) return true;
      Drain(screen, 100);
    }
    return screen.Raw().find(text, from) != std::string::npos;
  }
  // Parent side: takes in what the child has written so far.
  void Read(PtyScreen& screen) { Drain(screen, 0); }
  // Parent side: the terminal's window changes size (the child gets SIGWINCH).
  void Resize(int rows, int columns) {
    winsize size{static_cast<unsigned short>(rows), static_cast<unsigned short>(columns), 0, 0};
    ioctl(master_, TIOCSWINSZ, &size);
  }
  // Parent side: lets the child go on after a report.
  void Answer() {
    if (write(answer_[1], "k", 1) < 0) return;
  }
  // Follows the terminal until the child ends; its exit code, or -1 when it did not exit.
  int Wait(PtyScreen& screen) {
    int status = 0;
    for (int round = 0; round < 200; ++round) {
      Drain(screen, 50);
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        ended_ = true;
        Drain(screen, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      // A terminal whose other end has closed answers poll() at once.
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
  }

 private:
  // Reads what is there, then whatever comes within `quiet_ms` of the last bytes.
  void Drain(PtyScreen& screen, int quiet_ms) {
    for (;;) {
      pollfd fd{master_, POLLIN, 0};
      if (poll(&fd, 1, quiet_ms) <= 0 || (fd.revents & POLLIN) == 0) return;
      char buffer[4096];
      ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) return;
      screen.Feed(std::string_view(buffer, static_cast<size_t>(n)));
    }
  }

  pid_t pid_ = -1;
  int master_ = -1;
  int report_[2] = {-1, -1};
  int answer_[2] = {-1, -1};
  bool ended_ = false;
};

}  // namespace cadencio::testing
