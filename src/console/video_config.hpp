// The appearance settings of the console window: colours, font, window placement, scrolling,
// magnifier and braille entry, read from sections VIDEO and BRAILLE of AUDIRA.INI when the
// window is first created.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "frontends/appearance.hpp"

namespace cadencio::console {

struct VideoConfig {
  frontends::Appearance appearance;
  bool colours_fixed = false;  // the program may not change the background colour
  uint8_t text_attr = 0x0F;    // the start colours: background * 16 + foreground
  int braille_mode = 0;        // 0 off, 1 or 2 (3 is taken as 1 when applied)
};

// A setting by section and key: nothing when the key is missing, the (possibly empty) value
// when it is present.
using SettingLookup =
    std::function<std::optional<std::string>(std::string_view section, std::string_view key)>;

// Every key of VIDEO and BRAILLE with its default; `area` is the work area that the font size
// defaults are computed from.
VideoConfig ReadVideoConfig(const SettingLookup& lookup, frontends::WorkArea area);

// Looks settings up in a profile file; the file's two sections are read once, here.
SettingLookup SettingsFromFile(const std::string& path);

// The integer that the leading sign and digits of `text` spell (0 when there are none), and
// whether the whole text was that number. Far too large numbers stay at the int limits.
struct LeadingNumber {
  int value = 0;
  bool whole = false;
};
LeadingNumber ReadLeadingNumber(std::string_view text);

}  // namespace cadencio::console
