// What the speech front end does, as events a test (or a diagnostic) can listen to: texts
// handed to the voice, prompts and files played, characters spoken, beeps, clicks and pauses.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace cadencio::speech {

struct SpeechEvent {
  enum Kind {
    kText,      // a text handed to SpeakText
    kPrompt,    // a prompt recording played (its name)
    kChar,      // a character spoken by its letter recording (detail: the byte)
    kWavFile,   // a WAV file played (its path)
    kImage,     // a sound image or joined word recordings played (detail: sample bytes)
    kPhonetic,  // a phonetic text handed to the recorded voice
    kNumber,    // number words spoken (detail: their recordings, "_vinte _e _uma")
    kVoice,     // what the recorded voice did: a piece, letter, pause or image (described)
    kBeep,
    kClick,
    kPause,       // detail: milliseconds
    kEngineText,  // a text handed to the speech engine, as the engine gets it
  };
  Kind kind;
  std::string detail;
  int64_t at_ms = 0;  // the clock when it happened
};

using SpeechObserver = std::function<void(const SpeechEvent&)>;

}  // namespace cadencio::speech
