// Scripted keys in, screen text out.
#include "frontends/headless_frontend.hpp"

#include <algorithm>

namespace cadencio::frontends {

HeadlessFrontend::HeadlessFrontend(base::VirtualClock& clock, std::vector<ScriptedMessage> script,
                                   int64_t tail_ms)
    : clock_(clock), script_(std::move(script)) {
  std::stable_sort(script_.begin(), script_.end(),
                   [](const auto& a, const auto& b) { return a.at_ms < b.at_ms; });
  end_ms_ = (script_.empty() ? 0 : script_.back().at_ms) + tail_ms;
  cells_.chars.fill(' ');
}

void HeadlessFrontend::PollInput(base::MessageLoop& loop) {
  while (next_ < script_.size() && script_[next_].at_ms <= clock_.NowMs()) {
    loop.Post(script_[next_++].message);
  }
  if (next_ == script_.size() && clock_.NowMs() >= end_ms_ && !closed_) {
    closed_ = true;
    loop.Post({base::MessageKind::kClose});
  }
}

void HeadlessFrontend::WaitInput(base::MessageLoop& loop) {
  WaitInputFor(loop, kStepMs);
}

void HeadlessFrontend::WaitInputFor(base::MessageLoop& loop, int64_t timeout_ms) {
  if (!loop.Empty()) return;
  // Time moves on in small steps, as it would while a real program waits: sound that is
  // playing finishes (and reports its blocks) before a later key arrives, and a key arrives
  // at its own time.
  const int64_t now = clock_.NowMs();
  const int64_t next = next_ < script_.size() ? script_[next_].at_ms : end_ms_;
  const int64_t step = std::clamp<int64_t>(timeout_ms, 0, kStepMs);
  clock_.AdvanceTo(std::max(now, std::min(next, now + step)));
  PollInput(loop);
}

void HeadlessFrontend::Present(const ScreenCells& cells, int cursor_column, int cursor_row,
                               bool caret) {
  cells_ = cells;
  caret_ = caret;
  cursor_column_ = cursor_column;
  cursor_row_ = cursor_row;
}

std::string HeadlessFrontend::Row(int row) const {
  std::string text(cells_.chars.begin() + row * kScreenColumns,
                   cells_.chars.begin() + (row + 1) * kScreenColumns);
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

std::string HeadlessFrontend::Text() const {
  std::vector<std::string> rows;
  for (int r = 0; r < kScreenRows; ++r) rows.push_back(Row(r));
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
  std::string text;
  for (const auto& row : rows) text += row + "\n";
  return text;
}

}  // namespace cadencio::frontends
