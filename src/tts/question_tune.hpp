// Which questions rise: a yes/no question ends higher than the same words said as a statement,
// while a question that opens with a question word (quem, onde, o que, por que...) falls at
// its end like a statement. The voices that are not given the tune by their own intonation
// (the recorded voice, espeak-ng) take it from here.
#pragma once

#include <string_view>

namespace cadencio::tts {

// Whether the words of a question (Windows-1252, without the '?') ask for yes or no: they do
// not open with a question word.
bool AsksYesOrNo(std::string_view words);

}  // namespace cadencio::tts
