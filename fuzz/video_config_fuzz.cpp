// libFuzzer target for the appearance settings and braille entry: the input's lines are the
// values of the VIDEO and BRAILLE keys in reading order, and its bytes after the first NUL
// are key events for the braille entry (even bytes press, odd bytes release a key). Whatever
// the values, the settings stay in their ranges, and every finished chord types a byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/braille.hpp"
#include "console/video_config.hpp"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

constexpr const char* kKeys[] = {"TABCORES",     "CORESFIXAS",  "LENTO",     "CORFUNDO",
                                 "CORLETRA",     "MODO",        "AMPLIF",    "FONTE",
                                 "LARGURALETRA", "ALTURALETRA", "PESOLETRA", "CANTOTELA"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace cadencio::console;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view settings = input.substr(0, input.find('\0'));
  std::vector<std::string> values;
  for (std::size_t at = 0; at <= settings.size() && values.size() < std::size(kKeys);) {
    std::size_t end = std::min(settings.find('\n', at), settings.size());
    values.emplace_back(settings.substr(at, end - at));
    at = end + 1;
  }
  auto lookup = [&](std::string_view, std::string_view key) -> std::optional<std::string> {
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (key == kKeys[i]) return values[i];
    }
    return std::nullopt;
  };
  const VideoConfig config = ReadVideoConfig(lookup, {static_cast<int>(size) * 37, 734});
  Check(config.braille_mode >= 0 && config.braille_mode <= 3);
  Check(config.appearance.magnifier_factor >= 0 && config.appearance.magnifier_factor <= 7);
  Check(config.appearance.font_height >= 4 && config.appearance.font_height <= 300);
  Check(config.appearance.font_width >= 0 && config.appearance.font_width <= 200);
  Check(config.appearance.font_face.size() <= 79);
  for (int i = 0; i < 16; ++i) (void)config.appearance.Colour(i);

  BrailleEntry braille;
  braille.SetMode(config.braille_mode);
  if (input.size() == settings.size()) return 0;
  const int keys[] = {'F', 'D', 'S', 'J', 'K', 'L', ' ', 'A', 'Z', 0x28};
  for (unsigned char byte : input.substr(settings.size() + 1)) {
    const int key = keys[(byte >> 1) % std::size(keys)];
    if ((byte & 1) == 0) {
      braille.KeyDown(key);
    } else {
      auto result = braille.KeyUp(key, (byte & 0x80) != 0);
      Check(!result.queue || result.taken);
    }
  }
  return 0;
}
