// Windows-1252 bytes, the program's text encoding: conversion to and from Unicode code points
// for the edges where text meets a UTF-8 terminal, the case mappings, and trimming.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cadencio::base {

// The code point a Windows-1252 byte stands for; the five bytes that have no character
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) give 0.
char32_t Windows1252ToUnicode(uint8_t byte);

// The Windows-1252 byte of a code point, or -1 when the code page has none.
int UnicodeToWindows1252(char32_t code_point);

// UTF-8 text of a Windows-1252 byte string; bytes with no character are left out.
std::string Windows1252ToUtf8(std::string_view bytes);

// The code points of a text in strict UTF-8 (no overlong forms, no surrogates); nothing when
// the text is not UTF-8.
std::optional<std::u32string> DecodeUtf8(std::string_view utf8);

// Whether a text of a file is UTF-8 rather than Windows-1252: it holds a byte beyond ASCII and
// is valid UTF-8. (Text in the code page seldom is: an accented letter is a lone byte there, not
// a lead byte with its followers.)
bool LooksLikeUtf8(std::string_view text);

// Windows-1252 bytes of UTF-8 text (command lines, word lists). A character that the code page
// lacks, every overlong or surrogate sequence (one each) and every stray byte of a malformed
// sequence becomes `replacement`, and `complete` then says false; the flat and sharp signs
// (♭ ♯), which it lacks too, become "b" and "#", as musicians type them.
struct Windows1252Text {
  std::string bytes;
  bool complete = true;
};
Windows1252Text Utf8ToWindows1252(std::string_view utf8, char replacement = '?');

// ASCII case: a-z and A-Z change, every other byte stays. For what matches as plain ASCII
// whatever the accents around it: key letters, INI keys, file and piece names, and the recorded
// voice's rules, whose accented letters count as other symbols.
template <std::integral Byte>
constexpr Byte AsciiUpperCase(Byte c) {
  return (c >= 'a' && c <= 'z') ? static_cast<Byte>(c - ('a' - 'A')) : c;
}
template <std::integral Byte>
constexpr Byte AsciiLowerCase(Byte c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<Byte>(c + ('a' - 'A')) : c;
}
template <std::integral Byte>
constexpr bool IsAsciiLetter(Byte c) {
  return AsciiUpperCase(c) >= 'A' && AsciiUpperCase(c) <= 'Z';
}
std::string AsciiUpperCase(std::string_view text);
std::string AsciiLowerCase(std::string_view text);

// The code page's case: a-z, the accented small letters (à-þ except ÷), š œ ž and ÿ become
// their capitals; LowerCase1252 is its inverse. For the words of the built-in speech.
char UpperCase1252(char c);
char LowerCase1252(char c);
std::string UpperCase1252(std::string_view text);
std::string LowerCase1252(std::string_view text);

// a-z upper-cased and every byte from 0xE0 up lowered by 32, the code page's exceptions not
// made: ÷ becomes × and ÿ becomes ß, š œ ž stay. The rule by which the extension of a link
// picks its program (the PROG.<extension> key of the configuration).
std::string UpperCaseAsciiAndHighBytes(std::string_view text);

// Without the spaces and tabs at either end (the blanks of INI lines and typed numbers).
std::string_view TrimBlanks(std::string_view text);

// Blanks and control characters: every byte up to 32.
constexpr bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= 32;
}
// Without the blanks and control characters at either end (the lines of the speech data).
std::string_view TrimBlanksAndControls(std::string_view text);

}  // namespace cadencio::base
