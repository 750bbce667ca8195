// The spoken field editor: set-up, the drawing of the field with its selection, and the plain
// and extended keys with their spoken feedback.
#include "dialogs/field_editor.hpp"

#include <algorithm>
#include <utility>

#include "base/keys.hpp"
#include "dialogs/field_text.hpp"
#include "dialogs/open_link.hpp"
#include "dialogs/telephone_tones.hpp"
#include "frontends/screen.hpp"
#include "speech/number_reading.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::dialogs {

namespace {

using frontends::kScreenColumns;
using frontends::kScreenRows;

constexpr int kSelectionBackground = 8;

// Key codes the field uses: characters, and the second bytes of extended keys.
namespace code = base::key;

// Control bytes would beep or be skipped by the console; the field shows them as blanks so
// that its cells stay in line with its text.
std::string Shown(std::string_view text) {
  std::string shown(text);
  for (char& c : shown) {
    if (static_cast<uint8_t>(c) < 32) c = ' ';
  }
  return shown;
}

class FieldEditor {
 public:
  FieldEditor(const FieldContext& context, std::string_view text, int column, int row,
              bool editable, int width, int capacity, const ScreenReviewHook& review_screen)
      : speech_(context.speech),
        console_(context.console),
        keys_(context.keys),
        settings_(context.settings),
        review_screen_(review_screen) {
    // Set-up: capacity 1..2048, width 1..capacity, and a field on the last row never reaches
    // the last column, so writing it cannot scroll the screen.
    capacity_ = std::clamp(capacity, 1, kMaxFieldCapacity);
    width_ = std::clamp(width, 1, capacity_);
    column_ = std::clamp(column, 1, kScreenColumns);
    row_ = std::clamp(row, 1, kScreenRows);
    if (row_ == kScreenRows && column_ + width_ - 1 >= kScreenColumns) {
      width_ = std::max(1, kScreenColumns - column_);
    }
    editable_ = editable;
    text_ = std::string(text.substr(0, capacity_));
    text_.resize(capacity_, ' ');
    saved_ = text_;
  }

  uint8_t Run(std::string& out) {
    while (!done_) {
      KeepCursorVisible();
      Draw();
      const std::string text_before = text_;
      const int pos_before = pos_;
      const base::Key key = console_.ReadWholeKey();
      speech_.StopSpeech();
      const bool shift = console_.ShiftHeld();
      if (!key.extended) {
        PlainKey(key.code);
      } else if (key.code == code::kAltQ || key.code == code::kAltW || key.code == code::kAltE) {
        PlainKey(console_.ReadKey());  // Alt+Q, Alt+W and Alt+E come before a character
      } else {
        ExtendedKey(key.code, shift);
      }
      // A key that left the text, the cursor and the selection as they were (a speed change,
      // the echo switched, Left at the start) has not begun the editing: the next key typed
      // still replaces the old text rather than going in before it.
      if (text_ != text_before || pos_ != pos_before || anchor_ != 0) first_key_ = false;
    }
    Finish(out);
    return ending_code_;
  }

 private:
  // --- screen -----------------------------------------------------------------------

  void KeepCursorVisible() {
    if (pos_ < scroll_) scroll_ = pos_;
    if (scroll_ + width_ < pos_) scroll_ = pos_ - width_;
  }

  void Draw() {
    console_.MoveCursor(column_, row_);
    const std::string shown = Shown(std::string_view(text_).substr(scroll_ - 1, width_));
    const int count = static_cast<int>(shown.size());
    int from = 0;
    int to = 0;
    if (anchor_ != 0 && selection_end_ != 0) {
      auto [start, end] = SelectionBounds();
      from = std::clamp(start - scroll_, 0, count);
      to = std::clamp(end - scroll_, 0, count);
    }
    if (from < to) {
      WriteField(shown.substr(0, from));
      const uint8_t colours = console_.TextAttr();
      console_.SetTextBackground(kSelectionBackground);
      WriteField(shown.substr(from, to - from));
      console_.SetTextAttr(colours);
      WriteField(shown.substr(to));
    } else {
      WriteField(shown);
    }
    if (count < kScreenColumns) console_.ClearToLineEnd();
    console_.MoveCursor(column_ + pos_ - scroll_, row_);
  }

  void WriteField(std::string_view part) {
    if (!part.empty()) console_.Write(part);
  }

  void Finish(std::string& out) {
    console_.MoveCursor(column_, row_);
    WriteField(Shown(std::string_view(text_).substr(0, width_)));
    console_.MoveCursor(column_, row_);
    text_.resize(LastNonBlank(text_));
    out = std::move(text_);
  }

  // --- state helpers ----------------------------------------------------------------

  uint8_t At(int pos) const { return static_cast<uint8_t>(text_[pos - 1]); }
  std::string Trimmed() const { return text_.substr(0, LastNonBlank(text_)); }
  void ClearSelection() { anchor_ = selection_end_ = 0; }
  // The selection's first position and the one after it, in order.
  std::pair<int, int> SelectionBounds() const {
    return {std::min(anchor_, selection_end_), std::max(anchor_, selection_end_)};
  }
  bool HasSelection() const {
    return anchor_ != 0 && selection_end_ != 0 && anchor_ != selection_end_;
  }
  void EndWith(uint8_t code) {
    ending_code_ = code;
    done_ = true;
  }
  void Prompt(const char* name) { speech_.PlayPromptWav(name); }

  // --- plain keys -------------------------------------------------------------------

  void PlainKey(uint8_t key) {
    if (key != code::kCtrlC && key != code::kCtrlV && key != 222 && key != 223) ClearSelection();
    switch (key) {
      case code::kCtrlC:
        Copy();
        break;
      case code::kCtrlD:  // blank from the cursor to the end
        if (!editable_) break;
        if (pos_ <= capacity_) std::fill(text_.begin() + (pos_ - 1), text_.end(), ' ');
        Prompt("_APFCPO");
        break;
      case code::kBackspace:
        if (pos_ == 1) {
          speech_.PlayBeep();
        } else {
          --pos_;
          DeleteAtCursor(true);
        }
        break;
      case code::kTab:
      case code::kCtrlEnter:
      case code::kEnter:
      case code::kEsc:
        EndWith(key);
        break;
      case code::kCtrlK:  // where the cursor is
        speech_.SpeakText(std::to_string(pos_));
        break;
      case code::kCtrlS:  // drop everything before the cursor
        if (!editable_) break;
        text_ = text_.substr(std::min(pos_ - 1, capacity_));
        text_.resize(capacity_, ' ');
        pos_ = 1;
        Prompt("_APICPO");
        break;
      case code::kCtrlU:  // the text as it came in
        if (!editable_) break;
        text_ = saved_;
        pos_ = 1;
        for (int i = 0; i < 3; ++i) speech_.PlayBeep();
        break;
      case code::kCtrlV:
        Paste();
        break;
      case code::kCtrlY:  // blank the field
        if (!editable_) break;
        std::fill(text_.begin(), text_.end(), ' ');
        Prompt("_CPOAPA");
        pos_ = 1;
        break;
      case code::kCtrlBackslash:  // the field as telephone tones
        SpeakDtmf(console_, speech_, text_);
        break;
      case code::kCtrlBackspace:
        DeleteWord();
        break;
      case 222:
        while (speech_.SpeechBusy()) console_.WaitMessage();
        speech_.ReadText(Trimmed());
        break;
      case 223:
        break;
      default:
        TypedKey(key);
    }
  }

  void TypedKey(uint8_t key) {
    // The first key typed into a field that holds text at or after the cursor replaces it.
    if (first_key_ && LastNonBlank(text_) >= pos_) {
      speech_.PlayClick();
      speech_.PlayClick();
      if (key >= 32 && editable_) std::fill(text_.begin(), text_.end(), ' ');
    }
    if (key >= 32) Insert(key);
  }

  void Insert(uint8_t ch) {
    if (!editable_) return;
    if (pos_ > capacity_) {
      speech_.PlayBeep();
      return;
    }
    text_.insert(text_.begin() + (pos_ - 1), static_cast<char>(ch));
    text_.pop_back();
    console_.Write(Shown(std::string(1, static_cast<char>(ch))));
    if (speech_.EchoTyping()) speech_.SpeakChar(ch);
    ++pos_;
  }

  // Removes the character at the cursor; "_DEL" is said unless `say_del` is false (the
  // characters after the first of a selection or word).
  void DeleteAtCursor(bool say_del) {
    if (!editable_) return;
    if (pos_ > capacity_) {
      speech_.PlayBeep();
      return;
    }
    const uint8_t removed = At(pos_);
    text_.erase(pos_ - 1, 1);
    text_.push_back(' ');
    Draw();
    if (say_del) Prompt("_DEL");
    speech_.SpeakChar(removed);
  }

  void DeleteCharacters(int count) {
    for (int i = 0; i < count; ++i) DeleteAtCursor(i == 0);
  }

  // --- word moves -------------------------------------------------------------------

  void MoveWord(const WordMove& move) {
    pos_ = move.pos;
    if (move.refused) {
      speech_.PlayBeep();
    } else {
      speech_.PlayClick();
    }
  }

  void DeleteWord() {
    if (pos_ > 1 && At(pos_ - 1) != ' ') MoveWord(PreviousWord(text_, pos_));
    const int start = pos_;
    MoveWord(NextWord(text_, pos_));
    const int end = pos_;
    MoveWord(PreviousWord(text_, pos_));
    DeleteCharacters(end - start);
  }

  // F1: the word at the cursor, read or spelled; the cursor goes past it.
  void SpeakWord() {
    ReadableWord word = ReadableWordAt(text_, pos_);
    if (word.kind == ReadableWord::kNothing) {
      speech_.PlayBeep();
      return;
    }
    std::string part = text_.substr(word.start - 1, word.end - word.start);
    if (word.kind == ReadableWord::kSpeak) {
      speech_.ReadText(part);
    } else {
      speech_.SpellText(part);
    }
    pos_ = word.end;
  }

  // --- clipboard --------------------------------------------------------------------

  void Copy() {
    if (HasSelection()) {
      auto [start, end] = SelectionBounds();
      start = std::min(start, capacity_ + 1);
      end = std::min(end, capacity_ + 1);
      console_.CopyToClipboard(std::string_view(text_).substr(start - 1, end - start));
    } else {
      console_.CopyToClipboard(Trimmed() + "\r\n");
    }
  }

  void Paste() {
    if (!editable_) return;
    std::string pasted = console_.PasteFromClipboard(static_cast<std::size_t>(capacity_) + 1);
    pasted.resize(std::min(pasted.find_first_of("\r\n"), pasted.size()));
    if (first_key_) {
      speech_.PlayClick();
      speech_.PlayClick();
      std::fill(text_.begin(), text_.end(), ' ');
    }
    if (anchor_ == 0) {
      anchor_ = selection_end_ = pos_;
    } else if (selection_end_ == 0) {
      selection_end_ = anchor_;
    }
    auto [start, end] = SelectionBounds();
    text_ = ReplaceRange(text_, start, end, pasted, capacity_);
    pos_ = std::min(start, capacity_ + 1);
    anchor_ = pos_;
    selection_end_ = std::min(pos_ + static_cast<int>(pasted.size()), capacity_ + 1);
  }

  // --- extended keys ----------------------------------------------------------------

  void ExtendedKey(uint8_t key, bool shift) {
    if (shift) {
      if (anchor_ == 0) anchor_ = pos_;
    } else if (key != code::kShiftInsert && key != code::kCtrlInsert) {
      ClearSelection();
    }
    ExtendedAction(key);
    if (shift) selection_end_ = pos_;
  }

  void ExtendedAction(uint8_t key) {
    switch (key) {
      case code::kF1:
        if (console_.AltHeld()) {
          EndWith('h');
        } else {
          SpeakWord();
        }
        break;
      case code::kF4:
        if (speech_.LeftToScreenReader()) break;
        speech_.SetEchoTyping(!speech_.EchoTyping());
        Prompt(speech_.EchoTyping() ? "_FALACI" : "_FALDLG");
        break;
      case code::kF8:
        SpeakTime(speech_);
        break;
      case code::kF12: {
        std::string word = LinkWordAt(text_, pos_);
        if (word.empty()) {
          speech_.PlayBeep();
        } else {
          OpenLinkOrFile(
              console_, speech_,
              [this](const std::string& key) { return settings_.ReadIniString("AUDIRA", key); },
              word);
        }
        break;
      }
      case code::kHome:
        pos_ = 1;
        first_key_ = false;  // placed at the start on purpose: typing goes in there
        break;
      case code::kLeft:
        if (pos_ == 1) {
          speech_.PlayBeep();
        } else {
          --pos_;
          speech_.SpeakChar(At(pos_));
        }
        break;
      case code::kRight:
        MoveRight();
        break;
      case code::kEnd:
        pos_ = LastNonBlank(text_) + 1;
        first_key_ = false;
        break;
      case code::kDelete:
        Delete();
        break;
      case code::kCtrlF1:
        speech_.ReadText(Trimmed());
        break;
      case code::kCtrlF4:
        ChangeSpeed();
        break;
      case code::kCtrlF8:
        SpeakDate(speech_);
        break;
      case code::kCtrlF9:
        if (!console_.AltHeld()) {
          EndWith('f');
        } else if (review_screen_) {
          review_screen_();
        }
        break;
      case code::kCtrlLeft:
        MoveWord(PreviousWord(text_, pos_));
        break;
      case code::kCtrlRight:
        MoveWord(NextWord(text_, pos_));
        break;
      case code::kShiftInsert:
        Paste();
        break;
      case code::kCtrlInsert:
        Copy();
        break;
      default:
        if (key < code::kAlt1 || key > code::kAlt0) EndWith(key);
    }
  }

  void MoveRight() {
    if (pos_ > capacity_) {
      speech_.PlayBeep();
      return;
    }
    const uint8_t ch = At(pos_);
    if (console_.AltHeld() && ch < 128 && IsFieldLetter(ch)) {
      Prompt(("_FON" + std::to_string(ch)).c_str());  // the letter's phonetic name
    } else {
      speech_.SpeakChar(ch);
    }
    ++pos_;
  }

  // Delete: a selection left standing (only with Shift held) goes as a whole, with one
  // "_DEL"; otherwise the character at the cursor.
  void Delete() {
    if (!HasSelection()) {
      DeleteAtCursor(true);
      return;
    }
    auto [start, end] = SelectionBounds();
    pos_ = std::min(start, capacity_ + 1);
    end = std::min(end, capacity_ + 1);
    anchor_ = selection_end_ = pos_;
    if (editable_) DeleteCharacters(end - pos_);
  }

  // Ctrl+F4: the digit typed is the new speech speed; Esc or Enter keep the old one.
  void ChangeSpeed() {
    if (speech_.LeftToScreenReader()) return;
    Prompt("_VELOC");
    uint8_t last = 0;
    do {
      last = keys_.ReadKeySpoken();
    } while (console_.KeyPressed());
    if (last == code::kEsc || last == code::kEnter) return;
    const std::string prompt_dir = speech_.PromptDir();
    speech_.EndSpeech();
    speech_.InitSpeech(last - '0', prompt_dir);
  }

  speech::SpeechFrontEnd& speech_;
  console::Console& console_;
  SpokenKeyReader& keys_;
  const files::AudiraSettings& settings_;
  const ScreenReviewHook& review_screen_;
  std::string text_;
  std::string saved_;
  int column_ = 1;
  int row_ = 1;
  bool editable_ = true;
  int width_ = 1;
  int capacity_ = 1;
  int pos_ = 1;
  int scroll_ = 1;
  int anchor_ = 0;
  int selection_end_ = 0;
  bool first_key_ = true;
  bool done_ = false;
  uint8_t ending_code_ = 0;
};

}  // namespace

uint8_t EditLine(const FieldContext& context, std::string& text, int column, int row, bool editable,
                 int width, int capacity, const ScreenReviewHook& review_screen) {
  FieldEditor editor(context, text, column, row, editable, width, capacity, review_screen);
  return editor.Run(text);
}

}  // namespace cadencio::dialogs
