// The auvideo module: screen review. The user explores the 80 x 25 screen by speech without
// changing it: a review position moves over the screen, keys read a character, a word, a
// field, a line or a range, search for a text, jump to a row and column or copy the screen to
// the clipboard. Esc returns with the console cursor where it was.
#pragma once

#include <string>

#include "console/console.hpp"
#include "dialogs/review_voice.hpp"

namespace cadencio::dialogs {

// Runs the review until Esc. The search text typed at F5 is kept in `search_text` for the
// next run (Ctrl+F5 searches for it again).
void ReviewScreen(console::Console& console, ReviewVoice& voice, std::string& search_text);

// The same with the search text the program keeps for its whole run.
void ReviewScreen(console::Console& console, ReviewVoice& voice);

// Empties the kept search text (at program start and end).
void ClearReviewSearchText();

}  // namespace cadencio::dialogs
