// Conversion between Windows-1252 bytes, the program's text encoding, and Unicode code points,
// for the edges where text meets a UTF-8 terminal.
#pragma once

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

// Windows-1252 bytes of UTF-8 text (command lines, word lists). A character that the code page
// lacks, every overlong or surrogate sequence (one each) and every stray byte of a malformed
// sequence becomes `replacement`, and `complete` then says false.
struct Windows1252Text {
  std::string bytes;
  bool complete = true;
};
Windows1252Text Utf8ToWindows1252(std::string_view utf8, char replacement = '?');

}  // namespace cadencio::base
