// The console model: writing with the deferred wrap, scrolling, cursor moves, the key queue
// with its translation of key messages, and the waits.
#include "console/console.hpp"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "base/keys.hpp"
#include "frontends/headless_frontend.hpp"

namespace cadencio::console {
namespace {

namespace vk = base::vk;

class ConsoleTest : public ::testing::Test {
 protected:
  explicit ConsoleTest(std::vector<frontends::ScriptedMessage> script = {})
      : frontend_(clock_, std::move(script), 100000), console_(frontend_, loop_, clock_) {}

  std::vector<int> Drain() {
    std::vector<int> bytes;
    while (console_.Queue().Count() > 0) bytes.push_back(console_.Queue().Pop());
    return bytes;
  }

  base::VirtualClock clock_;
  base::MessageLoop loop_;
  frontends::HeadlessFrontend frontend_;
  Console console_;
};

TEST_F(ConsoleTest, EightyCharactersDeferTheWrap) {
  console_.ClearScreen();
  console_.WriteToScreen(std::string(80, 'x'));
  EXPECT_EQ(console_.CursorColumn(), 81);
  EXPECT_EQ(console_.CursorRow(), 1);
  console_.WriteToScreen("\r\n");
  EXPECT_EQ(console_.CursorColumn(), 1);
  EXPECT_EQ(console_.CursorRow(), 2);  // no blank line in between

  console_.ClearScreen();
  console_.WriteToScreen(std::string(81, 'y'));
  EXPECT_EQ(console_.CursorRow(), 2);
  EXPECT_EQ(console_.CursorColumn(), 2);
  EXPECT_EQ(console_.ScreenCharAt(1, 2), 'y');
}

TEST_F(ConsoleTest, ALongTextBreaksBetweenWords) {
  struct Case {
    const char* why;
    std::string text;
    std::string first_row, second_row;
  };
  const std::string a70(70, 'a'), a80(80, 'a');
  const Case cases[] = {
      {"the word the edge cuts moves down", a70 + " bbbbbbbbbbbbbbb", a70, "bbbbbbbbbbbbbbb"},
      {"a word as wide as the row is cut", a80 + "bb", a80, "bb"},
      {"a blank at the edge starts the next row", a80 + " bb", a80, " bb"},
      {"a word ending before the edge stays", a70 + " bbbbbbbb cc", a70 + " bbbbbbbb", "cc"},
  };
  for (const Case& c : cases) {
    console_.ClearScreen();
    console_.Write(c.text);
    EXPECT_EQ(frontend_.Row(0), c.first_row) << c.why;
    EXPECT_EQ(frontend_.Row(1), c.second_row) << c.why;
    EXPECT_TRUE(console_.Cells().wraps[0]) << c.why << ": the row goes on at the next";
    console_.WriteLine();
    EXPECT_FALSE(console_.Cells().wraps[1]) << c.why << ": a line end ends the line";
  }
}

TEST_F(ConsoleTest, LineFeedAlsoReturnsTheCarriage) {
  console_.ClearScreen();
  console_.WriteToScreen("abc\ndef");
  EXPECT_EQ(frontend_.Row(0), "abc");
  EXPECT_EQ(frontend_.Row(1), "def");
}

TEST_F(ConsoleTest, LineFeedOnTheLastRowScrolls) {
  console_.ClearScreen();
  for (int row = 1; row <= 25; ++row) {
    console_.WriteToScreen("row " + std::to_string(row) + (row < 25 ? "\r\n" : ""));
  }
  console_.SetTextBackground(frontends::kBlue);
  console_.WriteToScreen("\n");
  EXPECT_EQ(frontend_.Row(0), "row 2");
  EXPECT_EQ(frontend_.Row(23), "row 25");
  EXPECT_EQ(frontend_.Row(24), "");
  EXPECT_EQ(console_.CursorRow(), 25);
  EXPECT_EQ(console_.ScreenAttrAt(1, 25), frontends::kBlue * 16 + frontends::kLightGray);
}

TEST_F(ConsoleTest, BackspaceBlanksTheCellToTheLeft) {
  console_.ClearScreen();
  console_.WriteToScreen("\b");
  EXPECT_EQ(console_.CursorColumn(), 1);
  console_.WriteToScreen("ab\b");
  EXPECT_EQ(console_.CursorColumn(), 2);
  EXPECT_EQ(frontend_.Row(0), "a");
}

TEST_F(ConsoleTest, ControlBytesAreIgnoredAndBellBeeps) {
  console_.ClearScreen();
  console_.WriteToScreen("a\tb\x01\a");
  EXPECT_EQ(frontend_.Row(0), "ab");
  EXPECT_EQ(frontend_.Beeps(), 1);
}

TEST_F(ConsoleTest, MoveCursorClampsToTheScreen) {
  console_.MoveCursor(0, 0);
  EXPECT_EQ(console_.CursorColumn(), 1);
  EXPECT_EQ(console_.CursorRow(), 1);
  console_.MoveCursor(200, 200);
  EXPECT_EQ(console_.CursorColumn(), 80);
  EXPECT_EQ(console_.CursorRow(), 25);
}

TEST_F(ConsoleTest, ClearToLineEndKeepsTheCursor) {
  console_.ClearScreen();
  console_.WriteToScreen("hello world");
  console_.MoveCursor(6, 1);
  console_.ClearToLineEnd();
  EXPECT_EQ(frontend_.Row(0), "hello");
  EXPECT_EQ(console_.CursorColumn(), 6);
}

TEST_F(ConsoleTest, BackgroundChangesCanBeRefused) {
  console_.SetTextAttr(0x07);
  console_.SetTextBackground(4);
  EXPECT_EQ(console_.TextAttr(), 0x47);
  console_.SetColourChangesAllowed(false);
  console_.SetTextBackground(1);
  EXPECT_EQ(console_.TextAttr(), 0x47);
}

TEST_F(ConsoleTest, SpecialKeysQueueZeroAndTheirCode) {
  struct Case {
    int key;
    bool ctrl, alt, shift;
    std::vector<int> queued;
  };
  const Case cases[] = {
      {base::vk::F(1), false, false, false, {0, 59}},
      {base::vk::F(1), true, false, false, {0, 94}},
      {base::vk::F(10), false, false, false, {0, 68}},
      {base::vk::F(12), true, false, false, {0, 105}},
      {base::vk::kInsert, false, false, true, {0, 254}},
      {base::vk::kInsert, true, false, false, {0, 255}},
      {base::vk::kDelete, true, false, false, {0, 83}},
      {base::vk::kHome, true, false, false, {0, 119}},
      {base::vk::kPrior, true, false, false, {0, 132}},
      {base::vk::kNext, false, false, false, {0, 81}},
      {base::vk::kUp, false, false, true, {0, 72}},
      {base::vk::kLeft, true, false, false, {0, 115}},
      {'X', false, true, false, {0, 45}},
      {'0', false, true, false, {0, 129}},
      {'1', true, true, false, {0, 120}},
      {'Q', false, true, false, {0, 16}},
      {base::vk::kLeft, false, true, false, {0, 75}},
      {'X', false, false, false, {}},
  };
  for (const auto& c : cases) {
    console_.TranslateKeyDown(c.key, c.ctrl, c.alt, c.shift);
    EXPECT_EQ(Drain(), c.queued) << "key " << c.key << " ctrl " << c.ctrl << " alt " << c.alt;
  }
}

TEST_F(ConsoleTest, CharactersWithCtrl) {
  console_.TranslateChar(13, true);
  console_.TranslateChar(8, true);
  console_.TranslateChar(13, false);
  console_.TranslateChar(8, false);
  console_.TranslateChar(0xE7, false);  // c cedilla
  EXPECT_EQ(Drain(), (std::vector<int>{10, 127, 13, 8, 0xE7}));
}

TEST_F(ConsoleTest, QueueLimits) {
  for (int i = 0; i < 63; ++i) console_.TranslateChar('a', false);
  console_.TranslateKeyDown(base::vk::kUp, false, false, false);  // needs two bytes: dropped
  EXPECT_EQ(console_.Queue().Count(), 63);
  console_.TranslateKeyDown('A', false, true, false);  // Alt needs two free bytes too
  EXPECT_EQ(console_.Queue().Count(), 63);
  console_.TranslateChar('b', false);
  EXPECT_EQ(console_.Queue().Count(), 64);
  console_.TranslateChar('c', false);
  EXPECT_EQ(console_.Queue().Count(), 64);
  EXPECT_EQ(Drain().back(), 'b');
}

TEST_F(ConsoleTest, SystemKeysOtherThanAltArrowsQueueNothing) {
  loop_.Post({base::MessageKind::kSysKeyDown, base::vk::F(10)});
  loop_.Post({base::MessageKind::kSysKeyDown, base::vk::kRight, false, true});
  console_.PumpAllMessages();
  EXPECT_EQ(Drain(), (std::vector<int>{0, 77}));
}

TEST_F(ConsoleTest, CtrlBreakAndQuitEndWith255AndCloseWithZero) {
  EXPECT_THROW(
      {
        try {
          console_.TranslateKeyDown(base::vk::kCancel, true, false, false);
        } catch (const frontends::ProgramExit& exit) {
          EXPECT_EQ(exit.code, 255);
          throw;
        }
      },
      frontends::ProgramExit);
  loop_.Post({base::MessageKind::kQuit});
  try {
    console_.KeyPressed();
    FAIL() << "the quit message must end the program";
  } catch (const frontends::ProgramExit& exit) {
    EXPECT_EQ(exit.code, 255);
  }
  console_.TranslateChar('a', false);
  loop_.Post({base::MessageKind::kClose});
  try {
    console_.KeyPressed();
    FAIL() << "closing the window must end the program";
  } catch (const frontends::ProgramExit& exit) {
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(console_.Queue().Count(), 0);
  }
}

TEST_F(ConsoleTest, DelayIsSixteenBitAndStillPumps) {
  console_.Delay(70000);
  EXPECT_EQ(clock_.NowMs(), 70000 % 65536);
  loop_.Post({base::MessageKind::kChar, 'z'});
  console_.Delay(0);
  EXPECT_EQ(Drain(), std::vector<int>{'z'});
}

// Messages that are not the console's go to the handler registered on the loop for their
// kind, in their turn among the keys; a kind without a handler is dropped.
TEST_F(ConsoleTest, NoticesGoToTheLoopsHandlersInTheirTurn) {
  std::vector<std::pair<int64_t, int>> seen;  // block index, keys queued by then
  loop_.SetNoticeHandler(base::MessageKind::kBlockDone, [&](const base::Message& message) {
    seen.emplace_back(message.param, console_.Queue().Count());
  });
  const auto post = [&](base::MessageKind kind, int key, int64_t param) {
    base::Message message{kind, key};
    message.param = param;
    loop_.Post(message);
  };
  post(base::MessageKind::kChar, 'a', 0);
  post(base::MessageKind::kBlockDone, 0, 3);
  post(base::MessageKind::kWakeSpeech, 0, 0);
  post(base::MessageKind::kChar, 'b', 0);
  post(base::MessageKind::kBlockDone, 0, 4);
  console_.PumpAllMessages();
  EXPECT_EQ(seen, (std::vector<std::pair<int64_t, int>>{{3, 1}, {4, 2}}));
  EXPECT_EQ(Drain(), (std::vector<int>{'a', 'b'}));

  // A handler that removes itself while it runs is called once.
  int calls = 0;
  loop_.SetNoticeHandler(base::MessageKind::kBlockDone, [&](const base::Message&) {
    ++calls;
    loop_.SetNoticeHandler(base::MessageKind::kBlockDone, {});
  });
  post(base::MessageKind::kBlockDone, 0, 1);
  post(base::MessageKind::kBlockDone, 0, 2);
  console_.PumpAllMessages();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(ConsoleTest, DateAndTimeParts) {
  clock_.AdvanceTo(90 * 60 * 1000 + 1234);  // 1 h 30 min 1.234 s after 10:30
  TimeParts time = console_.GetTimeParts();
  EXPECT_EQ(time.hour, 12);
  EXPECT_EQ(time.minute, 0);
  EXPECT_EQ(time.second, 1);
  EXPECT_EQ(time.hundredths, 23);
  DateParts date = console_.GetDateParts();
  EXPECT_EQ(date.year, 2026);
  EXPECT_EQ(date.day_of_week, 1);
}

class ScriptedConsoleTest : public ConsoleTest {
 protected:
  ScriptedConsoleTest()
      : ConsoleTest({{10, {base::MessageKind::kChar, '1'}},
                     {20, {base::MessageKind::kChar, '2'}},
                     {30, {base::MessageKind::kChar, 8}},
                     {40, {base::MessageKind::kKeyDown, base::vk::F(1)}},
                     {50, {base::MessageKind::kChar, 13}}}) {}
};

TEST_F(ScriptedConsoleTest, LineReadEchoesAndTakesTheCodeOfAnExtendedKey) {
  console_.ClearScreen();
  EXPECT_EQ(console_.ReadScreenLine(), "1;");  // F1 types a semicolon
  EXPECT_EQ(frontend_.Row(0), "1;");
  EXPECT_EQ(console_.CursorRow(), 2);
  EXPECT_EQ(clock_.NowMs(), 50);
}

}  // namespace
}  // namespace cadencio::console
