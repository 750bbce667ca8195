// What the console needs from whatever shows the screen and delivers the keys: a terminal, a
// window, or a scripted test front end.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/message_loop.hpp"
#include "frontends/appearance.hpp"
#include "frontends/beat_status.hpp"
#include "frontends/screen.hpp"

namespace cadencio::frontends {

// Besides the screen, a front end may show the beat and the spoken messages (StatusDisplay).
class Frontend : public StatusDisplay {
 public:
  // The desktop area a window may cover, which the default font size follows.
  virtual WorkArea GetWorkArea() { return {}; }
  // The colours, font and window settings to open with; called before Open.
  virtual void SetAppearance(const Appearance& /*appearance*/) {}
  // Called once when the console first needs its window.
  virtual void Open() {}
  // Moves input that has arrived into the message loop; never waits.
  virtual void PollInput(base::MessageLoop& loop) = 0;
  // Blocks until input arrives or a message is posted (the WaitMessage of a window).
  virtual void WaitInput(base::MessageLoop& loop) = 0;
  // The same, for at most `timeout_ms` of the clock the front end runs on. A front end whose
  // input reaches the loop from a thread of its own needs nothing more than the loop's wait.
  virtual void WaitInputFor(base::MessageLoop& loop, int64_t timeout_ms) { loop.Wait(timeout_ms); }
  // Shows the screen: the cells, the cursor position (0-based) and whether the caret shows.
  virtual void Present(const ScreenCells& cells, int cursor_column, int cursor_row, bool caret) = 0;
  virtual void Beep() {}
  // The sound to play for Beep where the front end has none of its own (the window); the
  // program hands it its short beep.
  virtual void SetBeepSound(std::function<void()> /*play*/) {}
  virtual void SetTitle(const std::string& /*title*/) {}
  // Hands copied text (UTF-8) to the desktop's clipboard where the front end can reach it.
  virtual void SetClipboard(const std::string& /*utf8*/) {}
  // Whether the front end writes its output as lines that a screen reader follows, and can
  // append lines of its own to them (AppendLine).
  virtual bool WritesLines() const { return false; }
  // Appends a line (Windows-1252) after what the screen has shown.
  virtual void AppendLine(const std::string& /*text*/) {}
  // Gives the terminal or window back; called on every way out of the program.
  virtual void Close() {}
};

// Marks a text of the command line's message catalogue that is translated where it is written
// (main), not where it is made.
constexpr const char* CatalogueText(const char* text) {
  return text;
}

// Why a front end cannot be used, for the command line to say in the user's language: a
// catalogue text (with "%s" where `detail` goes, when there is one) and a library's own words.
struct FrontendFailure {
  const char* message = nullptr;
  std::string detail;
};

// Thrown to end the program with an exit code; only main() and test harnesses catch it, so
// that every owner of a terminal, audio device or file unwinds and restores on the way out.
// A front end that cannot open says why in `failure`.
struct ProgramExit {
  int code;
  FrontendFailure failure = {};
};

}  // namespace cadencio::frontends
