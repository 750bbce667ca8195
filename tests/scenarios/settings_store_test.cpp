// Stored defaults: F2 and its answers, the file written byte for byte, and the next start that
// asks nothing.
#include "app/settings_store.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/keys.hpp"
#include "support/beat_frames.hpp"
#include "support/scenario.hpp"

namespace cadencio::testing {
namespace {

namespace vk = base::vk;
using Script = std::vector<frontends::ScriptedMessage>;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// Tempo and measure answers, F2 at 1 s with the given answer at 2.2 s, and the end at 4 s.
Script StoreWith(const std::string& tempo, uint8_t measure, uint8_t answer) {
  Script script = TypeText(100, tempo);
  script.push_back(TypeChar(200, 13));
  script.push_back(TypeChar(300, measure));
  script.push_back(PressKey(1000, base::vk::F(2)));
  script.push_back(TypeChar(2200, answer));
  script.push_back(TypeChar(4000, 27));
  script.push_back(TypeChar(5200, 's'));
  return script;
}

const char kOtherSettings[] =
    "; shared settings of the family\n"
    "[AUDIRA]\n"
    "PGMAUDIRA=c:\\sonaud\\\n"
    "\n"
    "[CADENCIO]\n"
    "DIRCADENCIO=c:\\sonaud\\som\\cadencio\\\n"
    "\n"
    "[TRADUTOR]\n"
    "VELOCIDADE=3\n";

TEST(StoreDefaults, YesWritesTheFourKeysInOrderAndKeepsTheRest) {
  TempDataRoot data;
  const std::string ini = data.ConfigDir() + "/AUDIRA.INI";
  WriteFile(ini, kOtherSettings);
  Scenario scenario(StoreWith("120", 't', 's'), 500);
  scenario.Run();
  EXPECT_EQ(ReadFile(ini),
            "; shared settings of the family\n"
            "[AUDIRA]\n"
            "PGMAUDIRA=c:\\sonaud\\\n"
            "\n"
            "[CADENCIO]\n"
            "DIRCADENCIO=c:\\sonaud\\som\\cadencio\\\n"
            "BPM=120\n"
            "COMPASSO=Tern\xE1rio\n"
            "SOMTEMPO=padrao1\n"
            "SOMCOMPASSO=padrao2\n"
            "\n"
            "[TRADUTOR]\n"
            "VELOCIDADE=3\n");
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("Deseja assumir esse modelo como padr\xE3o ? s\nOK, assumido\n"),
            std::string::npos)
      << screen;
}

TEST(StoreDefaults, AnythingButSLeavesTheFileAlone) {
  for (uint8_t answer : {uint8_t('n'), uint8_t(13), uint8_t('x')}) {
    TempDataRoot data;
    const std::string ini = data.ConfigDir() + "/AUDIRA.INI";
    WriteFile(ini, kOtherSettings);
    Scenario scenario(StoreWith("120", 't', answer), 500);
    scenario.Run();
    EXPECT_EQ(ReadFile(ini), kOtherSettings) << int(answer);
    EXPECT_NE(scenario.Screen().Text().find("Desistiu"), std::string::npos) << int(answer);
  }
}

// Stores a measure with F2 at 300 BPM, then starts again on the stored file; the second run's
// beat sounds, or null when the first did not store `stored`.
std::vector<BeatOnset> StoreAndRestart(uint8_t measure_key, const std::string& stored,
                                       std::string* second_screen = nullptr) {
  TempDataRoot data;
  const std::string ini = data.ConfigDir() + "/AUDIRA.INI";
  WriteFile(ini, kOtherSettings);
  {
    Scenario first(StoreWith("300", measure_key, 'S'), 500);
    first.Run();
    const std::string screen = first.Screen().Text();
    EXPECT_NE(screen.find("OK, assumido"), std::string::npos) << screen;
  }
  EXPECT_NE(ReadFile(ini).find("COMPASSO=" + stored + "\n"), std::string::npos) << ReadFile(ini);
  Scenario second({TypeChar(3000, 27), TypeChar(4200, 's')}, 500);
  second.Run();
  if (second_screen != nullptr) *second_screen = second.Screen().Text();
  return second.Onsets();
}

TEST(StoreDefaults, StoredSettingsAreUsedAtTheNextStart) {
  std::string screen;
  auto onsets = StoreAndRestart('q', "Quatern\xE1rio", &screen);
  EXPECT_EQ(screen.find("Informe BPM"), std::string::npos) << screen;
  ASSERT_GE(onsets.size(), 8u);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(onsets[i].sound, i % 4 == 0 ? "padrao1.wav" : "padrao2.wav") << i;
  }
  EXPECT_EQ(onsets[1].frame - onsets[0].frame, 8820);  // 300 BPM: 200 ms
}

// Every measure comes back as it was stored: 2, 3 and 4 as the words other programs read, the
// others as their digit (a word would have turned them into four beats).
TEST(StoreDefaults, EveryMeasureComesBackAfterTheNextStart) {
  struct Row {
    uint8_t key;
    const char* stored;
    int beats;  // beats per measure after the next start; 0 and 1 play the tempo sound only
  };
  // A measure of 0 plays as one of 1, and is stored so.
  const Row rows[] = {{'0', "1", 1},
                      {'1', "1", 1},
                      {'2', "Bin\xE1rio", 2},
                      {'3', "Tern\xE1rio", 3},
                      {'4', "Quatern\xE1rio", 4},
                      {'5', "5", 5},
                      {'6', "6", 6},
                      {'7', "7", 7},
                      {'8', "8", 8},
                      {'9', "9", 9}};
  for (const Row& row : rows) {
    auto onsets = StoreAndRestart(row.key, row.stored);
    ASSERT_GE(onsets.size(), 10u) << row.key;
    for (std::size_t i = 0; i < 10; ++i) {
      EXPECT_EQ(onsets[i].sound, i % row.beats == 0 ? "padrao1.wav" : "padrao2.wav")
          << "measure " << row.key << ", beat " << i;
    }
  }
}

TEST(StoreDefaults, ChosenSoundsAreStoredByName) {
  TempDataRoot data;
  data.WriteFile("som/cadencio/efeitos/TAMBOR.WAV",
                 ReadFile(data.Root() + "/som/cadencio/efeitos/padrao1.wav"));
  data.WriteFile("som/cadencio/efeitos/PRATO.WAV",
                 ReadFile(data.Root() + "/som/cadencio/efeitos/padrao2.wav"));
  const std::string ini = data.ConfigDir() + "/AUDIRA.INI";
  WriteFile(ini, "[CADENCIO]\nBPM=120\nCOMPASSO=Tern\xE1rio\nSOMTEMPO=tambor\nSOMCOMPASSO=prato\n");
  Scenario scenario({PressKey(1000, base::vk::F(2)), TypeChar(2200, 's'), TypeChar(4000, 27),
                     TypeChar(5200, 's')},
                    500);
  scenario.Run();
  // The names are taken from the paths as they were read, and the files found case-blind.
  EXPECT_EQ(ReadFile(ini),
            "[CADENCIO]\nBPM=120\nCOMPASSO=Tern\xE1rio\nSOMTEMPO=tambor\nSOMCOMPASSO=prato\n");
  ASSERT_FALSE(scenario.Onsets().empty());
  EXPECT_EQ(scenario.Onsets()[0].sound, "tambor.wav");
}

TEST(StoreDefaults, AnUnwritableDirectoryIsReportedAndNothingBreaks) {
  // Permissions do not stop root, so the configuration directory lies below a plain file.
  TempDataRoot data;
  const std::string blocked = data.ConfigDir() + "/not-a-directory";
  WriteFile(blocked, "x");
  setenv("AUDIRA_WINDIR", (blocked + "/audira").c_str(), 1);
  Scenario scenario(StoreWith("120", 't', 's'), 500);
  EXPECT_EQ(scenario.Run(), 0);
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("Erro: o modelo n\xE3o foi gravado"), std::string::npos) << screen;
  EXPECT_EQ(screen.find("OK, assumido"), std::string::npos);
}

// Stored values as a start takes them: what plays (tempo, beats per measure, the default in the
// place of a sound that cannot be played) and the one line said about a value not taken as it
// stands; and the file's line ends, which F2 keeps as it stores what plays.
TEST(StoredSettings, EachValueFormPlaysAndIsSaidAtStart) {
  const std::string invalid_measure = "Compasso inv\xE1lido: ", q = ", assumido quatern\xE1rio";
  const std::string at_300 = "[CADENCIO]\nBPM=300\nCOMPASSO=", binary = "\nCOMPASSO=B\n";
  struct Case {
    std::string ini;
    int bpm, beats;
    std::string said;  // empty: nothing about the values
  };
  const Case cases[] = {
      {at_300 + "Tern\xE1rio\n", 300, 3, ""},
      {at_300 + "t\n", 300, 3, ""},
      {at_300 + "7\n", 300, 7, ""},
      {at_300 + "0\n", 300, 1, ""},
      {at_300 + "10\n", 300, 4, invalid_measure + "10" + q},
      {at_300 + "16\n", 300, 4, invalid_measure + "16" + q},
      {at_300 + "-3\n", 300, 4, invalid_measure + "-3" + q},
      {at_300 + "Xis\n", 300, 4, invalid_measure + "Xis" + q},
      {"[CADENCIO]\nBPM=999999999999" + binary, 500, 2, "M\xE1ximo 500 BPM"},
      {"[CADENCIO]\nBPM=501" + binary, 500, 2, "M\xE1ximo 500 BPM"},
      {"[CADENCIO]\nBPM=0" + binary, 60, 2, "Valor inv\xE1lido, assumido 60"},
      {at_300 + "B\nSOMTEMPO=sumiu\n", 300, 2,
       "Som sumiu.wav n\xE3o p\xF4"
       "de ser lido: arquivo n\xE3o encontrado"},
      {"[CADENCIO]\rBPM=300\rCOMPASSO=T\r", 300, 3, ""},
      {"[CADENCIO]\r\nBPM=300\r\nCOMPASSO=T\r\n", 300, 3, ""},
  };
  for (const Case& c : cases) {
    TempDataRoot data;
    const std::string ini = data.ConfigDir() + "/AUDIRA.INI";
    WriteFile(ini, c.ini);
    Scenario scenario({PressKey(2500, base::vk::F(2)), TypeChar(3700, 's'), TypeChar(5000, 27),
                       TypeChar(6200, 's')},
                      500);
    scenario.Run();
    const auto& onsets = scenario.Onsets();
    ASSERT_GT(onsets.size(), 3u) << c.ini;
    EXPECT_TRUE(IsBeatInterval(onsets[1].frame - onsets[0].frame, c.bpm)) << c.ini;
    std::size_t next_first = 1;
    while (next_first < onsets.size() && onsets[next_first].sound != "padrao1.wav") ++next_first;
    EXPECT_EQ(static_cast<int>(next_first), c.beats) << c.ini;
    const std::string screen = scenario.Screen().Text();
    for (const std::string& notice : {invalid_measure, std::string("M\xE1ximo"),
                                      std::string("Valor inv"), std::string("Som ")}) {
      EXPECT_EQ(screen.find(notice) != std::string::npos, c.said.starts_with(notice))
          << c.ini << screen;
    }
    if (!c.said.empty()) {
      EXPECT_NE(screen.find(c.said + "\n"), std::string::npos) << screen;
    }
    // F2 writes in the file's own line ends, into its one section.
    const std::string eol = c.ini.substr(10, c.ini.find("BPM") - 10);
    const std::string stored = ReadFile(ini);
    EXPECT_NE(stored.find("BPM=" + std::to_string(c.bpm) + eol), std::string::npos) << stored;
    EXPECT_NE(stored.find("SOMTEMPO=padrao1" + eol), std::string::npos) << stored;
    EXPECT_EQ(stored.find("[CADENCIO]", 1), std::string::npos) << stored;
  }
}

TEST(SettingsWords, SoundNames) {
  EXPECT_EQ(app::SoundName("c:\\sonaud\\som\\cadencio\\efeitos\\padrao1.wav"), "padrao1");
  EXPECT_EQ(app::SoundName("PRATO.WAV"), "PRATO");
  EXPECT_EQ(app::SoundName("c:\\x\\ab"), "");
}

}  // namespace
}  // namespace cadencio::testing
