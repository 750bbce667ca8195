// Reading the appearance settings, in the order and with the presets the window used: a key
// that is present but empty keeps the preset, a missing key takes its default.
#include "console/video_config.hpp"

#include <algorithm>
#include <cctype>
#include <climits>

#include "base/windows1252.hpp"
#include "files/profile_file.hpp"

namespace cadencio::console {

namespace {

// Values were read into an 80-byte buffer: at most 79 characters count.
constexpr std::size_t kValueBytes = 79;

// Font sizes far outside what a screen can show are kept to these bounds, so that a mistyped
// value cannot ask for glyphs of thousands of pixels.
constexpr int kMinFontHeight = 4;
constexpr int kMaxFontHeight = 300;
constexpr int kMaxFontWidth = 200;

bool IsYes(const std::string& value) {
  return !value.empty() && base::AsciiUpperCase(value[0]) == 'S';
}

// The ColourMap entries of a comma-separated list; entries past the first bad number keep
// their values. Blanks around each number are allowed.
void ReadColourMap(std::string text, std::array<int, 16>& map) {
  text += ',';
  std::string_view rest = text;
  for (int i = 0; i < 16; ++i) {
    std::size_t comma = rest.find(',');
    if (comma == std::string_view::npos) return;
    LeadingNumber number = ReadLeadingNumber(base::TrimBlanks(rest.substr(0, comma)));
    map[i] = number.value;
    if (!number.whole) return;
    rest.remove_prefix(comma + 1);
  }
}

}  // namespace

LeadingNumber ReadLeadingNumber(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  std::size_t digits = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, ++digits) {
    value = std::min<long long>(value * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
  }
  if (negative) value = -value;
  value = std::clamp<long long>(value, INT_MIN, INT_MAX);
  return {static_cast<int>(value), digits > 0 && i == text.size()};
}

VideoConfig ReadVideoConfig(const SettingLookup& lookup, frontends::WorkArea area) {
  VideoConfig config;
  frontends::Appearance& look = config.appearance;
  // Present keys give their value (cut to the buffer); missing keys their default.
  auto read = [&](std::string_view section, std::string_view key, std::string_view fallback) {
    std::optional<std::string> value = lookup ? lookup(section, key) : std::nullopt;
    std::string text = value ? *value : std::string(fallback);
    return text.substr(0, kValueBytes);
  };
  // 1. The presets of the settings that every read starts from.
  config.colours_fixed = false;
  look.lento = false;
  look.maximised = false;
  int background = 0;
  int foreground = 7;
  config.braille_mode = 0;
  look.magnifier_factor = 2;

  // 2. The colour map.
  ReadColourMap(read("VIDEO", "TABCORES", "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15"),
                look.colour_map);

  // 3. Colours, scrolling, braille mode and magnifier.
  config.colours_fixed = IsYes(read("VIDEO", "CORESFIXAS", "N"));
  look.lento = IsYes(read("VIDEO", "LENTO", "N"));
  if (std::string value = read("VIDEO", "CORFUNDO", "0"); !value.empty()) {
    background = ReadLeadingNumber(value).value;
  }
  if (std::string value = read("VIDEO", "CORLETRA", "15"); !value.empty()) {
    foreground = ReadLeadingNumber(value).value;
  }
  // Unsigned, so that a number as large as int holds keeps its low bits instead of overflowing.
  config.text_attr = static_cast<uint8_t>((static_cast<unsigned>(background) << 4) |
                                          static_cast<unsigned>(foreground));
  if (std::string value = read("BRAILLE", "MODO", "0"); !value.empty()) {
    config.braille_mode = static_cast<unsigned char>(value[0]) & 3;
  }
  if (std::string value = read("VIDEO", "AMPLIF", "2"); !value.empty()) {
    look.magnifier_factor = static_cast<unsigned char>(value[0]) & 7;
  }

  // 4. The font and the window placement. Sizes left empty follow the work area.
  look.font_face = read("VIDEO", "FONTE", "Lucida Console");
  if (std::string value = read("VIDEO", "LARGURALETRA", ""); !value.empty()) {
    look.font_width = std::clamp(ReadLeadingNumber(value).value, 0, kMaxFontWidth);
  } else {
    look.font_width = static_cast<int>(static_cast<long double>(area.width) / 1024 * 13);
  }
  if (std::string value = read("VIDEO", "ALTURALETRA", ""); !value.empty()) {
    look.font_height = ReadLeadingNumber(value).value;
  } else {
    look.font_height = static_cast<int>(static_cast<long double>(area.height) / 734 * 28);
  }
  look.font_height = std::clamp(look.font_height, kMinFontHeight, kMaxFontHeight);
  look.font_width = std::clamp(look.font_width, 0, kMaxFontWidth);
  look.font_weight =
      std::clamp(ReadLeadingNumber(read("VIDEO", "PESOLETRA", "700")).value, 0, 1000);
  // Maximised unless the second character is S ("XS"); "SIM", "NAO", "S" all maximise.
  std::string corner = read("VIDEO", "CANTOTELA", "SIM");
  look.maximised = !(corner.size() >= 2 && base::AsciiUpperCase(corner[1]) == 'S');
  return config;
}

SettingLookup SettingsFromFile(const std::string& path) {
  auto video = files::ProfileFile::ReadSection(path, "VIDEO");
  auto braille = files::ProfileFile::ReadSection(path, "BRAILLE");
  return [video = std::move(video), braille = std::move(braille)](
             std::string_view section, std::string_view key) -> std::optional<std::string> {
    const auto& entries = section == "BRAILLE" ? braille : video;
    for (const auto& [name, value] : entries) {
      if (std::equal(name.begin(), name.end(), key.begin(), key.end(), [](char a, char b) {
            return base::AsciiUpperCase(a) == base::AsciiUpperCase(b);
          })) {
        return value;
      }
    }
    return std::nullopt;
  };
}

}  // namespace cadencio::console
