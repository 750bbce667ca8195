// Screen review: word, line, field and range readings, the moves and their corrections, the
// search and jump prompts, the position readout and the screen copy, driven by scripted keys
// on the headless console with a voice that records what the review asks it to say.
#include "dialogs/screen_review.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/keys.hpp"
#include "dialogs/review_reader.hpp"
#include "frontends/headless_frontend.hpp"
#include "frontends/terminal/terminal_frontend.hpp"
#include "support/pty_screen.hpp"

namespace cadencio::dialogs {
namespace {

namespace vk = base::vk;
using Events = std::vector<std::string>;

// Records every request as "text:...", "spell:...", "char:c", "prompt:...", "beep", "click".
// The beep empties the key queue as the real one does; speaking may take virtual time, so
// that keys typed meanwhile arrive during a reading.
class RecordingVoice final : public ReviewVoice {
 public:
  explicit RecordingVoice(console::Console& console) : console_(console) {}
  void SpeakText(std::string_view text) override { Say("text:" + std::string(text)); }
  void SpeakChar(uint8_t ch) override { Say("char:" + std::string(1, static_cast<char>(ch))); }
  void SpellText(std::string_view text) override { Say("spell:" + std::string(text)); }
  // When given, each text and spelling also notes where the screen shows the cursor then, as
  // "@row,column" (1-based), and " hidden" when the caret is not shown.
  const frontends::HeadlessFrontend* screen = nullptr;
  void PlayPromptWav(const std::string& name) override { events.push_back("prompt:" + name); }
  void PlayBeep() override {
    while (console_.KeyPressed()) console_.ReadKey();
    events.push_back("beep");
  }
  void PlayClick() override { events.push_back("click"); }
  bool SpeechBusy() override { return false; }
  bool EngineActive() override { return engine_active; }

  Events events;
  bool engine_active = false;
  int speaking_ms = 0;

 private:
  void Say(std::string event) {
    if (screen != nullptr && !event.starts_with("char:")) {
      event += '@' + std::to_string(screen->CursorRow() + 1) + "," +
               std::to_string(screen->CursorColumn() + 1) + (screen->CaretShown() ? "" : " hidden");
    }
    events.push_back(std::move(event));
    if (speaking_ms > 0) console_.Delay(speaking_ms);
  }
  console::Console& console_;
};

// A key of a script: an extended key (virtual key, Ctrl) or a typed byte.
struct Key {
  base::Message message;
};
Key Press(int virtual_key, bool ctrl = false) {
  base::Message message{base::MessageKind::kKeyDown, virtual_key};
  message.ctrl = ctrl;
  return {message};
}
Key Type(uint8_t ch) {
  return {base::Message{base::MessageKind::kChar, ch}};
}
std::vector<Key> Typed(const std::string& text) {
  std::vector<Key> keys;
  for (unsigned char ch : text) keys.push_back(Type(ch));
  return keys;
}
std::vector<Key> operator+(std::vector<Key> a, const std::vector<Key>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const Key kEsc = Type(27);
const Key kCtrlK = Type(11);  // speaks "row column"
const Key kF1 = Press(base::vk::F(1));

// One review run: the screen is written first, then the keys arrive 100 ms apart (Esc is
// appended) and the review starts at the given row and column.
class Review {
 public:
  explicit Review(const std::vector<Key>& keys, int speaking_ms = 0)
      : frontend_(clock_, Script(keys), 1000),
        console_(frontend_, loop_, clock_),
        voice_(console_) {
    console_.ClearScreen();
    voice_.speaking_ms = speaking_ms;
  }
  Review& Put(int row, int column, const std::string& text, uint8_t attr = frontends::kLightGray) {
    console_.SetTextAttr(attr);
    console_.MoveCursor(column, row);
    console_.WriteToScreen(text);
    console_.SetTextAttr(frontends::kLightGray);
    return *this;
  }
  Review& Engine() {
    voice_.engine_active = true;
    return *this;
  }
  Review& FollowCursor() {
    voice_.screen = &frontend_;
    return *this;
  }
  // Runs from (row, column) and returns what was said between the opening beep and the two
  // closing beeps, which are checked here.
  Events Run(int row, int column) {
    console_.MoveCursor(column, row);
    ReviewScreen(console_, voice_, search_text_);
    Events events = voice_.events;
    EXPECT_GE(events.size(), 3u);
    if (events.size() < 3) return events;
    EXPECT_EQ(events.front(), "beep");
    EXPECT_EQ(events[events.size() - 1], "beep");
    EXPECT_EQ(events[events.size() - 2], "beep");
    return Events(events.begin() + 1, events.end() - 2);
  }
  console::Console& GetConsole() { return console_; }
  std::string& SearchText() { return search_text_; }

 private:
  static std::vector<frontends::ScriptedMessage> Script(const std::vector<Key>& keys) {
    std::vector<frontends::ScriptedMessage> script;
    int64_t at = 100;
    for (const Key& key : keys) script.push_back({at, key.message}), at += 100;
    script.push_back({at, kEsc.message});
    return script;
  }
  base::VirtualClock clock_;
  base::MessageLoop loop_;
  frontends::HeadlessFrontend frontend_;
  console::Console console_;
  RecordingVoice voice_;
  std::string search_text_;
};

// --- reading the word at the review position --------------------------------------------

struct WordCase {
  const char* name;
  std::string row_text;
  int column;
  Events expected;  // F1, then Ctrl+K
};

TEST(ScreenReviewWord, F1ReadsOneWordAndLeavesTheColumnAfterIt) {
  const std::vector<WordCase> cases = {
      {"consonants are spelled", "XML casa", 1, {"spell:XML", "text:1 4"}},
      {"word with a vowel is spoken", "casa XML", 1, {"text:casa", "text:1 5"}},
      {"blanks before the word are skipped", "   casa", 1, {"text:casa", "text:1 8"}},
      {"six equal signs say three", "======x", 1, {"text:===", "text:1 7"}},
      {"ten dashes say three", "---------- fim", 1, {"text:---", "text:1 11"}},
      {"a lone letter", "a=b", 1, {"text:a", "text:1 2"}},
      {"a mark followed by letters joins them", "=abc", 1, {"text:=abc", "text:1 5"}},
      {"accented letters are word letters",
       "cora\xE7\xE3o!",
       1,
       {"text:cora\xE7\xE3o", "text:1 8"}},
      {"digits are word characters", "12h30", 1, {"text:12h30", "text:1 6"}},
      {"consonants with a digit are spoken", "MP3", 1, {"text:MP3", "text:1 4"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Review review({kF1, kCtrlK});
    review.Put(1, 1, c.row_text);
    EXPECT_EQ(review.Run(1, c.column), c.expected);
  }
}

TEST(ScreenReviewWord, F1AtColumnEightyReadsNothingAndGoesToTheLineEnd) {
  Review review({kF1, kCtrlK});
  review.Put(1, 1, "abc");
  review.Put(1, 80, "z");
  EXPECT_EQ(review.Run(1, 80), (Events{"click", "text:1 81"}));
}

TEST(ScreenReviewWord, F1OnABlankRowReadsNothing) {
  Review review({kF1, kCtrlK});
  EXPECT_EQ(review.Run(7, 1), (Events{"click", "text:7 1"}));
}

TEST(ScreenReviewWord, F1WithAnEngineAndAWaitingKeyDoesNotRead) {
  // The line takes 250 ms to speak, so F1 and Ctrl+K both arrive meanwhile: the line stops
  // without its click, and F1 finds Ctrl+K waiting.
  Review review({Type(' '), kF1, kCtrlK}, 250);
  review.Engine().Put(1, 1, "palavra");
  EXPECT_EQ(review.Run(1, 1), (Events{"text:palavra" + std::string(73, ' '), "text:1 1"}));
}

// --- moves ------------------------------------------------------------------------------

TEST(ScreenReviewMoves, EndGoesPastTheLastCharacter) {
  Review review(
      {Press(base::vk::kEnd), kCtrlK, Press(base::vk::kDown), Press(base::vk::kEnd), kCtrlK});
  review.Put(1, 1, "abc");
  EXPECT_EQ(review.Run(1, 1), (Events{"text:1 4", "click", "click", "text:2 1"}));
}

TEST(ScreenReviewMoves, RightAndLeftSpeakCharactersAndBeepAtTheEdges) {
  Review review({Press(base::vk::kRight), Press(base::vk::kRight), Type(8), Press(base::vk::kHome),
                 Press(base::vk::kLeft), kCtrlK});
  review.Put(1, 1, "ok");
  EXPECT_EQ(review.Run(1, 1), (Events{"char:o", "char:k", "char:k",
                                      // Left at column 1 beeps, and column 0 is corrected
                                      "beep", "beep", "text:1 1"}));
}

TEST(ScreenReviewMoves, RightPastTheLastColumnIsCorrectedToColumnEighty) {
  Review review({Press(base::vk::kEnd), Press(base::vk::kRight), kCtrlK});
  review.Put(1, 1, std::string(80, 'x'));
  EXPECT_EQ(review.Run(1, 1), (Events{"char: ", "beep", "text:1 80"}));
}

TEST(ScreenReviewMoves, UpAndDownReadTheLineAndBeepAtTheEdges) {
  Review review({Press(base::vk::kUp), Press(base::vk::kDown), Press(base::vk::kPrior),
                 Press(base::vk::kNext), Press(base::vk::kDown), kCtrlK});
  review.Put(2, 1, "dois").Put(25, 1, "fim");
  EXPECT_EQ(review.Run(1, 5), (Events{"beep",                           // Up on row 1
                                      "click", "text:dois", "click",    // Down to row 2
                                      "click",                          // Page Up: row 1
                                      "text:fim", "click",              // Page Down
                                      "click", "beep", "text:25 1"}));  // Down on row 25
}

TEST(ScreenReviewMoves, EnterMovesDownSilently) {
  Review review({Type(13), kCtrlK});
  review.Put(2, 1, "texto");
  EXPECT_EQ(review.Run(1, 9), (Events{"click", "text:2 1"}));
}

TEST(ScreenReviewMoves, CtrlLeftAndCtrlRightMoveByWords) {
  const Key left = Press(base::vk::kLeft, true);
  const Key right = Press(base::vk::kRight, true);
  Review review({left, kCtrlK, left, kCtrlK, right, right, kCtrlK, right, kCtrlK});
  review.Put(1, 1, "um dois tres");
  EXPECT_EQ(review.Run(1, 6),
            (Events{"click", "text:1 4",                                   // to the start of "dois"
                    "beep", "text:1 1",                                    // "um" begins the row
                    "click", "click", "text:1 9", "beep", "text:1 13"}));  // no next word: line end
}

TEST(ScreenReviewMoves, CtrlLeftOverBlanksOnlyBeepsAtColumnOne) {
  Review review({Press(base::vk::kLeft, true), kCtrlK});
  review.Put(1, 10, "palavra");
  EXPECT_EQ(review.Run(1, 5), (Events{"beep", "text:1 1"}));
}

TEST(ScreenReviewMoves, CtrlPageUpAndDownFindTheFirstAndLastLetters) {
  Review review({Press(base::vk::kPrior, true), kCtrlK, Press(base::vk::kNext, true), kCtrlK});
  review.Put(1, 1, "12 34").Put(3, 1, "--x").Put(20, 1, "ab 9");
  EXPECT_EQ(review.Run(10, 10), (Events{"text:--", "text:x", "click", "text:3 3", "text:ab",
                                        "text:9", "click", "text:20 2"}));
}

TEST(ScreenReviewMoves, CtrlPageUpOnAScreenWithoutLettersReadsTheCurrentLine) {
  Review review({Press(base::vk::kPrior, true), kCtrlK});
  review.Put(4, 1, "1 2");
  EXPECT_EQ(review.Run(4, 3), (Events{"text:1", "text:2", "click", "text:4 3"}));
}

// --- reading commands -------------------------------------------------------------------

TEST(ScreenReviewRanges, TwoLetterCommandsOnTheReviewRow) {
  struct Case {
    std::string keys;
    Events expected;  // the reading, then Ctrl+K
  };
  // "um dois tres" with the review on the "t" of "tres" (column 9).
  const std::vector<Case> cases = {
      {"IL", {"text:um", "text:dois", "click", "text:1 9"}},
      {"il", {"text:um", "text:dois", "click", "text:1 9"}},
      {"TL", {"text:um", "text:dois", "text:tres", "click", "text:1 9"}},
      {"LL", {"text:um", "text:dois", "text:tres", "click", "text:1 9"}},
      {"FL", {"text:tres", "click", "text:1 9"}},
      {"TC", {"text:um", "text:dois", "text:tres", "click", "text:1 9"}},
      {"IC", {"text:um", "text:dois", "text:tres", "click", "text:1 9"}},
      {"xT", {"beep", "click", "beep", "text:1 9"}},
      {"Tx", {"beep", "click", "beep", "text:1 9"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    std::vector<Key> keys = Typed(c.keys);
    if (c.keys[0] == 'x') keys.pop_back();  // a wrong first letter reads no second key
    Review review(keys + std::vector<Key>{kCtrlK});
    review.Put(1, 1, "um dois tres");
    EXPECT_EQ(review.Run(1, 9), c.expected);
  }
}

TEST(ScreenReviewRanges, RangeEndingBeforeItStartsBeeps) {
  Review review(Typed("IL") + Typed("IT") + std::vector<Key>{kCtrlK});
  review.Put(1, 1, "abc");
  EXPECT_EQ(review.Run(1, 1), (Events{"beep", "beep", "text:1 1"}));
}

TEST(ScreenReviewRanges, FtFromRowThreeColumnTenReadsToTheScreenEnd) {
  Review review(Typed("FT") + std::vector<Key>{kCtrlK});
  review.Put(3, 1, "primeiro segundo terceiro").Put(5, 1, "quinta").Put(25, 1, "fim");
  Events expected = {"text:segundo", "text:terceiro", "click", "click", "text:quinta"};
  for (int row = 5; row <= 24; ++row) expected.push_back("click");
  expected.insert(expected.end(), {"text:fim", "click", "text:25 4"});
  EXPECT_EQ(review.Run(3, 10), expected);
}

TEST(ScreenReviewRanges, ItReadsFromTheTopToBeforeTheReviewColumn) {
  Review review(Typed("IT") + std::vector<Key>{kCtrlK});
  review.Put(1, 1, "um").Put(2, 1, "dois tres");
  EXPECT_EQ(review.Run(2, 6), (Events{"text:um", "click", "text:dois", "click", "text:2 6"}));
}

TEST(ScreenReviewRanges, ItAtColumnOneDoesNotReadTheReviewRow) {
  Review review(Typed("IT"));
  review.Put(1, 1, "um").Put(2, 1, "dois");
  EXPECT_EQ(review.Run(2, 1), (Events{"text:um", "click", "click"}));
}

TEST(ScreenReviewRanges, SpaceReadsTheLineAndRestoresThePosition) {
  Review review({Type(' '), kCtrlK});
  review.Put(2, 1, "um dois tres");
  EXPECT_EQ(review.Run(2, 5), (Events{"text:um", "text:dois", "text:tres", "click", "text:2 5"}));
}

TEST(ScreenReviewRanges, AKeyDuringTtStopsTheReadingAfterTheCurrentWord) {
  // Each word takes 40 ms; Ctrl+K arrives while "gama" is spoken.
  Review timed(Typed("TT") + std::vector<Key>{kCtrlK}, 40);
  timed.Put(1, 1, "alfa beta").Put(2, 1, "gama delta").Put(3, 1, "epsilon");
  Events events = timed.Run(1, 1);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "text:2 11");  // stopped on row 2, left at its line end
  EXPECT_EQ(std::count(events.begin(), events.end(), "text:epsilon"), 0);
  EXPECT_EQ(std::count(events.begin(), events.end(), "text:delta"), 0);
}

TEST(ScreenReviewRanges, ReadingAnAllBlankScreenEnds) {
  Review review(Typed("TT") + std::vector<Key>{kCtrlK});
  Events expected(25, "click");
  expected.push_back("text:25 1");
  EXPECT_EQ(review.Run(1, 1), expected);
}

TEST(ScreenReviewRanges, ACharacterInTheLastColumnDoesNotStopALineReading) {
  Review review({Type(' '), kCtrlK});
  review.Put(1, 1, "ab").Put(1, 80, "z");
  EXPECT_EQ(review.Run(1, 1), (Events{"text:ab", "click", "text:1 1"}));
}

TEST(ScreenReviewRanges, AnEngineGetsEachStretchInOnePiece) {
  Review review(Typed("FL"));
  review.Engine().Put(1, 1, "um dois");
  EXPECT_EQ(review.Run(1, 4), (Events{"text:dois" + std::string(73, ' '), "click"}));
}

// --- the cursor on screen while reading ---------------------------------------------------

// The screen of the cursor tests: words, and a consonant group that is spelled.
void PutCursorScreen(console::Console& console) {
  console.MoveCursor(1, 1);
  console.WriteToScreen("alfa beta");
  console.MoveCursor(3, 2);
  console.WriteToScreen("gama XYZ");
}
// Where the shown cursor stands while each word of TT is said: on its last character.
const Events kWordsWithCursor = {"text:alfa@1,4", "text:beta@1,9", "text:gama@2,6",
                                 "spell:XYZ@2,10"};

TEST(ScreenReviewCursor, TtShowsTheCursorOnEachWordAsItIsRead) {
  Review review(Typed("TT"));
  review.FollowCursor();
  PutCursorScreen(review.GetConsole());
  Events events = review.Run(5, 1);
  events.erase(std::remove(events.begin(), events.end(), "click"), events.end());
  EXPECT_EQ(events, kWordsWithCursor);

  // With an engine each row is said whole, with the cursor at the row's start.
  Review engine(Typed("TT"));
  engine.Engine().FollowCursor().Put(1, 1, "um dois").Put(2, 3, "tres");
  Events rows = engine.Run(5, 1);
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[0], "text:um dois" + std::string(73, ' ') + "@1,1");
  EXPECT_EQ(rows[2], "text:  tres" + std::string(74, ' ') + "@2,1");
}

// The voice of the child process: it reports each text to the test and waits for it.
class ReportingVoice final : public ReviewVoice {
 public:
  explicit ReportingVoice(testing::PtyChild& child) : child_(child) {}
  void SpeakText(std::string_view text) override { child_.Report("text:" + std::string(text)); }
  void SpeakChar(uint8_t) override {}
  void SpellText(std::string_view text) override { child_.Report("spell:" + std::string(text)); }
  void PlayPromptWav(const std::string&) override {}
  void PlayBeep() override {}
  void PlayClick() override {}
  bool SpeechBusy() override { return false; }
  bool EngineActive() override { return false; }

 private:
  testing::PtyChild& child_;
};

TEST(ScreenReviewCursor, TheTerminalShowsTheCursorOnEachWordAsItIsRead) {
  testing::PtyChild child("xterm-256color", [](testing::PtyChild& self) {
    try {
      frontends::TerminalFrontend frontend;
      base::MessageLoop loop;
      base::RealClock clock;
      console::Console console(frontend, loop, clock);
      ReportingVoice voice(self);
      console.ClearScreen();
      PutCursorScreen(console);
      console.MoveCursor(1, 5);
      std::string search;
      ReviewScreen(console, voice, search);
      frontend.Close();
      return 0;
    } catch (const frontends::ProgramExit& exit) {
      return exit.code;
    }
  });
  ASSERT_TRUE(child.Started());
  testing::PtyScreen screen;
  child.Type("TT");
  Events events;
  for (std::size_t i = 0; i < kWordsWithCursor.size(); ++i) {
    std::optional<std::string> said = child.NextReport(screen);
    ASSERT_TRUE(said.has_value()) << "word " << i;
    events.push_back(*said + "@" + std::to_string(screen.Row()) + "," +
                     std::to_string(screen.Column()) + (screen.CursorVisible() ? "" : " hidden"));
    child.Answer();
  }
  EXPECT_EQ(events, kWordsWithCursor);
  child.Type("\033");
  EXPECT_EQ(child.Wait(screen), 0);
}

// --- fields -----------------------------------------------------------------------------

TEST(ScreenReviewFields, TabOnABarMovesOneColumn) {
  Review review({Type(9), kCtrlK});
  review.Put(1, 1, "ab|cd");
  EXPECT_EQ(review.Run(1, 3), (Events{"click", "text:1 4"}));
}

TEST(ScreenReviewFields, TabJumpsPastTheDelimiterOrTheColourChange) {
  Review review({Type(9), kCtrlK, Type(9), kCtrlK, Type(9), kCtrlK, Type(9), kCtrlK});
  review.Put(1, 1, "Nome: Joao").Put(1, 11, "Silva", 0x1F);
  EXPECT_EQ(review.Run(1, 2), (Events{"click", "text:1 6",   // after the colon
                                      "click", "text:1 12",  // past the colour change
                                      "click", "text:1 17",  // one column past "Silva"
                                      "text:1 16"}));        // last field: line end
}

TEST(ScreenReviewFields, CtrlF1AndTheFieldCommandsReadWithinTheField) {
  const Key ctrl_f1 = Press(base::vk::F(1), true);
  Review review(std::vector<Key>{ctrl_f1} + Typed("FC") + Typed("IC") + std::vector<Key>{kCtrlK});
  review.Put(1, 1, "Nome: Joao Silva|Idade");
  EXPECT_EQ(review.Run(1, 12), (Events{"text:Joao", "text:Silva", "click",  // Ctrl+F1
                                       "text:Silva", "click",               // FC
                                       "text:Joao", "text:Silva", "click",  // IC
                                       "text:1 12"}));
}

TEST(ScreenReviewFields, FieldExtentStopsAtDelimitersAndAttributes) {
  base::VirtualClock clock;
  base::MessageLoop loop;
  frontends::HeadlessFrontend frontend(clock, {}, 0);
  console::Console console(frontend, loop, clock);
  console.ClearScreen();
  console.WriteToScreen("ab:cd");
  console.SetTextAttr(0x1F);
  console.WriteToScreen("ef");
  RecordingVoice voice(console);
  ReviewReader reader(console, voice);
  struct Case {
    int column, start, end;
  };
  for (const Case& c : {Case{1, 1, 2}, Case{3, 4, 2}, Case{4, 4, 5}, Case{6, 6, 7}, Case{8, 8, 80},
                        Case{81, 81, 81}}) {
    SCOPED_TRACE(c.column);
    reader.Position() = {1, c.column};
    FieldExtent field = reader.Field();
    EXPECT_EQ(field.start, c.start);
    EXPECT_EQ(field.end, c.end);
  }
}

// --- search and jump --------------------------------------------------------------------

TEST(ScreenReviewSearch, FindsTheTextBelowOrRightOfTheReviewPosition) {
  Review review(std::vector<Key>{Press(base::vk::F(5))} + Typed("abc\r") +
                std::vector<Key>{kCtrlK});
  review.Put(2, 1, "abc xyz").Put(5, 3, "abc");
  Events events = review.Run(2, 1);  // the match at column 1 of row 2 does not count
  EXPECT_EQ(events, (Events{"text:Qual texto", "char:a", "char:b", "char:c", "click", "text:5 3"}));
  EXPECT_EQ(review.SearchText(), "abc");
}

TEST(ScreenReviewSearch, ATextOnlyLeftOfTheReviewColumnFails) {
  Review review(std::vector<Key>{Press(base::vk::F(5))} + Typed("abc\r") +
                std::vector<Key>{kCtrlK});
  review.Put(2, 1, "abc xyz");
  EXPECT_EQ(review.Run(2, 6),
            (Events{"text:Qual texto", "char:a", "char:b", "char:c", "beep", "beep", "text:2 6"}));
}

TEST(ScreenReviewSearch, BackspaceRemovesTheLastCharacterWithItsPrompt) {
  Review review(std::vector<Key>{Press(base::vk::F(5))} + Typed("ax\b\bb\r") +
                std::vector<Key>{kCtrlK});
  review.Put(3, 7, "ab");
  EXPECT_EQ(review.Run(1, 1),
            (Events{"text:Qual texto", "char:a", "char:x", "prompt:_DEL", "char:x", "prompt:_DEL",
                    "char:a", "char:b", "click", "text:3 8"}));
  EXPECT_EQ(review.SearchText(), "b");
}

TEST(ScreenReviewSearch, EscKeepsTheTextAndCtrlF5SearchesAgain) {
  const Key ctrl_f5 = Press(base::vk::F(5), true);
  Review review(std::vector<Key>{Press(base::vk::F(5))} + Typed("ok") +
                std::vector<Key>{kEsc, ctrl_f5, kCtrlK, ctrl_f5, kCtrlK, ctrl_f5, kCtrlK});
  review.Put(4, 1, "ok").Put(6, 10, "ok");
  EXPECT_EQ(review.Run(1, 1),
            (Events{"text:Qual texto", "char:o", "char:k",  // Esc: no search
                    "click", "text:4 1", "click", "text:6 10", "beep", "beep", "text:6 10"}));
}

TEST(ScreenReviewSearch, AnEmptyTextOrABlankScreenFails) {
  Review review({Press(base::vk::F(5)), Type(13), Press(base::vk::F(5), true)});
  EXPECT_EQ(review.Run(1, 1), (Events{"text:Qual texto", "beep", "beep", "beep", "beep"}));
}

TEST(ScreenReviewSearch, ExtendedKeysAreNotTyped) {
  Review review(std::vector<Key>{Press(base::vk::F(5)), Press(base::vk::kLeft)} + Typed("k\r"));
  review.Put(1, 2, "K");  // the code byte of Left is 'K'
  EXPECT_EQ(review.Run(1, 1), (Events{"text:Qual texto", "char:k", "beep", "beep"}));
  EXPECT_EQ(review.SearchText(), "k");
}

TEST(ScreenReviewJump, F6TakesRowAndColumnDigits) {
  struct Case {
    std::string digits;
    Events tail;  // after the spoken digits
  };
  const std::vector<Case> cases = {
      {"0510", {"text:5 10"}},
      {"0000", {"beep", "beep", "text:1 1"}},    // column and row corrected
      {"9999", {"beep", "beep", "text:25 80"}},  // column 99 becomes 80, row 99 becomes 25
      {"2581", {"text:25 81"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.digits);
    Review review(std::vector<Key>{Press(base::vk::F(6))} + Typed(c.digits) +
                  std::vector<Key>{kCtrlK});
    Events expected = {"text:Entre linha e coluna"};
    for (char digit : c.digits) expected.push_back(std::string("char:") + digit);
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(review.Run(3, 3), expected);
  }
}

TEST(ScreenReviewJump, ANonDigitEndsThePromptWithoutMoving) {
  Review review(std::vector<Key>{Press(base::vk::F(6))} + Typed("1x") + std::vector<Key>{kCtrlK});
  EXPECT_EQ(review.Run(3, 3),
            (Events{"text:Entre linha e coluna", "char:1", "beep", "beep", "text:3 3"}));
}

// --- position, copy, exit ---------------------------------------------------------------

TEST(ScreenReviewMisc, CtrlKAndCtrlLSpeakRowAndColumn) {
  Review review({kCtrlK, Type(12)});
  EXPECT_EQ(review.Run(3, 12), (Events{"text:3 12", "text:3 12"}));
}

TEST(ScreenReviewMisc, UnknownKeysBeepClickBeep) {
  Review review({Press(base::vk::F(2)), Type('#')});
  EXPECT_EQ(review.Run(1, 1), (Events{"beep", "click", "beep", "beep", "click", "beep"}));
}

TEST(ScreenReviewMisc, CtrlCCopiesTheWholeScreen) {
  Review review({Type(3)});
  review.Put(1, 1, "primeira").Put(25, 75, "ultima");
  EXPECT_EQ(review.Run(1, 1), Events{});
  std::string copied = review.GetConsole().PasteFromClipboard(4000);
  ASSERT_EQ(copied.size(), 25u * 82u);
  EXPECT_EQ(copied.substr(0, 82), "primeira" + std::string(72, ' ') + "\r\n");
  EXPECT_EQ(copied.substr(24 * 82), std::string(74, ' ') + "ultima\r\n");
}

TEST(ScreenReviewMisc, EscPutsTheCursorBackAndLeavesTheScreenAlone) {
  Review review({Press(base::vk::kNext), Press(base::vk::kEnd)});
  review.Put(25, 1, "fim");
  review.Run(4, 7);
  EXPECT_EQ(review.GetConsole().CursorRow(), 4);
  EXPECT_EQ(review.GetConsole().CursorColumn(), 7);
  EXPECT_EQ(review.GetConsole().ScreenCharAt(1, 25), 'f');
}

// Any key sequence on any screen ends: no reading, move or search can loop, and the review
// position is always corrected back onto the screen.
TEST(ScreenReviewRobustness, RandomKeysOnARandomScreenAlwaysEnd) {
  const std::vector<Key> pool = {kF1,
                                 Press(base::vk::kRight),
                                 Press(base::vk::kLeft),
                                 Press(base::vk::kHome),
                                 Press(base::vk::kEnd),
                                 Press(base::vk::kUp),
                                 Press(base::vk::kDown),
                                 Press(base::vk::kPrior),
                                 Press(base::vk::kNext),
                                 Press(base::vk::kPrior, true),
                                 Press(base::vk::kNext, true),
                                 Press(base::vk::kLeft, true),
                                 Press(base::vk::kRight, true),
                                 Press(base::vk::F(1), true),
                                 Press(base::vk::F(5)),
                                 Press(base::vk::F(5), true),
                                 Press(base::vk::F(6)),
                                 Type(8),
                                 Type(9),
                                 Type(13),
                                 Type(' '),
                                 Type(11),
                                 Type(3),
                                 Type('I'),
                                 Type('T'),
                                 Type('F'),
                                 Type('L'),
                                 Type('C'),
                                 Type('a'),
                                 Type('9'),
                                 Type('|')};
  const std::string cells = "ab XYZ|:!?\xB3\xC4=-- 12";
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % n;
  };
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    std::vector<Key> keys;
    for (int i = 0; i < 150; ++i) keys.push_back(pool[next(pool.size())]);
    keys.push_back(Type(13));  // ends a prompt that may be open
    Review review(keys);
    for (int row = 1; row <= 25; ++row) {
      std::string text;
      for (int column = 0; column < 80; ++column) text.push_back(cells[next(cells.size())]);
      if (next(4) == 0) text.assign(80, ' ');
      review.Put(row, 1, text, static_cast<uint8_t>(next(3)));
    }
    try {
      review.Run(1 + next(25), 1 + next(80));
    } catch (const frontends::ProgramExit&) {
      // A prompt that was still open when the keys ran out: the headless window closed.
    }
    EXPECT_GE(review.GetConsole().CursorRow(), 1);
    EXPECT_LE(review.GetConsole().CursorRow(), 25);
  }
}

}  // namespace
}  // namespace cadencio::dialogs
