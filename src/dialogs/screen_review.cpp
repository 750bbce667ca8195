// The auvideo module: the key loop of the screen review, its two-letter reading commands and
// its two prompts (search text, row and column).
#include "dialogs/screen_review.hpp"

#include <string_view>

#include "base/keys.hpp"
#include "base/windows1252.hpp"
#include "dialogs/review_reader.hpp"

namespace cadencio::dialogs {

namespace {

// The keys the review knows: characters, and the second bytes of extended keys.
using base::key::kBackspace, base::key::kCtrlC, base::key::kCtrlF1, base::key::kCtrlF5,
    base::key::kCtrlK, base::key::kCtrlL, base::key::kCtrlLeft, base::key::kCtrlPgDn,
    base::key::kCtrlPgUp, base::key::kCtrlRight, base::key::kDown, base::key::kEnd,
    base::key::kEnter, base::key::kEsc, base::key::kF1, base::key::kF5, base::key::kF6,
    base::key::kHome, base::key::kLeft, base::key::kPgDn, base::key::kPgUp, base::key::kRight,
    base::key::kSpace, base::key::kTab, base::key::kUp;

class ScreenReview {
 public:
  ScreenReview(console::Console& console, ReviewVoice& voice, std::string& search_text)
      : console_(console), voice_(voice), reader_(console, voice), search_text_(search_text) {}

  void Run();

 private:
  ReviewPosition& Pos() { return reader_.Position(); }
  // Reads the code byte of an extended key when it is still queued (a beep empties the
  // queue, so it must be taken first).
  void DropExtendedCode(uint8_t key) {
    if (key == 0 && console_.KeyPressed()) console_.ReadKey();
  }
  void BeepClickBeep() {
    voice_.PlayBeep();
    voice_.PlayClick();
    voice_.PlayBeep();
  }
  void ExtendedCommand(uint8_t code);
  bool PlainCommand(uint8_t key);  // false on Esc
  void ReadWordCommand();
  void TwoLetterCommand(uint8_t first);
  void SearchPrompt();
  void SearchAgain();
  void JumpPrompt();
  void SpeakPosition();
  void CorrectPosition();

  console::Console& console_;
  ReviewVoice& voice_;
  ReviewReader reader_;
  std::string& search_text_;
};

// Shows the caret for the whole review, on every way out too.
class CaretShown {
 public:
  explicit CaretShown(console::Console& console) : console_(console) {
    console_.SetCaretShown(true);
  }
  ~CaretShown() { console_.SetCaretShown(false); }
  CaretShown(const CaretShown&) = delete;
  CaretShown& operator=(const CaretShown&) = delete;

 private:
  console::Console& console_;
};

void ScreenReview::Run() {
  const CaretShown caret(console_);
  voice_.PlayBeep();
  const ReviewPosition start{console_.CursorRow(), console_.CursorColumn()};
  Pos() = start;
  for (;;) {
    console_.MoveCursor(Pos().column, Pos().row);
    const base::Key key = console_.ReadWholeKey();
    if (key.extended) {
      ExtendedCommand(key.code);
    } else if (!PlainCommand(key.code)) {
      break;
    }
    CorrectPosition();
  }
  voice_.PlayBeep();
  voice_.PlayBeep();
  console_.MoveCursor(start.column, start.row);
}

void ScreenReview::CorrectPosition() {
  ReviewPosition& pos = Pos();
  if (pos.column < 1) {
    pos.column = 1;
    voice_.PlayBeep();
  } else if (pos.column > kReviewColumns + 1) {
    pos.column = kReviewColumns;
    voice_.PlayBeep();
  }
  if (pos.row < 1) {
    pos.row = 1;
    voice_.PlayBeep();
  } else if (pos.row > kReviewRows) {
    pos.row = kReviewRows;
    voice_.PlayBeep();
  }
}

void ScreenReview::ExtendedCommand(uint8_t code) {
  ReviewPosition& pos = Pos();
  switch (code) {
    case kF1:
      ReadWordCommand();
      break;
    case kRight:
      if (pos.column > kReviewColumns + 1) {
        voice_.PlayBeep();
      } else {
        voice_.SpeakChar(reader_.CharAt(pos.column, pos.row));
      }
      ++pos.column;
      break;
    case kLeft:
      PlainCommand(kBackspace);
      break;
    case kHome:
      pos.column = 1;
      break;
    case kEnd:
      reader_.GoToLineEnd();
      break;
    case kUp:
      pos = {pos.row - 1, 1};
      if (pos.row < 1) {
        voice_.PlayBeep();
        pos.row = 1;
      } else {
        reader_.ReadLine();
      }
      break;
    case kDown:
      pos = {pos.row + 1, 1};
      voice_.PlayClick();
      if (pos.row > kReviewRows) {
        voice_.PlayBeep();
        pos.row = kReviewRows;
      } else {
        reader_.ReadLine();
      }
      break;
    case kPgUp:
    case kPgDn:
      pos = {code == kPgUp ? 1 : kReviewRows, 1};
      reader_.ReadLine();
      break;
    case kCtrlPgUp:
      reader_.GoToFirstLetter();
      reader_.ReadLine();
      break;
    case kCtrlPgDn:
      reader_.GoToLastLetter();
      reader_.ReadLine();
      break;
    case kCtrlLeft:
      reader_.PreviousWord();
      break;
    case kCtrlRight:
      reader_.NextWord();
      break;
    case kCtrlF1: {
      FieldExtent field = reader_.Field();
      reader_.ReadRange(pos.row, field.start, pos.row, field.end, true);
      break;
    }
    case kF5:
      SearchPrompt();
      break;
    case kCtrlF5:
      SearchAgain();
      break;
    case kF6:
      JumpPrompt();
      break;
    default:
      BeepClickBeep();
      break;
  }
}

bool ScreenReview::PlainCommand(uint8_t key) {
  ReviewPosition& pos = Pos();
  switch (key) {
    case kEsc:
      return false;
    case kBackspace:
      if (pos.column < 2) {
        voice_.PlayBeep();
      } else {
        voice_.SpeakChar(reader_.CharAt(pos.column - 1, pos.row));
      }
      --pos.column;
      break;
    case kTab: {
      const int column = reader_.Field().end + 2;
      if (column <= kReviewColumns) {
        pos.column = column;
        voice_.PlayClick();
      } else {
        reader_.GoToLineEnd();
      }
      break;
    }
    case kEnter:
      pos = {pos.row + 1, 1};
      voice_.PlayClick();
      break;
    case kSpace:
      reader_.ReadLine();
      break;
    case kCtrlK:
    case kCtrlL:
      SpeakPosition();
      break;
    case kCtrlC:
      console_.CopyToClipboard(reader_.ScreenText());
      break;
    default:
      if ((key >= 'A' && key <= 'Z') || (key >= 'a' && key <= 'z')) {
        TwoLetterCommand(key);
      } else {
        BeepClickBeep();
      }
      break;
  }
  return true;
}

void ScreenReview::ReadWordCommand() {
  if (!(voice_.EngineActive() && console_.KeyPressed())) reader_.ReadWord();
  if (Pos().column > kReviewColumns - 1) {
    voice_.PlayClick();
    reader_.GoToLineEnd();
  }
}

void ScreenReview::TwoLetterCommand(uint8_t first) {
  first = base::AsciiUpperCase(first);
  if (first != 'I' && first != 'T' && first != 'F' && first != 'L') {
    BeepClickBeep();
    return;
  }
  if (first == 'L') first = 'T';
  const uint8_t key = console_.ReadKey();
  DropExtendedCode(key);
  const uint8_t second = base::AsciiUpperCase(key);
  if (second != 'T' && second != 'L' && second != 'C') {
    BeepClickBeep();
    return;
  }
  const ReviewPosition pos = Pos();
  const int last = kReviewColumns;
  if (second == 'T') {  // the screen; the position moves with the reading
    if (first == 'I') reader_.ReadRange(1, 1, pos.row, pos.column - 1, false);
    if (first == 'T') reader_.ReadRange(1, 1, kReviewRows, last, false);
    if (first == 'F') reader_.ReadRange(pos.row, pos.column, kReviewRows, last, false);
  } else if (second == 'L') {  // the review row; the position is put back
    if (first == 'I') reader_.ReadRange(pos.row, 1, pos.row, pos.column - 1, true);
    if (first == 'T') reader_.ReadRange(pos.row, 1, pos.row, last, true);
    if (first == 'F') reader_.ReadRange(pos.row, pos.column, pos.row, last, true);
  } else {  // the field around the review cell, on the review row
    const FieldExtent field = reader_.Field();
    if (first == 'I') reader_.ReadRange(pos.row, field.start, pos.row, pos.column, true);
    if (first == 'T') reader_.ReadRange(pos.row, field.start, pos.row, field.end, true);
    if (first == 'F') reader_.ReadRange(pos.row, pos.column, pos.row, field.end, true);
  }
}

void ScreenReview::SearchPrompt() {
  voice_.SpeakText("Qual texto");
  search_text_.clear();
  for (;;) {
    const uint8_t key = console_.ReadKey();
    if (key == kEsc) return;  // what was typed stays as the search text
    if (key == kEnter) break;
    if (key == 0) {
      // An extended key is not text: its zero byte would match the blanked-out cells.
      DropExtendedCode(key);
    } else if (key == kBackspace) {
      if (!search_text_.empty()) {
        voice_.PlayPromptWav("_DEL");
        voice_.SpeakChar(static_cast<uint8_t>(search_text_.back()));
        search_text_.pop_back();
      }
    } else {
      search_text_.push_back(static_cast<char>(key));
      voice_.SpeakChar(key);
    }
  }
  SearchAgain();
}

void ScreenReview::SearchAgain() {
  if (reader_.Search(search_text_)) {
    voice_.PlayClick();
  } else {
    voice_.PlayBeep();
    voice_.PlayBeep();
  }
}

void ScreenReview::JumpPrompt() {
  voice_.SpeakText("Entre linha e coluna");
  int digits[4];
  for (int& digit : digits) {
    const uint8_t key = console_.ReadKey();
    if (key < '0' || key > '9') {
      DropExtendedCode(key);
      voice_.PlayBeep();
      voice_.PlayBeep();
      return;
    }
    voice_.SpeakChar(key);
    digit = key - '0';
  }
  Pos() = {digits[0] * 10 + digits[1], digits[2] * 10 + digits[3]};
}

void ScreenReview::SpeakPosition() {
  std::string column = std::to_string(Pos().column).substr(0, 3);
  voice_.SpeakText(std::to_string(Pos().row) + " " + column);
}

std::string& KeptSearchText() {
  static std::string text;
  return text;
}

}  // namespace

void ReviewScreen(console::Console& console, ReviewVoice& voice, std::string& search_text) {
  ScreenReview(console, voice, search_text).Run();
}

void ReviewScreen(console::Console& console, ReviewVoice& voice) {
  ReviewScreen(console, voice, KeptSearchText());
}

void ClearReviewSearchText() {
  KeptSearchText().clear();
}

}  // namespace cadencio::dialogs
