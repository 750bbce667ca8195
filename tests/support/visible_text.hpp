// Texts for failure messages: bytes outside printable ASCII shown as \xNN.
#pragma once

#include <string>
#include <string_view>

namespace cadencio::testing {

inline std::string Visible(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 32 && b < 127) {
      out += c;
    } else {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

}  // namespace cadencio::testing
