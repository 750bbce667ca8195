// The window's place on the display.
#include "frontends/window/window_place.hpp"

#include <algorithm>

namespace cadencio::frontends {

std::optional<SDL_Rect> UsableBounds() {
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0 || usable.w <= 0 || usable.h <= 0) return {};
  return usable;
}

SDL_Rect StartingBounds(int width, int height) {
  const SDL_Rect usable = UsableBounds().value_or(SDL_Rect{0, 0, width, height});
  width = std::min(width, usable.w);
  height = std::min(height, usable.h);
  return {usable.x + (usable.w - width) / 2, usable.y + (usable.h - height) / 2, width, height};
}

}  // namespace cadencio::frontends
