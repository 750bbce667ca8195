// The screen review's voice over the speech front end.
#include "speech/review_voice.hpp"

#include "console/screen_review.hpp"

namespace cadencio::speech {

bool FrontEndReviewVoice::EngineActive() {
  return speech_.EngineActive();
}

void ReviewScreen(SpeechFrontEnd& speech) {
  FrontEndReviewVoice voice(speech);
  console::ReviewScreen(speech.Console(), voice);
}

}  // namespace cadencio::speech
