// The uttsProsodia module: loading the prosody file, tokenising and prosody codes.
#include "tts/prosody.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "base/whole_number.hpp"
#include "files/file_reader.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

// Section headers and messages, in Windows-1252.
constexpr std::string_view kDurationHeader = "[DURA\xC7\xC3O]";
constexpr std::string_view kKeysHeader = "[CHAVES]";
constexpr std::string_view kPatternHeader =
    "[PROS\xD3"
    "DIA]";
constexpr std::string_view kNotFound =
    "Configura\xE7\xE3o da pros\xF3"
    "dia n\xE3o foi achada";
constexpr std::string_view kNoDurations = "Dura\xE7\xE3o dos difones errada ou ausente";
constexpr std::string_view kBadPhoneme =
    "Configura\xE7\xE3o da pros\xF3"
    "dia: fonema errado: ";
constexpr std::string_view kNoKeys =
    "Pros\xF3"
    "dia: palavras chaves ausentes";
constexpr std::string_view kBadKey =
    "Configura\xE7\xE3o da pros\xF3"
    "dia: chave errada: ";
constexpr std::string_view kNoPatterns =
    "Pros\xF3"
    "dia: especifica\xE7\xF5"
    "es ausentes";
constexpr std::string_view kBadValue =
    "Configura\xE7\xE3o da pros\xF3"
    "dia: valor errado: ";

// The trimmed lines of one section, without empty and comment lines; nothing when the header
// is missing. A section ends at the end of the file or at a line beginning with '['.
std::optional<std::vector<std::string>> SectionLines(const std::vector<std::string>& lines,
                                                     std::string_view header) {
  auto at = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
    return base::TrimBlanksAndControls(line) == header;
  });
  if (at == lines.end()) return std::nullopt;
  std::vector<std::string> section;
  for (++at; at != lines.end(); ++at) {
    const std::string_view line = base::TrimBlanksAndControls(*at);
    if (!line.empty() && line.front() == '[') break;
    if (line.empty() || line.front() == ';' || line.front() == '*') continue;
    section.emplace_back(line);
  }
  return section;
}

bool ReadDurations(const std::vector<std::string>& section, ProsodyTables& tables,
                   const MessageBoxFn& message_box) {
  for (const std::string& line : section) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) {
      message_box(std::string(kBadPhoneme) + line);
      return false;
    }
    DurationEntry entry;
    entry.phoneme =
        std::string(base::TrimBlanksAndControls(std::string_view(line).substr(0, eq)).substr(0, 2));
    const std::optional<int> ms =
        base::ParseWholeNumber(base::TrimBlanksAndControls(std::string_view(line).substr(eq + 1)));
    if (!ms) message_box(std::string(kBadPhoneme) + line);  // the entry keeps 100 ms
    entry.duration = ms.value_or(100);
    tables.durations.push_back(std::move(entry));
  }
  return true;
}

bool ReadWordClasses(const std::vector<std::string>& section, ProsodyTables& tables,
                     const MessageBoxFn& message_box) {
  for (const std::string& line : section) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) {
      message_box(std::string(kBadKey) + line);
      return false;
    }
    const std::string_view view(line);
    tables.word_classes.push_back(
        {base::UpperCase1252(base::TrimBlanksAndControls(view.substr(0, eq))),
         base::UpperCase1252(base::TrimBlanksAndControls(view.substr(eq + 1))).substr(0, 2)});
  }
  std::stable_sort(
      tables.word_classes.begin(), tables.word_classes.end(),
      [](const WordClassEntry& a, const WordClassEntry& b) { return a.word < b.word; });
  return true;
}

// "v0,v1,...,v9": ten levels (further values are ignored); false when fewer than ten or one is
// not an integer.
bool ReadPitchLevels(std::string_view values, std::array<int, 10>& levels) {
  std::array<int, 10> read{};
  for (std::size_t i = 0; i < read.size(); ++i) {
    const std::size_t comma = values.find(',');
    if (comma == std::string_view::npos && i + 1 < read.size()) return false;
    const std::optional<int> value =
        base::ParseWholeNumber(base::TrimBlanksAndControls(values.substr(0, comma)));
    if (!value) return false;
    read[i] = *value;
    if (comma != std::string_view::npos) values.remove_prefix(comma + 1);
  }
  levels = read;
  return true;
}

ProsodyPattern ParsePattern(std::string_view classes, std::string_view code) {
  ProsodyPattern pattern;
  std::string* parts[] = {&pattern.previous, &pattern.current, &pattern.next};
  for (std::string* part : parts) {
    const std::size_t bar = classes.find('|');
    *part = std::string(classes.substr(0, std::min<std::size_t>(bar, 3)));
    if (bar == std::string_view::npos) break;
    classes.remove_prefix(bar + 1);
  }
  // A code holds three levels; a shorter one is completed with the middle level, so that every
  // comment line keeps its layout.
  pattern.code = std::string(code.substr(0, 3));
  if (!pattern.code.empty()) pattern.code.resize(3, '5');
  return pattern;
}

bool ReadPatterns(const std::vector<std::string>& section, ProsodyTables& tables,
                  const MessageBoxFn& message_box) {
  for (const std::string& original : section) {
    const std::string line = base::UpperCase1252(original);
    const std::string_view view(line);
    if (view.starts_with("HERTZ=")) {
      const std::optional<int> hertz =
          base::ParseWholeNumber(base::TrimBlanksAndControls(view.substr(6)));
      if (!hertz) {
        message_box(std::string(kBadValue) + original);
        return false;
      }
      tables.base_pitch = *hertz;
    } else if (view.starts_with("TABHERTZ=")) {
      if (!ReadPitchLevels(view.substr(9), tables.pitch_levels)) {
        message_box(std::string(kBadValue) + original);
        return false;
      }
    } else {
      const std::size_t eq = view.find('=');
      if (eq == std::string_view::npos) {
        message_box(std::string(kBadKey) + original);
        return false;
      }
      tables.patterns.push_back(ParsePattern(base::TrimBlanksAndControls(view.substr(0, eq)),
                                             base::TrimBlanksAndControls(view.substr(eq + 1))));
    }
  }
  return true;
}

// The class of an entry "[cc]text": its second and third characters; empty for no entry.
std::string_view EntryClass(const std::vector<std::string>& entries, std::size_t index) {
  if (index >= entries.size() || entries[index].size() < 2) return {};
  return std::string_view(entries[index]).substr(1, 2);
}

bool PartMatches(const std::string& part, std::string_view word_class) {
  return part.empty() || part == word_class;
}

}  // namespace

bool ParseProsody(std::string_view text, ProsodyTables& tables, const MessageBoxFn& message_box) {
  tables.durations.clear();
  tables.word_classes.clear();
  tables.patterns.clear();
  tables.base_pitch = kDefaultBasePitch;
  std::vector<std::string> lines;
  ForEachDataLine(text, [&](std::string_view line) { lines.emplace_back(line); });

  const auto durations = SectionLines(lines, kDurationHeader);
  if (!durations) {
    message_box(std::string(kNoDurations));
    return false;
  }
  if (!ReadDurations(*durations, tables, message_box)) return false;

  const auto keys = SectionLines(lines, kKeysHeader);
  if (!keys) {
    message_box(std::string(kNoKeys));
    return false;
  }
  if (!ReadWordClasses(*keys, tables, message_box)) return false;

  const auto patterns = SectionLines(lines, kPatternHeader);
  if (!patterns) {
    message_box(std::string(kNoPatterns));
    return false;
  }
  return ReadPatterns(*patterns, tables, message_box);
}

bool LoadProsody(const std::string& path, ProsodyTables& tables, const MessageBoxFn& message_box) {
  const std::optional<std::string> text = files::ReadDataFile(path);
  if (!text) {
    tables.durations.clear();
    tables.word_classes.clear();
    tables.patterns.clear();
    tables.base_pitch = kDefaultBasePitch;
    message_box(std::string(kNotFound));
    return false;
  }
  return ParseProsody(*text, tables, message_box);
}

std::string WordClass(const ProsodyTables& tables, std::string_view word) {
  const std::string upper = base::UpperCase1252(word);
  const auto& table = tables.word_classes;
  const auto at = std::lower_bound(
      table.begin(), table.end(), upper,
      [](const WordClassEntry& entry, const std::string& key) { return entry.word < key; });
  if (at == table.end() || at->word != upper) return {};
  return at->word_class;
}

Token NextToken(std::string_view text, std::size_t& position) {
  while (position < text.size() && text[position] == ' ') ++position;
  if (position >= text.size()) return {};
  const char c = text[position];
  if (c == '.' && position + 1 < text.size() && text[position + 1] == '.') {
    while (position < text.size() && text[position] == '.') ++position;
    return {".-", true};
  }
  if (!IsInLetterSet(c)) {
    ++position;
    return {std::string(2, c), true};
  }
  const std::size_t start = position;
  while (position < text.size() && IsInLetterSet(text[position])) ++position;
  return {std::string(text.substr(start, position - start)), false};
}

std::vector<std::string> TokeniseText(const ProsodyTables& tables, std::string_view text) {
  std::vector<std::string> entries = {"[--]"};
  std::size_t position = 0;
  // Words of the phrase so far, the class of its first, and whether it opens with a question
  // word, alone or after a function word ("quando", "por que", "e onde").
  int phrase_words = 0;
  std::string first_class;
  bool question_word = false;
  for (;;) {
    const Token token = NextToken(text, position);
    if (token.text.empty()) break;
    std::string word_class;
    std::string entry_text;
    if (token.punctuation) {
      word_class = token.text;
      entry_text = token.text.substr(0, 1);
      // A question that opens with a question word ("quando", "por que") falls at its end
      // like a statement; its mark has a class of its own for the patterns.
      if (entry_text == "?" && question_word) word_class = kQuestionWordMarkClass;
    } else {
      word_class = WordClass(tables, token.text);
      if (word_class.size() != 2) word_class = "XX";
      entry_text = token.text;
      if (phrase_words == 0) first_class = word_class;
      question_word |= word_class == kQuestionWordClass &&
                       (phrase_words == 0 || (phrase_words == 1 && first_class != "XX"));
      ++phrase_words;
    }
    entries.push_back("[" + word_class + "]" + entry_text);
    const char first = entry_text.front();
    if (first == '!' || first == '.' || first == '?') {
      entries.emplace_back("[--]");
      phrase_words = 0;
      question_word = false;
    }
  }
  return entries;
}

std::vector<std::string> AssignProsodyCodes(const ProsodyTables& tables,
                                            const std::vector<std::string>& entries) {
  std::vector<std::string> coded;
  coded.reserve(entries.size());
  char level = '5';
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string_view before = i > 0 ? EntryClass(entries, i - 1) : std::string_view();
    const std::string_view self = EntryClass(entries, i);
    const std::string_view after = EntryClass(entries, i + 1);
    std::string code;
    for (const ProsodyPattern& pattern : tables.patterns) {
      if (PartMatches(pattern.previous, before) && PartMatches(pattern.current, self) &&
          PartMatches(pattern.next, after)) {
        code = pattern.code;
        break;
      }
    }
    if (code.empty()) code = kDefaultProsodyCode;
    if (code[0] == '?') code[0] = level;
    level = code[2];
    coded.push_back(code + "|" + (entries[i].size() > 4 ? entries[i].substr(4) : std::string()));
  }
  return coded;
}

}  // namespace cadencio::tts
