// The screen review's voice over the speech front end.
#include "speech/review_voice.hpp"

#include "console/screen_review.hpp"

namespace cadencio::speech {

bool FrontEndReviewVoice::EngineActive() {
  // No engine binding is built in (engine_dispatch), so the recorded voice speaks every text
  // and rows are read word by word.
  return false;
}

void ReviewScreen(SpeechFrontEnd& speech) {
  FrontEndReviewVoice voice(speech);
  console::ReviewScreen(speech.Console(), voice);
}

}  // namespace cadencio::speech
