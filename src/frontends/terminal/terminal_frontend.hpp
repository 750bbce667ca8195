// The terminal front end: shows the console's 80 x 25 screen in a text terminal with ncursesw,
// and the status in the rows below it where the terminal has them, and turns the terminal's
// key bytes into key messages. It owns the terminal mode and gives it
// back on every way out: Close, destruction, the termination signals and crashes.
#pragma once

#include <memory>
#include <string>

#include "frontends/frontend.hpp"

namespace cadencio::frontends {

class TerminalFrontend final : public Frontend {
 public:
  // With `plain_lines` the screen goes out as plain lines even where the terminal could
  // address its cursor: what a screen reader follows best.
  explicit TerminalFrontend(bool plain_lines = false);
  ~TerminalFrontend() override;
  TerminalFrontend(const TerminalFrontend&) = delete;
  TerminalFrontend& operator=(const TerminalFrontend&) = delete;

  // Takes over the terminal on standard input and output; throws ProgramExit when the terminal
  // cannot be used (the reason goes to standard error).
  void Open() override;
  void PollInput(base::MessageLoop& loop) override;
  void WaitInput(base::MessageLoop& loop) override;
  void WaitInputFor(base::MessageLoop& loop, int64_t timeout_ms) override;
  void Present(const ScreenCells& cells, int cursor_column, int cursor_row, bool caret) override;
  void Beep() override;
  void SetTitle(const std::string& title) override;
  // The start colours, which the status row keeps.
  void SetAppearance(const Appearance& appearance) override;
  // The tempo and the measure go in the title, after the program's name; with a row below the
  // screen, the beat, the tempo, the measure and the message only spoken go there.
  void ShowBeat(const BeatRun& run) override;
  void ShowSpoken(const std::string& text) override;
  // OSC 52: the terminal puts the text on the desktop's clipboard (terminals that do not
  // allow it ignore the sequence).
  void SetClipboard(const std::string& utf8) override;
  void Close() override;
  bool WritesLines() const override;
  void AppendLine(const std::string& text) override;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The terminal front end when standard input and output are a terminal that the terminal
// database describes; otherwise null, with the reason in `why` when it is given.
std::unique_ptr<Frontend> MakeTerminalFrontend(std::string* why = nullptr,
                                               bool plain_lines = false);

}  // namespace cadencio::frontends
