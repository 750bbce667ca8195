// The reading half of the screen review: the review position over the 80 x 25 screen and the
// ways of reading from it (a word, a range of rows, a field), the line-end and word moves, and
// the forward search. Every cell read is range-guarded, every loop is bounded by the screen.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "console/console.hpp"
#include "dialogs/review_voice.hpp"

namespace cadencio::dialogs {

// Row 1-25 and column 1-81 (81 is just past the last column) once corrected.
struct ReviewPosition {
  int row = 1;
  int column = 1;
};

// The columns of the field around the review cell; start > end for an empty field.
struct FieldExtent {
  int start;
  int end;
};

constexpr int kReviewColumns = 80;
constexpr int kReviewRows = 25;

bool IsReviewWordChar(uint8_t ch);
bool IsReviewConsonant(uint8_t ch);
bool IsFieldDelimiter(uint8_t ch);

class ReviewReader {
 public:
  ReviewReader(console::Console& console, ReviewVoice& voice) : console_(console), voice_(voice) {}

  ReviewPosition& Position() { return position_; }
  // The cell under a position; outside the screen a blank with attribute 0.
  uint8_t CharAt(int column, int row) const;
  uint8_t AttrAt(int column, int row) const;

  // Column := one past the last non-blank cell of the review row (1 for a blank row).
  void GoToLineEnd();
  // Reads the word at the review position and leaves the column just after it.
  void ReadWord();
  // Reads from (first row, first column) to (last row, last column); a restoring range puts
  // the review position back afterwards.
  void ReadRange(int first_row, int first_column, int last_row, int last_column, bool restore);
  void ReadLine() { ReadRange(position_.row, 1, position_.row, kReviewColumns, true); }
  FieldExtent Field() const;
  // Moves to the first match of `text` that begins after the review position, on the review
  // row or below; false (position unchanged) when there is none or the text is empty.
  bool Search(std::string_view text);
  // Previous and next word moves, with their click or beep.
  void PreviousWord();
  void NextWord();
  // Moves to the first (or last) letter A-Z, a-z of the screen; false when there is none.
  bool GoToFirstLetter();
  bool GoToLastLetter();
  // The 25 rows of 80 characters, each followed by carriage return and line feed.
  std::string ScreenText() const;

 private:
  void ReadStretch(int start, int end);
  void SkipBlanks();

  console::Console& console_;
  ReviewVoice& voice_;
  ReviewPosition position_;
};

}  // namespace cadencio::dialogs
