// Walking a text file held in memory line by line, for the readers of data files.
#pragma once

#include <cstddef>
#include <string_view>

namespace cadencio::base {

// Calls `line` for every line of a text held in memory, without its line end ("\n" or
// "\r\n").
template <typename F>
void ForEachTextLine(std::string_view text, F&& line) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view one = text.substr(start, end - start);
    if (!one.empty() && one.back() == '\r') one.remove_suffix(1);
    line(one);
    start = end + 1;
  }
}

}  // namespace cadencio::base
