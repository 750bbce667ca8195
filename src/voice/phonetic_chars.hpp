// Character classes of the recorded voice's text-to-phonetic translator (the auTradut module).
// Texts are Windows-1252 byte strings; every class here is plain ASCII, and case changes are
// ASCII-only.
#pragma once

#include <string_view>

namespace cadencio::voice {

// Longest word the translator works on; longer words and replacements are cut.
inline constexpr std::size_t kMaxPhoneticWord = 255;

// The blank-byte-1-blank piece stands for a character the translator cannot read.
inline constexpr char kUnknownCharacter = '\x01';

// The class tests live in their own namespace: their short names belong to this module only.
namespace phonetic_chars {

inline bool IsOneOf(char c, std::string_view set) {
  return set.find(c) != std::string_view::npos;
}

inline bool IsPhoneticVowel(char c) {
  return IsOneOf(c, "AEIOUaeiou");
}

inline bool IsPhoneticConsonant(char c) {
  return IsOneOf(c, "BCDFGHJKLMNPQRSTVWXYZbcdfghjklmnpqrstvwxyz");
}

inline bool IsPhoneticLetter(char c) {
  return IsPhoneticVowel(c) || IsPhoneticConsonant(c);
}

// Double quote (diaeresis), apostrophe (acute), circumflex, grave and tilde.
inline bool IsPhoneticAccentMark(char c) {
  return IsOneOf(c, "\"'^`~");
}

inline bool IsPhoneticWordChar(char c) {
  return IsPhoneticLetter(c) || IsPhoneticAccentMark(c);
}

inline bool IsPhoneticPunctuation(char c) {
  return IsOneOf(c, " !,.:;?");
}

inline bool IsGq(char c) {
  return c == 'g' || c == 'q';
}

inline bool IsAo(char c) {
  return IsOneOf(c, "AOao");
}

inline bool IsFrontVowel(char c) {
  return IsOneOf(c, "EIei");
}

inline bool IsAsciiUpperVowel(char c) {
  return IsOneOf(c, "AEIOU");
}

// The byte as a number 0-255, whatever the signedness of char.
inline int ByteOf(char c) {
  return static_cast<unsigned char>(c);
}

}  // namespace phonetic_chars
}  // namespace cadencio::voice
