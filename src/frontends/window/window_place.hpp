// Where the window goes on the display: the part of it that windows may cover (without panels
// and docks), and the place a new window starts at inside it.
#pragma once

#include <SDL.h>

#include <optional>

namespace cadencio::frontends {

// The first display's usable bounds, or nothing when SDL cannot tell them.
std::optional<SDL_Rect> UsableBounds();

// A window of `width` x `height` centred in the usable bounds and no larger than they are:
// without a window manager nothing else keeps its top row on the screen. At the origin and
// whole when the bounds are not known.
SDL_Rect StartingBounds(int width, int height);

}  // namespace cadencio::frontends
