// The tuning fork on the headless console: notes played once or repeated every half second
// until a key, switching notes while repeating, the repeat switch, invalid keys, the extended
// keys that act as letters, the help listing and the way back to the metronome.
#include "app/tuner/tuning_fork.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/keys.hpp"
#include "support/scenario.hpp"

namespace cadencio::testing {
namespace {

namespace vk = base::vk;
using Script = std::vector<frontends::ScriptedMessage>;
using speech::SpeechEvent;

const std::string kInvalid = "Op\xE7\xE3o inv\xE1lida, aperte F1 para ajuda";
const std::string kBack = "OK, retornando ao metr\xF4nomo";

// Runs the tuning fork `visits` times (each left with Esc) on the script.
void RunFork(Scenario& scenario, int visits = 1) {
  scenario.RunDialog([&] {
    scenario.Speech().InitSpeech(3, "c:\\sonaud\\som\\cadencio\\");
    app::MetronomeState state;
    state.SpeechLevel = 3;
    for (int i = 0; i < visits; ++i)
      app::RunTuningFork(scenario.Console(), scenario.Speech(), state);
  });
}

std::vector<const SpeechEvent*> Prompts(const Scenario& scenario, const std::string& name) {
  std::vector<const SpeechEvent*> out;
  for (const auto& event : scenario.Spoken()) {
    if (event.kind == SpeechEvent::kPrompt && event.detail == name) out.push_back(&event);
  }
  return out;
}

int CountText(const Scenario& scenario, const std::string& text) {
  auto texts = scenario.Spoken(SpeechEvent::kText);
  return static_cast<int>(std::count(texts.begin(), texts.end(), text));
}

TEST(TuningFork, OpensWithTheForkAndPlaysANoteOnce) {
  TempDataRoot data;
  Scenario scenario({TypeChar(100, 'A'), TypeChar(1500, 27)}, 1000);
  RunFork(scenario);
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kPrompt), (std::vector<std::string>{"CADIMU", "A"}));
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("Informe a nota desejada, F1 ajuda :\n\n" + kBack + "\n"),
            std::string::npos)
      << screen;
  EXPECT_EQ(CountText(scenario, kInvalid), 0);  // Esc is not an invalid key
}

TEST(TuningFork, RepetitionRestartsEveryHalfSecondUntilAKey) {
  TempDataRoot data;
  Scenario scenario({TypeChar(100, 'r'), TypeChar(200, 'a'), TypeChar(2300, 27)}, 1000);
  RunFork(scenario);
  ASSERT_EQ(Prompts(scenario, "CAREP").size(), 1u);
  const auto notes = Prompts(scenario, "a");  // the name as typed; its file is found either case
  // Played at about 200, 700, 1200, 1700 and 2200 ms; Esc at 2300 stops it after that wait.
  ASSERT_EQ(notes.size(), 5u);
  for (std::size_t i = 1; i < notes.size(); ++i) {
    const int64_t gap = notes[i]->at_ms - notes[i - 1]->at_ms;
    EXPECT_GE(gap, 500) << i;
    EXPECT_LT(gap, 520) << i;
  }
  EXPECT_EQ(CountText(scenario, kBack), 1);
}

TEST(TuningFork, AnotherLetterSwitchesTheRepeatedNote) {
  TempDataRoot data;
  Scenario scenario(
      {TypeChar(100, 'R'), TypeChar(200, 'A'), TypeChar(1300, 'E'), TypeChar(2900, 27)}, 1000);
  RunFork(scenario);
  const auto a = Prompts(scenario, "A");
  const auto e = Prompts(scenario, "E");
  ASSERT_EQ(a.size(), 3u);  // 200, 700, 1200; E at 1300 is seen after the wait
  ASSERT_EQ(e.size(), 3u);  // about 1700, 2200, 2700
  EXPECT_GT(e.front()->at_ms, a.back()->at_ms);
  EXPECT_GE(e.front()->at_ms - a.back()->at_ms, 500);
}

TEST(TuningFork, RTwiceSwitchesRepetitionOffAndANewVisitStartsWithoutIt) {
  TempDataRoot data;
  Scenario scenario({TypeChar(100, 'r'), TypeChar(200, 'r'), TypeChar(300, 'd'),
                     TypeChar(1300, 27),                        // first visit
                     TypeChar(2000, 'r'), TypeChar(2100, 27),   // second: on, then leave
                     TypeChar(3000, 'g'), TypeChar(4500, 27)},  // third: plays once
                    1000);
  RunFork(scenario, 3);
  const std::vector<std::string> expected = {"CADIMU", "CAREP", "CANAOREP", "d",
                                             "CADIMU", "CAREP", "CADIMU",   "g"};
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kPrompt), expected);
  EXPECT_EQ(CountText(scenario, kBack), 3);
}

TEST(TuningFork, SpacePlaysAllStringsAndExtendedKeysActAsTheirCodes) {
  TempDataRoot data;
  Scenario scenario({TypeChar(100, ' '), PressKey(200, base::vk::kHome),  // 71 = 'G'
                     PressKey(300, base::vk::kInsert),                    // 82 = 'R'
                     PressKey(400, base::vk::kInsert), TypeChar(500, 'm'), TypeChar(600, 's'),
                     TypeChar(700, 'x'), TypeChar(800, 'b'), TypeChar(1500, 27)},
                    1000);
  RunFork(scenario);
  const std::vector<std::string> expected = {"CADIMU", "T", "G", "CAREP", "CANAOREP",
                                             "m",      "s", "x", "b"};
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kPrompt), expected);
}

TEST(TuningFork, InvalidKeysAreSaidAndTheForkStaysOpen) {
  TempDataRoot data;
  Scenario scenario({TypeChar(100, 'Q'), TypeChar(200, 'h'), TypeChar(300, '5'),
                     PressKey(400, base::vk::kUp),  // 72 = 'H'
                     TypeChar(500, 'a'), TypeChar(1500, 27)},
                    1000);
  RunFork(scenario);
  EXPECT_EQ(CountText(scenario, kInvalid), 4);
  EXPECT_EQ(Prompts(scenario, "a").size(), 1u);
  EXPECT_EQ(CountText(scenario, kBack), 1);
}

TEST(TuningFork, HelpListsTheKeys) {
  TempDataRoot data;
  Scenario scenario({PressKey(100, base::vk::F(1)), TypeChar(3000, ';'), TypeChar(6000, 27)}, 1000);
  RunFork(scenario);
  const std::string screen = scenario.Screen().Text();
  const std::string listing =
      "\nOp\xE7\xF5"
      "es nas teclas :\n\n"
      "A -- nota LA\nB -- nota SI\nD -- nota R\xC9\nE -- nota MI\nG -- nota SOL\n"
      "X -- nota MI (oitavada)\nM -- acorde MI maior\nS -- acorde SOL maior\n"
      "Barra de espa\xE7o -- todas as cordas\nR -- ativa a\xE7\xE3o repetida\n"
      "O -- afinador, ouve a corda tocada\n"
      "ESC, retorna ao metr\xF4nomo\n\nQual sua op\xE7\xE3o ?\n\n";
  EXPECT_NE(screen.find(listing), std::string::npos) << screen;
  EXPECT_EQ(CountText(scenario, "Qual sua op\xE7\xE3o ? "), 2);  // F1 and a typed ';'
}

}  // namespace
}  // namespace cadencio::testing
