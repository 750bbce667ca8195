// The pieces the recorded voice's player can ask for: every piece name that the translator
// and the player's splitting give for a set of texts, plus a systematic set of consonant-vowel
// pieces, vowels, diphthongs and lone consonants, so that words outside the texts are covered
// too.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "voice/phonetic_translator.hpp"

namespace cadencio::voicegen {

// Upper-case piece names of at most this many bytes are kept (the index's name field).
inline constexpr std::size_t kMaxStoredPieceName = 8;

// Adds the database pieces (names beginning with "$", at most 8 bytes) that speaking the
// Windows-1252 text would look up first; for a name too long for the index, the smaller
// pieces the player plays it as. Letter recordings ("_...") are not pieces.
void AddPiecesOfText(const voice::PhoneticTranslator& translator, std::string_view text,
                     std::set<std::string>& pieces);

// Adds the pieces of a phonetic string, as the player cuts and splits it.
void AddPiecesOfPhonetic(std::string_view phonetic, std::set<std::string>& pieces);

// Consonant-vowel pieces for every consonant and vowel (plain, CIRC, TIL), the vowels, the
// vowel-glide diphthongs, every lone consonant, the lone glides and the nasal murmur "$NN".
std::set<std::string> SystematicPieces();

}  // namespace cadencio::voicegen
