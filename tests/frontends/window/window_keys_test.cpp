// The window's key events as console key messages, and scripted messages through the events.
#include "frontends/window/window_keys.hpp"

#include <gtest/gtest.h>

#include <cstring>

#include "base/keys.hpp"

namespace cadencio::frontends {
namespace {

SDL_Event Key(Uint32 type, SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
  SDL_Event event{};
  event.key.type = type;
  event.key.keysym.sym = sym;
  event.key.keysym.mod = mod;
  return event;
}

// A message as text, so that a table can list what it expects: "down 112 c", "char 13 c",
// "up 70", "sys 37 a", "close".
std::string Describe(const base::Message& m) {
  std::string flags = std::string(m.ctrl ? " c" : "") + (m.alt ? " a" : "") + (m.shift ? " s" : "");
  switch (m.kind) {
    case base::MessageKind::kKeyDown:
      return "down " + std::to_string(m.key) + flags;
    case base::MessageKind::kSysKeyDown:
      return "sys " + std::to_string(m.key) + flags;
    case base::MessageKind::kKeyUp:
      return "up " + std::to_string(m.key) + flags;
    case base::MessageKind::kChar:
      return "char " + std::to_string(m.key) + flags;
    case base::MessageKind::kClose:
      return "close";
    default:
      return "other";
  }
}

std::vector<std::string> Translate(const SDL_Event& event) {
  std::vector<std::string> out;
  for (const base::Message& m : TranslateWindowEvent(event)) out.push_back(Describe(m));
  return out;
}

TEST(WindowKeysTest, KeyEventsBecomeTheConsolesMessages) {
  struct Case {
    const char* name;
    SDL_Event event;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"F1", Key(SDL_KEYDOWN, SDLK_F1), {"down 112"}},
      {"Ctrl+F1", Key(SDL_KEYDOWN, SDLK_F1, KMOD_LCTRL), {"down 112 c"}},
      {"Shift+Insert", Key(SDL_KEYDOWN, SDLK_INSERT, KMOD_RSHIFT), {"down 45 s"}},
      {"Enter", Key(SDL_KEYDOWN, SDLK_RETURN), {"down 13", "char 13"}},
      {"Ctrl+Enter", Key(SDL_KEYDOWN, SDLK_KP_ENTER, KMOD_LCTRL), {"down 13 c", "char 13 c"}},
      {"Ctrl+Backspace", Key(SDL_KEYDOWN, SDLK_BACKSPACE, KMOD_LCTRL), {"down 8 c", "char 8 c"}},
      {"Esc", Key(SDL_KEYDOWN, SDLK_ESCAPE), {"down 27", "char 27"}},
      {"Ctrl+A", Key(SDL_KEYDOWN, SDLK_a, KMOD_LCTRL), {"down 65 c", "char 1 c"}},
      {"Alt+X", Key(SDL_KEYDOWN, SDLK_x, KMOD_LALT), {"down 88 a"}},
      {"Alt+0", Key(SDL_KEYDOWN, SDLK_0, KMOD_LALT), {"down 48 a"}},
      {"Ctrl+Alt+F11", Key(SDL_KEYDOWN, SDLK_F11, KMOD_LCTRL | KMOD_LALT), {"down 122 c a"}},
      {"Alt+Left", Key(SDL_KEYDOWN, SDLK_LEFT, KMOD_LALT), {"down 37 a"}},
      {"Alt+space", Key(SDL_KEYDOWN, SDLK_SPACE, KMOD_RALT), {"sys 32 a"}},
      {"Alt+F10", Key(SDL_KEYDOWN, SDLK_F10, KMOD_LALT), {"down 121 a"}},
      {"Alt+Enter", Key(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT), {"sys 13 a"}},
      {"Alt+F4", Key(SDL_KEYDOWN, SDLK_F4, KMOD_LALT), {"close"}},
      {"Ctrl+Pause", Key(SDL_KEYDOWN, SDLK_PAUSE, KMOD_LCTRL), {"down 3 c"}},
      {"Shift", Key(SDL_KEYDOWN, SDLK_LSHIFT, KMOD_LSHIFT), {}},
      {"F released", Key(SDL_KEYUP, SDLK_f), {"up 70"}},
      {"space released", Key(SDL_KEYUP, SDLK_SPACE), {"up 32"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Translate(c.event), c.messages) << c.name;

  SDL_Event text{};
  text.text.type = SDL_TEXTINPUT;
  std::strcpy(text.text.text, "a\xC3\xA7\xE2\x82\xAC\xE4\xB8\x80");  // a ç € and one it lacks
  EXPECT_EQ(Translate(text), (std::vector<std::string>{"char 97", "char 231", "char 128"}));
  SDL_Event close{};
  close.window.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  EXPECT_EQ(Translate(close), (std::vector<std::string>{"close"}));
}

TEST(WindowKeysTest, ScriptedMessagesComeBackThroughTheirEvents) {
  // What a scripted key turns into after the round trip through SDL events.
  struct Case {
    base::Message message;
    std::vector<std::string> messages;
  };
  auto down = [](int key, bool ctrl = false, bool alt = false, bool shift = false) {
    base::Message m{base::MessageKind::kKeyDown, key};
    m.ctrl = ctrl, m.alt = alt, m.shift = shift;
    return m;
  };
  auto chr = [](int key, bool ctrl = false) {
    base::Message m{base::MessageKind::kChar, key};
    m.ctrl = ctrl;
    return m;
  };
  const Case cases[] = {
      {down(base::vk::F(2)), {"down 113"}},
      {down(base::vk::kInsert, false, false, true), {"down 45 s"}},
      {down('X', false, true), {"down 88 a"}},
      {down(base::vk::F(12), true, true), {"down 123 c a"}},
      {base::Message{base::MessageKind::kKeyUp, 'J'}, {"up 74"}},
      {chr(13), {"down 13", "char 13"}},
      {chr(13, true), {"down 13 c", "char 13 c"}},
      {chr(27), {"down 27", "char 27"}},
      {chr(8), {"down 8", "char 8"}},
      {chr(1), {"down 65 c", "char 1 c"}},
      {base::Message{base::MessageKind::kClose}, {"close"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> got;
    for (const SDL_Event& event : EventsForMessage(c.message, 1)) {
      for (const auto& text : Translate(event)) got.push_back(text);
    }
    EXPECT_EQ(got, c.messages) << Describe(c.message);
  }
  // Printable characters travel as text input.
  auto events = EventsForMessage(chr(0xE7), 1);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, SDL_TEXTINPUT);
  EXPECT_STREQ(events[0].text.text, "\xC3\xA7");
  EXPECT_TRUE(EventsForMessage(base::Message{base::MessageKind::kBlockDone}, 1).empty());
}

}  // namespace
}  // namespace cadencio::frontends
