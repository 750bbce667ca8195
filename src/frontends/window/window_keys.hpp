// Key events of the SDL window turned into the key messages a Windows console window would
// have received (key-down, key-up, character), and back again for scripted input. The rules
// follow the terminal front end's, so both give the console the same key codes.
#pragma once

#include <SDL.h>

#include <vector>

#include "base/message_loop.hpp"

namespace cadencio::frontends {

// The virtual key of an SDL key, 0 when the console has no use for it.
int VirtualKeyOf(SDL_Keycode key, Uint16 modifiers);

// The messages of one SDL event: a key-down gives its key-down message (a system key-down for
// Alt with Enter, Tab, Backspace, Esc or the space bar) and, for the keys that type a control
// character (Enter, Backspace, Tab, Esc, Ctrl+letter), that character; Alt+F4 closes; a key-up
// gives its key-up; text input gives one character per Windows-1252 character (none while Alt alone
// or Ctrl alone is held, since those keys arrive as key-downs); the close of the window closes.
std::vector<base::Message> TranslateWindowEvent(const SDL_Event& event);

// The SDL events that would have produced a key message, for scripted input; empty when the
// message has no key events (block done, wake-ups, quit).
std::vector<SDL_Event> EventsForMessage(const base::Message& message, Uint32 window_id);

}  // namespace cadencio::frontends
