// The reading half of the screen review: words, ranges, fields, line ends, word moves and the
// forward search over the screen buffer.
#include "dialogs/review_reader.hpp"

#include <algorithm>

namespace cadencio::dialogs {

namespace {

constexpr uint8_t kBlank = ' ';

// The Windows-1252 letters that count as word characters besides A-Z and a-z.
constexpr std::string_view kAccentedLetters =
    "\xC0\xC1\xC2\xC3\xC7\xC9\xCA\xCD\xD1\xD3\xD4\xD5\xDA"
    "\xE0\xE1\xE2\xE3\xE7\xE9\xEA\xED\xF1\xF3\xF4\xF5\xFA";

bool IsAsciiLetter(uint8_t ch) {
  return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

}  // namespace

bool IsReviewWordChar(uint8_t ch) {
  return (ch >= '0' && ch <= '9') || IsAsciiLetter(ch) ||
         kAccentedLetters.find(static_cast<char>(ch)) != std::string_view::npos;
}

bool IsReviewConsonant(uint8_t ch) {
  if (!IsAsciiLetter(ch)) return false;
  uint8_t upper = ch & ~0x20;
  return upper != 'A' && upper != 'E' && upper != 'I' && upper != 'O' && upper != 'U';
}

bool IsFieldDelimiter(uint8_t ch) {
  return ch == '!' || ch == ':' || ch == '?' || ch == '|' || (ch >= 176 && ch <= 223);
}

uint8_t ReviewReader::CharAt(int column, int row) const {
  if (column < 1 || column > kReviewColumns || row < 1 || row > kReviewRows) return kBlank;
  return console_.ScreenCharAt(column, row);
}

uint8_t ReviewReader::AttrAt(int column, int row) const {
  if (column < 1 || column > kReviewColumns || row < 1 || row > kReviewRows) return 0;
  return console_.ScreenAttrAt(column, row);
}

void ReviewReader::GoToLineEnd() {
  int column = kReviewColumns;
  while (column >= 1 && CharAt(column, position_.row) == kBlank) --column;
  position_.column = column + 1;
}

void ReviewReader::SkipBlanks() {
  while (position_.column <= kReviewColumns && CharAt(position_.column, position_.row) == kBlank) {
    ++position_.column;
  }
}

void ReviewReader::ReadWord() {
  int& column = position_.column;
  const int row = position_.row;
  column = std::max(column, 1);
  // 1. Blanks before the word; nothing is read from the last column on.
  while (column < kReviewColumns && CharAt(column, row) == kBlank) ++column;
  if (column >= kReviewColumns) return;
  // 2. The first character whatever it is, then the word characters after it.
  std::string word;
  const uint8_t first = CharAt(column, row);
  do {
    console_.MoveCursor(column, row);
    word.push_back(static_cast<char>(CharAt(column, row)));
    ++column;
  } while (column <= kReviewColumns && IsReviewWordChar(CharAt(column, row)));
  // 3. A lone character takes its repeats along, but at most three are spoken.
  if (word.size() == 1) {
    while (column <= kReviewColumns && CharAt(column, row) == first) {
      if (word.size() < 3) word.push_back(static_cast<char>(first));
      ++column;
    }
    voice_.SpeakText(word);
    return;
  }
  // 4. A word without vowels is spelled; 5. any other word is spoken.
  bool consonants = std::all_of(word.begin(), word.end(), [](char ch) {
    return IsReviewConsonant(static_cast<uint8_t>(ch));
  });
  if (consonants) {
    voice_.SpellText(word);
  } else {
    voice_.SpeakText(word);
  }
}

void ReviewReader::ReadStretch(int start, int end) {
  start = std::max(start, 1);
  end = std::min(end, kReviewColumns);
  if (start > end) return;  // an empty stretch reads nothing on this row
  if (voice_.EngineActive()) {
    console_.MoveCursor(start, position_.row);  // the row is spoken whole from its start
    std::string text;
    for (int column = start; column <= end; ++column) {
      text.push_back(static_cast<char>(CharAt(column, position_.row)));
    }
    voice_.SpeakText(text);
    return;
  }
  position_.column = start;
  for (;;) {
    const int before = position_.column;
    ReadWord();
    SkipBlanks();
    if (position_.column > end || console_.KeyPressed()) break;
    // A character in the last column is never taken as a word; stop instead of looping.
    if (position_.column == before) break;
  }
}

void ReviewReader::ReadRange(int first_row, int first_column, int last_row, int last_column,
                             bool restore) {
  // 1. A one-row range that ends before it starts.
  if (first_row == last_row && last_column < first_column) {
    voice_.PlayBeep();
    return;
  }
  const ReviewPosition saved = position_;
  first_row = std::max(first_row, 1);
  last_row = std::min(last_row, kReviewRows);
  // 2. Row by row; a waiting key stops the whole range.
  for (int row = first_row; row <= last_row; ++row) {
    position_.row = row;
    ReadStretch(row == first_row ? first_column : 1,
                row == last_row ? last_column : kReviewColumns);
    if (console_.KeyPressed()) break;
    voice_.PlayClick();
  }
  // 3. Let speech be cut by a waiting key; a range to the row end leaves the column there.
  voice_.SpeechBusy();
  if (last_column >= kReviewColumns) GoToLineEnd();
  if (restore) position_ = saved;
}

FieldExtent ReviewReader::Field() const {
  const int column = position_.column;
  const int row = position_.row;
  if (IsFieldDelimiter(CharAt(column, row))) return {column + 1, column - 1};
  const uint8_t attr = AttrAt(column, row);
  auto inside = [&](int c) { return AttrAt(c, row) == attr && !IsFieldDelimiter(CharAt(c, row)); };
  int start = column;
  while (start > 1 && inside(start - 1)) --start;
  int end = column;
  while (end < kReviewColumns && inside(end + 1)) ++end;
  return {start, end};
}

bool ReviewReader::Search(std::string_view text) {
  if (text.empty()) return false;
  for (int row = std::max(position_.row, 1); row <= kReviewRows; ++row) {
    std::string line;
    for (int column = 1; column <= kReviewColumns; ++column) {
      line.push_back(static_cast<char>(CharAt(column, row)));
    }
    // On the review row only matches that begin after the review column count.
    if (row == position_.row) {
      std::fill_n(line.begin(), std::clamp(position_.column, 0, kReviewColumns), '\0');
    }
    std::size_t found = line.find(text);
    if (found != std::string::npos) {
      position_ = {row, static_cast<int>(found) + 1};
      return true;
    }
  }
  return false;
}

void ReviewReader::PreviousWord() {
  const int row = position_.row;
  int column = std::min(position_.column - 1, kReviewColumns);
  while (column >= 1 && CharAt(column, row) == kBlank) --column;
  if (column < 1) {  // only blanks to the left
    voice_.PlayBeep();
    position_.column = 1;
    return;
  }
  while (column >= 1 && CharAt(column, row) != kBlank) --column;
  if (column >= 1) {
    voice_.PlayClick();
  } else {
    voice_.PlayBeep();  // the word begins the row
  }
  position_.column = column + 1;
}

void ReviewReader::NextWord() {
  const int row = position_.row;
  int column = std::max(position_.column, 1);
  while (column <= kReviewColumns && CharAt(column, row) != kBlank) ++column;
  while (column <= kReviewColumns && CharAt(column, row) == kBlank) ++column;
  if (column <= kReviewColumns) {
    position_.column = column;
    voice_.PlayClick();
  } else {
    voice_.PlayBeep();
    GoToLineEnd();
  }
}

bool ReviewReader::GoToFirstLetter() {
  for (int row = 1; row <= kReviewRows; ++row) {
    for (int column = 1; column <= kReviewColumns; ++column) {
      if (IsAsciiLetter(CharAt(column, row))) {
        position_ = {row, column};
        return true;
      }
    }
  }
  return false;
}

bool ReviewReader::GoToLastLetter() {
  for (int row = kReviewRows; row >= 1; --row) {
    for (int column = kReviewColumns; column >= 1; --column) {
      if (IsAsciiLetter(CharAt(column, row))) {
        position_ = {row, column};
        return true;
      }
    }
  }
  return false;
}

std::string ReviewReader::ScreenText() const {
  std::string text;
  text.reserve(kReviewRows * (kReviewColumns + 2));
  for (int row = 1; row <= kReviewRows; ++row) {
    for (int column = 1; column <= kReviewColumns; ++column) {
      text.push_back(static_cast<char>(CharAt(column, row)));
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace cadencio::dialogs
