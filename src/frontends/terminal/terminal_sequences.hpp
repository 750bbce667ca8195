// What the terminal front end writes besides the screen's cells, and what it asks the
// terminal database: capabilities as plain strings, whether the terminal takes xterm's
// sequences, the extended keys, the title stack and the clipboard.
#pragma once

#include <string>
#include <string_view>

namespace cadencio::frontends {

// A terminfo string capability of the terminal set up last, without its padding marks
// ($<5>), or "" when absent.
std::string Capability(const char* name);

// Whether $TERM takes xterm's sequences (title, extended keys, clipboard); the Linux console
// and the dumb terminals would show them as text.
bool UsesXtermSequences();

// Extended keys (Ctrl+Enter and the like told apart): xterm's modifyOtherKeys, which tmux also
// answers, and the "disambiguate" level of the kitty keyboard protocol (kitty, foot, WezTerm).
// Terminals that know neither ignore both.
inline constexpr std::string_view kExtendedKeysOn = "\033[>4;1m\033[>1u";
inline constexpr std::string_view kExtendedKeysOff = "\033[<u\033[>4m";
inline constexpr std::string_view kTitlePush = "\033[22;0t";
inline constexpr std::string_view kTitlePop = "\033[23;0t";

// OSC 52: the terminal puts the text on the desktop's clipboard.
std::string ClipboardSequence(std::string_view utf8);

}  // namespace cadencio::frontends
