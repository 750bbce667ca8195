// Status band layout and drawing.
#include "frontends/window/status_band.hpp"

#include <algorithm>

#include "base/windows1252.hpp"

namespace cadencio::frontends {

namespace {

// A band lower than this is left plain: no text would be legible in it.
constexpr int kMinBandHeight = 10;

Uint32 Map(const SDL_Surface* surface, Rgb colour) {
  return SDL_MapRGB(surface->format, colour.r, colour.g, colour.b);
}

}  // namespace

StatusBand::~StatusBand() {
  if (font_ != nullptr) TTF_CloseFont(font_);
}

SDL_Rect StatusBand::NumberBox(const SDL_Rect& area) {
  return {area.x, area.y, std::min(area.w, area.h * 3 / 2), area.h};
}

bool StatusBand::FontFor(const std::string& font_file, int height) {
  if (font_ != nullptr && font_height_ == height) return true;
  if (font_ == nullptr) font_ = TTF_OpenFont(font_file.c_str(), height);
  if (font_ == nullptr) return false;
  // Sized so that the font's whole height fills the wanted height, as the cells' font is.
  TTF_SetFontSize(font_, height);
  const int natural = TTF_FontHeight(font_);
  if (natural > 0 && natural != height)
    TTF_SetFontSize(font_, std::max(1, height * height / natural));
  font_height_ = height;
  return true;
}

// Draws a line of text from x, centred in the height of `within` and clipped to it; the x
// after it.
int StatusBand::DrawText(SDL_Surface* surface, const std::string& text, int x,
                         const SDL_Rect& within, Rgb colour) {
  if (text.empty() || x >= within.x + within.w) return x;
  SDL_Surface* drawn = TTF_RenderUTF8_Blended(font_, base::Windows1252ToUtf8(text).c_str(),
                                              {colour.r, colour.g, colour.b, 255});
  if (drawn == nullptr) return x;
  SDL_Rect to{x, within.y + (within.h - drawn->h) / 2, drawn->w, drawn->h};
  SDL_SetClipRect(surface, &within);
  SDL_BlitSurface(drawn, nullptr, surface, &to);
  SDL_SetClipRect(surface, nullptr);
  const int end = x + drawn->w;
  SDL_FreeSurface(drawn);
  return end;
}

SDL_Rect StatusBand::Draw(SDL_Surface* surface, const SDL_Rect& area,
                          const StatusBandState::View& view, const StatusBandState::View* shown,
                          Rgb background, Rgb text, const std::string& font_file) {
  const bool beat_only = shown != nullptr && shown->tempo == view.tempo &&
                         shown->measure == view.measure && shown->spoken == view.spoken;
  const SDL_Rect box = NumberBox(area);
  const SDL_Rect drawn = beat_only ? box : area;
  SDL_FillRect(surface, &drawn, Map(surface, background));
  if (area.h < kMinBandHeight || !FontFor(font_file, area.h * 3 / 4)) return drawn;

  // The beat number: the text colour on the background, swapped while the beat is lit.
  if (view.lit) SDL_FillRect(surface, &box, Map(surface, text));
  if (view.number > 0) {
    const std::string number = std::to_string(view.number);
    int width = 0;
    TTF_SizeUTF8(font_, number.c_str(), &width, nullptr);
    DrawText(surface, number, box.x + (box.w - width) / 2, box, view.lit ? background : text);
  }
  if (beat_only) return drawn;

  // Then the tempo and the measure, and what was last only spoken.
  const int gap = area.h / 2;
  int x = box.x + box.w + gap;
  x = DrawText(surface, view.tempo, x, area, text);
  x = DrawText(surface, view.measure, x + (view.tempo.empty() ? 0 : gap), area, text);
  // The spoken message keeps to the right end, apart from the rest, while it fits.
  int width = 0;
  TTF_SizeUTF8(font_, base::Windows1252ToUtf8(view.spoken).c_str(), &width, nullptr);
  DrawText(surface, view.spoken, std::max(x + gap * 2, area.x + area.w - gap - width), area, text);
  return drawn;
}

}  // namespace cadencio::frontends
