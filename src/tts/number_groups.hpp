// Numbers written in groups that are read apart: ranges ("3–5" três a cinco, "10-12 minutos"
// dez a doze minutos) and telephone numbers written with blanks ("0800 123 4567" zero
// oitocentos, um dois três, quatro cinco seis sete). Each reader looks at the text from `pos`;
// when its form is there it appends the words (ending with a blank), moves `pos` past what it
// read and answers true; otherwise it leaves both alone.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cadencio::tts {

// At a digit: a range, two numbers joined by a dash (0x96), or by a hyphen when a word follows
// and the first is the smaller ("10-12 minutos"; "25-12" is no range). Reads the first number
// and "a", and stops at the second, so that a unit after it is read with it.
bool ReadRange(std::string_view text, std::size_t& pos, std::string& out);

// At a digit: a telephone number in groups parted by blanks, a service number (0800, 0300,
// 0500, 0900) or the groups after an area code in parentheses ("(11) 98765 4321"). The service
// prefix is read as Brazilians say it, the other groups digit by digit.
bool ReadPhoneNumber(std::string_view text, std::size_t& pos, std::string& out);

}  // namespace cadencio::tts
