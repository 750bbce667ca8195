// Loading and looking up abbreviations.
#include "tts/abbreviations.hpp"

#include "files/file_reader.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {

void LoadAbbreviationsFromText(std::string_view text, AbbreviationTable& table) {
  table.entries.clear();
  ForEachDataLine(text, [&](std::string_view raw) {
    const std::string_view line = base::TrimBlanksAndControls(raw);
    if (line.empty() || line.front() == ';') return;
    // A line without '=' gives an empty key, which never matches.
    const std::size_t eq = line.find('=');
    Abbreviation entry;
    if (eq != std::string_view::npos) {
      entry.key = base::UpperCase1252(base::TrimBlanksAndControls(line.substr(0, eq)));
      entry.expansion = base::TrimBlanksAndControls(line.substr(eq + 1, kMaxExpansion));
    }
    table.entries.push_back(std::move(entry));
  });
}

bool LoadAbbreviations(const std::string& path, AbbreviationTable& table) {
  table.entries.clear();
  const std::optional<std::string> text = files::ReadDataFile(path);
  if (!text) return false;
  LoadAbbreviationsFromText(*text, table);
  return true;
}

std::string LookUpAbbreviation(const AbbreviationTable& table, std::string_view word) {
  const std::string key = base::UpperCase1252(word);
  if (key.empty()) return "";
  for (const Abbreviation& entry : table.entries) {
    if (entry.key == key) return entry.expansion;
  }
  return "";
}

}  // namespace cadencio::tts
