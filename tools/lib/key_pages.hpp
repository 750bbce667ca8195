// The program's key lists written for people: as the roff of the manual pages (at build time)
// and as the Markdown tables of the README (rewritten by gen_key_pages, checked by a test).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/key_help.hpp"

namespace cadencio::tools {

enum class KeyLanguage { kEnglish, kPortuguese };

// ".TP" entries, one a line of the list: the keys in bold, what they do after them.
std::string RoffKeyList(const std::vector<app::KeyDoc>& keys, KeyLanguage language);
// A two-column Markdown table (English): "| Key | What it does |".
std::string MarkdownKeyTable(const std::vector<app::KeyDoc>& keys);

// The README's text with the table of every key list put between its markers
// "<!-- keys:ID -->" and "<!-- /keys -->"; the names of the lists whose markers are missing go
// to `missing`.
std::string WithKeyTables(std::string_view readme, std::vector<std::string>* missing);

}  // namespace cadencio::tools
