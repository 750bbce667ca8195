// Spoken names of single characters for the built-in TTS's normaliser (part of the uttsPreproc
// module): marks, digits, letters, symbols and accented letters of Windows-1252.
#pragma once

#include <string>

namespace cadencio::tts {

// The name of one Windows-1252 character (some begin with a blank); empty when it has none.
const std::string& CharacterName(char c);

}  // namespace cadencio::tts
