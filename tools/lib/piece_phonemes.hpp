// How a piece of the recorded voice is said: its name read as phonetic symbols and written as
// espeak-ng phoneme input, stressed ("$KACIRC" gives "k'&", "$AWTIL" gives "'&U~").
#pragma once

#include <string>
#include <string_view>

namespace cadencio::voicegen {

struct PiecePhonemes {
  std::string phonemes;         // espeak-ng mnemonics, without the [[ ]]
  bool lone_consonant = false;  // no vowel: render it before a vowel and cut that off
};

// The phonemes of a piece name ("$" + symbols, upper case, with an optional final CIRC or TIL
// that marks the last vowel closed or nasal). Empty phonemes for a name that is no piece. With
// `glide_as_vowel`, a piece of glides alone ("$YW", the end of "caiu") takes its first glide as
// its vowel (I or U), so that it can carry a tune.
PiecePhonemes PiecePhonemesOf(std::string_view name, bool glide_as_vowel = false);

}  // namespace cadencio::voicegen
