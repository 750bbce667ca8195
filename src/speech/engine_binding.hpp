// What every speech engine binding offers the engine dispatch once it has started: speak a
// whole text, say whether it is still speaking, cut it, and release it. A binding that cannot
// start is never created, so the recorded voice speaks instead.
#pragma once

#include <functional>
#include <string>

#include "console/console.hpp"
#include "speech/speech_events.hpp"
#include "speech/wav_playback.hpp"

namespace cadencio::speech {

class EngineBinding {
 public:
  virtual ~EngineBinding() = default;
  // Hands a whole text (Windows-1252) to the engine.
  virtual void Speak(const std::string& text) = 0;
  // which 1: a text is still being worked on; which 0: that, or its sound still plays.
  virtual bool Busy(int which) = 0;
  virtual void Stop() = 0;
  // Waits for the end as the engine requires and releases it; the binding is not used again.
  virtual void End() = 0;
  // Whether the engine's sound goes through the program's WAV playback (an engine that plays
  // it on its own cannot be recorded).
  virtual bool SoundsThroughPlayback() const { return true; }
};

// What the bindings use of the program: the console (Delay, keys, wake-up messages), the WAV
// playback their samples go through, AUDIRA.INI, a modal message, and the speech observer.
struct EngineContext {
  console::Console& console;
  WavPlayback& wav;
  // ReadIniString of the speech front end: section, key -> value ('@' expanded).
  std::function<std::string(const std::string&, const std::string&)> read_ini;
  // Shows and speaks a message and waits for a key.
  std::function<void(const std::string&)> message_box;
  // Reports what an engine was given (SpeechEvent::kEngineText) to the front end's observer.
  std::function<void(SpeechEvent::Kind, std::string)> notify;
};

// The voice settings of section SERVFALA, as StartEngine passes them on.
struct EngineVoice {
  int voice = 0;  // counted from 1
  int rate = 0;
  int pitch = 0;
};

}  // namespace cadencio::speech
