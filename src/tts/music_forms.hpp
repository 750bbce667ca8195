// Music as musicians write it, read as they say it: time signatures and fractions ("6/8" seis
// por oito, "1/2" um meio), and note and chord names in letters or in solfège ("Bb" Si bemol,
// "Fá#m" Fá sustenido menor, "C#m7" Dó sustenido menor com sétima, "G/B" Sol com baixo em Si).
// Each reader looks at the text from `pos`; when its form is there it appends the words
// (ending with a blank), moves `pos` past the form and answers true; otherwise it leaves both
// alone.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cadencio::tts {

// At a digit: "N/M" as a time signature (a denominator of 2, 4, 8, 16 or 32 under a numerator
// above 1, or any after the word "compasso") or else as a fraction ("2/3" dois terços).
bool ReadTimeSignature(std::string_view text, std::size_t& pos, std::string& out);

// At a letter: a note or chord name. A name that is also a word or a letter ("Em", "A") is read
// as a chord only among other chord names that are not ("Em C G D7").
bool ReadChordName(std::string_view text, std::size_t& pos, std::string& out);

}  // namespace cadencio::tts
