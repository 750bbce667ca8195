// A stand-in for the speech engines: a binding that records every call, and its starter.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engines/engine_dispatch.hpp"

namespace cadencio::testing {

// Records every call; busy answers from a count of calls still to answer true.
struct FakeLog {
  std::vector<std::string> calls;
  int busy_ones = 0;   // Busy(1) answers true this many more times
  int busy_zeros = 0;  // Busy(0) answers true this many more times
  engines::EngineVoice started{};
  int speed = 0;  // the last SetSpeed, 0 before any
};

class FakeBinding final : public engines::EngineBinding {
 public:
  explicit FakeBinding(FakeLog& log) : log_(log) {}
  void Speak(const std::string& text) override { log_.calls.push_back("speak " + text); }
  bool Busy(int which) override {
    int& left = which == 1 ? log_.busy_ones : log_.busy_zeros;
    if (left <= 0) return false;
    --left;
    return true;
  }
  void Stop() override { log_.calls.push_back("stop"); }
  void End() override { log_.calls.push_back("end"); }
  void SetSpeed(int speed) override { log_.speed = speed; }

 private:
  FakeLog& log_;
};

// Starts a FakeBinding, noting "start <name>" and the voice settings it was given.
inline engines::EngineStarter FakeStarter(FakeLog& log, const char* name) {
  return
      [&log, name](engines::EngineContext&,
                   const engines::EngineVoice& voice) -> std::unique_ptr<engines::EngineBinding> {
        log.calls.push_back(std::string("start ") + name);
        log.started = voice;
        return std::make_unique<FakeBinding>(log);
      };
}

}  // namespace cadencio::testing
