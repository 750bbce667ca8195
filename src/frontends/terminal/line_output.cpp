// Screen states to appended lines of text.
#include "frontends/terminal/line_output.hpp"

#include <algorithm>
#include <string_view>

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

}  // namespace

int ScrollDistance(const ScreenCells& before, const ScreenCells& after) {
  for (int k = 1; k < kScreenRows; ++k) {
    bool same = true;
    bool any_text = false;  // blank rows alone match at every distance
    for (int row = 0; row + k < kScreenRows && same; ++row) {
      same = RowChars(after, row) == RowChars(before, row + k);
      any_text = any_text || !IsBlank(RowChars(after, row));
    }
    if (same && any_text) return k;
  }
  return 0;
}

std::string LineOutput::Update(const ScreenCells& cells) {
  if (!have_last_) {
    last_.chars.fill(' ');
    have_last_ = true;
  }
  if (cells.chars == last_.chars) return {};
  const int scrolled = ScrollDistance(last_, cells);
  line_row_ = line_row_ >= scrolled ? line_row_ - scrolled : -1;

  std::string out;
  for (int row = 0; row < kScreenRows; ++row) {
    const std::string text = RowText(cells, row);
    const std::string before = row + scrolled < kScreenRows ? RowText(last_, row + scrolled) : "";
    if (text == before) continue;
    if (text.empty()) {
      // A cleared row shows nothing; text written there later starts a line of its own.
      if (row == line_row_) line_row_ = -1;
      continue;
    }
    if (row == line_row_ && text.starts_with(printed_)) {
      out += text.substr(printed_.size());
    } else {
      if (line_open_) out += "\n";
      out += text;
      line_row_ = row;
    }
    printed_ = text;
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
