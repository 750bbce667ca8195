// Plain line output: what is appended for each new state of the screen.
#include "frontends/terminal/line_output.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cadencio::frontends {
namespace {

using Rows = std::vector<std::string>;

// `wrapped`: the rows whose text goes on at the next row.
ScreenCells Screen(const Rows& rows, const std::vector<int>& wrapped = {}) {
  ScreenCells cells;
  for (int row : wrapped) cells.wraps[row] = true;
  cells.chars.fill(' ');
  for (size_t r = 0; r < rows.size() && r < kScreenRows; ++r) {
    for (size_t c = 0; c < rows[r].size() && c < kScreenColumns; ++c) {
      cells.chars[r * kScreenColumns + c] = static_cast<uint8_t>(rows[r][c]);
    }
  }
  return cells;
}

// The screen full of numbered rows from `first` on.
Rows Numbered(int first) {
  Rows rows;
  for (int r = 0; r < kScreenRows; ++r) rows.push_back("linha " + std::to_string(first + r));
  return rows;
}

std::string AllRows(int first, int last) {
  std::string text;
  for (int n = first; n <= last; ++n)
    text += (n == first ? "linha " : "\nlinha ") + std::to_string(n);
  return text;
}

TEST(LineOutput, EachNewStateOfTheScreenAppendsWhatChanged) {
  struct Case {
    const char* name;
    std::vector<Rows> states;
    std::string expected;
    std::vector<int> wrapped = {};  // the rows that wrap in the last state
  };
  const std::string full_row(kScreenColumns, 'a');
  // The screen full with the cursor on a blank last row, and the same screen after a line
  // longer than the screen's width was written there and ended.
  Rows before = Numbered(0);
  before.back() = "";
  const Rows scrolled = Numbered(2);
  Rows after(scrolled.begin(), scrolled.end() - 3);
  after.insert(after.end(), {"nova mensagem", "longa", ""});
  const Case cases[] = {
      {"a row cut inside a word goes on in the same line", {{full_row, "b"}}, full_row + "b", {0}},
      {"a word moved to the next row keeps the blank before it",
       {{"um dois"}, {"um dois", "tres"}},
       "um dois tres",
       {0}},
      {"a word shown cut, then moved down whole, is only completed",
       {{"um do"}, {"um", "dois"}},
       "um dois",
       {0}},
      {"a line written on the last row as the screen scrolls is not the whole screen again",
       {before, after},
       AllRows(0, 23) + "\nnova mensagem longa",
       {22}},
      {"a prompt grows in place as the answer is typed",
       {{"Informe BPM :"}, {"Informe BPM : 1"}, {"Informe BPM : 12"}},
       "Informe BPM : 12"},
      {"the next row starts a line", {{"OK"}, {"OK", "Qual"}}, "OK\nQual"},
      {"two rows written at once", {{"um", "dois"}}, "um\ndois"},
      {"a row changed other than at its end is written again", {{"abc"}, {"ab"}}, "abc\nab"},
      {"an unchanged screen adds nothing", {{"x"}, {"x"}}, "x"},
      {"text written again after a clear is shown again",
       {{"MARCA"}, {}, {"MARCA"}},
       "MARCA\nMARCA"},
      {"a scrolled screen adds only the new row", {Numbered(0), Numbered(1)}, AllRows(0, 25)},
      {"a scroll while the bottom row grows",
       {Numbered(0),
        [] {
          Rows rows = Numbered(1);
          rows.back() = "nova";
          return rows;
        }(),
        [] {
          Rows rows = Numbered(1);
          rows.back() = "nova linha";
          return rows;
        }()},
       AllRows(0, 24) + "\nnova linha"},
  };
  for (const Case& c : cases) {
    LineOutput output;
    std::string text;
    for (const Rows& state : c.states) {
      const bool last = &state == &c.states.back();
      text += output.Update(Screen(state, last ? c.wrapped : std::vector<int>{}));
    }
    EXPECT_EQ(text, c.expected) << c.name;
    EXPECT_EQ(output.Finish(), "\n") << c.name;
    EXPECT_EQ(output.Finish(), "") << c.name << ": a line is ended once";
  }
}

TEST(LineOutput, BlankRowsAreNoScroll) {
  EXPECT_EQ(ScrollDistance(Screen({}), Screen({})), 0);
  EXPECT_EQ(ScrollDistance(Screen({"a", "b"}), Screen({"a", "b", "c"})), 0);
  EXPECT_EQ(ScrollDistance(Screen(Numbered(0)), Screen(Numbered(3))), 3);
}

}  // namespace
}  // namespace cadencio::frontends
