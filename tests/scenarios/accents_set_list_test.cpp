// Accents on any beat and the set list on the headless front end: the sounds heard on each
// beat's frame, and the songs kept across a restart.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/set_list.hpp"
#include "base/keys.hpp"
#include "support/beat_frames.hpp"
#include "support/scenario.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::testing {
namespace {

using Script = std::vector<frontends::ScriptedMessage>;

// The sound on each beat of the first measure that starts with `first_sound` after `after_ms`:
// the onset on the beat's exact frame, "-" for none.
std::vector<std::string> MeasureHeard(const Scenario& scenario, int bpm, int beats,
                                      int64_t after_ms, const std::string& first_sound) {
  const auto& onsets = scenario.Onsets();
  std::size_t first = 0;
  while (first < onsets.size() &&
         (onsets[first].frame < after_ms * 44100 / 1000 || onsets[first].sound != first_sound)) {
    ++first;
  }
  std::vector<std::string> heard;
  if (first == onsets.size()) return heard;
  for (int k = 0; k < beats; ++k) {
    const int64_t frame = onsets[first].frame + ExactNoteFrame(k, bpm);
    std::string sound = "-";
    for (const auto& onset : onsets) {
      if (onset.frame == frame) sound = onset.sound;
    }
    heard.push_back(sound);
  }
  return heard;
}

TEST(Accents, EachBeatPlaysItsLevelFromTheNextMeasure) {
  const std::string strong = "padrao1.wav", medium = "padrao1.wav:medio", normal = "padrao2.wav";
  struct Case {
    const char* name;
    const char* measure;
    Script keys;
    std::vector<std::string> heard;
  };
  const Case cases[] = {
      {"7 as 2+2+3",
       "7",
       {TypeChar(1000, 'a'), TypeChar(3000, 'g'), TypeChar(5000, 13)},
       {strong, normal, medium, normal, medium, normal, normal}},
      {"second beat silent",
       "Q",
       {TypeChar(1000, 'a'), PressKey(3000, base::vk::kRight), PressKey(4000, base::vk::kDown),
        PressKey(5000, base::vk::kDown), TypeChar(6000, 13)},
       {strong, "-", normal, normal}},
      {"Esc keeps the old pattern",
       "5",
       {TypeChar(1000, 'a'), TypeChar(3000, 'g'), TypeChar(5000, 27)},
       {strong, normal, normal, normal, normal}},
  };
  for (const Case& c : cases) {
    TempDataRoot data;
    std::ofstream(data.ConfigDir() + "/AUDIRA.INI")
        << "[CADENCIO]\nBPM=120\nCOMPASSO=" << c.measure << "\n";
    Scenario scenario(Join({c.keys, {TypeChar(12000, 27), TypeChar(13100, 's')}}), 500);
    EXPECT_EQ(scenario.Run(), 0) << c.name;
    EXPECT_EQ(MeasureHeard(scenario, 120, static_cast<int>(c.heard.size()), 7000, strong), c.heard)
        << c.name << "\n"
        << scenario.Screen().Text();
  }
}

TEST(Accents, F2StoresThePatternAndTheNextStartPlaysIt) {
  TempDataRoot data;
  const std::string ini = data.ConfigDir() + "/AUDIRA.INI";
  std::ofstream(ini) << "[CADENCIO]\nBPM=120\nCOMPASSO=7\n";
  {
    Scenario first({TypeChar(1000, 'a'), TypeChar(3000, 'g'), TypeChar(3500, 'c'),
                    TypeChar(5000, 13), PressKey(6000, base::vk::F(2)), TypeChar(7200, 's'),
                    TypeChar(9000, 27), TypeChar(10100, 's')},
                   500);
    EXPECT_EQ(first.Run(), 0);
  }
  const std::string stored = ReadBytes(ini);
  EXPECT_NE(stored.find("CONTAGEMGRUPOS=1\nACENTOS=4232322\n"), std::string::npos) << stored;
  Scenario second({TypeChar(6000, 27), TypeChar(7100, 's')}, 500);
  EXPECT_EQ(second.Run(), 0);
  EXPECT_EQ(
      MeasureHeard(second, 120, 7, 500, "padrao1.wav"),
      (std::vector<std::string>{"padrao1.wav", "padrao2.wav", "padrao1.wav:medio", "padrao2.wav",
                                "padrao1.wav:medio", "padrao2.wav", "padrao2.wav"}));
}

TEST(SetList, SongsAddedAreThereAfterARestartAndNThriceLoadsTheThird) {
  TempDataRoot data;
  std::ofstream(data.ConfigDir() + "/AUDIRA.INI") << "[CADENCIO]\nBPM=100\nCOMPASSO=Q\n";
  // Three songs: 100, 101 and 111 BPM, the last with a medium first beat.
  {
    Scenario first(Join({{TypeChar(1000, 'l'), TypeChar(3000, '+')},
                         Answer(4000, "Um"),
                         {TypeChar(6000, 27), PressKey(7000, base::vk::kUp), TypeChar(8000, 'l'),
                          TypeChar(9500, '+')},
                         Answer(10500, "Dois"),
                         {TypeChar(12500, 27), PressKey(13500, base::vk::kPrior),
                          TypeChar(14500, 'a'), PressKey(16000, base::vk::kDown),
                          TypeChar(17000, 13), TypeChar(18000, 'l'), TypeChar(19500, '+')},
                         Answer(20500, "Tres"),
                         {TypeChar(22500, 27), TypeChar(24000, 27), TypeChar(25100, 's')}}),
                   500);
    EXPECT_EQ(first.Run(), 0);
  }
  const std::string file = ReadBytes(data.ConfigDir() + "/REPERTORIO.TXT");
  EXPECT_NE(file.find("Um|100|4|4222|1\r\nDois|101|4|4222|1\r\nTres|111|4|3222|1\r\n"),
            std::string::npos)
      << file;
  Scenario second({TypeChar(1000, 'n'), TypeChar(2000, 'n'), TypeChar(3000, 'n'),
                   TypeChar(9000, 27), TypeChar(10100, 's')},
                  500);
  EXPECT_EQ(second.Run(), 0);
  const std::string screen = second.Screen().Text();
  // Before any song is loaded, n loads the first.
  EXPECT_NE(screen.find("1, Um, 100, quatern\xE1rio\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("2, Dois, 101, quatern\xE1rio\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("3, Tres, 111, quatern\xE1rio\n"), std::string::npos) << screen;
  EXPECT_EQ(
      MeasureHeard(second, 111, 4, 5000, "padrao1.wav:medio"),
      (std::vector<std::string>{"padrao1.wav:medio", "padrao2.wav", "padrao2.wav", "padrao2.wav"}));
}

// Before any song is loaded p takes the last; the set list opens on the song playing; loading a
// song stops the tempo trainer, so the song's tempo holds.
TEST(SetList, OpensOnTheSongPlayingAndASongLoadedStopsTheTrainer) {
  TempDataRoot data;
  std::ofstream(data.ConfigDir() + "/AUDIRA.INI") << "[CADENCIO]\nBPM=100\nCOMPASSO=Q\n";
  WriteBytes(data.ConfigDir() + "/REPERTORIO.TXT", "Um|100|4\r\nDois|110|3\r\nTres|120|2\r\n");
  Scenario scenario(
      Join({{TypeChar(1000, 'p'), TypeChar(2000, 'l'), TypeChar(4000, 27), TypeChar(5000, 'r')},
            Answer(6000, "200"),
            Answer(7500, "10"),
            Answer(9000, "1"),
            {TypeChar(11000, 'p'), TypeChar(16000, 27), TypeChar(17100, 's')}}),
      500);
  EXPECT_EQ(scenario.Run(), 0);
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("ESC sai\n3, Tres, 120, bin\xE1rio\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("2, Dois, 110, tern\xE1rio\nTreino de andamento desligado\n"),
            std::string::npos)
      << screen;
  const auto& onsets = scenario.Onsets();
  ASSERT_GE(onsets.size(), 2u);
  EXPECT_TRUE(IsBeatInterval(onsets.back().frame - onsets[onsets.size() - 2].frame, 110));
}

// A list that cannot be written says so with the change, in one message, and keeps its file.
TEST(SetList, AFileOverItsLimitIsToldAndAnAddedSongIsNotWritten) {
  TempDataRoot data;
  std::ofstream(data.ConfigDir() + "/AUDIRA.INI") << "[CADENCIO]\nBPM=100\nCOMPASSO=Q\n";
  const std::string big = "Um|100|4\r\n#" + std::string(app::kMaxSetListFileBytes, 'x') + "\r\n";
  WriteBytes(data.ConfigDir() + "/REPERTORIO.TXT", big);
  Scenario scenario(Join({{TypeChar(1000, 'l'), TypeChar(6000, '+')},
                          Answer(7000, "Nova"),
                          {TypeChar(10000, 27), TypeChar(11000, 27), TypeChar(12100, 's')}}),
                    500);
  EXPECT_EQ(scenario.Run(), 0);
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("Repert\xF3rio com mais de 1 megabyte"), std::string::npos) << screen;
  EXPECT_NE(screen.find("M\xFAsica acrescentada, mas o repert\xF3rio n\xE3o foi gravado\n2, Nova"),
            std::string::npos)
      << screen;
  EXPECT_EQ(screen.find("M\xFAsica acrescentada\n"), std::string::npos);
  EXPECT_EQ(ReadBytes(data.ConfigDir() + "/REPERTORIO.TXT"), big);
}

TEST(SetList, ABrokenFileKeepsItsValidSongsAndLosesNothingWhenWritten) {
  TempDataRoot data;
  std::ofstream(data.ConfigDir() + "/AUDIRA.INI") << "[CADENCIO]\nBPM=90\nCOMPASSO=T\n";
  const std::string broken = "Boa|90|3\r\nSem tempo||4\r\nRapida|900|4\r\n" +
                             std::string(5000, 'x') + "|100|4\r\n\x01\xfe\x7f\r\n";
  WriteBytes(data.ConfigDir() + "/REPERTORIO.TXT", broken);
  Scenario scenario(
      Join({{TypeChar(1000, 'l'), PressKey(3000, base::vk::kHome), TypeChar(4500, '+')},
            Answer(5500, "Nova"),
            {TypeChar(8000, 27), TypeChar(9000, 27), TypeChar(10100, 's')}}),
      500);
  EXPECT_EQ(scenario.Run(), 0);
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("M\xFAsicas ignoradas no repert\xF3rio: 4\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("1, Boa, 90, tern\xE1rio\n"), std::string::npos) << screen;
  const std::string file = ReadBytes(data.ConfigDir() + "/REPERTORIO.TXT");
  EXPECT_NE(file.find("Sem tempo||4\r\nRapida|900|4\r\n" + std::string(5000, 'x') +
                      "|100|4\r\n\x01\xfe\x7f\r\nNova|90|3|422|1\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace cadencio::testing
