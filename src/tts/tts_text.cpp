// The letter classes of the TTS, and its constant texts in Windows-1252.
#include "tts/tts_text.hpp"

namespace cadencio::tts {

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
  const int b = ByteOf(base::UpperCase1252(c));
  if (b >= 'A' && b <= 'Z') {
    return b != 'A' && b != 'E' && b != 'I' && b != 'O' && b != 'U';
  }
  return b == 0xC7 || b == 0xD1;  // Ç Ñ
}

bool EndsWord(std::string_view text, std::size_t pos) {
  return pos >= text.size() || !(IsInLetterSet(text[pos]) || IsDigit(text[pos]));
}

bool StartsWord(std::string_view text, std::size_t pos) {
  return pos == 0 || EndsWord(text, pos - 1);
}

std::string WordBefore(std::string_view text, std::size_t end) {
  while (end > 0 && text[end - 1] == ' ') --end;
  std::size_t start = end;
  while (start > 0 && IsInLetterSet(text[start - 1])) --start;
  return std::string(text.substr(start, end - start));
}

std::string WordAfter(std::string_view text, std::size_t start) {
  while (CharAt(text, start) == ' ') ++start;
  std::size_t end = start;
  while (end < text.size() && IsInLetterSet(text[end])) ++end;
  return std::string(text.substr(start, end - start));
}

bool IsCapitalised(std::string_view word) {
  if (word.size() < 2 || base::UpperCase1252(word[0]) != word[0]) return false;
  for (std::size_t k = 1; k < word.size(); ++k) {
    if (base::LowerCase1252(word[k]) != word[k]) return false;
  }
  return true;
}

std::string Cp1252(std::string_view utf8) {
  return base::Utf8ToWindows1252(utf8).bytes;
}

}  // namespace cadencio::tts
