// The screen review's voice over the speech front end.
#include "dialogs/front_end_review_voice.hpp"

#include "dialogs/screen_review.hpp"

namespace cadencio::dialogs {

bool FrontEndReviewVoice::EngineActive() {
  return speech_.EngineActive();
}

void ReviewScreen(console::Console& console, speech::SpeechFrontEnd& speech) {
  FrontEndReviewVoice voice(speech);
  dialogs::ReviewScreen(console, voice);
}

}  // namespace cadencio::dialogs
