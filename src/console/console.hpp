// The AuCrt module: the console model. An 80 x 25 text screen with a cursor and colour
// attribute, the program's keyboard queue with the translation of key messages into key codes,
// and the waiting operations (KeyPressed, ReadKey, Delay) that pump the message loop. A front
// end shows the screen and delivers the key messages; the model itself is plain data. The
// speech and sound layers below see it only as their base::Waiter and base::ScreenWriter.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/clock.hpp"
#include "base/keys.hpp"
#include "base/message_loop.hpp"
#include "base/screen_writer.hpp"
#include "base/waiter.hpp"
#include "console/braille.hpp"
#include "console/key_queue.hpp"
#include "console/tone_player.hpp"
#include "console/video_config.hpp"
#include "frontends/frontend.hpp"
#include "frontends/screen.hpp"

namespace cadencio::console {

struct DateParts {
  int year, month, day, day_of_week;  // day of week 0 = Sunday
};
struct TimeParts {
  int hour, minute, second, hundredths;
};

class Console final : public base::Waiter, public base::ScreenWriter {
 public:
  Console(frontends::Frontend& frontend, base::MessageLoop& loop, base::Clock& clock);
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // --- keyboard -------------------------------------------------------------------------
  // True when a key waits; pumps the messages first and never waits.
  bool KeyPressed() override;
  // Reads and drops every key that waits.
  void DrainKeys() override;
  // The oldest queued byte, waiting for one when the queue is empty.
  uint8_t ReadKey();
  // The oldest whole key: its one byte, or the 0 and the code of an extended key.
  base::Key ReadWholeKey();
  // Sleeps, then handles the messages that came meanwhile. The count is 16-bit: 70000 ms is
  // taken as 70000 mod 65536.
  void Delay(int64_t ms) override;
  void PumpAllMessages() override;
  // Blocks until any message or input arrives (does not handle it).
  void WaitMessage() override;
  // Waits on the message loop for at most `ms`, handling messages as they come, and returns
  // as soon as a key waits: true then, false when the time ran out.
  bool WaitForKey(int64_t ms);
  // A console line read: keys until Enter, echoed; the text without the line end.
  std::string ReadScreenLine(int size = 128);
  KeyQueue& Queue() { return queue_; }
  // The GetKeyState stand-in for Shift and Alt: whether they were held in the latest key
  // message handled, which is what a window's key state reports while its keys are read.
  bool ShiftHeld() const { return shift_held_; }
  bool AltHeld() const { return alt_held_; }
  // The message loop the console pumps: the messages that are not the console's (the
  // wave-out block-done notices) go to the handlers registered on it, in their turn.
  base::MessageLoop& Loop() override { return loop_; }

  // Key translation of the three kinds of key message.
  void TranslateChar(uint8_t ch, bool ctrl);
  void TranslateKeyDown(int virtual_key, bool ctrl, bool alt, bool shift);
  void TranslateKeyUp(int virtual_key, bool ctrl);

  // --- screen ---------------------------------------------------------------------------
  // Writes at the cursor. A row that fills goes on at the next row, a word cut by its edge
  // moving down whole.
  void WriteToScreen(std::string_view bytes);
  // Standard output: the text goes out in flushes of at most 128 bytes, each followed by a
  // KeyPressed (so every write also pumps messages). A flush ends after a blank where one
  // lets it, so that no word is shown cut in two.
  void Write(std::string_view text) override;
  void WriteLine(std::string_view text = {}) override;
  // 1-based, clamped to the screen. The front end shows the cursor there at once, so that a
  // reading that moves it word by word can be followed on screen.
  void MoveCursor(int column, int row);
  // Keeps the caret shown while no key is awaited too (the screen review shows where it reads).
  void SetCaretShown(bool shown);
  int CursorColumn() const { return column_ + 1; }
  int CursorRow() const { return row_ + 1; }
  void ClearScreen();
  void ClearToLineEnd();
  // What was written since the last call (its last 1024 bytes at most): the speech front end
  // compares it with what it is given to say.
  std::string TakeWrittenText() override;
  // Hands the front end a line to append to its output, outside the 80 x 25 screen (for a
  // screen reader); nothing when the front end does not write lines.
  void AppendLine(std::string_view text) override;
  // Runs before every wait for input or time (ReadKey, WaitMessage, WaitForKey, Delay).
  void SetBeforeWait(std::function<void()> hook) override { before_wait_ = std::move(hook); }
  void SetTextBackground(int index);
  uint8_t TextAttr() const { return text_attr_; }
  void SetTextAttr(uint8_t attr) { text_attr_ = attr; }
  void SetColourChangesAllowed(bool allowed) { colour_changes_allowed_ = allowed; }
  uint8_t ScreenCharAt(int column, int row) const;  // 1-based
  uint8_t ScreenAttrAt(int column, int row) const;
  const frontends::ScreenCells& Cells() const { return cells_; }

  // --- clipboard ------------------------------------------------------------------------
  // The program keeps its own clipboard, so a copy is always found by the next paste; the
  // front end also hands the text to the desktop's clipboard where it can. The text ends at
  // its first zero byte, as a zero-terminated clipboard text does.
  void CopyToClipboard(std::string_view text);
  // The clipboard's text as a zero-terminated copy of at most `size` bytes would hold it: its
  // first min(size, length + 1) - 1 bytes. Empty for size 0 or when nothing was copied.
  std::string PasteFromClipboard(std::size_t size);

  // --- clock ----------------------------------------------------------------------------
  DateParts GetDateParts() const;
  TimeParts GetTimeParts() const;
  base::Clock& GetClock() { return clock_; }

  // --- life -----------------------------------------------------------------------------
  // Empties the key queue, closes the window and ends the program normally.
  [[noreturn]] void CloseConsole();
  // The end-of-program procedure: titles the window "Programa terminado".
  void EndOfProgram();
  bool BrailleMode() const { return braille_.Mode() != 0; }
  int BrailleModeNumber() const { return braille_.Mode(); }

  // --- appearance -----------------------------------------------------------------------
  // Where the VIDEO and BRAILLE settings are read from when the window is created. Without a
  // source the console keeps its built-in start (light grey on black, braille entry off).
  void SetVideoSettings(SettingLookup settings) { video_settings_ = std::move(settings); }
  const VideoConfig& Video() const { return video_; }
  // What the front end shows beside the screen: the beat and the only-spoken messages.
  frontends::StatusDisplay& Status() { return frontend_; }
  void ShowSpoken(std::string_view text) override { frontend_.ShowSpoken(std::string(text)); }
  // The window's title while the program runs (the program's path).
  void SetWindowTitle(std::string title) { window_title_ = std::move(title); }
  // Where the braille mode tones are played; without a player they are silent.
  void SetTonePlayer(TonePlayer* player) { tones_ = player; }
  // Switches braille entry mode (above 2 counts as 1), announcing it with its tones; each tone
  // sounds for 200 ms of Delay, so keys are still handled meanwhile.
  void SetBrailleMode(int mode);

 private:
  void EnsureConsoleWindow();
  void Dispatch(const base::Message& message);
  // A line end: the row's line ends there.
  void NewLine();
  // To the start of the next row, scrolling the screen up from the last row.
  void NextRow();
  // The row is full and a printable character follows: the text goes on at the next row. A
  // word the right edge would cut (`inside_word`: the character goes on with it) moves down
  // whole when a blank before it on the row leaves it room, so that messages break between
  // words.
  void WrapRow(bool inside_word);
  void Present();
  void BeforeWait() {
    if (before_wait_) before_wait_();
  }

  frontends::Frontend& frontend_;
  base::MessageLoop& loop_;
  base::Clock& clock_;
  frontends::ScreenCells cells_;
  KeyQueue queue_;
  uint8_t text_attr_ = frontends::kLightGray;  // light grey on black
  int column_ = 0;
  int row_ = 0;
  bool window_created_ = false;
  bool waiting_for_key_ = false;
  bool caret_shown_ = false;
  bool break_check_ = true;
  BrailleEntry braille_;
  VideoConfig video_;
  SettingLookup video_settings_;
  std::string window_title_;
  TonePlayer* tones_ = nullptr;
  bool colour_changes_allowed_ = true;
  bool shift_held_ = false;
  bool alt_held_ = false;
  bool has_clipboard_ = false;
  std::string clipboard_;
  std::string written_;
  std::function<void()> before_wait_;
};

}  // namespace cadencio::console
