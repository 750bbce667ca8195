// Stored defaults: F2 and its answers, the file written byte for byte, and the next start that
// asks nothing.
#include "app/settings_store.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/keys.hpp"
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

TEST(SettingsWords, SoundNames) {
  EXPECT_EQ(app::SoundName("c:\\sonaud\\som\\cadencio\\efeitos\\padrao1.wav"), "padrao1");
  EXPECT_EQ(app::SoundName("PRATO.WAV"), "PRATO");
  EXPECT_EQ(app::SoundName("c:\\x\\ab"), "");
}

}  // namespace
}  // namespace cadencio::testing
