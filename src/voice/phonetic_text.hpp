// The first stages of the recorded voice's text-to-phonetic translator (the auTradut module):
// preprocessing a text to plain ASCII letters with accent marks, and cutting it into words.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadencio::voice {

// Replacement texts (0-2 characters) for the bytes 128-255, indexed by byte - 128. Accented
// letters become the base letter followed by a mark: ' acute, ` grave, ^ circumflex, ~ tilde,
// double quote for diaeresis. Both the PC code page 850 positions (128-175) and the
// Windows-1252 ones (192-255) are covered; an empty text means "unknown character".
extern const std::array<std::string_view, 128> PhoneticAccentTable;

// Stage 1: w and y next to a letter become u and i, an apostrophe after d is dropped, control
// bytes and bytes without a replacement become blank, byte 1, blank.
std::string PreprocessPhoneticText(std::string_view text);

// One word of a preprocessed text: letters lowered (a stressed vowel is later made upper
// case), its vowel count, and whether it carries an accent mark other than the diaeresis.
struct PhoneticWord {
  std::string text;
  int vowel_count = 0;
  bool explicit_accent = false;

  bool operator==(const PhoneticWord&) const = default;
};

// Takes the word at `pos` (0-based) of a preprocessed text and moves `pos` past it; nothing
// when only blanks are left. A word is a letter followed by word characters (cut at
// kMaxPhoneticWord; the rest of such a word is dropped), or any other single byte.
std::optional<PhoneticWord> NextPhoneticWord(std::string_view text, std::size_t& pos);

// Stage 2: every word of a preprocessed text, in order.
std::vector<PhoneticWord> SplitPhoneticWords(std::string_view text);

}  // namespace cadencio::voice
