// Stress marking of the recorded voice's text-to-phonetic translator: finds the stressed vowel
// of a Portuguese word from its ending and makes it upper case.
#pragma once

#include "voice/phonetic_text.hpp"

namespace cadencio::voice {

// Stage 4: marks the stressed vowel of the word in place. Words with an explicit accent, with
// no vowel, or with one vowel and not ending in l are left as they are.
void MarkStress(PhoneticWord& word);

}  // namespace cadencio::voice
