// The caEfeit module, its data half: the entries of the effects file, the effect and model
// lists in their browsing order, the sort key that orders them, and the name and file parts of
// an entry. Nothing here touches the console or the sound, so it is tested and fuzzed alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cadencio::app {

// At most this many entries (effects and models together) are kept from a file.
constexpr int kMaxEffectEntries = 199;
// A line longer than this keeps only its first bytes, as a short string would.
constexpr std::size_t kMaxEntryLength = 255;
// A file is read up to this size; anything beyond it is ignored.
constexpr std::size_t kMaxEffectsFileBytes = std::size_t{16} << 20;

// The raw entries of an effects file's text, in file order. Lines end at LF, CR LF or a lone
// CR; empty lines and lines that begin with ';' or '[' are skipped. A text that begins with a
// UTF-8 byte-order mark, or is valid UTF-8 with characters beyond ASCII, is first converted to
// Windows-1252 (a character the code page lacks becomes '?').
std::vector<std::string> ParseEffectsText(std::string_view text);

// The text with each byte folded for ordering: a..z to upper case, accented letters of code
// page 850 and of Windows-1252 to their bare upper-case letter, other bytes above 127 to 0xFE.
std::string SortKey(std::string_view text);

// The effect list (entries that do not begin with '*') or the model list (entries that do, the
// '*' removed), sorted by SortKey with an exchange sort when it holds more than two texts.
std::vector<std::string> BuildEntryList(const std::vector<std::string>& raw, bool models);

// The part before the first '='; empty when there is none.
std::string EntryName(std::string_view entry);
// The part after the first '=' (the whole entry when there is none), a..z upper-cased, with
// ".WAV" appended.
std::string EntryFile(std::string_view entry);

// Whether the entry's first character folds to the same key as the letter (both upper-cased).
bool MatchesLetter(std::string_view entry, uint8_t letter);

}  // namespace cadencio::app
