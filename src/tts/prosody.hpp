// The uttsProsodia module, first half: the prosody file (durations, word classes, prosody
// patterns and pitch levels), and the stages before pronunciation that cut a normalised text
// into class-tagged tokens and give each token its three-level prosody code.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cadencio::tts {

struct DurationEntry {
  std::string phoneme;  // at most 2 characters, case kept
  int duration = 100;   // milliseconds
};

struct WordClassEntry {
  std::string word;        // trimmed, upper case
  std::string word_class;  // at most 2 characters, upper case
};

// previous|current|next=code; an empty class matches any.
struct ProsodyPattern {
  std::string previous;
  std::string current;
  std::string next;
  std::string code;
};

inline constexpr int kDefaultBasePitch = 230;
inline constexpr const char* kDefaultProsodyCode = "555";

// The tables of the prosody file. Larger files than the usual 100 durations, 1000 words and
// 300 patterns grow the tables.
struct ProsodyTables {
  std::vector<DurationEntry> durations;      // [DURAÇÃO], file order
  std::vector<WordClassEntry> word_classes;  // [CHAVES], sorted by word in byte order
  std::vector<ProsodyPattern> patterns;      // [PROSÓDIA], file order
  int base_pitch = kDefaultBasePitch;        // HERTZ
  std::array<int, 10> pitch_levels{};        // TABHERTZ: percent of base_pitch per level
};

// Shows a message to the user and waits until it has been read.
using MessageBoxFn = std::function<void(const std::string& text)>;

// Reads the prosody file into `tables` (the three tables and the base pitch are reset first; the
// pitch levels keep their values until a TABHERTZ line is read). Every fault is shown through
// `message_box`; false when the file cannot be read or a fault ends the load.
bool LoadProsody(const std::string& path, ProsodyTables& tables, const MessageBoxFn& message_box);
// The same over the file's text.
bool ParseProsody(std::string_view text, ProsodyTables& tables, const MessageBoxFn& message_box);

// The class of a word (upper-cased for the search), or empty.
std::string WordClass(const ProsodyTables& tables, std::string_view word);

struct Token {
  std::string text;  // empty at the end of the text
  bool punctuation = false;
};

// The next token of a normalised text from `position` (0-based), which moves past it: a run of
// letters, ".-" for a run of full stops, or any other character written twice.
Token NextToken(std::string_view text, std::size_t& position);

// The class of question words, and the class of the '?' that ends a phrase opening with one,
// alone or after a function word (a word with a class other than "XX"): in place of "??".
inline constexpr const char* kQuestionWordClass = "QU";
inline constexpr const char* kQuestionWordMarkClass = "?Q";

// Entries "[" + class + "]" + text, with the phrase marks "[--]" at the start and after every
// token beginning with '!', '.' or '?'.
std::vector<std::string> TokeniseText(const ProsodyTables& tables, std::string_view text);

// Entries code + "|" + text, the code chosen by the first pattern that matches the classes of
// the entry before, the entry itself and the entry after.
std::vector<std::string> AssignProsodyCodes(const ProsodyTables& tables,
                                            const std::vector<std::string>& entries);

}  // namespace cadencio::tts
