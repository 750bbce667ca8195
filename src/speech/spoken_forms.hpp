// The spoken forms of the program's own words: the key names and signs of its messages that no
// voice reads as a Brazilian user says them ("PGUP" is "pêiji ápi", "BPM" is "bê pê ême"), and
// the written forms of music and everyday text ("4/4", "C#m7", "3–5", "D. João VI"). The
// screen keeps the written text; the speech front end hands every voice the spoken form.
#pragma once

#include <string>
#include <string_view>

namespace cadencio::speech {

// `text` with every written form of the table, found as a whole word (capitals as written),
// replaced by its spoken form; then the forms every voice would misread (time signatures,
// chords, ranges, titles, telephone numbers, money, dates, acronyms...) spelled out as the
// built-in TTS reads them. With `numbers_as_words` (for the engines, which miss the "e" of
// "mil e quinhentos") whole numbers from a thousand up are words too; the recorded voice reads
// numbers from its own word recordings.
std::string SpokenForm(std::string_view text, bool numbers_as_words = false);

}  // namespace cadencio::speech
