// How the window front end draws the console: the colour palette and its remapping, the font,
// the window placement, the scrolling method and the magnifier. The console reads these from
// the VIDEO settings; a front end that cannot use a setting ignores it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace cadencio::frontends {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// The sixteen colours of the text screen.
constexpr std::array<Rgb, 16> kColourPalette = {{
    {0, 0, 0},
    {0, 0, 255},
    {0, 255, 0},
    {0, 255, 255},
    {255, 0, 0},
    {142, 0, 142},
    {68, 34, 34},
    {192, 192, 192},
    {128, 128, 128},
    {128, 128, 255},
    {128, 255, 128},
    {128, 255, 255},
    {255, 128, 128},
    {255, 128, 255},
    {255, 255, 0},
    {255, 255, 255},
}};

// The desktop area that windows may cover, in pixels.
struct WorkArea {
  int width = 1024;
  int height = 734;
};

struct Appearance {
  // Entry i is the palette index drawn for colour index i; an entry outside 0-15 draws black.
  std::array<int, 16> colour_map{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  bool lento = false;        // scroll by copying pixels instead of repainting
  int magnifier_factor = 2;  // 0: the magnifier stays off
  std::string font_face = "Lucida Console";
  int font_width = 13;   // cell width in pixels; 0: the font's own width
  int font_height = 28;  // cell height in pixels
  int font_weight = 0;   // 0: the face's own weight; 700 is bold
  bool maximised = true;
  // The start colours (background * 16 + foreground), which the status band keeps.
  uint8_t status_attr = 0x07;

  // The colour that a 4-bit colour index of an attribute is drawn in.
  Rgb Colour(int index) const {
    int mapped = colour_map[index & 0x0F];
    return mapped >= 0 && mapped <= 15 ? kColourPalette[mapped] : Rgb{};
  }
};

}  // namespace cadencio::frontends
