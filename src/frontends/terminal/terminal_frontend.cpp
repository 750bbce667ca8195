// The terminal front end over ncursesw. ncurses draws the screen and knows the terminal's
// capabilities; the keys are read as raw bytes with read(2) and decoded by TerminalKeyDecoder,
// so that Ctrl, Alt and the extended key forms survive. A terminal that cannot move its cursor
// gets the screen as plain lines (LineOutput) instead. The terminal mode is restored by Close,
// by the destructor, and, for the ways out that skip both, by terminal_restore.
#include "frontends/terminal/terminal_frontend.hpp"

#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "base/whole_number.hpp"
#include "base/windows1252.hpp"
#include "frontends/terminal/line_output.hpp"
#include "frontends/terminal/status_row.hpp"
#include "frontends/terminal/terminal_keys.hpp"
#include "frontends/terminal/terminal_restore.hpp"
#include "frontends/terminal/terminal_sequences.hpp"

// ncurses last: its headers define many lower-case macros.
#define NCURSES_WIDECHAR 1
#include <curses.h>
#include <term.h>

namespace cadencio::frontends {
namespace {

// --- small helpers --------------------------------------------------------------------------

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

// The time-out for a lone ESC: $ESCDELAY (milliseconds) when it is set and sensible.
int64_t EscapeTimeoutMs() {
  const char* text = std::getenv("ESCDELAY");
  if (text != nullptr) {
    // White space before the number is allowed, as curses itself allows it.
    std::string_view value(text);
    value.remove_prefix(std::min(value.find_first_not_of(" \t\n\v\f\r"), value.size()));
    const std::optional<int> ms = base::ParseWholeNumber(value);
    if (ms && *ms >= 1 && *ms <= 1000) return *ms;
  }
  return kDefaultEscapeTimeoutMs;
}

// The PC colour index (blue = 1, red = 4) as a curses colour (red = 1, blue = 4).
short CursesColour(int pc_index) {
  constexpr short kBase[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                              COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};
  return static_cast<short>(kBase[pc_index & 7] + ((pc_index & 8) != 0 ? 8 : 0));
}

// The attribute of most cells: the normal text colour, which other attributes must stand out
// from.
uint8_t CommonAttribute(const ScreenCells& cells) {
  std::array<int, 256> count{};
  for (uint8_t attr : cells.attrs) ++count[attr];
  return static_cast<uint8_t>(std::max_element(count.begin(), count.end()) - count.begin());
}

// Puts the terminal on standard input in raw mode: every byte as it is, no CR/LF mapping, no
// flow control, no signals from the keyboard (Ctrl+C, Ctrl+\ and Ctrl+Z are keys).
void SetRawMode() {
  termios mode{};
  if (tcgetattr(STDIN_FILENO, &mode) != 0) return;
  mode.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | ISTRIP | IXON | IXOFF);
  mode.c_lflag &= ~static_cast<tcflag_t>(ISIG | ICANON | ECHO | IEXTEN);
  mode.c_cc[VMIN] = 1;
  mode.c_cc[VTIME] = 0;
  tcsetattr(STDIN_FILENO, TCSANOW, &mode);
}

}  // namespace

// --- the front end ------------------------------------------------------------------------

struct TerminalFrontend::State {
  bool open = false;
  bool lines_wanted = false;  // plain lines whatever the terminal can do
  SCREEN* screen = nullptr;
  bool xterm_sequences = false;
  std::unique_ptr<TerminalKeyDecoder> decoder;
  // Keys are read and decoded on a thread of their own, as the system would, so that each byte
  // is stamped with the time it really arrived: an Esc typed during a beat and a letter typed
  // after it stay two keys instead of becoming Alt+letter. The thread only posts messages.
  std::thread reader;
  int stop_pipe[2] = {-1, -1};

  void StartReader(base::MessageLoop& loop);
  void StopReader();
  void ReadKeys(base::MessageLoop* loop);
  // A terminal without cursor addressing: the screen goes out as plain lines.
  std::unique_ptr<LineOutput> plain_lines;
  // Colours: 0 none, 8 (bright foregrounds drawn bold) or 16.
  int colours = 0;
  std::array<short, 256> pair_of{};  // by curses background * 16 + foreground; 0: none yet
  short next_pair = 1;
  // What the terminal shows, to draw only what changed.
  ScreenCells shown{};
  bool have_shown = false;
  bool full_redraw = true;
  uint8_t normal_attr = kLightGray;
  int cursor_column = 0;
  int cursor_row = 0;
  int caret = -1;       // the curs_set state last asked for
  int view_column = 0;  // the first screen column and row visible in a small terminal
  int view_row = 0;
  std::string title;
  std::string beat;         // the tempo and measure that follow the title
  std::string title_shown;  // the title last sent, so that it is sent only when it changes
  // The status row below the screen, in the start colours.
  StatusBandState status;
  StatusBandState::View status_shown;
  bool status_drawn = false;
  uint8_t status_attr = kLightGray;

  // Sends the title where the terminal takes xterm's title sequence.
  void WriteTitle();
  // Whether the terminal has a row below the screen for the status.
  bool HasStatusRow() const { return open && !plain_lines && LINES > kScreenRows; }
  // Draws the status row when it changed (always with `whole`); true when it drew.
  bool DrawStatus(bool whole);
  // Draws the status row when it changed and shows it.
  void RefreshStatus();

  // How the terminal can show an attribute: curses colours (-1: none) and video attributes.
  struct Look {
    attr_t video;
    short fg;
    short bg;
    bool operator==(const Look&) const = default;
  };
  Look LookOf(uint8_t attr) const;
  std::pair<attr_t, short> Attributes(uint8_t attr);
  void Draw(const ScreenCells& cells, int column, int row, bool caret_on);
  void HandleResize();
  void OpenScreen();
  void OpenLines();
};

TerminalFrontend::State::Look TerminalFrontend::State::LookOf(uint8_t attr) const {
  const int fg = attr & 0x0F;
  const int bg = attr >> 4;
  if (colours == 0) {
    attr_t video = (fg & 8) != 0 ? A_BOLD : A_NORMAL;
    if ((bg & 7) != 0 && (fg & 7) == 0) video |= A_REVERSE;  // dark text on a light background
    return {video, -1, -1};
  }
  short curses_fg = CursesColour(fg);
  short curses_bg = CursesColour(bg);
  attr_t video = A_NORMAL;
  if (colours < 16) {
    if (curses_fg >= 8) video |= A_BOLD;
    curses_fg = static_cast<short>(curses_fg & 7);
    curses_bg = static_cast<short>(curses_bg & 7);
  }
  return {video, curses_fg, curses_bg};
}

std::pair<attr_t, short> TerminalFrontend::State::Attributes(uint8_t attr) {
  Look look = LookOf(attr);
  // With few colours a highlight (the editor's selection on a dark grey background) can look
  // the same as the text around it; it is then shown in reverse video.
  if (colours < 16 && attr != normal_attr && look == LookOf(normal_attr)) {
    look.video ^= A_REVERSE;
  }
  if (colours == 0 || attr == kLightGray) return {look.video, 0};  // the terminal's own colours
  short& pair = pair_of[look.bg * 16 + look.fg];
  if (pair == 0 && next_pair < COLOR_PAIRS) {
    if (init_pair(next_pair, look.fg, look.bg) == OK) pair = next_pair++;
  }
  return {look.video, pair};
}

// Follows a change of the window size (noted by TakeResize).
void TerminalFrontend::State::HandleResize() {
  if (plain_lines) return;
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
    resizeterm(size.ws_row, size.ws_col);
  }
  clearok(curscr, TRUE);
  full_redraw = true;
}

// Draws the cells that changed, keeping the cursor inside the visible part of the screen.
void TerminalFrontend::State::Draw(const ScreenCells& cells, int column, int row, bool caret_on) {
  if (plain_lines) {
    WriteAll(STDOUT_FILENO, base::Windows1252ToUtf8(plain_lines->Update(cells)));
    return;
  }
  const int visible_columns = std::min(COLS, kScreenColumns);
  const int visible_rows = std::min(LINES, kScreenRows);
  if (visible_columns <= 0 || visible_rows <= 0) return;
  column = std::clamp(column, 0, kScreenColumns - 1);
  row = std::clamp(row, 0, kScreenRows - 1);

  // Scroll the view only as far as needed to show the cursor.
  auto follow = [](int view, int cursor, int visible, int total) {
    if (cursor < view) view = cursor;
    if (cursor >= view + visible) view = cursor - visible + 1;
    return std::clamp(view, 0, total - visible);
  };
  const int new_view_column = follow(view_column, column, visible_columns, kScreenColumns);
  const int new_view_row = follow(view_row, row, visible_rows, kScreenRows);
  if (new_view_column != view_column || new_view_row != view_row) full_redraw = true;
  view_column = new_view_column;
  view_row = new_view_row;
  if (colours < 16 && (!have_shown || cells.attrs != shown.attrs)) {
    const uint8_t normal = CommonAttribute(cells);
    if (normal != normal_attr) full_redraw = true;  // the highlights are drawn against it
    normal_attr = normal;
  }

  const bool whole = full_redraw;
  if (full_redraw) erase();
  for (int r = 0; r < visible_rows; ++r) {
    for (int c = 0; c < visible_columns; ++c) {
      const int index = (r + view_row) * kScreenColumns + c + view_column;
      const uint8_t ch = cells.chars[index];
      const uint8_t attr = cells.attrs[index];
      if (!full_redraw && have_shown && shown.chars[index] == ch && shown.attrs[index] == attr) {
        continue;
      }
      wchar_t text[2] = {static_cast<wchar_t>(base::Windows1252ToUnicode(ch)), L'\0'};
      if (text[0] < 0x20 || text[0] == 0x7F) text[0] = L' ';
      const auto [a, pair] = Attributes(attr);
      cchar_t cell;
      setcchar(&cell, text, a, pair, nullptr);
      mvadd_wch(r, c, &cell);  // the bottom-right cell reports an error but is drawn
    }
  }
  shown = cells;
  have_shown = true;
  full_redraw = false;
  DrawStatus(whole);
  cursor_column = column;
  cursor_row = row;
  move(row - view_row, column - view_column);
  if (caret != static_cast<int>(caret_on)) {
    caret = caret_on ? 1 : 0;
    curs_set(caret);
  }
  refresh();
}

bool TerminalFrontend::State::DrawStatus(bool whole) {
  if (!HasStatusRow()) return false;
  const StatusBandState::View view = status.Now();
  if (!whole && status_drawn && view == status_shown) return false;
  const std::string text = StatusRowText(view, std::min(COLS, kScreenColumns));
  const auto [video, pair] = Attributes(status_attr);
  for (int c = 0; c < static_cast<int>(text.size()); ++c) {
    wchar_t ch[2] = {static_cast<wchar_t>(base::Windows1252ToUnicode(text[c])), L'\0'};
    if (ch[0] < 0x20 || ch[0] == 0x7F) ch[0] = L' ';
    cchar_t cell;
    setcchar(&cell, ch, view.lit && c < kStatusNumberWidth ? video ^ A_REVERSE : video, pair,
             nullptr);
    mvadd_wch(kScreenRows, c, &cell);
  }
  status_shown = view;
  status_drawn = true;
  return true;
}

void TerminalFrontend::State::RefreshStatus() {
  if (!DrawStatus(false)) return;
  move(cursor_row - view_row, cursor_column - view_column);
  refresh();
}

TerminalFrontend::TerminalFrontend(bool plain_lines) : state_(std::make_unique<State>()) {
  state_->lines_wanted = plain_lines;
}

TerminalFrontend::~TerminalFrontend() {
  Close();
}

void TerminalFrontend::Open() {
  State& s = *state_;
  if (s.open || TerminalRestoreArmed()) return;  // one terminal owner at a time

  // ncursesw needs a UTF-8 character type to draw accented letters; the terminal is taken to
  // be UTF-8 even when the locale says nothing.
  std::setlocale(LC_CTYPE, "");
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");

  if (!SaveTerminalMode()) {
    std::fputs("cadencio: standard input is not a terminal\n", stderr);
    throw ProgramExit{1};
  }
  // Our handlers go in before ncurses starts, so it keeps its own off these signals.
  InstallTerminalSignalHandlers();
  auto refuse = [](const char* reason) {
    RemoveTerminalSignalHandlers();
    std::fprintf(stderr, "cadencio: %s\n", reason);
    throw ProgramExit{1};
  };

  // The terminal's description: its key sequences, and whether it can address the cursor.
  int error = 0;
  if (setupterm(nullptr, STDOUT_FILENO, &error) != OK) {
    refuse("the terminal type ($TERM) is not known");
  }
  KeySequenceTable table;
  for (const std::string& name : KeySequenceNames()) {
    std::string bytes = Capability(name.c_str());
    if (!bytes.empty()) table[name] = bytes;
  }
  const bool addressable = !Capability("cup").empty();
  del_curterm(cur_term);
  s.decoder = std::make_unique<TerminalKeyDecoder>(table, EscapeTimeoutMs());

  if (addressable && !s.lines_wanted) {
    s.screen = newterm(nullptr, stdout, stdin);
    if (s.screen == nullptr) refuse("the terminal type ($TERM) is not known");
    s.OpenScreen();
  } else {
    s.OpenLines();
  }
  s.open = true;
  s.title_shown.clear();
  if (!s.title.empty() || !s.beat.empty()) s.WriteTitle();
}

void TerminalFrontend::State::OpenScreen() {
  set_term(screen);
  raw();
  noecho();
  nonl();
  keypad(stdscr, FALSE);  // the key bytes are decoded by TerminalKeyDecoder
  meta(stdscr, TRUE);
  intrflush(stdscr, FALSE);
  typeahead(-1);
  SetRawMode();
  def_prog_mode();
  if (has_colors() && start_color() == OK) {
    use_default_colors();
    colours = COLORS >= 16 ? 16 : 8;
  }

  // What a crash handler writes: extended keys off, the title back, the normal screen, plain
  // attributes, a visible cursor.
  xterm_sequences = UsesXtermSequences();
  std::string reset;
  if (xterm_sequences) reset.append(kExtendedKeysOff).append(kTitlePop);
  reset += Capability("rmcup") + Capability("sgr0") + Capability("cnorm");
  ArmTerminalRestore(reset);

  refresh();
  if (xterm_sequences) {
    std::string start(kExtendedKeysOn);
    start.append(kTitlePush);
    WriteAll(STDOUT_FILENO, start);
  }
  full_redraw = true;
  MarkResized();  // read the size once
}

void TerminalFrontend::State::OpenLines() {
  plain_lines = std::make_unique<LineOutput>();
  SetRawMode();
  ArmTerminalRestore("\n");
}

void TerminalFrontend::Present(const ScreenCells& cells, int cursor_column, int cursor_row,
                               bool caret) {
  State& s = *state_;
  if (!s.open) return;
  if (TakeResize()) s.HandleResize();
  s.Draw(cells, cursor_column, cursor_row, caret);
}

void TerminalFrontend::State::StartReader(base::MessageLoop& loop) {
  if (reader.joinable() || pipe2(stop_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  reader = std::thread([this, target = &loop] { ReadKeys(target); });
}

void TerminalFrontend::State::StopReader() {
  if (reader.joinable()) {
    [[maybe_unused]] ssize_t n = write(stop_pipe[1], "x", 1);
    reader.join();
  }
  for (int& fd : stop_pipe) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

void TerminalFrontend::State::ReadKeys(base::MessageLoop* loop) {
  std::vector<base::Message> messages;
  char buffer[512];
  bool closed = false;
  while (!closed) {
    int wait_ms = -1;
    if (int64_t deadline = decoder->PendingDeadline(); deadline >= 0) {
      wait_ms = static_cast<int>(std::clamp<int64_t>(deadline - NowMs(), 0, 1000));
    }
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {stop_pipe[0], POLLIN, 0}};
    if (poll(fds, 2, wait_ms) < 0 && errno == EINTR) continue;
    if (fds[1].revents != 0) break;
    if ((fds[0].revents & POLLIN) != 0) {
      const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
      if (n > 0) {
        decoder->Feed(std::string_view(buffer, static_cast<size_t>(n)), NowMs(), messages);
      } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
        closed = true;
      }
    } else if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      closed = true;
    }
    decoder->Flush(NowMs(), messages);
    // A terminal that went away closes the window.
    if (closed) messages.push_back(base::Message{base::MessageKind::kClose});
    for (const base::Message& m : messages) loop->Post(m);
    messages.clear();
  }
}

void TerminalFrontend::PollInput(base::MessageLoop& loop) {
  State& s = *state_;
  if (!s.open) return;
  s.StartReader(loop);
  if (TakeResize()) {
    s.HandleResize();
    if (s.have_shown && !s.plain_lines)
      s.Draw(s.shown, s.cursor_column, s.cursor_row, s.caret == 1);
  }
  if (s.have_shown) s.RefreshStatus();
}

void TerminalFrontend::WaitInput(base::MessageLoop& loop) {
  WaitInputFor(loop, -1);
}

// The keys reach the loop from the reader thread; a resize of the terminal (SIGWINCH) ends
// the wait too, so that the screen is drawn again at once even during a beat of a minute.
void TerminalFrontend::WaitInputFor(base::MessageLoop& loop, int64_t timeout_ms) {
  State& s = *state_;
  if (!s.open) {
    loop.Wait(timeout_ms);
    return;
  }
  s.StartReader(loop);
  if (!loop.ReadyToWait()) return;
  pollfd fds[2];
  nfds_t count_fds = 0;
  fds[count_fds++] = {loop.WakeFd(), POLLIN, 0};
  if (ResizeWakeFd() >= 0) fds[count_fds++] = {ResizeWakeFd(), POLLIN, 0};
  // The status row's beat number changes by itself: the wait ends for it too.
  int64_t status_ms = -1;
  if (s.HasStatusRow()) s.status.Now(&status_ms);
  if (status_ms >= 0 && (timeout_ms < 0 || status_ms < timeout_ms)) timeout_ms = status_ms;
  poll(fds, count_fds,
       timeout_ms < 0 ? -1 : static_cast<int>(std::min<int64_t>(timeout_ms, 1 << 30)));
  PollInput(loop);
}

void TerminalFrontend::Beep() {
  State& s = *state_;
  if (!s.open) return;
  if (s.plain_lines) {
    WriteAll(STDOUT_FILENO, "\a");
  } else {
    beep();
  }
}

void TerminalFrontend::State::WriteTitle() {
  if (!open || !xterm_sequences) return;
  std::string text;
  for (char c : base::Windows1252ToUtf8(beat.empty() ? title : title + " \x97 " + beat)) {
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) text += c;
  }
  if (text == title_shown) return;
  title_shown = text;
  WriteAll(STDOUT_FILENO, "\033]0;" + text + "\007");
}

void TerminalFrontend::SetTitle(const std::string& title) {
  state_->title = title;
  state_->WriteTitle();
}

void TerminalFrontend::SetAppearance(const Appearance& appearance) {
  state_->status_attr = appearance.status_attr;
}

void TerminalFrontend::ShowBeat(const BeatRun& run) {
  state_->beat = run.tempo.empty() ? std::string() : run.tempo + ", " + run.measure;
  state_->WriteTitle();
  state_->status.SetRun(run);
  if (state_->have_shown) state_->RefreshStatus();
}

void TerminalFrontend::ShowSpoken(const std::string& text) {
  state_->status.SetSpoken(text);
  if (state_->have_shown) state_->RefreshStatus();
}

void TerminalFrontend::SetClipboard(const std::string& utf8) {
  State& s = *state_;
  if (!s.open || !s.xterm_sequences) return;
  WriteAll(STDOUT_FILENO, ClipboardSequence(utf8));
}

bool TerminalFrontend::WritesLines() const {
  return state_->lines_wanted;
}

void TerminalFrontend::AppendLine(const std::string& text) {
  State& s = *state_;
  if (s.open && s.plain_lines) {
    WriteAll(STDOUT_FILENO, base::Windows1252ToUtf8(s.plain_lines->AppendLine(text)));
  }
}

void TerminalFrontend::Close() {
  State& s = *state_;
  if (!s.open) return;
  s.StopReader();
  s.open = false;
  if (s.plain_lines) {
    WriteAll(STDOUT_FILENO, s.plain_lines->Finish());
    s.plain_lines.reset();
  } else {
    if (s.xterm_sequences) {
      std::string stop(kExtendedKeysOff);
      stop.append(kTitlePop);
      WriteAll(STDOUT_FILENO, stop);
    }
    curs_set(1);
    endwin();
    delscreen(s.screen);
    s.screen = nullptr;
  }
  PutBackTerminalMode();
  DisarmTerminalRestore();
  RemoveTerminalSignalHandlers();
}

std::unique_ptr<Frontend> MakeTerminalFrontend(std::string* why, bool plain_lines) {
  auto refuse = [why](const char* reason) -> std::unique_ptr<Frontend> {
    if (why != nullptr) *why = reason;
    return nullptr;
  };
  if (isatty(STDIN_FILENO) == 0 || isatty(STDOUT_FILENO) == 0) {
    return refuse("standard input and output are not a terminal");
  }
  int error = 0;
  if (setupterm(nullptr, STDOUT_FILENO, &error) != OK) {
    return refuse("the terminal type ($TERM) is not known");
  }
  del_curterm(cur_term);
  return std::make_unique<TerminalFrontend>(plain_lines);
}

}  // namespace cadencio::frontends
