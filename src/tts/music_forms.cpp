// Time signatures, fractions, and note and chord names, read as musicians say them.
#include "tts/music_forms.hpp"

#include <array>
#include <optional>
#include <vector>

#include "tts/number_expansion.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

// Words in the tables are UTF-8 and turned into Windows-1252 when used; written forms are
// Windows-1252 as they stand in the text.
struct Fraction {
  int denominator;
  std::string_view one;
  std::string_view many;
};
constexpr std::array kFractions = {
    Fraction{2, "meio", "meios"},
    Fraction{3, "terço", "terços"},
    Fraction{4, "quarto", "quartos"},
    Fraction{5, "quinto", "quintos"},
    Fraction{6, "sexto", "sextos"},
    Fraction{7, "sétimo", "sétimos"},
    Fraction{8, "oitavo", "oitavos"},
    Fraction{9, "nono", "nonos"},
    Fraction{10, "décimo", "décimos"},
    Fraction{100, "centésimo", "centésimos"},
    Fraction{1000, "milésimo", "milésimos"},
};

// A whole number of at most `digits` digits without a leading zero, not followed by a digit.
std::optional<int> ReadCount(std::string_view text, std::size_t& pos, std::size_t digits) {
  std::size_t p = pos;
  int value = 0;
  while (IsDigit(CharAt(text, p)) && p - pos < digits) value = value * 10 + (text[p++] - '0');
  if (p == pos || text[pos] == '0' || IsDigit(CharAt(text, p))) return std::nullopt;
  pos = p;
  return value;
}

bool IsMetreDenominator(int value) {
  return value == 2 || value == 4 || value == 8 || value == 16 || value == 32;
}

// --- chords ---------------------------------------------------------------------------------

struct Root {
  std::string_view written;  // Windows-1252; solfège names in small letters
  std::string_view name;     // UTF-8
};
// Solfège first, so that "Do" is Dó and not the letter D before an "o".
constexpr std::array kSolfege = {
    Root{"sol", "Sol"},  Root{"d\xF3", "Dó"}, Root{"do", "Dó"},    Root{"r\xE9", "Ré"},
    Root{"re", "Ré"},    Root{"mi", "Mi"},    Root{"f\xE1", "Fá"}, Root{"fa", "Fá"},
    Root{"l\xE1", "Lá"}, Root{"la", "Lá"},    Root{"si", "Si"},
};
constexpr std::array kLetters = {
    Root{"C", "Dó"},  Root{"D", "Ré"}, Root{"E", "Mi"}, Root{"F", "Fá"},
    Root{"G", "Sol"}, Root{"A", "Lá"}, Root{"B", "Si"},
};

// The intervals a chord symbol adds, as ordinal words.
std::string_view IntervalWord(int number) {
  switch (number) {
    case 2:
      return "segunda";
    case 4:
      return "quarta";
    case 5:
      return "quinta";
    case 6:
      return "sexta";
    case 7:
      return "sétima";
    case 9:
      return "nona";
    case 11:
      return "décima primeira";
    case 13:
      return "décima terceira";
    default:
      return {};
  }
}

struct Quality {
  std::string_view written;
  std::string_view words;
  bool is_interval;  // the words name an added interval (sétima maior), not the triad
};
// Longer forms first.
constexpr std::array kQualities = {
    Quality{"m7(b5)", "meio diminuto", false},
    Quality{"m7b5", "meio diminuto", false},
    Quality{"\xF8", "meio diminuto", false},
    Quality{"maj7", "sétima maior", true},
    Quality{"maj", "sétima maior", true},
    Quality{"7M", "sétima maior", true},
    Quality{"M7", "sétima maior", true},
    Quality{"7+", "sétima maior", true},
    Quality{"min", "menor", false},
    Quality{"dim", "diminuto", false},
    Quality{"\xB0", "diminuto", false},
    Quality{"aug", "aumentado", false},
    Quality{"+", "aumentado", false},
    Quality{"m", "menor", false},
};

bool StartsWithAt(std::string_view text, std::size_t pos, std::string_view s) {
  return text.substr(pos).starts_with(s);
}

// A root at `pos` and the accidentals after it: the words and the end, or nothing.
struct Note {
  std::string words;
  std::size_t end = 0;
  bool solfege = false;
  bool accidental = false;
};
std::optional<Note> ReadNote(std::string_view text, std::size_t pos) {
  std::optional<Note> note;
  const char first = CharAt(text, pos);
  for (const Root& root : kSolfege) {
    if (base::LowerCase1252(first) == root.written[0] &&
        StartsWithAt(text, pos + 1, root.written.substr(1))) {
      note = Note{Cp1252(root.name), pos + root.written.size(), true};
      break;
    }
  }
  for (std::size_t k = 0; !note && k < kLetters.size(); ++k) {
    if (first == kLetters[k].written[0]) note = Note{Cp1252(kLetters[k].name), pos + 1, false};
  }
  if (!note) return note;
  const char sign = CharAt(text, note->end);
  if (sign == '#' || sign == 'b') {
    const bool doubled = CharAt(text, note->end + 1) == sign;
    note->words += doubled ? " dobrado" : "";
    note->words += sign == '#' ? " sustenido" : " bemol";
    note->end += doubled ? 2 : 1;
    note->accidental = true;
  }
  // A solfège name in small letters (do, la, mi, sim) is a word unless a sign follows it.
  if (note->solfege && base::LowerCase1252(first) == first && !note->accidental) return {};
  return note;
}

bool EndsChordToken(std::string_view text, std::size_t pos) {
  const char c = CharAt(text, pos);
  return EndsWord(text, pos) && std::string_view("#/(+\xB0\xF8").find(c) == std::string_view::npos;
}

struct Chord {
  std::string words;
  std::size_t end = 0;
  bool ambiguous = false;  // also a word or a letter (Em, Dom, A)
};

// The added intervals from `pos` on: numbers with their accidentals, sus and add, in or out of
// parentheses, parted by "/" or ","; false when something else stands there.
bool ReadIntervals(std::string_view text, std::size_t& pos, std::vector<std::string>& added) {
  int depth = 0;
  for (;;) {
    const char c = CharAt(text, pos);
    if (c == '(' || (c == ')' && depth > 0) || (depth > 0 && c == ',') ||
        (c == '/' && IsDigit(CharAt(text, pos + 1)))) {
      depth += c == '(' ? 1 : c == ')' ? -1 : 0;
      ++pos;
      continue;
    }
    if (depth == 0 && !IsDigit(c) && c != 'b' && c != '#' && !StartsWithAt(text, pos, "sus") &&
        !StartsWithAt(text, pos, "add")) {
      return true;
    }
    std::string after;
    if (StartsWithAt(text, pos, "sus") || StartsWithAt(text, pos, "add")) {
      after = text[pos] == 's' ? " suspensa" : " adicionada";
      pos += 3;
    } else if (c == 'b' || c == '#') {
      after = c == 'b' ? " bemol" : " aumentada";
      ++pos;
    }
    std::optional<int> number = ReadCount(text, pos, 2);
    if (!number && after == " suspensa") number = 4;
    if (!number || IntervalWord(*number).empty()) return false;
    std::string words = Cp1252(IntervalWord(*number)) + after;
    if (*number == 7 && (CharAt(text, pos) == 'M' || CharAt(text, pos) == '+')) {
      words += " maior";
      ++pos;
    }
    added.push_back(words);
  }
}

// A chord (or a note) written at `pos`, read to its end; nothing when the token is no chord.
std::optional<Chord> ParseChord(std::string_view text, std::size_t pos) {
  const std::optional<Note> root = ReadNote(text, pos);
  if (!root) return std::nullopt;
  Chord chord{root->words, root->end};
  std::size_t p = root->end;
  std::vector<std::string> added;
  std::string_view quality;
  for (const Quality& q : kQualities) {
    if (!StartsWithAt(text, p, q.written)) continue;
    quality = q.written;
    if (q.is_interval) {
      added.push_back(Cp1252(q.words));
    } else {
      chord.words += ' ' + Cp1252(q.words);
    }
    p += q.written.size();
    break;
  }
  // A capital and a number alone is a chord only with the numbers chords take (not A4 or B2).
  if (!root->solfege && !root->accidental && quality.empty() && IsDigit(CharAt(text, p))) {
    std::size_t q = p;
    const std::optional<int> number = ReadCount(text, q, 2);
    if (!number || *number < 5 || *number == 8 || *number == 10 || *number == 12) return {};
  }
  if (!ReadIntervals(text, p, added)) return std::nullopt;
  for (std::size_t k = 0; k < added.size(); ++k) chord.words += (k ? " e " : " com ") + added[k];
  if (CharAt(text, p) == '/') {
    const std::optional<Note> bass = ReadNote(text, p + 1);
    if (!bass) return std::nullopt;
    chord.words += " com baixo em " + bass->words;
    p = bass->end;
  }
  if (!EndsChordToken(text, p)) return std::nullopt;
  chord.end = p;
  const bool bare = p == root->end && !root->accidental;
  const bool minor_only = quality == "m" && p == root->end + 1 && !root->accidental;
  chord.ambiguous = bare || (minor_only && (root->solfege || text[pos] == 'E'));
  return chord;
}

bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == '|' || c == '-' || c == ',';
}

// Whether a chord that is not also a word stands among the chords next to the one at
// [start, end): up to eight tokens on each side, as long as each is a chord.
bool AmongChords(std::string_view text, std::size_t start, std::size_t end) {
  constexpr int kReach = 8;
  std::size_t p = end;
  for (int k = 0; k < kReach; ++k) {
    const std::size_t from = p;
    while (p < text.size() && IsSeparator(text[p])) ++p;
    if (p == from || p >= text.size()) break;
    const std::optional<Chord> next = ParseChord(text, p);
    if (!next) break;
    if (!next->ambiguous) return true;
    p = next->end;
  }
  p = start;
  for (int k = 0; k < kReach; ++k) {
    const std::size_t to = p;
    while (p > 0 && IsSeparator(text[p - 1])) --p;
    if (p == to || p == 0) break;
    const std::size_t token_end = p;
    while (p > 0 && !IsSeparator(text[p - 1])) --p;
    const std::optional<Chord> before = ParseChord(text, p);
    if (!before || before->end != token_end) break;
    if (!before->ambiguous) return true;
  }
  return false;
}

}  // namespace

bool ReadTimeSignature(std::string_view text, std::size_t& pos, std::string& out) {
  if (!StartsWord(text, pos) || (pos > 0 && text[pos - 1] == '/')) return false;
  std::size_t p = pos;
  const std::optional<int> upper = ReadCount(text, p, 2);
  if (!upper || CharAt(text, p) != '/') return false;
  ++p;
  const std::optional<int> lower = ReadCount(text, p, 4);
  if (!lower || !EndsWord(text, p) || CharAt(text, p) == '/') return false;
  const std::string before = base::LowerCase1252(WordBefore(text, pos));
  const bool metre = before == "compasso" || before == "compassos" || before == Cp1252("fórmula");
  if (IsMetreDenominator(*lower) && (*upper > 1 || metre)) {
    out += CardinalWordsTrimmed(static_cast<uint64_t>(*upper)) + " por " +
           CardinalWordsTrimmed(static_cast<uint64_t>(*lower)) + ' ';
    pos = p;
    return true;
  }
  for (const Fraction& fraction : kFractions) {
    if (fraction.denominator != *lower) continue;
    out += CardinalWordsTrimmed(static_cast<uint64_t>(*upper)) + ' ' +
           Cp1252(*upper == 1 ? fraction.one : fraction.many) + ' ';
    pos = p;
    return true;
  }
  return false;
}

bool ReadChordName(std::string_view text, std::size_t& pos, std::string& out) {
  if (!StartsWord(text, pos) || (pos > 0 && (text[pos - 1] == '#' || text[pos - 1] == '/'))) {
    return false;
  }
  const std::optional<Chord> chord = ParseChord(text, pos);
  if (!chord || (chord->ambiguous && !AmongChords(text, pos, chord->end))) return false;
  out += chord->words + ' ';
  pos = chord->end;
  return true;
}

}  // namespace cadencio::tts
