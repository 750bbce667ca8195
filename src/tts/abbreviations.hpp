// The abbreviations of the built-in TTS's normaliser (part of the uttsPreproc module): a table
// of key=expansion lines read from the abbreviations file ("portug.abr").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cadencio::tts {

struct Abbreviation {
  std::string key;        // trimmed and upper-cased
  std::string expansion;  // trimmed, case kept
};

// Entries in file order; the first equal key wins. The table grows with the file.
struct AbbreviationTable {
  std::vector<Abbreviation> entries;
};

// Longest expansion kept from a line.
inline constexpr std::size_t kMaxExpansion = 999;

// Empties the table, then reads the file; false when it is missing or cannot be read.
bool LoadAbbreviations(const std::string& path, AbbreviationTable& table);
// The same from a text held in memory.
void LoadAbbreviationsFromText(std::string_view text, AbbreviationTable& table);

// The expansion of the word (compared upper-cased), or empty.
std::string LookUpAbbreviation(const AbbreviationTable& table, std::string_view word);

}  // namespace cadencio::tts
