// Text helpers shared by the built-in TTS's stages and data loaders: trimming, the
// Windows-1252 upper-case mapping, and reading a data file into lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadencio::tts {

// The text without its leading and trailing blanks and control characters (bytes up to 32).
std::string_view TrimText(std::string_view text);

// Windows-1252 upper case: a-z, the accented small letters (á to Á, ç to Ç ...), š œ ž ÿ.
char UpperChar1252(char c);
std::string UpperCase1252(std::string_view text);

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// The lines of a text, each without its line end (LF or CR LF); a last line without a line end
// counts, an empty text has no lines.
std::vector<std::string> SplitLines(std::string_view text);

// The integer a trimmed text holds (an optional sign and decimal digits, within int), or
// nothing.
std::optional<int> ParseInteger(std::string_view text);

}  // namespace cadencio::tts
