// The test front end: keys come from a script at given virtual times, the screen is kept so a
// test can read it back as text. Waiting for input moves the virtual time on in small steps.
// When the script is spent and the given tail time has passed, it closes the window, which
// ends the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/clock.hpp"
#include "frontends/frontend.hpp"

namespace cadencio::frontends {

struct ScriptedMessage {
  int64_t at_ms;
  base::Message message;
};

class HeadlessFrontend final : public Frontend {
 public:
  HeadlessFrontend(base::VirtualClock& clock, std::vector<ScriptedMessage> script, int64_t tail_ms);

  void PollInput(base::MessageLoop& loop) override;
  void WaitInput(base::MessageLoop& loop) override;
  void WaitInputFor(base::MessageLoop& loop, int64_t timeout_ms) override;
  void Present(const ScreenCells& cells, int cursor_column, int cursor_row, bool caret) override;
  void Beep() override { ++beeps_; }
  void SetTitle(const std::string& title) override { title_ = title; }
  void ShowBeat(const BeatRun& run) override { beat_ = run; }
  void ShowSpoken(const std::string& text) override { spoken_ = text; }

  // Row 0..24 without trailing blanks.
  std::string Row(int row) const;
  // All rows, each followed by a line feed, trailing blank rows dropped.
  std::string Text() const;
  int Beeps() const { return beeps_; }
  const std::string& Title() const { return title_; }
  // The latest run of the beat and only-spoken message the program told the front end of.
  const BeatRun& Beat() const { return beat_; }
  const std::string& Spoken() const { return spoken_; }
  int CursorColumn() const { return cursor_column_; }
  int CursorRow() const { return cursor_row_; }
  bool CaretShown() const { return caret_; }

 private:
  // The longest step of virtual time in one wait.
  static constexpr int64_t kStepMs = 10;
  base::VirtualClock& clock_;
  std::vector<ScriptedMessage> script_;
  std::size_t next_ = 0;
  int64_t end_ms_;
  bool closed_ = false;
  ScreenCells cells_;
  int cursor_column_ = 0;
  int cursor_row_ = 0;
  bool caret_ = false;
  int beeps_ = 0;
  std::string title_;
  BeatRun beat_;
  std::string spoken_;
};

}  // namespace cadencio::frontends
