// Windows-1252 <-> Unicode: 0x00-0x7F and 0xA0-0xFF are the same numbers as Unicode; only
// 0x80-0x9F need a table.
#include "base/windows1252.hpp"

#include <algorithm>
#include <array>

namespace cadencio::base {
namespace {

// Code points of 0x80..0x9F; 0 where the code page defines no character.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98-9F
};

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes the UTF-8 sequence at `at` and moves past it; false for a malformed, overlong or
// truncated sequence (then only its first byte is passed).
bool DecodeUtf8(std::string_view text, std::size_t& at, char32_t& cp) {
  const auto lead = static_cast<uint8_t>(text[at]);
  int extra = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    cp = lead;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    cp = lead & 0x07;
    minimum = 0x10000;
  } else {
    ++at;
    return false;
  }
  for (int k = 1; k <= extra; ++k) {
    if (at + k >= text.size() || (static_cast<uint8_t>(text[at + k]) & 0xC0) != 0x80) {
      ++at;
      return false;
    }
    cp = (cp << 6) | (static_cast<uint8_t>(text[at + k]) & 0x3F);
  }
  at += 1 + extra;
  return cp >= minimum && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
}

}  // namespace

char32_t Windows1252ToUnicode(uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
  return byte;
}

int UnicodeToWindows1252(char32_t code_point) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) {
    return static_cast<int>(code_point);
  }
  if (code_point < 0xA0) return -1;  // the C1 controls have no byte of their own
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == code_point) return static_cast<int>(0x80 + i);
  }
  return -1;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    char32_t cp = Windows1252ToUnicode(static_cast<uint8_t>(c));
    if (cp != 0 || c == 0) AppendUtf8(cp, out);
  }
  return out;
}

std::optional<std::u32string> DecodeUtf8(std::string_view utf8) {
  std::u32string code_points;
  for (std::size_t at = 0; at < utf8.size();) {
    char32_t cp = 0;
    if (!DecodeUtf8(utf8, at, cp)) return std::nullopt;
    code_points.push_back(cp);
  }
  return code_points;
}

bool LooksLikeUtf8(std::string_view text) {
  const bool beyond_ascii = std::any_of(
      text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return beyond_ascii && DecodeUtf8(text).has_value();
}

Windows1252Text Utf8ToWindows1252(std::string_view utf8, char replacement) {
  Windows1252Text out;
  out.bytes.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    char32_t cp = 0;
    const int byte = DecodeUtf8(utf8, at, cp) ? UnicodeToWindows1252(cp) : -1;
    if (byte < 0) out.complete = false;
    // The flat and sharp signs become the letters musicians type for them (Si♭ is Sib).
    const char missing = cp == U'\u266D' ? 'b' : cp == U'\u266F' ? '#' : replacement;
    out.bytes += byte < 0 ? missing : static_cast<char>(byte);
  }
  return out;
}

std::string AsciiUpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiUpperCase(c);
  return out;
}

std::string AsciiLowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiLowerCase(c);
  return out;
}

char UpperCase1252(char c) {
  const auto b = static_cast<unsigned char>(c);
  if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7)) {
    return static_cast<char>(b - 32);
  }
  switch (b) {
    case 0x9A:
      return '\x8A';  // š
    case 0x9C:
      return '\x8C';  // œ
    case 0x9E:
      return '\x8E';  // ž
    case 0xFF:
      return '\x9F';  // ÿ
    default:
      return c;
  }
}

char LowerCase1252(char c) {
  const auto b = static_cast<unsigned char>(c);
  if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
    return static_cast<char>(b + 32);
  }
  switch (b) {
    case 0x8A:
      return '\x9A';
    case 0x8C:
      return '\x9C';
    case 0x8E:
      return '\x9E';
    case 0x9F:
      return '\xFF';
    default:
      return c;
  }
}

std::string UpperCase1252(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperCase1252(c);
  return out;
}

std::string LowerCase1252(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerCase1252(c);
  return out;
}

std::string UpperCaseAsciiAndHighBytes(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || b >= 0xE0) c = static_cast<char>(b - 32);
  }
  return out;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string_view TrimBlanksAndControls(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace cadencio::base
