// The uttsInic module and the rule matching of uttsPortug: the letter-to-phoneme rules of the
// built-in TTS, read from the rules file ("portug.nrl"), one LEFT(CORE)RIGHT=PHONEMES per line,
// and the pronunciation of one upper-cased word with them.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cadencio::tts {

struct Rule {
  std::string left;      // context before the core, read right to left (at most 5)
  std::string core;      // the letters pronounced (at most 5)
  std::string right;     // context after the core, read left to right (at most 5)
  std::string phonemes;  // phoneme lines separated by '&' (at most 20)
};

// For every byte an ordered bucket of the rules whose core begins with it; file order kept.
// Bytes below 32 have no rules.
struct RuleTable {
  std::array<std::vector<Rule>, 256> buckets;
};

inline constexpr std::size_t kMaxRuleContext = 5;
inline constexpr std::size_t kMaxRulePhonemes = 20;
// Only this many characters of PHONEMES are pronounced.
inline constexpr std::size_t kPronouncedPhonemes = 11;

// '>' in front of the phoneme line of the stressed vowel.
inline constexpr char kStressMark = '>';
// Byte 168 (¨) in front of a phoneme line ends the lengthening after the stress.
inline constexpr char kPlainMark = '\xA8';

// Splits one line of the rules file; fields after a missing delimiter stay empty.
Rule ParseRuleLine(std::string_view line);

// Empties the table, then reads the file; false only when it cannot be read. Comment lines
// (';' first) and lines whose core is empty or begins with a control character are skipped.
bool LoadRules(const std::string& path, RuleTable& table);
void LoadRulesFromText(std::string_view text, RuleTable& table);

// The three tests of a rule at `pos` (0-based) of an upper-cased word.
bool MatchCore(const Rule& rule, std::string_view word, std::size_t pos);
bool MatchLeftContext(const Rule& rule, std::string_view word, std::size_t pos);
bool MatchRightContext(const Rule& rule, std::string_view word, std::size_t pos);

// Appends the phoneme lines of the word and its closing empty line. `stress` is the 1-based
// position of the stressed vowel; below 1 means no mark.
void TranscribeWord(const RuleTable& table, std::string_view word, int stress,
                    std::vector<std::string>& phonemes);

}  // namespace cadencio::tts
