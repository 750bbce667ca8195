// Names and the letters before them: "D." before a name is Dom before a man's ("D. João VI" Dom
// João sexto) and Dona before a woman's, and the capitals Brazilians say as a word ("USP"
// úspi, "CEP" cépi) or spell although they could be said ("UTI", "EUA").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cadencio::tts {

// At a "D": "D." and a blank before a capitalised name; appends "Dom" or "Dona" and moves
// `pos` past the full stop.
bool ReadTitle(std::string_view text, std::size_t& pos, std::string& out);

// How a word of capitals is said when the letters alone do not tell.
enum class AcronymReading { kByLetters, kSpelled, kSaid };
// `said` receives the word's spelling for the letter rules when it is said as a word.
AcronymReading AcronymReadingOf(std::string_view capitals, std::string& said);

}  // namespace cadencio::tts
