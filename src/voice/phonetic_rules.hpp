// Letter-to-sound rules of the recorded voice's text-to-phonetic translator: the rules file
// format, the table of rule chains, and the rule matcher that turns a word into phonetic units.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadencio::voice {

// One rule: when `pattern` stands at the current place of the word, with `left` before it and
// `right` after it, the pattern is spoken as `output`.
struct PhoneticRule {
  static constexpr std::size_t kMaxContext = 5;
  static constexpr std::size_t kMaxPattern = 5;
  static constexpr std::size_t kMaxOutput = 11;

  std::string left;
  std::string pattern;
  std::string right;
  std::string output;

  bool operator==(const PhoneticRule&) const = default;
};

// Reads one line "left(pattern)right=output|". Parts longer than their maximum are cut.
// Nothing when the line has no "(", ")" and "=" in that order, when the pattern is empty, or
// when its first character lies outside 32-95 (it could never be reached).
std::optional<PhoneticRule> ParsePhoneticRuleLine(std::string_view line);

// The rule table: one chain per first pattern character 32-95, each in file order.
class PhoneticRules {
 public:
  static constexpr int kFirstChar = 32;
  static constexpr int kLastChar = 95;

  // Empties the table, then loads every line of a rules file held in memory. Empty lines are
  // skipped; lines that are not rules are counted and skipped.
  void LoadFromText(std::string_view text);
  // Adds a parsed line at the end of its chain; false (nothing added) for a bad line.
  bool AddLine(std::string_view line);
  // Empties every chain.
  void Clear();

  // The chain of rules whose pattern starts with `first` (empty outside 32-95).
  const std::vector<PhoneticRule>& Chain(char first) const;
  std::size_t RuleCount() const;
  std::size_t RejectedLines() const { return rejected_lines_; }

 private:
  std::array<std::vector<PhoneticRule>, kLastChar - kFirstChar + 1> chains_;
  std::size_t rejected_lines_ = 0;
};

// "[" + one unit per matched rule (or " /_" + the upper-cased letter when none matched),
// joined by "/", + "]". The unit of a stressed (upper-case) vowel has its first vowel upper
// case.
std::string ApplyPhoneticRules(std::string_view word, const PhoneticRules& rules);

// Each character as its own group "[ /_" + character + "]".
std::string SpellPhoneticWord(std::string_view word);

// A word is spelled when it starts with byte 1 or holds only consonants and punctuation.
bool IsSpelledWord(std::string_view word);

}  // namespace cadencio::voice
