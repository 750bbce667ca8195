// Terminal sequences and capabilities.
#include "frontends/terminal/terminal_sequences.hpp"

#include <cstdint>
#include <cstdlib>
#include <cstring>

// ncurses last: its headers define many lower-case macros.
#define NCURSES_WIDECHAR 1
#include <curses.h>
#include <term.h>

namespace cadencio::frontends {

std::string Capability(const char* name) {
  const char* value = tigetstr(name);
  if (value == nullptr || value == reinterpret_cast<const char*>(-1)) return {};
  std::string out;
  for (const char* p = value; *p != '\0'; ++p) {
    if (p[0] == '$' && p[1] == '<') {
      const char* end = std::strchr(p, '>');
      if (end != nullptr) {
        p = end;
        continue;
      }
    }
    out += *p;
  }
  return out;
}

bool UsesXtermSequences() {
  const char* term = std::getenv("TERM");
  return term != nullptr && std::strncmp(term, "linux", 5) != 0 &&
         std::strncmp(term, "dumb", 4) != 0 && std::strncmp(term, "vt", 2) != 0;
}

namespace {

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = static_cast<uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) group |= static_cast<uint8_t>(bytes[i + 2]);
    out += kDigits[(group >> 18) & 63];
    out += kDigits[(group >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(group >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
  }
  return out;
}

}  // namespace

std::string ClipboardSequence(std::string_view utf8) {
  return "\033]52;c;" + Base64(utf8) + "\007";
}

}  // namespace cadencio::frontends
