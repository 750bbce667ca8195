// Sound coming in: the microphone through SDL2's capture API in the program, a recording
// released as virtual time passes in tests and benchmarks. The tuner reads it mono.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.hpp"

namespace cadencio::audio {

class AudioInput {
 public:
  virtual ~AudioInput() = default;
  virtual int SampleRate() const = 0;
  // Appends the mono samples captured since the last call to `out` (none when nothing new).
  virtual void Read(std::vector<float>& out) = 0;
  // The driver in use, for messages ("pulseaudio", "disk", "scripted" ...).
  virtual std::string DriverName() const = 0;
};

// A recording heard as it would be through a microphone: sample i becomes available when the
// clock reaches start_ms + i / rate; after its end, silence goes on.
class ScriptedAudioInput final : public AudioInput {
 public:
  ScriptedAudioInput(const base::Clock& clock, std::vector<float> samples, int rate = 44100);
  int SampleRate() const override { return rate_; }
  void Read(std::vector<float>& out) override;
  std::string DriverName() const override { return "scripted"; }

 private:
  const base::Clock& clock_;
  std::vector<float> samples_;
  int rate_;
  int64_t start_ms_;
  int64_t delivered_ = 0;
};

}  // namespace cadencio::audio
