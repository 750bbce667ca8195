// Aligning the pitch marks of the diphones at their joins: the periods that meet in the middle of
// a phone come from different carriers, and a mark on "the largest peak" can sit at a slightly
// different point of the period in each. Every diphone's marks are moved so that, at each end,
// its period lines up best with one reference period of that phone.
#pragma once

#include "synth/diphone_voice.hpp"

namespace cadencio::voicegen {

void AlignMarksAtJoins(synth::DiphoneVoice& voice);

}  // namespace cadencio::voicegen
