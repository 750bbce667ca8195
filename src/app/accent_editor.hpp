// The accent editor (lower-case a): the measure's beats walked with Left and Right, each beat's
// level changed with Up and Down and heard at once, the groupings of odd meters offered with g.
#pragma once

#include <optional>

#include "app/accent_pattern.hpp"
#include "app/metronome_state.hpp"
#include "audio/beat_channel.hpp"
#include "console/console.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::app {

// The catalogue key of a level's name as said after a beat's number (", fraco").
const char* LevelKey(Accent level);

struct AccentChoice {
  AccentPattern pattern;
  bool count_groups = false;  // counting aloud restarts at each group
};

// Runs the editor on the state's pattern; the choice on Enter, nothing on Esc.
std::optional<AccentChoice> EditAccents(console::Console& console, speech::SpeechFrontEnd& speech,
                                        audio::BeatChannel& beats, const MetronomeState& state);

}  // namespace cadencio::app
