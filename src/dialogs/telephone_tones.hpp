// Spelling a text as telephone-key tones (Ctrl+\ in the field editor).
#pragma once

#include <string_view>

#include "console/console.hpp"

namespace cadencio::speech {
class SpeechFrontEnd;
}  // namespace cadencio::speech

namespace cadencio::dialogs {

// Plays the digits, '#' and '*' of the text as the tone recordings dtmf_<key>.wav of the
// letters directory ('*' is dtmf_X.wav), each followed by 100 ms; a comma waits one second;
// anything else is skipped. Always at the normal playback rate. A waiting key ends it.
void SpeakDtmf(console::Console& console, speech::SpeechFrontEnd& speech, std::string_view text);

}  // namespace cadencio::dialogs
