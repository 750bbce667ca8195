// The window's status band, below the 80 x 25 cells and outside them: the beat number of the
// measure, lit for a moment on each beat as it is heard, the tempo and the measure, and the
// last message that was only spoken, in the start colours and a font the band's height.
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

  void SetRun(const BeatRun& run) { run_ = run; }
  void SetSpoken(std::string text) { spoken_ = std::move(text); }

  // What the band shows; texts in the program's code page.
  struct View {
    std::string tempo;
    std::string measure;
    std::string spoken;
    int number = 0;  // 0: no beat yet
    bool lit = false;
    bool operator==(const View&) const = default;
  };
  // What it shows now, from the stream position heard, and the milliseconds until that
  // changes by itself (a beat's light going out, the next beat); -1 when it never does.
  View Now(int64_t* ms_to_change = nullptr) const;

  // Draws `view` over `area` of `surface`; when only the beat changed since `shown`, only the
  // number's box. The rectangle drawn.
  SDL_Rect Draw(SDL_Surface* surface, const SDL_Rect& area, const View& view, const View* shown,
                Rgb background, Rgb text, const std::string& font_file);
  // Where the beat number goes in the band's area.
  static SDL_Rect NumberBox(const SDL_Rect& area);

 private:
  bool FontFor(const std::string& font_file, int height);
  int DrawText(SDL_Surface* surface, const std::string& text, int x, const SDL_Rect& within,
               Rgb colour);

  BeatRun run_;
  std::string spoken_;
  TTF_Font* font_ = nullptr;
  int font_height_ = 0;
};

}  // namespace cadencio::frontends
