// Reading the rules file and pronouncing a word with the rules.
#include "tts/letter_rules.hpp"

#include "files/file_reader.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

bool IsIn(char c, std::string_view set) {
  return set.find(c) != std::string_view::npos;
}

// The context classes, on upper-cased words (the small letters belong to the sets too).
bool IsVowel(char c) {
  const char u = base::UpperCase1252(c);
  return IsIn(u, "AEIOU\xC0\xC1\xC2\xC3\xC9\xCA\xCC\xCD\xD3\xD4\xD5\xD9\xDA\xDC");
}

bool IsConsonant(char c) {
  const char u = base::UpperCase1252(c);
  return (u >= 'A' && u <= 'Z' && !IsIn(u, "AEIOU")) || u == '\xC7' || u == '\xD1';
}

bool IsFrontVowel(char c) {
  return IsIn(base::UpperCase1252(c), "EI\xC9\xCD");  // E I É Í
}

bool IsBackVowel(char c) {
  return IsIn(base::UpperCase1252(c), "AO\xC1\xC2\xD3\xD4");  // A O Á Â Ó Ô
}

bool IsLiquidOrNasal(char c) {
  return IsIn(base::UpperCase1252(c), "LMNRZ");
}

bool IsNrs(char c) {
  return IsIn(base::UpperCase1252(c), "NRS");
}

std::string_view Field(std::string_view text, std::size_t limit) {
  return text.substr(0, limit);
}

}  // namespace

Rule ParseRuleLine(std::string_view line) {
  Rule rule;
  const std::size_t open = line.find('(');
  rule.left = Field(line.substr(0, open), kMaxRuleContext);
  if (open == std::string_view::npos) return rule;
  const std::size_t close = line.find(')', open + 1);
  rule.core = Field(line.substr(open + 1, close - open - 1), kMaxRuleContext);
  if (close == std::string_view::npos) return rule;
  const std::size_t eq = line.find('=', close + 1);
  rule.right = Field(line.substr(close + 1, eq - close - 1), kMaxRuleContext);
  if (eq == std::string_view::npos) return rule;
  const std::size_t bar = line.find('|', eq + 1);
  rule.phonemes = Field(line.substr(eq + 1, bar - eq - 1), kMaxRulePhonemes);
  return rule;
}

void LoadRulesFromText(std::string_view text, RuleTable& table) {
  for (auto& bucket : table.buckets) bucket.clear();
  ForEachDataLine(text, [&](std::string_view line) {
    if (line.empty() || line.front() == ';') return;
    Rule rule = ParseRuleLine(line);
    // An empty core would match without consuming a letter.
    if (rule.core.empty() || ByteOf(rule.core.front()) < 32) return;
    table.buckets[ByteOf(rule.core.front())].push_back(std::move(rule));
  });
}

bool LoadRules(const std::string& path, RuleTable& table) {
  for (auto& bucket : table.buckets) bucket.clear();
  const std::optional<std::string> text = files::ReadDataFile(path);
  if (!text) return false;
  LoadRulesFromText(*text, table);
  return true;
}

bool MatchCore(const Rule& rule, std::string_view word, std::size_t pos) {
  return word.substr(pos).starts_with(rule.core);
}

bool MatchLeftContext(const Rule& rule, std::string_view word, std::size_t pos) {
  // `before` counts the letters left before the one being tested (word[before - 1]).
  std::size_t before = pos;
  for (auto it = rule.left.rbegin(); it != rule.left.rend(); ++it) {
    const bool at_start = before == 0;
    const char letter = at_start ? '\0' : word[before - 1];
    switch (*it) {
      case '#':
        if (at_start || !IsVowel(letter)) return false;
        --before;
        break;
      case '%':
        if (!at_start) return false;
        break;
      case ']':
        if (at_start || !IsBackVowel(letter)) return false;
        --before;
        break;
      case '_':
        if (at_start) break;
        if (!IsVowel(letter)) return false;
        --before;
        break;
      case '|':
        if (at_start || !IsNrs(letter)) return false;
        --before;
        break;
      default:
        if (at_start || letter != *it) return false;
        --before;
        break;
    }
  }
  return true;
}

bool MatchRightContext(const Rule& rule, std::string_view word, std::size_t pos) {
  std::size_t next = pos + rule.core.size();
  for (char symbol : rule.right) {
    const bool at_end = next >= word.size();
    const char letter = at_end ? '\0' : word[next];
    switch (symbol) {
      case '#':
        if (at_end || !IsVowel(letter)) return false;
        ++next;
        break;
      case '%':
        if (!at_end) return false;
        break;
      case '&':
        if (at_end || !IsLiquidOrNasal(letter)) return false;
        ++next;
        break;
      case '*':
        if (at_end || !IsConsonant(letter) || IsIn(base::UpperCase1252(letter), "LR")) return false;
        break;
      case '+':
        if (at_end || !IsFrontVowel(letter)) return false;
        ++next;
        break;
      case '[':
        if (!at_end && (!IsConsonant(letter) || base::UpperCase1252(letter) == 'H')) return false;
        break;
      case '\\':
        if (!at_end && letter == 'S') ++next;
        break;
      default:
        if (at_end || letter != symbol) return false;
        ++next;
        break;
    }
  }
  return true;
}

void TranscribeWord(const RuleTable& table, std::string_view word, int stress,
                    std::vector<std::string>& phonemes) {
  // Positions here are 0-based; `stress` is 1-based. The mark is written once.
  bool marked = stress < 1;
  const std::size_t stressed = marked ? 0 : static_cast<std::size_t>(stress - 1);
  std::string pending;
  std::size_t p = 0;
  while (p < word.size()) {
    const Rule* chosen = nullptr;
    for (const Rule& rule : table.buckets[ByteOf(word[p])]) {
      if (MatchCore(rule, word, p) && MatchLeftContext(rule, word, p) &&
          MatchRightContext(rule, word, p)) {
        chosen = &rule;
        break;
      }
    }
    if (!chosen) {
      ++p;  // a letter no rule reads is silent
      continue;
    }
    const std::string_view spoken = Field(chosen->phonemes, kPronouncedPhonemes);
    for (char c : spoken) {
      if (!marked && p >= stressed) {
        pending += kStressMark;
        marked = true;
      }
      if (c == '&') {
        phonemes.push_back(std::move(pending));
        pending.clear();
      } else {
        pending += c;
      }
    }
    if (!spoken.empty()) {
      phonemes.push_back(std::move(pending));
      pending.clear();
    }
    p += chosen->core.size();
  }
  phonemes.push_back(std::move(pending));  // the word's closing empty line
}

}  // namespace cadencio::tts
