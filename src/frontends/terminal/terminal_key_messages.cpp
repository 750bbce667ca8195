// The key messages of the terminal key decoder.
#include "frontends/terminal/terminal_key_messages.hpp"

#include "base/keys.hpp"
#include "base/windows1252.hpp"

namespace cadencio::frontends::terminal_key_messages {

base::Message Char(int byte, bool ctrl) {
  base::Message m{base::MessageKind::kChar};
  m.key = byte;
  m.ctrl = ctrl;
  return m;
}

base::Message KeyDown(int virtual_key, int modifiers) {
  base::Message m{base::MessageKind::kKeyDown};
  m.key = virtual_key;
  m.shift = (modifiers & kShift) != 0;
  m.alt = (modifiers & kAlt) != 0;
  m.ctrl = (modifiers & kCtrl) != 0;
  return m;
}

int Modifiers(long parameter) {
  if (parameter < 1 || parameter > 256) return 0;
  int bits = static_cast<int>(parameter - 1);
  return (bits & (kShift | kAlt | kCtrl)) | ((bits & 8) != 0 ? kAlt : 0);
}

void EmitKey(int virtual_key, int modifiers, std::vector<base::Message>& out) {
  const bool ctrl = (modifiers & kCtrl) != 0;
  const bool alt_only = (modifiers & kAlt) != 0 && !ctrl;
  switch (virtual_key) {
    case base::vk::kReturn:
      if (!alt_only) out.push_back(Char(13, ctrl));
      return;
    case base::vk::kTab:
      if (!alt_only) out.push_back(Char(9));
      return;
    case base::vk::kBack:
      if (!alt_only) out.push_back(Char(8, ctrl));
      return;
    case base::vk::kEscape:
      if (!alt_only) out.push_back(Char(27));
      return;
    default:
      break;
  }
  if (virtual_key == base::vk::F(4) && alt_only) {
    // Alt+F4 closes a window.
    out.push_back(base::Message{base::MessageKind::kClose});
    return;
  }
  out.push_back(KeyDown(virtual_key, modifiers));
}

void EmitControl(uint8_t byte, bool backspace_is_ctrl_h, std::vector<base::Message>& out) {
  switch (byte) {
    case 0x00:  // Ctrl+Space
      out.push_back(Char(' ', true));
      break;
    case 0x08:  // Ctrl+Backspace on most terminals, Ctrl+H everywhere
      out.push_back(Char(8, !backspace_is_ctrl_h));
      break;
    case 0x7F:  // Backspace
      out.push_back(Char(8, backspace_is_ctrl_h));
      break;
    case 0x09:
    case 0x0A:
    case 0x0D:
      out.push_back(Char(byte));
      break;
    case kBreakStandIn:  // no terminal sends Ctrl+Break
      out.push_back(KeyDown(base::vk::kCancel, kCtrl));
      break;
    default:  // Ctrl+letter and Ctrl+\ ^ _ (Ctrl+\ is a key here, never SIGQUIT)
      out.push_back(Char(byte, true));
      break;
  }
}

void EmitAltControl(uint8_t byte, std::vector<base::Message>& out) {
  if (byte == kBreakStandIn) {
    out.push_back(KeyDown(base::vk::kCancel, kCtrl | kAlt));
  } else if (byte >= 1 && byte <= 26 && byte != 0x09 && byte != 0x0D) {
    out.push_back(KeyDown(base::vk::kA + byte - 1, kCtrl | kAlt));
  }
  // Alt+Tab, Alt+Enter, Alt+Backspace and the rest are keys a window does not get.
}

void EmitCodePoint(char32_t cp, int modifiers, bool backspace_is_ctrl_h,
                   std::vector<base::Message>& out) {
  const bool ctrl = (modifiers & kCtrl) != 0;
  const bool is_lower = cp >= 'a' && cp <= 'z';
  const bool is_upper = cp >= 'A' && cp <= 'Z';
  const bool is_digit = cp >= '0' && cp <= '9';
  if ((modifiers & kAlt) != 0) {
    if (is_lower || is_upper) {
      int vk_letter = static_cast<int>(is_lower ? cp - 'a' + 'A' : cp);
      out.push_back(KeyDown(vk_letter, modifiers | (is_upper ? kShift : 0)));
    } else if (is_digit) {
      out.push_back(KeyDown(static_cast<int>(cp), modifiers));
    }
    return;
  }
  if (ctrl) {
    if (is_lower || is_upper || (cp >= '@' && cp <= '_')) {
      EmitControl(static_cast<uint8_t>(cp & 0x1F), backspace_is_ctrl_h, out);
    } else if (is_digit) {
      out.push_back(KeyDown(static_cast<int>(cp), modifiers));
    } else if (cp == ' ') {
      out.push_back(Char(' ', true));
    }
    return;
  }
  int byte = base::UnicodeToWindows1252(cp);
  if (byte >= 0x20 && byte != 0x7F) out.push_back(Char(byte));
}

void EmitCodeKey(long code, int modifiers, bool backspace_is_ctrl_h,
                 std::vector<base::Message>& out) {
  switch (code) {
    case 13:
      return EmitKey(base::vk::kReturn, modifiers, out);
    case 9:
      return EmitKey(base::vk::kTab, modifiers, out);
    case 8:
    case 127:
      return EmitKey(base::vk::kBack, modifiers, out);
    case 27:
      return EmitKey(base::vk::kEscape, modifiers, out);
    default:
      break;
  }
  if (code == kKittyPause) {
    if ((modifiers & kCtrl) != 0) out.push_back(KeyDown(base::vk::kCancel, modifiers));
    return;
  }
  // Code 0 and the private-use keys of some protocols are not characters.
  if (code <= 0 || code > 0x10FFFF || (code >= 0xE000 && code <= 0xF8FF)) return;
  EmitCodePoint(static_cast<char32_t>(code), modifiers, backspace_is_ctrl_h, out);
}

int DecodeUtf8(std::string_view s, char32_t& cp) {
  const auto b0 = static_cast<uint8_t>(s[0]);
  int length;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  } else if (b0 < 0xC2) {
    return -1;
  } else if (b0 < 0xE0) {
    length = 2;
    cp = b0 & 0x1F;
  } else if (b0 < 0xF0) {
    length = 3;
    cp = b0 & 0x0F;
  } else if (b0 < 0xF5) {
    length = 4;
    cp = b0 & 0x07;
  } else {
    return -1;
  }
  for (int i = 1; i < length; ++i) {
    if (static_cast<size_t>(i) >= s.size()) return 0;
    const auto c = static_cast<uint8_t>(s[i]);
    if ((c & 0xC0) != 0x80) return -1;
    // Overlong forms, surrogates and code points above U+10FFFF.
    if (i == 1 && ((b0 == 0xE0 && c < 0xA0) || (b0 == 0xED && c >= 0xA0) ||
                   (b0 == 0xF0 && c < 0x90) || (b0 == 0xF4 && c >= 0x90))) {
      return -1;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  return length;
}

}  // namespace cadencio::frontends::terminal_key_messages
