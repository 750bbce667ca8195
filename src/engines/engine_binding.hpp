// What every speech engine binding offers the engine dispatch once it has started: speak a
// whole text, say whether it is still speaking, cut it, and release it. A binding that cannot
// start is never created, so the recorded voice speaks instead.
#pragma once

#include <functional>
#include <string>

#include "audio/wave_out/wav_playback.hpp"
#include "base/waiter.hpp"
#include "engines/speech_speed.hpp"

namespace cadencio::engines {

class EngineBinding {
 public:
  virtual ~EngineBinding() = default;
  // Hands a whole text (Windows-1252) to the engine.
  virtual void Speak(const std::string& text) = 0;
  // which 1: a text is still being worked on; which 0: that, or its sound still plays.
  virtual bool Busy(int which) = 0;
  virtual void Stop() = 0;
  // Speaks the next texts at a speech speed level (1..5; speech_speed.hpp): its start rate at
  // speed 3, faster or slower by the level's factor at the others.
  virtual void SetSpeed(int speed) = 0;
  // Waits for the end as the engine requires and releases it; the binding is not used again.
  virtual void End() = 0;
  // Whether the engine's sound goes through the program's WAV playback (an engine that plays
  // it on its own cannot be recorded).
  virtual bool SoundsThroughPlayback() const { return true; }
};

// What the bindings use of the program: the waits (Delay, keys, wake-up messages), the WAV
// playback their samples go through, AUDIRA.INI, and the reports the speech front end hears.
// A report not given is passed over.
struct EngineContext {
  base::Waiter& waiter;
  audio::WavPlayback& wav;
  // ReadIniString of the speech front end: section, key -> value ('@' expanded).
  std::function<std::string(const std::string&, const std::string&)> read_ini{};
  // Shows and speaks a message and waits for a key.
  std::function<void(const std::string&)> message_box{};
  // Hears every text an engine is given, as the engine takes it.
  std::function<void(const std::string&)> text_given{};
  // The speech service did not take a text: the screen's bell.
  std::function<void()> refused{};
};

// The voice settings of section SERVFALA, as StartEngine passes them on.
struct EngineVoice {
  int voice = 0;  // counted from 1
  int rate = 0;
  int pitch = 0;
  int speed = kNormalSpeed;  // the speech speed level it starts at
};

}  // namespace cadencio::engines
