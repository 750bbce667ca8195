// A front end for the benchmarks that run the whole program in real time: it delivers scripted
// keys at their times from its start and shows nothing.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/clock.hpp"
#include "base/message_loop.hpp"
#include "frontends/frontend.hpp"
#include "frontends/headless_frontend.hpp"

namespace cadencio::bench {

class TimedScriptFrontend final : public frontends::Frontend {
 public:
  TimedScriptFrontend(base::Clock& clock, std::vector<frontends::ScriptedMessage> script)
      : clock_(clock), script_(std::move(script)), start_(clock.NowMs()) {}
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
  void Present(const frontends::ScreenCells&, int, int, bool) override {}

 private:
  base::Clock& clock_;
  std::vector<frontends::ScriptedMessage> script_;
  std::size_t next_ = 0;
  int64_t start_;
};

}  // namespace cadencio::bench
