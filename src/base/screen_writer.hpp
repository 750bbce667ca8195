// The screen as the speech front end writes to it: the texts it shows and says, the line
// output of the screen-reader mode, and the place beside the screen for messages that are only
// spoken. The console implements it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace cadencio::base {

class ScreenWriter {
 public:
  virtual ~ScreenWriter() = default;

  // Writes at the cursor; every write also handles the messages that have come.
  virtual void Write(std::string_view text) = 0;
  // Writes the text and a line end.
  virtual void WriteLine(std::string_view text = {}) = 0;
  // What was written since the last call (its last 1024 bytes at most).
  virtual std::string TakeWrittenText() = 0;
  // Appends a line to the front end's output outside the 80 x 25 screen, for a screen reader.
  virtual void AppendLine(std::string_view text) = 0;
  // Runs `hook` (none: nothing) before every wait for input or time.
  virtual void SetBeforeWait(std::function<void()> hook) = 0;
  // Shows a message that is only spoken where the front end has room beside the screen.
  virtual void ShowSpoken(std::string_view text) = 0;
};

}  // namespace cadencio::base
