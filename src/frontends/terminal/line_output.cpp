// Screen states to appended lines of text.
#include "frontends/terminal/line_output.hpp"

#include <algorithm>
#include <string_view>
#include <vector>

namespace cadencio::frontends {
namespace {

std::string_view RowChars(const ScreenCells& cells, int row) {
  return {reinterpret_cast<const char*>(cells.chars.data()) + row * kScreenColumns,
          static_cast<size_t>(kScreenColumns)};
}

std::string RowText(const ScreenCells& cells, int row) {
  std::string_view chars = RowChars(cells, row);
  const size_t end = chars.find_last_not_of(' ');
  return std::string(chars.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

bool IsBlank(std::string_view chars) {
  return chars.find_first_not_of(' ') == std::string_view::npos;
}

// Whether one row's text (trailing blanks dropped) is the start of the other's: the row grew
// at its end, or a word at its end moved down to the next row.
bool OneStartsTheOther(const ScreenCells& a, int row_a, const ScreenCells& b, int row_b) {
  const std::string text_a = RowText(a, row_a);
  const std::string text_b = RowText(b, row_b);
  return text_a.starts_with(text_b) || text_b.starts_with(text_a);
}

// A line of the screen: a row and the rows its text wrapped onto.
struct Line {
  int first_row;
  std::string text;
};

std::vector<Line> Lines(const ScreenCells& cells) {
  std::vector<Line> lines;
  for (int row = 0; row < kScreenRows; ++row) {
    std::string text = RowText(cells, row);
    if (row == 0 || !cells.wraps[row - 1]) {
      lines.push_back({row, std::move(text)});
      continue;
    }
    // A row cut inside a word was full; a shorter one ended in the blank that the word after
    // it moved down from.
    Line& line = lines.back();
    if (RowText(cells, row - 1).size() < kScreenColumns && !text.empty()) line.text += ' ';
    line.text += text;
  }
  return lines;
}

}  // namespace

int ScrollDistance(const ScreenCells& before, const ScreenCells& after) {
  for (int k = 1; k < kScreenRows; ++k) {
    // The rows that moved up are the same; from the first that is not, the rest were still
    // being written when the screen scrolled, and may only have grown or lost a word at
    // their end.
    bool same = true;
    bool any_text = false;  // blank rows alone match at every distance
    int row = 0;
    for (; row + k < kScreenRows && RowChars(after, row) == RowChars(before, row + k); ++row) {
      any_text = any_text || !IsBlank(RowChars(after, row));
    }
    for (; row + k < kScreenRows && same; ++row)
      same = OneStartsTheOther(after, row, before, row + k);
    if (same && any_text) return k;
  }
  return 0;
}

std::string LineOutput::Update(const ScreenCells& cells) {
  if (!have_last_) {
    last_.chars.fill(' ');
    have_last_ = true;
  }
  if (cells.chars == last_.chars && cells.wraps == last_.wraps) return {};
  const int scrolled = ScrollDistance(last_, cells);
  line_row_ = line_row_ >= scrolled ? line_row_ - scrolled : -1;
  const std::vector<Line> before = Lines(last_);

  std::string out;
  for (const Line& line : Lines(cells)) {
    const auto was = std::find_if(before.begin(), before.end(), [&](const Line& old) {
      return old.first_row == line.first_row + scrolled;
    });
    if (was != before.end() && was->text == line.text) continue;
    if (line.text.empty()) {
      // A cleared row shows nothing; text written there later starts a line of its own.
      if (line.first_row == line_row_) line_row_ = -1;
      continue;
    }
    if (line.first_row == line_row_ && line.text.starts_with(printed_)) {
      out += line.text.substr(printed_.size());
    } else {
      if (line_open_) out += "\n";
      out += line.text;
      line_row_ = line.first_row;
    }
    printed_ = line.text;
    line_open_ = true;
  }
  last_ = cells;
  return out;
}

std::string LineOutput::Finish() {
  if (!line_open_) return {};
  line_open_ = false;
  line_row_ = -1;
  return "\n";
}

std::string LineOutput::AppendLine(std::string_view text) {
  std::string out = Finish();
  std::string line(text);
  for (char& ch : line) {
    if (static_cast<uint8_t>(ch) < 32 || ch == 127) ch = ' ';
  }
  line.erase(line.find_last_not_of(' ') + 1);
  return out + line + "\n";
}

}  // namespace cadencio::frontends
