// A voice host for tools and benchmarks that only look pieces up: it plays nothing, never
// waits, no key ever comes, and the [TRADUTOR] keys come from a settings file (their defaults
// when no file is given).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "base/waiter.hpp"
#include "files/profile_file.hpp"
#include "voice/voice_host.hpp"

namespace cadencio::voice {

class SilentHost final : public VoiceHost, public base::Waiter {
 public:
  explicit SilentHost(std::string config_file = {}) : config_(std::move(config_file)) {}
  void PlayWavImage(std::span<const uint8_t> /*image*/) override {}
  bool SpeechBusy() override { return false; }
  std::string ReadTradutorKey(const std::string& key, const std::string& dflt) override {
    if (config_.empty()) return dflt;
    return files::ProfileFile::ReadString(config_, "TRADUTOR", key, dflt);
  }
  bool KeyPressed() override { return false; }
  void DrainKeys() override {}
  void PumpAllMessages() override {}
  void WaitMessage() override {}
  void Delay(int64_t /*ms*/) override {}
  base::MessageLoop& Loop() override { return loop_; }

 private:
  std::string config_;
  base::MessageLoop loop_;
};

}  // namespace cadencio::voice
