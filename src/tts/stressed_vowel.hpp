// The uttsTonica module: where a Portuguese word is stressed, from its spelling.
#pragma once

#include <string_view>

namespace cadencio::tts {

// 1-based position of the stressed vowel of a word, 0 when it has none: the last accented
// vowel, otherwise the vowel a scan of the ending picks (paroxytone by default; oxytone after
// a final consonant, i, u or im/om/um). A final -ns counts as -m, an i between two vowels as
// a glide, and an i after u and before two consonants as a vowel of its own.
int FindStressedVowel(std::string_view word);

// Words that get no stress mark: fewer than three characters, and POR DAS DOS COM NÃO SIM.
bool IsUnstressedWord(std::string_view word);

}  // namespace cadencio::tts
