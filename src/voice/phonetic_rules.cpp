// Rule table and rule matcher of the recorded voice's text-to-phonetic translator.
#include "voice/phonetic_rules.hpp"

#include "base/text_lines.hpp"
#include "base/windows1252.hpp"
#include "voice/phonetic_chars.hpp"

namespace cadencio::voice {

using namespace phonetic_chars;
namespace {

std::string CutTo(std::string_view part, std::size_t max) {
  return std::string(part.substr(0, max));
}

bool InFirstCharRange(char c) {
  const int code = ByteOf(c);
  return code >= PhoneticRules::kFirstChar && code <= PhoneticRules::kLastChar;
}

// The word's letters 1..n with the cursor tests of the contexts.
class WordCursor {
 public:
  explicit WordCursor(std::string_view word) : word_(word) {}
  int Size() const { return static_cast<int>(word_.size()); }
  bool Inside(int k) const { return k >= 1 && k <= Size(); }
  char At(int k) const { return Inside(k) ? word_[static_cast<std::size_t>(k - 1)] : '\0'; }
  bool VowelOrMark(int k) const {
    return Inside(k) && (IsPhoneticVowel(At(k)) || IsPhoneticAccentMark(At(k)));
  }

 private:
  std::string_view word_;
};

// One right-context symbol at cursor k, which moves past what it consumes.
bool MatchRightSymbol(const WordCursor& w, char symbol, int& k) {
  const int n = w.Size();
  switch (symbol) {
    case '#':  // one or more vowels or accent marks
      if (!w.VowelOrMark(k)) return false;
      while (w.VowelOrMark(k)) ++k;
      return true;
    case '%':  // end of word
      return k == n + 1;
    case '&':
      if (!w.Inside(k) || !IsOneOf(w.At(k), "lmnrz")) return false;
      ++k;
      return true;
    case '*':  // a consonant other than r and l follows; not consumed
      return w.Inside(k) && IsPhoneticConsonant(w.At(k)) && w.At(k) != 'r' && w.At(k) != 'l';
    case '+':  // a front vowel, with its accent mark
      if (!w.Inside(k) || !IsFrontVowel(w.At(k))) return false;
      ++k;
      if (w.Inside(k) && IsPhoneticAccentMark(w.At(k))) ++k;
      return true;
    case '[':  // end of word or a consonant other than h; not consumed
      return k == n + 1 || (w.Inside(k) && IsPhoneticConsonant(w.At(k)) && w.At(k) != 'h');
    case '\\':  // an optional s
      if (w.Inside(k) && w.At(k) == 's') ++k;
      return true;
    default:
      if (!w.Inside(k) || base::AsciiUpperCase(w.At(k)) != symbol) return false;
      ++k;
      return true;
  }
}

// One left-context symbol at cursor k, which moves left past what it consumes.
bool MatchLeftSymbol(const WordCursor& w, char symbol, int& k) {
  switch (symbol) {
    case '#':
      if (!w.VowelOrMark(k)) return false;
      while (w.VowelOrMark(k)) --k;
      return true;
    case '%':  // start of word
      return k == 0;
    case ']':  // a or o, possibly followed by an accent mark
      if (w.Inside(k) && IsAo(w.At(k))) {
        --k;
        return true;
      }
      if (w.Inside(k) && IsPhoneticAccentMark(w.At(k)) && w.Inside(k - 1) && IsAo(w.At(k - 1))) {
        k -= 2;
        return true;
      }
      return false;
    case '_':  // start of word, or a vowel possibly followed by an accent mark
      if (k == 0) return true;
      if (w.Inside(k) && IsPhoneticVowel(w.At(k))) {
        --k;
        return true;
      }
      if (w.Inside(k) && IsPhoneticAccentMark(w.At(k)) && w.Inside(k - 1) &&
          IsPhoneticVowel(w.At(k - 1))) {
        k -= 2;
        return true;
      }
      return false;
    case '|':
      if (!w.Inside(k) || !IsOneOf(w.At(k), "nrs")) return false;
      --k;
      return true;
    default:
      if (!w.Inside(k) || base::AsciiUpperCase(w.At(k)) != symbol) return false;
      --k;
      return true;
  }
}

bool PatternMatches(const WordCursor& w, std::string_view pattern, int p) {
  for (std::size_t j = 0; j < pattern.size(); ++j) {
    const int k = p + static_cast<int>(j);
    if (!w.Inside(k) || base::AsciiUpperCase(w.At(k)) != pattern[j]) return false;
  }
  return true;
}

bool LeftMatches(const WordCursor& w, std::string_view left, int p) {
  int k = p - 1;
  for (auto it = left.rbegin(); it != left.rend(); ++it) {
    if (!MatchLeftSymbol(w, *it, k)) return false;
  }
  return true;
}

bool RightMatches(const WordCursor& w, std::string_view right, int k) {
  for (const char symbol : right) {
    if (!MatchRightSymbol(w, symbol, k)) return false;
  }
  return true;
}

// Pattern first, then the left and the right context.
bool RuleMatches(const WordCursor& w, const PhoneticRule& rule, int p) {
  return !rule.pattern.empty() && PatternMatches(w, rule.pattern, p) &&
         LeftMatches(w, rule.left, p) &&
         RightMatches(w, rule.right, p + static_cast<int>(rule.pattern.size()));
}

// The unit for the letter at p, and how many letters it covers.
std::string UnitAt(const WordCursor& w, const PhoneticRules& rules, int p, int& covered) {
  const char upper = base::AsciiUpperCase(w.At(p));
  // 1. Default: the letter itself, spoken from its recording.
  std::string unit = std::string(" /_") + upper;
  covered = 1;
  // 2. The first rule of the letter's chain that matches.
  for (const PhoneticRule& rule : rules.Chain(upper)) {
    if (!RuleMatches(w, rule, p)) continue;
    unit = rule.output;
    covered = static_cast<int>(rule.pattern.size());
    break;
  }
  // 3. The stressed vowel's unit carries the stress on its first vowel.
  if (IsAsciiUpperVowel(w.At(p))) {
    for (char& c : unit) {
      if (IsPhoneticVowel(c)) {
        c = base::AsciiUpperCase(c);
        break;
      }
    }
  }
  return unit;
}

bool HasStressedVowel(std::string_view unit) {
  return unit.find_first_of("AEIOU") != std::string_view::npos;
}

// The rules open the e or o of an ending they take to be stressed (-ela, -oca, -el); in a word
// stressed earlier (pérola, cômoda, amável) that vowel follows the stress and is closed.
void CloseOpenVowels(std::string& unit) {
  for (std::size_t k = 0; k < unit.size(); ++k) {
    const bool marked = k + 1 < unit.size() && (unit[k + 1] == '^' || unit[k + 1] == '~');
    if ((unit[k] == 'e' || unit[k] == 'o') && !marked) unit.insert(++k, 1, '^');
  }
}

}  // namespace

std::optional<PhoneticRule> ParsePhoneticRuleLine(std::string_view line) {
  constexpr auto npos = std::string_view::npos;
  const std::size_t open = line.find('(');
  if (open == npos) return std::nullopt;
  // The pattern holds at least one character, which may itself be ")".
  const std::size_t close = line.find(')', open + 2);
  if (close == npos) return std::nullopt;
  const std::size_t equals = line.find('=', close + 1);
  if (equals == npos) return std::nullopt;
  // The output ends at the line's last "|", so that "|" itself can be an output.
  std::size_t end = line.rfind('|');
  if (end == npos || end <= equals) end = line.size();

  PhoneticRule rule;
  rule.left = CutTo(line.substr(0, open), PhoneticRule::kMaxContext);
  rule.pattern = CutTo(line.substr(open + 1, close - open - 1), PhoneticRule::kMaxPattern);
  rule.right = CutTo(line.substr(close + 1, equals - close - 1), PhoneticRule::kMaxContext);
  rule.output = CutTo(line.substr(equals + 1, end - equals - 1), PhoneticRule::kMaxOutput);
  if (rule.pattern.empty() || !InFirstCharRange(rule.pattern.front())) return std::nullopt;
  return rule;
}

void PhoneticRules::LoadFromText(std::string_view text) {
  Clear();
  base::ForEachTextLine(text, [this](std::string_view line) {
    if (!line.empty()) AddLine(line);
  });
}

bool PhoneticRules::AddLine(std::string_view line) {
  std::optional<PhoneticRule> rule = ParsePhoneticRuleLine(line);
  if (!rule) {
    ++rejected_lines_;
    return false;
  }
  // Each rule joins the chain of its own first character, wherever it stands in the file.
  chains_[static_cast<std::size_t>(ByteOf(rule->pattern.front()) - kFirstChar)].push_back(
      std::move(*rule));
  return true;
}

void PhoneticRules::Clear() {
  for (auto& chain : chains_) chain.clear();
  rejected_lines_ = 0;
}

const std::vector<PhoneticRule>& PhoneticRules::Chain(char first) const {
  static const std::vector<PhoneticRule> kNone;
  if (!InFirstCharRange(first)) return kNone;
  return chains_[static_cast<std::size_t>(ByteOf(first) - kFirstChar)];
}

std::size_t PhoneticRules::RuleCount() const {
  std::size_t count = 0;
  for (const auto& chain : chains_) count += chain.size();
  return count;
}

std::string ApplyPhoneticRules(std::string_view word, const PhoneticRules& rules) {
  const WordCursor w(word);
  const int n = w.Size();
  std::string out = "[";
  int p = 1;
  bool after_stress = false;
  while (p <= n) {
    int covered = 1;
    std::string unit = UnitAt(w, rules, p, covered);
    if (after_stress) CloseOpenVowels(unit);
    after_stress = after_stress || HasStressedVowel(unit);
    out += unit;
    p += covered;  // patterns are never empty, so p always moves on
    if (p <= n) out += '/';
  }
  out += ']';
  return out;
}

std::string SpellPhoneticWord(std::string_view word) {
  std::string out;
  for (const char c : word) {
    out += "[ /_";
    out += c;
    out += ']';
  }
  return out;
}

bool IsSpelledWord(std::string_view word) {
  if (!word.empty() && word.front() == kUnknownCharacter) return true;
  for (const char c : word) {
    if (!IsPhoneticConsonant(c) && !IsPhoneticPunctuation(c)) return false;
  }
  return true;
}

}  // namespace cadencio::voice
