// The AuCrt module: screen buffer, cursor, key queue and key translation, and the waits that
// pump the message loop.
#include "console/console.hpp"

#include <algorithm>
#include <array>
#include <utility>

#include "base/keys.hpp"
#include "base/windows1252.hpp"

namespace cadencio::console {

namespace {

using frontends::kScreenColumns;
using frontends::kScreenRows;
namespace vk = base::vk;
namespace key = base::key;

// The special keys: virtual key, code without Ctrl, code with Ctrl.
struct SpecialKey {
  int virtual_key;
  uint8_t plain;
  uint8_t with_ctrl;
};

constexpr std::array<SpecialKey, 22> kSpecialKeys = {{
    {base::vk::F(1), base::key::F(1), base::key::CtrlF(1)},
    {base::vk::F(2), base::key::F(2), base::key::CtrlF(2)},
    {base::vk::F(3), base::key::F(3), base::key::CtrlF(3)},
    {base::vk::F(4), base::key::F(4), base::key::CtrlF(4)},
    {base::vk::F(5), base::key::F(5), base::key::CtrlF(5)},
    {base::vk::F(6), base::key::F(6), base::key::CtrlF(6)},
    {base::vk::F(7), base::key::F(7), base::key::CtrlF(7)},
    {base::vk::F(8), base::key::F(8), base::key::CtrlF(8)},
    {base::vk::F(9), base::key::F(9), base::key::CtrlF(9)},
    {base::vk::F(10), base::key::F(10), base::key::CtrlF(10)},
    {base::vk::F(11), base::key::kF11, base::key::kCtrlF11},
    {base::vk::F(12), base::key::kF12, base::key::kCtrlF12},
    {base::vk::kInsert, base::key::kInsert, base::key::kCtrlInsert},
    {base::vk::kDelete, base::key::kDelete, base::key::kDelete},
    {base::vk::kHome, base::key::kHome, base::key::kCtrlHome},
    {base::vk::kEnd, base::key::kEnd, base::key::kCtrlEnd},
    {base::vk::kPrior, base::key::kPgUp, base::key::kCtrlPgUp},
    {base::vk::kNext, base::key::kPgDn, base::key::kCtrlPgDn},
    {base::vk::kUp, base::key::kUp, base::key::kCtrlUp},
    {base::vk::kDown, base::key::kDown, base::key::kCtrlDown},
    {base::vk::kLeft, base::key::kLeft, base::key::kCtrlLeft},
    {base::vk::kRight, base::key::kRight, base::key::kCtrlRight},
}};

// Alt + letter gives the PC keyboard scan code of the letter key.
constexpr std::array<uint8_t, 26> kLetterScanCodes = {30, 48, 46, 32, 18, 33, 34, 35, 23,
                                                      36, 37, 38, 50, 49, 24, 25, 16, 19,
                                                      31, 20, 22, 47, 17, 45, 21, 44};

}  // namespace

Console::Console(frontends::Frontend& frontend, base::MessageLoop& loop, base::Clock& clock)
    : frontend_(frontend), loop_(loop), clock_(clock) {}

void Console::EnsureConsoleWindow() {
  if (window_created_) return;
  window_created_ = true;
  if (video_settings_) {
    video_ = ReadVideoConfig(video_settings_, frontend_.GetWorkArea());
    text_attr_ = video_.text_attr;
    colour_changes_allowed_ = !video_.colours_fixed;
  }
  cells_.chars.fill(' ');
  cells_.attrs.fill(text_attr_);
  frontends::Appearance look = video_.appearance;
  look.status_attr = text_attr_;
  frontend_.SetAppearance(look);
  frontend_.Open();
  if (!window_title_.empty()) frontend_.SetTitle(window_title_);
  Present();
  if (video_settings_) SetBrailleMode(video_.braille_mode);
}

void Console::SetBrailleMode(int mode) {
  for (int frequency : braille_.ToneFrequencies(mode)) {
    if (tones_) tones_->StartTone(static_cast<uint16_t>(frequency));
    Delay(200);
    if (tones_) tones_->StopTone();
  }
  braille_.SetMode(mode);
}

void Console::Present() {
  if (!window_created_) return;
  frontend_.Present(cells_, std::min(column_, kScreenColumns - 1), row_,
                    waiting_for_key_ || caret_shown_);
}

// --- keyboard ---------------------------------------------------------------------------

bool Console::KeyPressed() {
  EnsureConsoleWindow();
  PumpAllMessages();
  return queue_.Count() > 0;
}

void Console::DrainKeys() {
  while (KeyPressed()) ReadKey();
}

void Console::PumpAllMessages() {
  frontend_.PollInput(loop_);
  base::Message message;
  while (loop_.Peek(message)) Dispatch(message);
}

void Console::WaitMessage() {
  if (!loop_.Empty()) return;
  BeforeWait();
  frontend_.WaitInput(loop_);
}

bool Console::WaitForKey(int64_t ms) {
  const int64_t deadline = clock_.NowMs() + std::max<int64_t>(ms, 0);
  BeforeWait();
  for (;;) {
    if (KeyPressed()) return true;
    const int64_t left = deadline - clock_.NowMs();
    if (left <= 0) return false;
    if (loop_.Empty()) frontend_.WaitInputFor(loop_, left);
  }
}

uint8_t Console::ReadKey() {
  if (queue_.Count() == 0) {
    BeforeWait();
    waiting_for_key_ = true;
    Present();  // shows the caret
    while (!KeyPressed()) WaitMessage();
    waiting_for_key_ = false;
    Present();
  }
  return queue_.Pop();
}

base::Key Console::ReadWholeKey() {
  const uint8_t first = ReadKey();
  if (first != base::key::kExtended) return base::Key::Char(first);
  return base::Key::Extended(ReadKey());
}

void Console::Delay(int64_t ms) {
  BeforeWait();
  clock_.SleepMs(ms & 0xFFFF);
  PumpAllMessages();
}

std::string Console::ReadScreenLine(int size) {
  std::string line;
  for (;;) {
    uint8_t key = ReadKey();
    if (key == 13) break;
    if (key == 8) {
      if (!line.empty()) {
        line.pop_back();
        WriteToScreen("\b");
      }
    } else if (key >= 32 && static_cast<int>(line.size()) < size - 2) {
      line.push_back(static_cast<char>(key));
      WriteToScreen(std::string_view(line).substr(line.size() - 1));
    }
  }
  WriteToScreen("\r\n");
  return line;
}

void Console::Dispatch(const base::Message& message) {
  using base::MessageKind;
  if (message.kind == MessageKind::kChar || message.kind == MessageKind::kKeyDown ||
      message.kind == MessageKind::kSysKeyDown || message.kind == MessageKind::kKeyUp) {
    shift_held_ = message.shift;
    alt_held_ = message.alt;
  }
  switch (message.kind) {
    case MessageKind::kChar:
      TranslateChar(static_cast<uint8_t>(message.key), message.ctrl);
      break;
    case MessageKind::kKeyDown:
      TranslateKeyDown(message.key, message.ctrl, message.alt, message.shift);
      break;
    case MessageKind::kSysKeyDown:
      // Only Alt+Left and Alt+Right reach the key translation; the system keeps the rest.
      if (break_check_ && (message.key == base::vk::kLeft || message.key == base::vk::kRight)) {
        TranslateKeyDown(message.key, message.ctrl, message.alt, message.shift);
      }
      break;
    case MessageKind::kKeyUp:
      TranslateKeyUp(message.key, message.ctrl);
      break;
    case MessageKind::kBlockDone:
    case MessageKind::kWakeSpeech:
    case MessageKind::kWakeEngine:
      // Not the console's: the loop hands them to whoever registered for them (the wake-ups
      // have nobody; they only end a wait).
      loop_.DispatchNotice(message);
      break;
    case MessageKind::kClose:
      CloseConsole();
    case MessageKind::kQuit:
      waiting_for_key_ = false;
      throw frontends::ProgramExit{255};
  }
}

void Console::TranslateChar(uint8_t ch, bool ctrl) {
  if (BrailleMode() && (ch == ' ' || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'))) {
    return;  // typed as braille chords instead
  }
  if (queue_.Free() == 0) return;
  if (ch == base::key::kBackspace) {
    queue_.Push(ctrl ? base::key::kCtrlBackspace : base::key::kBackspace);
  } else if (ch == base::key::kEnter) {
    queue_.Push(ctrl ? base::key::kCtrlEnter : base::key::kEnter);
  } else {
    queue_.Push(ch);
  }
}

void Console::TranslateKeyDown(int virtual_key, bool ctrl, bool alt, bool shift) {
  if (break_check_ && virtual_key == base::vk::kCancel) {
    waiting_for_key_ = false;
    throw frontends::ProgramExit{255};
  }
  if (alt) {
    if (ctrl && virtual_key == base::vk::F(12)) {
      SetBrailleMode(0);
      return;
    }
    if (ctrl && virtual_key == base::vk::F(11)) {
      SetBrailleMode(braille_.Mode() + 1);
      return;
    }
    uint8_t code = 0;
    if (virtual_key >= '1' && virtual_key <= '9') {
      code = static_cast<uint8_t>(base::key::kAlt1 + virtual_key - '1');
    } else if (virtual_key == '0') {
      code = base::key::kAlt0;
    } else if (virtual_key >= 'A' && virtual_key <= 'Z') {
      code = kLetterScanCodes[virtual_key - 'A'];
    }
    if (code != 0) {
      if (queue_.Free() >= 2) {
        queue_.Push(0);
        queue_.Push(code);
      }
      return;
    }
  }
  if (!ctrl && BrailleMode() && BrailleEntry::DotBit(virtual_key) != 0) {
    braille_.KeyDown(virtual_key);
    return;
  }
  if (queue_.Count() > 62) return;
  for (const auto& key : kSpecialKeys) {
    if (key.virtual_key != virtual_key) continue;
    uint8_t code = key.plain;
    if (ctrl) {
      code = key.with_ctrl;
    } else if (shift && virtual_key == base::vk::kInsert) {
      code = base::key::kShiftInsert;
    }
    queue_.Push(0);
    queue_.Push(code);
    return;
  }
}

void Console::TranslateKeyUp(int virtual_key, bool ctrl) {
  // Key-ups only complete braille chords.
  if (!BrailleMode()) return;
  auto result = braille_.KeyUp(virtual_key, ctrl);
  if (result.queue && queue_.Free() > 0) queue_.Push(*result.queue);
}

// --- screen -----------------------------------------------------------------------------

void Console::NewLine() {
  cells_.wraps[row_] = false;
  NextRow();
}

void Console::NextRow() {
  column_ = 0;
  ++row_;
  if (row_ < kScreenRows) return;
  row_ = kScreenRows - 1;
  std::copy(cells_.chars.begin() + kScreenColumns, cells_.chars.end(), cells_.chars.begin());
  std::copy(cells_.attrs.begin() + kScreenColumns, cells_.attrs.end(), cells_.attrs.begin());
  std::fill(cells_.chars.end() - kScreenColumns, cells_.chars.end(), ' ');
  std::fill(cells_.attrs.end() - kScreenColumns, cells_.attrs.end(), text_attr_);
  std::copy(cells_.wraps.begin() + 1, cells_.wraps.end(), cells_.wraps.begin());
  cells_.wraps.back() = false;
}

void Console::WrapRow(bool inside_word) {
  const int at = row_ * kScreenColumns;
  int start = kScreenColumns;
  if (inside_word) {
    while (start > 0 && cells_.chars[at + start - 1] != ' ') --start;
    if (start == 0) start = kScreenColumns;  // a word as wide as the row is cut
  }
  std::array<uint8_t, kScreenColumns> chars{};
  std::array<uint8_t, kScreenColumns> attrs{};
  const int moved = kScreenColumns - start;
  for (int c = 0; c < moved; ++c) {
    chars[c] = std::exchange(cells_.chars[at + start + c], ' ');
    attrs[c] = std::exchange(cells_.attrs[at + start + c], text_attr_);
  }
  cells_.wraps[row_] = true;
  NextRow();
  std::copy_n(chars.begin(), moved, cells_.chars.begin() + row_ * kScreenColumns);
  std::copy_n(attrs.begin(), moved, cells_.attrs.begin() + row_ * kScreenColumns);
  column_ = moved;
}

void Console::WriteToScreen(std::string_view bytes) {
  EnsureConsoleWindow();
  constexpr std::size_t kWrittenKept = 1024;
  written_.append(bytes);
  if (written_.size() > kWrittenKept) written_.erase(0, written_.size() - kWrittenKept);
  for (unsigned char byte : bytes) {
    switch (byte) {
      case 7:
        frontend_.Beep();
        break;
      case 8:
        if (column_ > 0) {
          --column_;
          cells_.chars[row_ * kScreenColumns + column_] = ' ';
          cells_.attrs[row_ * kScreenColumns + column_] = text_attr_;
        }
        break;
      case 10:
        NewLine();
        break;
      case 13:
        column_ = 0;
        break;
      default:
        if (byte < 32) break;  // other control bytes are ignored; a tab is not expanded
        if (column_ == kScreenColumns) WrapRow(byte != ' ');
        cells_.chars[row_ * kScreenColumns + column_] = byte;
        cells_.attrs[row_ * kScreenColumns + column_] = text_attr_;
        ++column_;
    }
  }
  Present();
}

void Console::Write(std::string_view text) {
  constexpr std::size_t kFlushSize = 128;
  do {
    std::string_view part = text.substr(0, kFlushSize);
    if (part.size() < text.size()) {
      const std::size_t blank = part.find_last_of(' ');
      if (blank != std::string_view::npos) part = part.substr(0, blank + 1);
    }
    text.remove_prefix(part.size());
    WriteToScreen(part);
    KeyPressed();
  } while (!text.empty());
}

void Console::WriteLine(std::string_view text) {
  std::string line(text);
  line += "\r\n";
  Write(line);
}

std::string Console::TakeWrittenText() {
  return std::exchange(written_, {});
}

void Console::AppendLine(std::string_view text) {
  EnsureConsoleWindow();
  frontend_.AppendLine(std::string(text));
}

void Console::MoveCursor(int column, int row) {
  column_ = std::clamp(column - 1, 0, kScreenColumns - 1);
  row_ = std::clamp(row - 1, 0, kScreenRows - 1);
  Present();
}

void Console::SetCaretShown(bool shown) {
  caret_shown_ = shown;
  Present();
}

void Console::ClearScreen() {
  EnsureConsoleWindow();
  cells_.chars.fill(' ');
  cells_.attrs.fill(text_attr_);
  cells_.wraps.fill(false);
  column_ = 0;
  row_ = 0;
  Present();
}

void Console::ClearToLineEnd() {
  EnsureConsoleWindow();
  for (int c = std::min(column_, kScreenColumns); c < kScreenColumns; ++c) {
    cells_.chars[row_ * kScreenColumns + c] = ' ';
    cells_.attrs[row_ * kScreenColumns + c] = text_attr_;
  }
  cells_.wraps[row_] = false;
  Present();
}

void Console::SetTextBackground(int index) {
  EnsureConsoleWindow();
  if (!colour_changes_allowed_) return;
  text_attr_ = static_cast<uint8_t>((text_attr_ & 0x0F) | ((index * 16) & 0xFF));
}

uint8_t Console::ScreenCharAt(int column, int row) const {
  column = std::clamp(column, 1, kScreenColumns);
  row = std::clamp(row, 1, kScreenRows);
  return cells_.CharAt(column - 1, row - 1);
}

uint8_t Console::ScreenAttrAt(int column, int row) const {
  column = std::clamp(column, 1, kScreenColumns);
  row = std::clamp(row, 1, kScreenRows);
  return cells_.AttrAt(column - 1, row - 1);
}

// --- clipboard --------------------------------------------------------------------------

void Console::CopyToClipboard(std::string_view text) {
  clipboard_ = std::string(text.substr(0, text.find('\0')));
  has_clipboard_ = true;
  frontend_.SetClipboard(base::Windows1252ToUtf8(clipboard_));
}

std::string Console::PasteFromClipboard(std::size_t size) {
  if (size == 0 || !has_clipboard_) return {};
  return clipboard_.substr(0, std::min(size, clipboard_.size() + 1) - 1);
}

// --- clock ------------------------------------------------------------------------------

DateParts Console::GetDateParts() const {
  auto now = clock_.LocalDateTime();
  return {now.year, now.month, now.day, now.day_of_week};
}

TimeParts Console::GetTimeParts() const {
  auto now = clock_.LocalDateTime();
  return {now.hour, now.minute, now.second, now.millisecond / 10};
}

// --- life -------------------------------------------------------------------------------

void Console::CloseConsole() {
  while (queue_.Count() > 0) queue_.Pop();
  window_created_ = false;
  waiting_for_key_ = false;
  throw frontends::ProgramExit{0};
}

void Console::EndOfProgram() {
  break_check_ = false;
  frontend_.SetTitle("Programa terminado");
}

}  // namespace cadencio::console
