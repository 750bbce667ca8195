// Word moves, readable words, link words and selection replacement on a padded field text.
#include "dialogs/field_text.hpp"

#include <algorithm>

#include "base/windows1252.hpp"

namespace cadencio::dialogs {

namespace {

bool IsDigit(uint8_t ch) {
  return ch >= '0' && ch <= '9';
}

// The character at a 1-based position; a blank outside the text.
uint8_t At(std::string_view text, int pos) {
  if (pos < 1 || pos > static_cast<int>(text.size())) return ' ';
  return static_cast<uint8_t>(text[pos - 1]);
}

bool IsConsonant(uint8_t ch) {
  return std::string_view("BCDFGHJKLMNPQRSTVXZ")
             .find(static_cast<char>(base::AsciiUpperCase(ch))) != std::string_view::npos;
}

bool IsStripped(char ch) {
  return std::string_view("(*-.<=>[_{\"").find(ch) != std::string_view::npos;
}

}  // namespace

bool IsFieldLetter(uint8_t ch) {
  return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch >= 128;
}

int LastNonBlank(std::string_view text) {
  std::size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? 0 : static_cast<int>(last) + 1;
}

WordMove NextWord(std::string_view text, int pos) {
  const int size = static_cast<int>(text.size());
  int i = std::max(pos, 1);
  if (i <= size) {
    if (IsDigit(At(text, i))) {
      while (i <= size && IsDigit(At(text, i))) ++i;
    } else if (At(text, i) != ' ') {
      ++i;
      while (i <= size && IsFieldLetter(At(text, i))) ++i;
    }
    while (i <= size && At(text, i) == ' ') ++i;
  }
  if (i > size) return {LastNonBlank(text) + 1, true};
  return {i, false};
}

WordMove PreviousWord(std::string_view text, int pos) {
  int i = std::min(pos, static_cast<int>(text.size()) + 1) - 1;
  while (i >= 1 && At(text, i) == ' ') --i;
  if (i < 1) return {1, true};
  if (IsDigit(At(text, i))) {
    while (i > 1 && IsDigit(At(text, i - 1))) --i;
  } else {
    while (i > 1 && IsFieldLetter(At(text, i - 1))) --i;
  }
  return {i, false};
}

ReadableWord ReadableWordAt(std::string_view text, int pos) {
  const int size = static_cast<int>(text.size());
  int i = std::max(pos, 1);
  while (i <= size && At(text, i) == ' ') ++i;
  if (i > size) return {ReadableWord::kNothing, pos, pos};
  const uint8_t first = At(text, i);
  int end = i + 1;
  if (IsDigit(first) || first == '-') {
    while (end <= size && IsDigit(At(text, end))) ++end;
    return {ReadableWord::kSpeak, i, end};
  }
  if (IsFieldLetter(first)) {
    bool consonants_only = IsConsonant(first);
    while (end <= size && IsFieldLetter(At(text, end))) {
      consonants_only = consonants_only && IsConsonant(At(text, end));
      ++end;
    }
    return {consonants_only ? ReadableWord::kSpell : ReadableWord::kSpeak, i, end};
  }
  return {ReadableWord::kSpell, i, end};
}

std::string LinkWordAt(std::string_view text, int pos) {
  const int size = static_cast<int>(text.size());
  int start = std::clamp(pos, 1, size + 1);
  int end = start;
  while (start > 1 && At(text, start - 1) != ' ') --start;
  while (end <= size && At(text, end) != ' ') ++end;
  std::string_view word = text.substr(start - 1, end - start);
  while (!word.empty() && IsStripped(word.front())) word.remove_prefix(1);
  while (!word.empty() && IsStripped(word.back())) word.remove_suffix(1);
  return std::string(word);
}

std::string ReplaceRange(std::string_view text, int start, int end, std::string_view inserted,
                         int capacity) {
  const int size = static_cast<int>(text.size());
  start = std::clamp(start, 1, size + 1);
  end = std::clamp(end, start, size + 1);
  std::string result(text.substr(0, start - 1));
  result.append(inserted);
  result.append(text.substr(end - 1));
  result.resize(std::max(capacity, 0), ' ');
  return result;
}

}  // namespace cadencio::dialogs
