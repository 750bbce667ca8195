// The screen review spoken through the real speech front end: letters of a word without
// vowels come from their recordings, words go to the voice as texts, and the beeps and clicks
// are the front end's own.
#include <gtest/gtest.h>

#include "base/keys.hpp"
#include "dialogs/front_end_review_voice.hpp"
#include "dialogs/screen_review.hpp"
#include "support/scenario.hpp"

namespace cadencio::app {
namespace {

namespace vk = base::vk;
using speech::SpeechEvent;
using testing::PressKey;
using testing::Scenario;
using testing::TempDataRoot;
using testing::TypeChar;

// Writes the screen, puts the cursor at (row, column) and runs the review on the scenario.
void RunReview(Scenario& scenario, const std::string& row_text, int row, int column) {
  int exit_code = scenario.RunDialog([&] {
    console::Console& console = scenario.Console();
    console.ClearScreen();
    console.MoveCursor(1, row);
    console.WriteToScreen(row_text);
    console.MoveCursor(column, row);
    dialogs::ClearReviewSearchText();
    dialogs::ReviewScreen(scenario.Console(), scenario.Speech());
  });
  EXPECT_EQ(exit_code, -1);  // the review returned on Esc
}

TEST(ScreenReviewSpoken, ConsonantWordIsSpelledFromLetterRecordings) {
  TempDataRoot root;
  Scenario scenario({PressKey(500, base::vk::F(1)), TypeChar(1500, 27)}, 500);
  RunReview(scenario, "XML casa", 2, 1);
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kChar), (std::vector<std::string>{"X", "M", "L"}));
  EXPECT_TRUE(scenario.Spoken(SpeechEvent::kText).empty());
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kBeep).size(), 3u);  // the opening beep and two at Esc
}

TEST(ScreenReviewSpoken, LineIsReadWordByWordAndTheCursorComesBack) {
  TempDataRoot root;
  Scenario scenario({TypeChar(500, ' '), TypeChar(3000, 27)}, 500);
  RunReview(scenario, "casa ====== fim", 3, 9);
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kText), (std::vector<std::string>{"casa", "===", "fim"}));
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kClick).size(), 1u);
  EXPECT_EQ(scenario.Console().CursorRow(), 3);
  EXPECT_EQ(scenario.Console().CursorColumn(), 9);
}

TEST(ScreenReviewSpoken, PositionIsSpokenAsNumbers) {
  TempDataRoot root;
  Scenario scenario({TypeChar(500, 11), TypeChar(3000, 27)}, 500);
  RunReview(scenario, "", 3, 12);
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kText), (std::vector<std::string>{"3 12"}));
}

}  // namespace
}  // namespace cadencio::app
