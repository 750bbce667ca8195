// The keys of a benchmark's run of the real program, delivered at real times: a front end that
// posts them when their time comes and shows nothing, or hands whoever listens what the program
// writes: each screen row that changes, and the lines of the screen-reader mode (which then
// speaks nothing).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/clock.hpp"
#include "base/keys.hpp"
#include "base/message_loop.hpp"
#include "frontends/frontend.hpp"
#include "frontends/headless_frontend.hpp"
#include "frontends/screen.hpp"

namespace cadencio::bench {

class TimedScriptFrontend final : public frontends::Frontend {
 public:
  // `said`: when given, the front end writes lines, and each of them and each changed row is
  // handed to it.
  TimedScriptFrontend(base::Clock& clock, std::vector<frontends::ScriptedMessage> script,
                      std::function<void(const std::string&)> said = {})
      : clock_(clock), script_(std::move(script)), said_(std::move(said)), start_(clock.NowMs()) {}
  void PollInput(base::MessageLoop& loop) override {
    while (next_ < script_.size() && start_ + script_[next_].at_ms <= clock_.NowMs()) {
      loop.Post(script_[next_++].message);
    }
  }
  void WaitInput(base::MessageLoop& loop) override { WaitInputFor(loop, 50); }
  void WaitInputFor(base::MessageLoop& loop, int64_t timeout_ms) override {
    int64_t wait = next_ < script_.size() ? start_ + script_[next_].at_ms - clock_.NowMs() : 50;
    loop.Wait(std::clamp<int64_t>(wait, 0, timeout_ms));
    PollInput(loop);
  }
  void Present(const frontends::ScreenCells& cells, int, int, bool) override {
    if (!said_) return;
    for (int row = 0; row < frontends::kScreenRows; ++row) {
      std::string text(cells.chars.begin() + row * frontends::kScreenColumns,
                       cells.chars.begin() + (row + 1) * frontends::kScreenColumns);
      std::replace(text.begin(), text.end(), '\0', ' ');
      text.erase(text.find_last_not_of(' ') + 1);
      std::string& shown = rows_[static_cast<std::size_t>(row)];
      if (text != shown && !text.empty()) said_(text);
      shown = std::move(text);
    }
  }
  bool WritesLines() const override { return static_cast<bool>(said_); }
  void AppendLine(const std::string& text) override {
    if (said_) said_(text);
  }

 private:
  base::Clock& clock_;
  std::vector<frontends::ScriptedMessage> script_;
  std::function<void(const std::string&)> said_;
  std::array<std::string, frontends::kScreenRows> rows_;
  std::size_t next_ = 0;
  int64_t start_;
};

// A key at `at_ms`: a character, or one of the extended keys written as one character each
// (^ v + -: Up, Down, Page Up, Page Down; \n is Enter).
inline frontends::ScriptedMessage Char(int64_t at_ms, uint8_t ch) {
  const struct {
    char written;
    int virtual_key;
  } extended[] = {{'^', base::vk::kUp},
                  {'v', base::vk::kDown},
                  {'+', base::vk::kPrior},
                  {'-', base::vk::kNext}};
  for (const auto& key : extended) {
    if (ch == key.written) return {at_ms, {base::MessageKind::kKeyDown, key.virtual_key}};
  }
  return {at_ms, {base::MessageKind::kChar, ch == '\n' ? uint8_t{13} : ch}};
}

}  // namespace cadencio::bench
