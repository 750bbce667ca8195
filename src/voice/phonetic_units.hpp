// The aufonrec module's reading of a phonetic string: cutting it into units, splitting a unit
// into syllable-like parts, and turning a syllable into the names of the recorded pieces to
// play. All of it is pure text work; the piece player (recorded_voice.hpp) does the sound.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cadencio::voice {

// Character classes of the piece player (lower-case consonants only).
bool IsVoiceVowel(char c);      // A E I O U a e i o u w y
bool IsVoiceConsonant(char c);  // b c d f g j k l m n p q r s t v x z
bool IsSemivowel(char c);       // w y
bool IsNasalMark(char c);       // ^ ~
bool IsStressedVowel(char c);   // A E I O U

// Stress modes of the player: 1 at the start of a group, 2 while a stressed syllable plays,
// 0 after it.
inline constexpr int kStressUnstressed = 0;
inline constexpr int kStressGroupStart = 1;
inline constexpr int kStressStressed = 2;

// The longest unit kept, and the length at which a "/" ends a long group.
inline constexpr std::size_t kMaxUnitLength = 40;
inline constexpr std::size_t kLongGroupLength = 9;
// The longest syllable and piece name handled.
inline constexpr std::size_t kMaxSyllableLength = 12;
inline constexpr std::size_t kMaxPieceName = 12;

// What ended a unit.
enum class UnitEnd {
  kBlank,         // a blank (no word pause follows)
  kBracket,       // a "]" closing a group
  kLongGroupCut,  // a "/" met after 9 or more characters
  kEndOfText,     // the string ran out
};

struct ScannedUnit {
  std::string unit;
  UnitEnd end = UnitEnd::kEndOfText;
  std::size_t next = 0;      // 0-based position just after the unit
  bool opens_group = false;  // the unit began with "[" (the stress mode restarts)
};

// Takes the unit that starts at `pos` (0-based, inside `s`). Always moves forward.
ScannedUnit ScanNextUnit(std::string_view s, std::size_t pos);

// Samples of silence a spelled punctuation unit ("_," "_." "_:" "_;") stands for; 0 for any
// other unit.
int PunctuationPauseOf(std::string_view unit);

// One call of the syllable player that a unit is split into.
struct SyllablePart {
  std::string text;
  double factor = 1.0;
  bool operator==(const SyllablePart&) const = default;
};

// Splits a unit into syllables, in the order they are spoken: leading consonant clusters,
// final "rr", final consonants, semivowel endings and a final "s" are split off, and the
// shortened remainders get smaller length factors.
std::vector<SyllablePart> SplitUnit(std::string_view unit, double factor);

// Where a yes/no question's rise begins: the index, among the syllables SplitUnit makes of the
// string's units in the order they are played, of the last word's last stressed syllable, or
// of its first syllable when the translator marked none of its vowels stressed (a stress that
// falls on a word's first letter, as in "ele" or "vem", is left unmarked). Spelled letters and
// signs are passed over (punctuation is no syllable unless `no_pauses`); SIZE_MAX for none.
std::size_t QuestionTailSyllable(std::string_view phonetic, bool no_pauses);

// One piece to play for a syllable, with the stress mode it plays in.
struct PiecePlay {
  std::string name;
  int mode = kStressGroupStart;
  bool operator==(const PiecePlay&) const = default;
};

struct SyllablePieces {
  std::vector<PiecePlay> pieces;
  int mode_after = kStressGroupStart;
};

// Whether a syllable holds a stressed vowel (A E I O U); a spelled letter ("_A") does not.
bool IsStressedSyllable(std::string_view syllable);

// The pieces of one syllable: "_x" gives the letter piece "_" + decimal code of x; otherwise
// "$" + the characters, where "^" and "~" close the piece so far with "CIRC" or "TIL", and a
// stressed vowel makes the syllable's pieces play stressed (the mode is 0 afterwards).
SyllablePieces SplitSyllable(std::string_view syllable, int mode);

}  // namespace cadencio::voice
