// Windows-1252 case mappings, letter classes and trimming for the TTS.
#include "tts/tts_text.hpp"

#include "base/windows1252.hpp"

namespace cadencio::tts {

char UpperCase1252(char c) {
  const int b = ByteOf(c);
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
  const int b = ByteOf(c);
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

namespace {

// À Á Â Ã Ç É Ê Ì Í Ñ Ó Ô Õ Ù Ú Ü as capitals; their small forms are 32 above.
bool IsAccentedCapital(int b) {
  switch (b) {
    case 0xC0:
    case 0xC1:
    case 0xC2:
    case 0xC3:
    case 0xC7:
    case 0xC9:
    case 0xCA:
    case 0xCC:
    case 0xCD:
    case 0xD1:
    case 0xD3:
    case 0xD4:
    case 0xD5:
    case 0xD9:
    case 0xDA:
    case 0xDC:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool IsInLetterSet(char c) {
  const int b = ByteOf(c);
  if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) return true;
  return IsAccentedCapital(b) || (b >= 0xE0 && IsAccentedCapital(b - 32));
}

bool IsInConsonantSet(char c) {
  const int b = ByteOf(UpperCase1252(c));
  if (b >= 'A' && b <= 'Z') {
    return b != 'A' && b != 'E' && b != 'I' && b != 'O' && b != 'U';
  }
  return b == 0xC7 || b == 0xD1;  // Ç Ñ
}

std::string_view TrimBlanksAndControls(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
  return text;
}

std::string Cp1252(std::string_view utf8) {
  return base::Utf8ToWindows1252(utf8).bytes;
}

}  // namespace cadencio::tts
