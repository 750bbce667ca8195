// Plain line-by-line output of the 80 x 25 screen, for terminals that cannot move the cursor
// (TERM=dumb: editor and IDE shells) and for screen readers. Each state of the screen is
// compared with the one before, line by line, a line being a row and the rows its text wrapped
// onto: a line that grew at its end has the new characters appended, any other line that
// changed is written again whole on a line of its own. Scrolling is recognised so that lines
// that only moved up are not written again. Lines are written without their trailing blanks.
#pragma once

#include <string>
#include <string_view>

#include "frontends/screen.hpp"

namespace cadencio::frontends {

class LineOutput {
 public:
  // The text to append for the screen's new state: Windows-1252, lines joined by line feeds
  // (the terminal's own output settings turn them into line ends).
  std::string Update(const ScreenCells& cells);
  // Ends the open line, if there is one.
  std::string Finish();
  // A line of the program's own after the screen's text: the open line ended, then the text
  // as plain text (control bytes as blanks, no trailing blanks) on a line of its own. A row
  // that grows afterwards is written again whole.
  std::string AppendLine(std::string_view text);

 private:
  ScreenCells last_{};
  bool have_last_ = false;
  int line_row_ = -1;       // the first row of the line that the open line shows; -1: none
  std::string printed_;     // what the open line shows of it
  bool line_open_ = false;  // text was written since the last line end
};

// How many rows the screen moved up between two states, or 0 when it did not scroll.
int ScrollDistance(const ScreenCells& before, const ScreenCells& after);

}  // namespace cadencio::frontends
