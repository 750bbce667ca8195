// The appearance settings: defaults, presets of keys present but empty, the colour map and
// the single-character keys.
#include "console/video_config.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace cadencio::console {
namespace {

// Settings from a map of "SECTION/KEY" -> value.
SettingLookup Settings(std::map<std::string, std::string> values) {
  return [values = std::move(values)](std::string_view section,
                                      std::string_view key) -> std::optional<std::string> {
    auto found = values.find(std::string(section) + "/" + std::string(key));
    if (found == values.end()) return std::nullopt;
    return found->second;
  };
}

TEST(VideoConfigTest, NoFileGivesWhiteOnBlackAndTheWorkAreaFont) {
  VideoConfig config = ReadVideoConfig(Settings({}), {1024, 734});
  EXPECT_EQ(config.text_attr, 0x0F);
  EXPECT_FALSE(config.colours_fixed);
  EXPECT_EQ(config.braille_mode, 0);
  const auto& look = config.appearance;
  for (int i = 0; i < 16; ++i) EXPECT_EQ(look.colour_map[i], i);
  EXPECT_EQ(look.font_face, "Lucida Console");
  EXPECT_EQ(look.font_width, 13);
  EXPECT_EQ(look.font_height, 28);
  EXPECT_EQ(look.font_weight, 700);
  EXPECT_TRUE(look.maximised);
  EXPECT_FALSE(look.lento);
  EXPECT_EQ(look.magnifier_factor, 2);

  // Other work areas scale the font, the fraction dropped.
  VideoConfig big = ReadVideoConfig(Settings({}), {1920, 1040});
  EXPECT_EQ(big.appearance.font_width, 24);   // 1920 / 1024 * 13 = 24.375
  EXPECT_EQ(big.appearance.font_height, 39);  // 1040 / 734 * 28 = 39.67
}

TEST(VideoConfigTest, ColourMap) {
  struct Case {
    const char* value;
    std::array<int, 4> first;  // entries 0-3
    int last;                  // entry 15
  };
  const Case cases[] = {
      {"4,1", {4, 1, 2, 3}, 15},
      {"4, 1, 9 ,12", {4, 1, 9, 12}, 15},  // blanks around the numbers
      {"3,x,5", {3, 0, 2, 3}, 15},         // a bad entry reads as 0 and ends the list
      {"7,2y,5", {7, 2, 2, 3}, 15},        // its leading digits count
      {"", {0, 1, 2, 3}, 15},              // empty keeps the identity
      {"1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,20,9", {1, 1, 1, 1}, 20},  // beyond 16 ignored
  };
  for (const Case& c : cases) {
    auto map = ReadVideoConfig(Settings({{"VIDEO/TABCORES", c.value}}), {}).appearance.colour_map;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(map[i], c.first[i]) << c.value << " entry " << i;
    EXPECT_EQ(map[15], c.last) << c.value;
  }
  frontends::Appearance look;
  look.colour_map[0] = 4;
  look.colour_map[1] = 20;
  EXPECT_EQ(look.Colour(0), (frontends::Rgb{255, 0, 0}));
  EXPECT_EQ(look.Colour(1), (frontends::Rgb{0, 0, 0}));  // beyond the palette: black
}

TEST(VideoConfigTest, StartColoursAndPresets) {
  struct Case {
    std::map<std::string, std::string> values;
    uint8_t attr;
  };
  const Case cases[] = {
      {{{"VIDEO/CORLETRA", ""}}, 0x07},  // present but empty: light grey
      {{{"VIDEO/CORFUNDO", "1"}, {"VIDEO/CORLETRA", "14"}}, 0x1E},
      {{{"VIDEO/CORFUNDO", "2a"}, {"VIDEO/CORLETRA", "x"}}, 0x20},  // leading digits, 0 if none
      {{{"VIDEO/CORFUNDO", "15"}, {"VIDEO/CORLETRA", "17"}}, 0xF0 | 17},  // kept to a byte
      {{{"VIDEO/CORFUNDO", "99999999999"}}, 0xFF},  // held to int's largest, then to a byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadVideoConfig(Settings(c.values), {}).text_attr, c.attr)
        << "case with attr " << int(c.attr);
  }
}

TEST(VideoConfigTest, SingleCharacterKeys) {
  struct Case {
    const char* key;
    const char* value;
    int expected;
  };
  const Case cases[] = {
      {"VIDEO/AMPLIF", "2", 2}, {"VIDEO/AMPLIF", "9", 1}, {"VIDEO/AMPLIF", "0", 0},
      {"VIDEO/AMPLIF", "8", 0}, {"VIDEO/AMPLIF", "", 2},  {"VIDEO/AMPLIF", "35", 3},
      {"BRAILLE/MODO", "1", 1}, {"BRAILLE/MODO", "2", 2}, {"BRAILLE/MODO", "3", 3},
      {"BRAILLE/MODO", "", 0},
  };
  for (const Case& c : cases) {
    VideoConfig config = ReadVideoConfig(Settings({{c.key, c.value}}), {});
    int got = std::string(c.key) == "VIDEO/AMPLIF" ? config.appearance.magnifier_factor
                                                   : config.braille_mode;
    EXPECT_EQ(got, c.expected) << c.key << "=" << c.value;
  }
}

TEST(VideoConfigTest, YesNoKeysAndWindowPlacement) {
  struct Case {
    const char* corner;
    bool maximised;
  };
  for (const Case& c : {Case{"SIM", true}, Case{"NAO", true}, Case{"S", true}, Case{"N", true},
                        Case{"XS", false}, Case{"ns", false}, Case{"", true}}) {
    auto look = ReadVideoConfig(Settings({{"VIDEO/CANTOTELA", c.corner}}), {}).appearance;
    EXPECT_EQ(look.maximised, c.maximised) << c.corner;
  }
  auto config = ReadVideoConfig(
      Settings({{"VIDEO/CORESFIXAS", "sim"}, {"VIDEO/LENTO", "S"}, {"VIDEO/PESOLETRA", ""}}), {});
  EXPECT_TRUE(config.colours_fixed);
  EXPECT_TRUE(config.appearance.lento);
  EXPECT_EQ(config.appearance.font_weight, 0);  // empty: the face's own weight
}

TEST(VideoConfigTest, FontSizesStayWithinBounds) {
  auto look = ReadVideoConfig(Settings({{"VIDEO/LARGURALETRA", "999999999999"},
                                        {"VIDEO/ALTURALETRA", "-5"},
                                        {"VIDEO/FONTE", "DejaVu Sans Mono"}}),
                              {})
                  .appearance;
  EXPECT_EQ(look.font_width, 200);
  EXPECT_EQ(look.font_height, 4);
  EXPECT_EQ(look.font_face, "DejaVu Sans Mono");
  // Empty sizes follow the work area.
  look = ReadVideoConfig(Settings({{"VIDEO/LARGURALETRA", ""}, {"VIDEO/ALTURALETRA", ""}}),
                         {2048, 1468})
             .appearance;
  EXPECT_EQ(look.font_width, 26);
  EXPECT_EQ(look.font_height, 56);
}

TEST(VideoConfigTest, SettingsFromAProfileFile) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("cadencio-video-" +
                     std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".ini");
  std::ofstream(path) << "[Video]\r\ntabcores = 4,1\r\nCORLETRA=\r\nAMPLIF=9\r\n"
                         "[BRAILLE]\r\nmodo=2\r\n[OTHER]\r\nCORFUNDO=3\r\n";
  VideoConfig config = ReadVideoConfig(SettingsFromFile(path.string()), {});
  EXPECT_EQ(config.appearance.colour_map[0], 4);
  EXPECT_EQ(config.text_attr, 0x07);  // CORLETRA present but empty; CORFUNDO of another section
  EXPECT_EQ(config.appearance.magnifier_factor, 1);
  EXPECT_EQ(config.braille_mode, 2);
  std::filesystem::remove(path);
  // A missing file gives the defaults.
  EXPECT_EQ(ReadVideoConfig(SettingsFromFile(path.string()), {}).text_attr, 0x0F);
}

}  // namespace
}  // namespace cadencio::console
