// The key messages the terminal key decoder makes: what a window procedure would have been
// sent for a key, built from the character, code point or virtual key a sequence names.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/message_loop.hpp"

namespace cadencio::frontends::terminal_key_messages {

constexpr uint8_t kEsc = 0x1B;
// Modifier bits: the xterm modifier parameter minus one.
constexpr int kShift = 1;
constexpr int kAlt = 2;
constexpr int kCtrl = 4;
// Ctrl+], the byte that stands in for Ctrl+Break: no key table of the program uses it.
constexpr uint8_t kBreakStandIn = 0x1D;
// The Pause key of the kitty keyboard protocol; with Ctrl it is Ctrl+Break, as on a PC.
constexpr long kKittyPause = 57362;
// Longest control sequence kept whole; longer ones are thrown away up to their final byte.
constexpr size_t kMaxSequence = 64;

base::Message Char(int byte, bool ctrl = false);
base::Message KeyDown(int virtual_key, int modifiers);
// The modifier bits of an xterm modifier parameter (1 = none). Meta counts as Alt; other bits
// (super, hyper, lock states) are ignored.
int Modifiers(long parameter);
// A key given by virtual-key code: the few that Windows delivers as characters become kChar.
void EmitKey(int virtual_key, int modifiers, std::vector<base::Message>& out);
// A control byte typed on its own: what Windows sends as WM_CHAR for the same keys.
void EmitControl(uint8_t byte, bool backspace_is_ctrl_h, std::vector<base::Message>& out);
// ESC followed by a control byte: Ctrl+Alt+letter.
void EmitAltControl(uint8_t byte, std::vector<base::Message>& out);
// A character with modifiers. Alt combinations with a letter or digit become key-downs (the
// console queues their Alt codes); Ctrl+letter becomes its control character; a plain
// character is passed on in Windows-1252 when the code page has it.
void EmitCodePoint(char32_t cp, int modifiers, bool backspace_is_ctrl_h,
                   std::vector<base::Message>& out);
// A key given by its code point in the extended forms CSI k;m u and CSI 27;m;k ~.
void EmitCodeKey(long code, int modifiers, bool backspace_is_ctrl_h,
                 std::vector<base::Message>& out);
// Decodes one UTF-8 character: its length, 0 when more bytes are needed, -1 when invalid.
int DecodeUtf8(std::string_view s, char32_t& cp);

}  // namespace cadencio::frontends::terminal_key_messages
