// The tuner's loop inside the tuning fork, on the headless console with virtual time and a
// recording as the capture device: what it says and when, the fine-tuning ticks, its help, the
// way back to the fork, and a missing microphone.
#include "app/tuner/tuner_dialog.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/tuner/fine_tuning.hpp"
#include "app/tuner/tuning_fork.hpp"
#include "base/keys.hpp"
#include "formats/wav_writer.hpp"
#include "measures/detuned_note.hpp"
#include "support/scenario.hpp"

namespace cadencio::testing {
namespace {

namespace vk = base::vk;
using speech::SpeechEvent;

constexpr int kRate = 44100;

// The A string 12 cents sharp, plucked `silence_ms` after the microphone opens.
std::vector<float> SharpA(int silence_ms) {
  auto samples =
      tuning::ReadMonoWav(std::string(CADENCIO_DATA_ROOT) + "/som/cadencio/A.wav", nullptr);
  if (!samples) return {};
  auto detuned = tuning::Detune(*samples, 12);
  tuning::AddNoise(detuned, 0.01);
  return tuning::AfterSilence(detuned, kRate, silence_ms);
}

struct ForkRun {
  int64_t opened_ms = -1;  // when the microphone was opened
};

// Runs the tuning fork once with `sound` as what the microphone hears (none: no microphone).
ForkRun RunFork(Scenario& scenario, const std::optional<std::vector<float>>& sound) {
  ForkRun run;
  scenario.RunDialog([&] {
    scenario.Speech().InitSpeech(3, "c:\\sonaud\\som\\cadencio\\");
    app::MetronomeState state;
    state.SpeechLevel = 3;
    app::TunerDevices devices{&scenario.Audio(), [&]() -> std::unique_ptr<audio::AudioInput> {
                                if (!sound) return nullptr;
                                run.opened_ms = scenario.Clock().NowMs();
                                return std::make_unique<audio::ScriptedAudioInput>(scenario.Clock(),
                                                                                   *sound, kRate);
                              }};
    app::RunTuningFork(scenario.Console(), scenario.Speech(), state, devices);
  });
  return run;
}

std::vector<const SpeechEvent*> Texts(const Scenario& scenario, const std::string& text) {
  std::vector<const SpeechEvent*> out;
  for (const auto& event : scenario.Spoken()) {
    if (event.kind == SpeechEvent::kText && event.detail == text) out.push_back(&event);
  }
  return out;
}

TEST(TunerDialog, SaysTheNoteOnceAfterHalfASecondAndReturnsToTheFork) {
  TempDataRoot data;
  Scenario scenario({TypeChar(100, 'o'), TypeChar(4000, 27), TypeChar(4500, 27)}, 500);
  const ForkRun run = RunFork(scenario, SharpA(500));
  ASSERT_GE(run.opened_ms, 100);
  const auto answers = Texts(scenario, "L\xE1, 12 acima");
  const auto near =
      Texts(scenario, "L\xE1, 11 acima").size() + Texts(scenario, "L\xE1, 13 acima").size();
  ASSERT_EQ(answers.size() + near, 1u) << scenario.Screen().Text();
  if (!answers.empty()) {
    // Plucked at opened + 500 ms (+ 20 ms of the file's lead-in); said about half a second on.
    const int64_t after_pluck = answers[0]->at_ms - run.opened_ms - 520;
    EXPECT_GE(after_pluck, 400);
    EXPECT_LE(after_pluck, 600);
  }
  EXPECT_TRUE(Texts(scenario, "Nenhuma nota").empty());
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("Afinador: toque uma corda, F1 ajuda\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("OK, retornando ao diapas\xE3o\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("OK, retornando ao metr\xF4nomo\n"), std::string::npos) << screen;
}

// A pluck that rings out during the 3 s introduction is answered once the introduction ends.
TEST(TunerDialog, APluckDuringTheIntroductionIsAnsweredAfterIt) {
  TempDataRoot data;
  formats::WriteWav16Mono(data.Root() + "/som/cadencio/CAOUVIR.wav",
                          std::vector<int16_t>(3 * 22050, 0), 22050);
  Scenario scenario({TypeChar(100, 'o'), TypeChar(5000, 27), TypeChar(5500, 27)}, 500);
  std::vector<float> pluck = SharpA(500);  // 500 ms after the tuner opens, 1 s of string
  pluck.resize(kRate * 3 / 2);
  const ForkRun run = RunFork(scenario, pluck);
  std::vector<const SpeechEvent*> answers;
  for (const auto* text : {"L\xE1, 11 acima", "L\xE1, 12 acima", "L\xE1, 13 acima"}) {
    for (const auto* event : Texts(scenario, text)) answers.push_back(event);
  }
  ASSERT_EQ(answers.size(), 1u) << scenario.Screen().Text();
  EXPECT_GE(answers[0]->at_ms, run.opened_ms + 3000);
  EXPECT_LE(answers[0]->at_ms, run.opened_ms + 3100);
}

TEST(TunerDialog, SaysAgainWhenTheStringMovesAndNotWhileItHolds) {
  TempDataRoot data;
  Scenario scenario({TypeChar(100, 'o'), TypeChar(5000, 27), TypeChar(5500, 27)}, 500);
  // +7 cents for 2 s, then turned to +12 for 2 s.
  const ForkRun run = RunFork(scenario, tuning::SteppedTone(110, {{7, 2}, {12, 2}}, kRate));
  const auto first = Texts(scenario, "L\xE1, 7 acima");
  const auto second = Texts(scenario, "L\xE1, 12 acima");
  ASSERT_EQ(first.size(), 1u) << scenario.Screen().Text();
  ASSERT_EQ(second.size(), 1u) << scenario.Screen().Text();
  const int64_t turned = run.opened_ms + 2000;
  EXPECT_LT(first[0]->at_ms, turned);
  EXPECT_GT(second[0]->at_ms, turned);
  EXPECT_LE(second[0]->at_ms, turned + 600);
}

TEST(TunerDialog, OAgainReturnsAndNoNoteIsSaidOnceAfterFiveSeconds) {
  TempDataRoot data;
  Scenario scenario({TypeChar(100, 'O'), TypeChar(12000, 'O'), TypeChar(12500, 27)}, 500);
  RunFork(scenario, std::vector<float>{});
  const auto no_note = Texts(scenario, "Nenhuma nota");
  ASSERT_EQ(no_note.size(), 1u);
  // Five seconds from the end of the opening message, which takes well under a second.
  EXPECT_GE(no_note[0]->at_ms, 100 + 5000);
  EXPECT_LT(no_note[0]->at_ms, 100 + 6000);
  EXPECT_EQ(Texts(scenario, "OK, retornando ao diapas\xE3o").size(), 1u);
}

TEST(TunerDialog, FineTuningTicksInsteadOfWords) {
  TempDataRoot data;
  Scenario scenario(
      {TypeChar(100, 'o'), TypeChar(200, 'f'), TypeChar(2500, 27), TypeChar(3000, 27)}, 500);
  RunFork(scenario, SharpA(300));
  EXPECT_EQ(Texts(scenario, "Afina\xE7\xE3o fina por toques").size(), 1u);
  for (const auto* text : {"L\xE1, 11 acima", "L\xE1, 12 acima", "L\xE1, 13 acima"}) {
    EXPECT_TRUE(Texts(scenario, text).empty()) << text;
  }
  // The string is sharp: high ticks, as far apart as 12 cents asks.
  std::vector<int64_t> ticks;
  for (const auto& onset : scenario.Onsets()) {
    if (onset.sound == "tick-sharp") ticks.push_back(onset.frame);
    EXPECT_NE(onset.sound, "tick-flat");
  }
  ASSERT_GE(ticks.size(), 4u);
  const int64_t expected = static_cast<int64_t>(app::TickIntervalMs(12)) * kRate / 1000;
  for (std::size_t i = 1; i < ticks.size(); ++i) {
    EXPECT_NEAR(ticks[i] - ticks[i - 1], expected, kRate / 100) << i;
  }
}

TEST(TunerDialog, HelpListsItsKeys) {
  TempDataRoot data;
  Scenario scenario(
      {TypeChar(100, 'o'), PressKey(300, base::vk::F(1)), TypeChar(3000, 27), TypeChar(3500, 27)},
      500);
  RunFork(scenario, std::vector<float>{});
  const std::string screen = scenario.Screen().Text();
  const std::string listing =
      "Diz a nota e quantos cents est\xE1 acima ou abaixo\n"
      "F -- afina\xE7\xE3o fina por toques, ou respostas faladas\n"
      "F1, ajuda\nESC ou O, retorna ao diapas\xE3o\n";
  EXPECT_NE(screen.find(listing), std::string::npos) << screen;
}

TEST(TunerDialog, NoMicrophoneIsSaidAndTheForkStaysOpen) {
  TempDataRoot data;
  Scenario scenario({TypeChar(100, 'o'), TypeChar(1000, 'a'), TypeChar(2000, 27)}, 500);
  RunFork(scenario, std::nullopt);
  EXPECT_EQ(Texts(scenario, "Nenhum microfone encontrado").size(), 1u);
  const auto prompts = scenario.Spoken(SpeechEvent::kPrompt);
  EXPECT_NE(std::find(prompts.begin(), prompts.end(), "a"), prompts.end());
}

}  // namespace
}  // namespace cadencio::testing
