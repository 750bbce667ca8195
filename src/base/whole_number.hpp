// Whole decimal numbers in text: the one parser of the numbers a user types, the settings of the
// configuration files and the numbers of the speech data files.
//
// A whole number is an optional sign followed by decimal digits, and nothing else: no blanks
// (each caller trims what it allows around a number), no second sign, nothing after the digits.
// A leading '+' is taken: the tempo answer has always read "+120" as 120, and the speech
// settings and the TTS tables read it the same way. The program itself never writes a '+', so
// the values it stores read as they always did.
#pragma once

#include <optional>
#include <string_view>

namespace cadencio::base {

// The value of `text` when it is a whole number within int; nothing otherwise (empty text,
// blanks, other characters, or a value that int cannot hold).
std::optional<int> ParseWholeNumber(std::string_view text);

// The same, except that a whole number beyond int gives the nearest end of int: for a value
// that is read against a range, 999999999999 is above the range, not something else.
std::optional<int> ParseWholeNumberClamped(std::string_view text);

}  // namespace cadencio::base
