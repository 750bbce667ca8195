// The aufonrec module's reading of a phonetic string: units, syllables and piece names.
#include "voice/phonetic_units.hpp"

#include <cstdint>

namespace cadencio::voice {
namespace {

bool In(char c, std::string_view set) {
  return set.find(c) != std::string_view::npos;
}

void SplitInto(std::string_view u, double f, std::vector<SyllablePart>& out) {
  const std::size_t length = u.size();
  if (length == 0) return;
  if (length == 1) {
    out.push_back({std::string(u), f});
    return;
  }
  if (length > 2) {
    // A leading consonant cluster loses its first consonant, spoken alone at full length.
    const std::string_view two = u.substr(0, 2);
    if (IsVoiceConsonant(u[0]) && IsVoiceConsonant(u[1]) && two != "dj" && two != "nh" &&
        two != "rr" && two != "ks" && u.substr(0, 3) != "tch") {
      out.push_back({std::string(1, u[0]), 1.0});
      SplitInto(u.substr(1), f, out);
      return;
    }
    // A final "rr" is its own syllable.
    if (u.ends_with("rr")) {
      SplitInto(u.substr(0, length - 2), f, out);
      out.push_back({"rr", f});
      return;
    }
    // A final consonant is its own unit.
    if (IsVoiceConsonant(u[length - 1])) {
      SplitInto(u.substr(0, length - 1), f, out);
      SplitInto(u.substr(length - 1), f, out);
      return;
    }
  }
  if (IsSemivowel(u[length - 1])) {
    const char before = u[length - 2];
    // Vowel + semivowel: the rest shortened, then the diphthong's two letters.
    if (IsVoiceVowel(before) && length > 2) {
      SplitInto(u.substr(0, length - 1), 0.6, out);
      out.push_back({std::string(u.substr(length - 2)), f});
      return;
    }
    // Vowel + nasal mark + semivowel: the rest (with its tilde made a circumflex) shortened,
    // then vowel, semivowel, mark.
    if (IsNasalMark(before) && length >= 3) {
      if (length > 3) {
        std::string head(u.substr(0, length - 1));
        if (head.back() == '~') head.back() = '^';
        SplitInto(head, 0.6, out);
      }
      out.push_back({std::string{u[length - 3], u[length - 1], u[length - 2]}, f});
      return;
    }
  }
  // A final "s" (except the spelled letter s) is its own syllable after a shortened rest.
  if (u != "_s" && u.back() == 's') {
    SplitInto(u.substr(0, length - 1), 0.7, out);
    out.push_back({"s", f});
    return;
  }
  out.push_back({std::string(u), f});
}

}  // namespace

bool IsVoiceVowel(char c) {
  return In(c, "AEIOUaeiouwy");
}
bool IsVoiceConsonant(char c) {
  return In(c, "bcdfgjklmnpqrstvxz");
}
bool IsSemivowel(char c) {
  return c == 'w' || c == 'y';
}
bool IsNasalMark(char c) {
  return c == '^' || c == '~';
}
bool IsStressedVowel(char c) {
  return In(c, "AEIOU");
}

ScannedUnit ScanNextUnit(std::string_view s, std::size_t pos) {
  ScannedUnit result;
  // 1. "[" opens a group: the stress mode restarts.
  if (pos < s.size() && s[pos] == '[') {
    result.opens_group = true;
    ++pos;
  }
  // 2. Collect up to a blank or "]".
  std::string& unit = result.unit;
  while (pos < s.size()) {
    const char c = s[pos++];
    if (c == ' ' || c == ']') {
      result.end = c == ' ' ? UnitEnd::kBlank : UnitEnd::kBracket;
      result.next = pos;
      return result;
    }
    if (c == '/') {
      if (unit.size() >= kLongGroupLength) {
        result.end = UnitEnd::kLongGroupCut;
        result.next = pos;
        return result;
      }
      continue;
    }
    if (c == '_') {
      // "_" takes the character after it whatever it is (a spelled blank, "]" or "/").
      if (pos < s.size()) {
        if (unit.size() + 2 <= kMaxUnitLength) {
          unit += '_';
          unit += s[pos];
        }
        ++pos;
      } else if (unit.size() < kMaxUnitLength) {
        unit += '_';
      }
      continue;
    }
    if (c == '|') {
      unit = "_TRACO";
      continue;
    }
    if (unit.size() < kMaxUnitLength) unit += c;
  }
  result.end = UnitEnd::kEndOfText;
  result.next = pos;
  return result;
}

int PunctuationPauseOf(std::string_view unit) {
  if (unit.size() != 2 || unit[0] != '_') return 0;
  switch (unit[1]) {
    case ',':
      return 4000;
    case '.':
    case ':':
      return 8000;
    case ';':
      return 6000;
    default:
      return 0;
  }
}

std::vector<SyllablePart> SplitUnit(std::string_view unit, double factor) {
  std::vector<SyllablePart> parts;
  SplitInto(unit, factor, parts);
  return parts;
}

bool IsStressedSyllable(std::string_view syllable) {
  if (syllable.empty() || syllable[0] == '_') return false;
  for (char c : syllable.substr(0, kMaxSyllableLength)) {
    if (IsStressedVowel(c)) return true;
  }
  return false;
}

std::size_t QuestionTailSyllable(std::string_view phonetic, bool no_pauses) {
  std::size_t index = 0;
  std::size_t tail = SIZE_MAX;
  std::size_t word_first = SIZE_MAX;  // of the word being read, once it holds a syllable
  std::size_t word_stressed = SIZE_MAX;
  bool new_word = true;
  for (std::size_t pos = 0; pos < phonetic.size();) {
    ScannedUnit unit = ScanNextUnit(phonetic, pos);
    pos = unit.next;
    if (unit.opens_group) new_word = true;
    if (!no_pauses && PunctuationPauseOf(unit.unit) > 0) unit.unit.clear();
    for (const SyllablePart& part : SplitUnit(unit.unit, 1.0)) {
      if (!part.text.empty() && part.text[0] != '_') {
        if (new_word) {
          word_first = index;
          word_stressed = SIZE_MAX;
          new_word = false;
        }
        if (IsStressedSyllable(part.text)) word_stressed = index;
        tail = word_stressed != SIZE_MAX ? word_stressed : word_first;
      }
      ++index;
    }
    if (unit.end == UnitEnd::kBracket || unit.end == UnitEnd::kLongGroupCut) new_word = true;
  }
  return tail;
}

SyllablePieces SplitSyllable(std::string_view syllable, int mode) {
  syllable = syllable.substr(0, kMaxSyllableLength);
  SyllablePieces result;
  result.mode_after = mode;
  if (syllable.empty()) return result;
  // 1. A spelled character is the letter piece named by its decimal code ("_a" -> "_97").
  if (syllable[0] == '_') {
    if (syllable.size() >= 2) {
      const auto code = static_cast<unsigned char>(syllable[1]);
      result.pieces.push_back({'_' + std::to_string(code), mode});
    }
    return result;
  }
  // 2. "$" + the characters; the nasal marks close a piece of their own.
  bool stressed_here = false;
  std::string name = "$";
  for (const char c : syllable) {
    if (c == '^' || c == '~') {
      result.pieces.push_back({name + (c == '^' ? "CIRC" : "TIL"), mode});
      name = '$';
      continue;
    }
    if (IsStressedVowel(c)) {
      mode = kStressStressed;
      stressed_here = true;
    }
    name += c;
  }
  // 3. The rest, if any; a stressed syllable leaves the mode unstressed.
  if (name != "$") result.pieces.push_back({name, mode});
  result.mode_after = stressed_here ? kStressUnstressed : mode;
  return result;
}

}  // namespace cadencio::voice
