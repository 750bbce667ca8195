// The status row's layout.
#include "frontends/terminal/status_row.hpp"

#include <algorithm>

namespace cadencio::frontends {

std::string StatusRowText(const StatusBandState::View& view, int width) {
  constexpr std::size_t kGap = 2;
  std::string row = view.number > 0 ? ' ' + std::to_string(view.number) : std::string();
  row.resize(kStatusNumberWidth + kGap, ' ');
  row += view.tempo;
  if (!view.measure.empty()) row.append(kGap, ' ').append(view.measure);
  if (!view.spoken.empty()) {
    const std::size_t right = static_cast<std::size_t>(std::max(width, 0));
    row.resize(std::max(row.size() + 2 * kGap, right - std::min(right, view.spoken.size())), ' ');
    row += view.spoken;
  }
  row.resize(static_cast<std::size_t>(std::max(width, 0)), ' ');
  return row;
}

}  // namespace cadencio::frontends
