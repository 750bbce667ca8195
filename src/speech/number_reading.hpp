// The auHora module and the speaking half of aulenum: the time and the date read from word
// recordings in the letters directory (or written whole in the screen-reader mode), by the
// clock of the speech front end.
#pragma once

#include "speech/speech_front_end.hpp"

namespace cadencio::speech {

void SpeakHourMinute(SpeechFrontEnd& speech, int hour, int minute);
// The time and the date of the front end's clock.
void SpeakTime(SpeechFrontEnd& speech);
void SpeakDate(SpeechFrontEnd& speech);

}  // namespace cadencio::speech
