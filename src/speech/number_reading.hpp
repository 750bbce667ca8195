// The auHora module and the speaking half of aulenum: numbers, the time and the date read from
// word recordings in the letters directory, joined into one sound so no gaps are heard.
#pragma once

#include <string>

#include "console/console.hpp"

namespace cadencio::speech {

class SpeechFrontEnd;

// Plays the recordings of the words (blank-separated) and waits for the end; with `feminine`
// the last word "um"/"dois" is read "uma"/"duas".
void SpeakNumberWords(SpeechFrontEnd& speech, const std::string& words, bool feminine);
void SpeakHourMinute(SpeechFrontEnd& speech, int hour, int minute);
// The time and the date of the console's clock.
void SpeakTime(const console::Console& console, SpeechFrontEnd& speech);
void SpeakDate(const console::Console& console, SpeechFrontEnd& speech);

}  // namespace cadencio::speech
