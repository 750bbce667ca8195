// The screen-reader mode's plain lines on a screen that is already full: each key writes only
// its own new text, not the old screen again, and a message longer than the screen's 80
// columns stays one line.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/message_catalogue.hpp"
#include "base/keys.hpp"
#include "support/scenario.hpp"

namespace cadencio::testing {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(LineMode, EachKeyWritesItsNewTextOnceAndWholeLines) {
  const std::string long_name(60, 'x');
  struct Case {
    const char* name;
    Script keys;  // after F1 has filled the screen
    std::vector<std::string> whole_lines;
  };
  const std::string song = "2, " + long_name + ", 130, quatern\xE1rio";
  const Case cases[] = {
      {"the accent editor",
       {TypeChar(3000, 'a'), TypeChar(4000, 27)},
       {app::MessageText("CAACENTO")}},
      {"the set list and a long song",
       {TypeChar(3000, 'l'), PressKey(3500, base::vk::kDown), TypeChar(4000, 27)},
       {app::MessageText("CAREPERT"), song}},
      {"Tab", {TypeChar(3000, 9), TypeChar(4000, 9)}, {"Batida silenciada", "Batida retomada"}},
      {"where am I",
       {TypeChar(3000, 'l'), PressKey(3500, base::vk::kDown), TypeChar(4000, 13),
        TypeChar(5000, 's'), TypeChar(6000, 'o')},
       {"M\xFAsica " + long_name + ", 130 BPM, quatern\xE1rio, 2 notas por tempo"}},
  };
  for (const Case& c : cases) {
    TempDataRoot data;
    std::ofstream(data.ConfigDir() + "/AUDIRA.INI")
        << "[CADENCIO]\nBPM=120\nCOMPASSO=Q\nLEITORDETELA=S\n";
    std::ofstream(data.ConfigDir() + "/REPERTORIO.TXT") << "Curta|90|3|422|1\r\n"
                                                        << long_name << "|130|4|4222|1\r\n";
    Scenario scenario(
        Join({{PressKey(1000, base::vk::F(1))}, c.keys, {TypeChar(8000, 27), TypeChar(9100, 's')}}),
        500, base::VirtualClock::kDefaultStart, /*plain_lines=*/true);
    EXPECT_EQ(scenario.Run(), 0) << c.name;
    // The help's lines, up to its last, are on the screen before the keys; none comes again.
    const std::vector<std::string> lines = Lines(scenario.Transcript());
    const auto help_end = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
      return line.starts_with("Qual");
    });
    ASSERT_NE(help_end, lines.end()) << c.name << "\n" << scenario.Transcript();
    const std::set<std::string> old(lines.begin(), help_end);
    for (auto line = help_end + 1; line != lines.end(); ++line) {
      EXPECT_TRUE(line->empty() || !old.contains(*line))
          << c.name << ": written again: \"" << *line << "\"\n"
          << scenario.Transcript();
    }
    for (const std::string& whole : c.whole_lines) {
      EXPECT_NE(std::find(help_end, lines.end(), whole), lines.end())
          << c.name << ": not one line: \"" << whole << "\"\n"
          << scenario.Transcript();
    }
  }
}

}  // namespace
}  // namespace cadencio::testing
