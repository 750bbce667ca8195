// The screen review's voice over the speech front end: each operation the review needs is the
// front end's own (words and rows read with their marks named, letters from their recordings, the
// beep that empties the key queue, the click), and ReviewScreen opens the review with it.
#pragma once

#include <string>
#include <string_view>

#include "console/console.hpp"
#include "dialogs/review_voice.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::dialogs {

class FrontEndReviewVoice final : public dialogs::ReviewVoice {
 public:
  explicit FrontEndReviewVoice(speech::SpeechFrontEnd& speech) : speech_(speech) {}

  void SpeakText(std::string_view text) override { speech_.ReadText(text); }
  void SpeakChar(uint8_t ch) override { speech_.SpeakChar(ch); }
  void SpellText(std::string_view text) override { speech_.SpellText(text); }
  void PlayPromptWav(const std::string& name) override { speech_.PlayPromptWav(name); }
  void PlayBeep() override { speech_.PlayBeep(); }
  void PlayClick() override { speech_.PlayClick(); }
  bool SpeechBusy() override { return speech_.SpeechBusy(); }
  bool EngineActive() override;

 private:
  speech::SpeechFrontEnd& speech_;
};

// Runs the screen review on the console, spoken by the front end, with the program's kept
// search text.
void ReviewScreen(console::Console& console, speech::SpeechFrontEnd& speech);

}  // namespace cadencio::dialogs
