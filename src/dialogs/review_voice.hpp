// What the screen review needs from the speech layer, as a small interface: the console sits
// below speech, so the review is given a voice instead of reaching up for the front end. The
// speech library supplies the implementation over its front end; tests supply a recorder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cadencio::dialogs {

class ReviewVoice {
 public:
  virtual ~ReviewVoice() = default;
  // Speaks a word, a run of marks or a whole row.
  virtual void SpeakText(std::string_view text) = 0;
  // Speaks one character from its letter recording.
  virtual void SpeakChar(uint8_t ch) = 0;
  // Spells a text letter by letter, stopping when a key waits.
  virtual void SpellText(std::string_view text) = 0;
  // Plays a recorded prompt by name (the review uses "_DEL").
  virtual void PlayPromptWav(const std::string& name) = 0;
  // The error beep. It empties the key queue: keys typed before an error are discarded.
  virtual void PlayBeep() = 0;
  // The short click that marks a move or a line end.
  virtual void PlayClick() = 0;
  // True while speech sounds; cuts the speech when a key waits.
  virtual bool SpeechBusy() = 0;
  // True when a speech engine takes whole texts (rows are then passed in one piece).
  virtual bool EngineActive() = 0;
};

}  // namespace cadencio::dialogs
