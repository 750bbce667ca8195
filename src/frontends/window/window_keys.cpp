// SDL key events to console key messages and back.
#include "frontends/window/window_keys.hpp"

#include <cstring>
#include <string>

#include "base/keys.hpp"
#include "base/windows1252.hpp"

namespace cadencio::frontends {

namespace {

struct NamedKey {
  SDL_Keycode sdl;
  int virtual_key;
};

constexpr NamedKey kNamedKeys[] = {
    {SDLK_RETURN, base::vk::kReturn},  {SDLK_KP_ENTER, base::vk::kReturn},
    {SDLK_BACKSPACE, base::vk::kBack}, {SDLK_TAB, base::vk::kTab},
    {SDLK_ESCAPE, base::vk::kEscape},  {SDLK_SPACE, base::vk::kSpace},
    {SDLK_PAGEUP, base::vk::kPrior},   {SDLK_PAGEDOWN, base::vk::kNext},
    {SDLK_END, base::vk::kEnd},        {SDLK_HOME, base::vk::kHome},
    {SDLK_LEFT, base::vk::kLeft},      {SDLK_UP, base::vk::kUp},
    {SDLK_RIGHT, base::vk::kRight},    {SDLK_DOWN, base::vk::kDown},
    {SDLK_INSERT, base::vk::kInsert},  {SDLK_DELETE, base::vk::kDelete},
    {SDLK_F1, base::vk::F(1)},         {SDLK_F2, base::vk::F(2)},
    {SDLK_F3, base::vk::F(3)},         {SDLK_F4, base::vk::F(4)},
    {SDLK_F5, base::vk::F(5)},         {SDLK_F6, base::vk::F(6)},
    {SDLK_F7, base::vk::F(7)},         {SDLK_F8, base::vk::F(8)},
    {SDLK_F9, base::vk::F(9)},         {SDLK_F10, base::vk::F(10)},
    {SDLK_F11, base::vk::F(11)},       {SDLK_F12, base::vk::F(12)},
};

bool IsLetter(int virtual_key) {
  return virtual_key >= base::vk::kA && virtual_key < base::vk::kA + 26;
}
bool IsDigit(int virtual_key) {
  return virtual_key >= base::vk::k0 && virtual_key < base::vk::k0 + 10;
}

base::Message Make(base::MessageKind kind, int key, Uint16 mod) {
  base::Message m{kind};
  m.key = key;
  m.ctrl = (mod & KMOD_CTRL) != 0;
  m.alt = (mod & KMOD_ALT) != 0;
  m.shift = (mod & KMOD_SHIFT) != 0;
  return m;
}

void KeyDownMessages(const SDL_KeyboardEvent& key, std::vector<base::Message>& out) {
  const Uint16 mod = key.keysym.mod;
  const int virtual_key = VirtualKeyOf(key.keysym.sym, mod);
  if (virtual_key == 0) return;
  const bool ctrl = (mod & KMOD_CTRL) != 0;
  const bool alt_only = (mod & KMOD_ALT) != 0 && !ctrl;
  if (virtual_key == base::vk::F(4) && alt_only) {
    out.push_back(base::Message{base::MessageKind::kClose});
    return;
  }
  // Alt with Enter, Tab, Backspace, Esc or the space bar is the system's (the terminal never
  // sees these either); Alt with any other key reaches the key translation.
  const bool system_key =
      alt_only && (virtual_key == base::vk::kReturn || virtual_key == base::vk::kTab ||
                   virtual_key == base::vk::kBack || virtual_key == base::vk::kEscape ||
                   virtual_key == base::vk::kSpace);
  out.push_back(Make(system_key ? base::MessageKind::kSysKeyDown : base::MessageKind::kKeyDown,
                     virtual_key, mod));
  // The characters that these keys type (what TranslateMessage would have made of them).
  if (alt_only) return;
  int ch = -1;
  switch (virtual_key) {
    case base::vk::kReturn:
      ch = 13;
      break;
    case base::vk::kBack:
      ch = 8;
      break;
    case base::vk::kTab:
      ch = 9;
      break;
    case base::vk::kEscape:
      ch = 27;
      break;
    default:
      if (ctrl && (mod & KMOD_ALT) == 0 && IsLetter(virtual_key))
        ch = virtual_key - base::vk::kA + 1;
  }
  if (ch >= 0) {
    base::Message m = Make(base::MessageKind::kChar, ch, mod);
    out.push_back(m);
  }
}

void TextMessages(const char* utf8, std::vector<base::Message>& out) {
  const Uint16 mod = SDL_GetModState();
  const bool alt = (mod & KMOD_ALT) != 0;
  const bool ctrl = (mod & KMOD_CTRL) != 0;
  if (alt != ctrl) return;  // Alt+key and Ctrl+key came as key-downs; AltGr types
  for (char c : base::Utf8ToWindows1252(utf8, '\0').bytes) {
    if (c == '\0') continue;
    out.push_back(Make(base::MessageKind::kChar, static_cast<uint8_t>(c), 0));
  }
}

SDL_Event KeyEvent(Uint32 type, SDL_Keycode sym, Uint16 mod, Uint32 window_id) {
  SDL_Event event{};
  event.key.type = type;
  event.key.windowID = window_id;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = sym;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
  event.key.keysym.mod = mod;
  return event;
}

SDL_Keycode KeycodeOf(int virtual_key) {
  for (const auto& key : kNamedKeys) {
    if (key.virtual_key == virtual_key) return key.sdl;
  }
  if (IsLetter(virtual_key)) return SDLK_a + (virtual_key - base::vk::kA);
  if (IsDigit(virtual_key)) return SDLK_0 + (virtual_key - base::vk::k0);
  if (virtual_key == base::vk::kCancel) return SDLK_PAUSE;
  return SDLK_UNKNOWN;
}

Uint16 ModOf(const base::Message& message) {
  return static_cast<Uint16>((message.ctrl ? KMOD_LCTRL : 0) | (message.alt ? KMOD_LALT : 0) |
                             (message.shift ? KMOD_LSHIFT : 0));
}

}  // namespace

int VirtualKeyOf(SDL_Keycode key, Uint16 modifiers) {
  for (const auto& named : kNamedKeys) {
    if (named.sdl == key) return named.virtual_key;
  }
  if (key >= SDLK_a && key <= SDLK_z) return base::vk::kA + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return base::vk::k0 + (key - SDLK_0);
  // Ctrl+Pause is Ctrl+Break.
  if (key == SDLK_PAUSE && (modifiers & KMOD_CTRL) != 0) return base::vk::kCancel;
  return 0;
}

std::vector<base::Message> TranslateWindowEvent(const SDL_Event& event) {
  std::vector<base::Message> out;
  switch (event.type) {
    case SDL_KEYDOWN:
      KeyDownMessages(event.key, out);
      break;
    case SDL_KEYUP:
      if (int key = VirtualKeyOf(event.key.keysym.sym, event.key.keysym.mod); key != 0) {
        out.push_back(Make(base::MessageKind::kKeyUp, key, event.key.keysym.mod));
      }
      break;
    case SDL_TEXTINPUT:
      TextMessages(event.text.text, out);
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) out.push_back({base::MessageKind::kClose});
      break;
    case SDL_QUIT:
      out.push_back({base::MessageKind::kClose});
      break;
    default:
      break;
  }
  return out;
}

std::vector<SDL_Event> EventsForMessage(const base::Message& message, Uint32 window_id) {
  std::vector<SDL_Event> events;
  switch (message.kind) {
    case base::MessageKind::kKeyDown:
    case base::MessageKind::kSysKeyDown:
    case base::MessageKind::kKeyUp: {
      SDL_Keycode sym = KeycodeOf(message.key);
      if (sym == SDLK_UNKNOWN) break;
      Uint32 type = message.kind == base::MessageKind::kKeyUp ? SDL_KEYUP : SDL_KEYDOWN;
      events.push_back(KeyEvent(type, sym, ModOf(message), window_id));
      break;
    }
    case base::MessageKind::kChar: {
      const int ch = message.key & 0xFF;
      SDL_Keycode sym = ch == 13              ? SDLK_RETURN
                        : ch == 8             ? SDLK_BACKSPACE
                        : ch == 9             ? SDLK_TAB
                        : ch == 27            ? SDLK_ESCAPE
                        : ch >= 1 && ch <= 26 ? SDLK_a + (ch - 1)
                                              : SDLK_UNKNOWN;
      if (sym != SDLK_UNKNOWN) {
        Uint16 mod = message.ctrl || (ch >= 1 && ch <= 26 && ch != 8 && ch != 9 && ch != 13)
                         ? KMOD_LCTRL
                         : KMOD_NONE;
        events.push_back(KeyEvent(SDL_KEYDOWN, sym, mod, window_id));
        break;
      }
      std::string utf8 = base::Windows1252ToUtf8(std::string(1, static_cast<char>(ch)));
      if (utf8.empty()) break;
      SDL_Event event{};
      event.text.type = SDL_TEXTINPUT;
      event.text.windowID = window_id;
      std::strncpy(event.text.text, utf8.c_str(), sizeof event.text.text - 1);
      events.push_back(event);
      break;
    }
    case base::MessageKind::kClose: {
      SDL_Event event{};
      event.window.type = SDL_WINDOWEVENT;
      event.window.event = SDL_WINDOWEVENT_CLOSE;
      event.window.windowID = window_id;
      events.push_back(event);
      break;
    }
    default:
      break;
  }
  return events;
}

}  // namespace cadencio::frontends
