// The terminal's status row: when the terminal has rows below the 80 x 25 screen, the first of
// them shows what the window's status band shows: the beat number of the measure (in reverse
// video while the beat is lit), the tempo, the measure and the last message only spoken.
#pragma once

#include <string>

#include "frontends/beat_status.hpp"

namespace cadencio::frontends {

// The cells of the number's box at the row's start, reversed while the beat is lit.
constexpr int kStatusNumberWidth = 3;

// The row's text, `width` characters of the program's code page: the number in its box, the
// tempo and the measure, and the spoken message at the right end while it fits (after the
// rest, cut at the width, when it does not).
std::string StatusRowText(const StatusBandState::View& view, int width);

}  // namespace cadencio::frontends
