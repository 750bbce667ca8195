// The window's status band, below the 80 x 25 cells and outside them: the beat number of the
// measure, lit for a moment on each beat as it is heard, the tempo and the measure, and the
// last message that was only spoken, in the start colours and a font the band's height. What
// it shows is a StatusBandState's; this draws it.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <string>

#include "frontends/appearance.hpp"
#include "frontends/beat_status.hpp"

namespace cadencio::frontends {

class StatusBand {
 public:
  StatusBand() = default;
  ~StatusBand();
  StatusBand(const StatusBand&) = delete;
  StatusBand& operator=(const StatusBand&) = delete;

  // Draws `view` over `area` of `surface`; when only the beat changed since `shown`, only the
  // number's box. The rectangle drawn.
  SDL_Rect Draw(SDL_Surface* surface, const SDL_Rect& area, const StatusBandState::View& view,
                const StatusBandState::View* shown, Rgb background, Rgb text,
                const std::string& font_file);
  // Where the beat number goes in the band's area.
  static SDL_Rect NumberBox(const SDL_Rect& area);

 private:
  bool FontFor(const std::string& font_file, int height);
  int DrawText(SDL_Surface* surface, const std::string& text, int x, const SDL_Rect& within,
               Rgb colour);

  TTF_Font* font_ = nullptr;
  int font_height_ = 0;
};

}  // namespace cadencio::frontends
