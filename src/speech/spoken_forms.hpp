// The spoken forms of the program's own words: the key names and signs of its messages that no
// voice reads as a Brazilian user says them ("PGUP" is "pêiji ápi", "BPM" is "bê pê ême"). The
// screen keeps the written text; the speech front end hands every voice the spoken form.
#pragma once

#include <string>
#include <string_view>

namespace cadencio::speech {

// `text` with every written form of the table, found as a whole word (capitals as written),
// replaced by its spoken form.
std::string SpokenForm(std::string_view text);

}  // namespace cadencio::speech
