// The screen-reader mode on the whole program: the main loop, the tuning fork, the tuner and the
// screen review from one key script. The terminal's plain lines hold everything the usual mode
// says, and the only sounds are the beat, the fork's tones, beeps and clicks.
#include <gtest/gtest.h>

#include <fstream>

#include "app/count_words.hpp"
#include "base/keys.hpp"
#include "base/windows1252.hpp"
#include "measures/detuned_note.hpp"
#include "support/scenario.hpp"

namespace cadencio::testing {
namespace {

namespace vk = base::vk;
using speech::SpeechEvent;
using Script = std::vector<frontends::ScriptedMessage>;

// A key of the script and the start of the line it gives ("": none checked); `usual` false: a
// key that takes the next key as its answer in the usual mode.
struct KeyRow {
  frontends::ScriptedMessage key;
  std::string line;
  bool usual = true;
};

const KeyRow kKeys[] = {
    {PressKey(100, vk::F(4), true), "Valem os ajustes do seu leitor de tela", false},
    {PressKey(200, vk::F(8), true),
     "Ter\xE7"
     "a, 8 de dezembro de 2026"},  // the date
    {TypeChar(300, '9'), ""},
    {TypeChar(310, '9'), ""},
    {TypeChar(400, 13), ""},
    {TypeChar(600, 'b'), "Pressione : B - bin\xE1rio"},
    {PressKey(1500, vk::kUp), "100"},  // the tempo after Up, only said
    {PressKey(2500, vk::F(8)), "14 horas e 5 minutos"},
    {TypeChar(3500, 'i'), "Contagem inicial ligada"},
    {TypeChar(3700, 'c'), "Contagem ligada"},
    {TypeChar(4000, ' '), "Valor BPM = 100 -- PAUSE ATIVADA"},
    {TypeChar(4500, ' '), "um, dois"},  // the count-in's words, once
    {PressKey(7000, vk::F(4)), "Informe a nota desejada, F1 ajuda :"},
    {TypeChar(7500, 'a'), ""},
    {TypeChar(9000, 'r'), "Repeti\xE7\xE3o ligada"},
    {TypeChar(9500, 'r'), "Repeti\xE7\xE3o desligada"},
    {TypeChar(10000, 'o'), "Afinador: toque uma corda"},
    {{}, "L\xE1, 1"},
    {TypeChar(13500, 27), "OK, retornando ao diapas\xE3o"},
    {TypeChar(14000, 27), ""},
    {PressKey(14300, vk::F(2)), ""},
    {TypeChar(14600, 's'), "Deseja assumir esse modelo"},
    {PressKey(15000, vk::F(3)), "OK, assumido"},
    {TypeChar(15500, 11), "25 1"},  // review
    {PressKey(16000, vk::kUp), "OK, assumido"},
    {PressKey(16500, vk::kRight), "O"},
    {TypeChar(17000, 27), ""},
    {TypeChar(17500, 27), "Confirma o fim do programa ? s"},
    {TypeChar(18600, 's'), "Fim do programa"},
};

// Runs the table's keys (the usual mode's, or all) with a sharp A string at the microphone.
void RunKeys(Scenario& scenario, bool usual) {
  auto sound =
      tuning::ReadMonoWav(std::string(CADENCIO_DATA_ROOT) + "/som/cadencio/A.wav", nullptr);
  ASSERT_TRUE(sound);
  scenario.Parts().open_capture =
      [&scenario, a = tuning::AfterSilence(tuning::Detune(*sound, 12), 44100, 500)] {
        return std::make_unique<audio::ScriptedAudioInput>(scenario.Clock(), a, 44100);
      };
  EXPECT_EQ(scenario.Run(), 0);
  EXPECT_EQ(scenario.Speech().WritesSpeech(), !usual);
}

Script Keys(bool usual) {
  Script script;
  for (const KeyRow& row : kKeys) {
    if ((!usual || row.usual) && row.key.message.key != 0) script.push_back(row.key);
  }
  return script;
}

TEST(ScreenReaderMode, WritesWhatTheUsualModeSaysAndPlaysNoSpeech) {
  constexpr base::Clock::DateTime kTuesday = {2026, 12, 8, 2, 14, 5, 0, 0};
  TempDataRoot data;
  std::ofstream(data.ConfigDir() + "/AUDIRA.INI") << "[CADENCIO]\nLEITORDETELA=S\n";
  Scenario reader(Keys(false), 500, kTuesday, /*plain_lines=*/true);
  RunKeys(reader, false);
  const std::string& lines = reader.Transcript();
  std::size_t at = 0;  // each key's line comes after the one before
  for (const KeyRow& row : kKeys) {
    if (row.line.empty()) continue;
    at = lines.find("\n" + row.line, at);
    ASSERT_NE(at, std::string::npos) << "no line \"" << row.line << "\" in order:\n" << lines;
    ++at;
  }
  // The count words sound with the beat and write nothing of their own.
  for (int n = 1; n <= app::kCountWords; ++n) {
    const std::string alone = std::string("\n") + app::CountWordText(n) + "\n";
    EXPECT_EQ(lines.find(alone), std::string::npos) << app::CountWordText(n) << " written alone:\n"
                                                    << lines;
  }
  EXPECT_TRUE(program::ScreenReaderSetting(reader.Settings())) << "F2 keeps the mode";
  for (const SpeechEvent& event : reader.Spoken()) {
    const bool sound =
        event.kind == SpeechEvent::kText || event.kind == SpeechEvent::kBeep ||
        event.kind == SpeechEvent::kClick ||
        (event.kind == SpeechEvent::kPrompt && (event.detail == "CADIMU" || event.detail == "a"));
    EXPECT_TRUE(sound) << "speech played, kind " << event.kind << ": " << event.detail;
  }
  for (const BeatOnset& onset : reader.Onsets()) EXPECT_TRUE(onset.sound.starts_with("padrao"));

  TempDataRoot usual_data;
  Scenario usual(Keys(true), 500, kTuesday);
  RunKeys(usual, true);
  for (const std::string& said : usual.Spoken(SpeechEvent::kText)) {
    const std::string text(base::TrimBlanks(said));
    bool count_word = false;  // rendered all at once; the table checks the words said
    for (int n = 1; n <= app::kCountWords; ++n) count_word |= text == app::CountWordText(n);
    EXPECT_TRUE(count_word || lines.find(text) != std::string::npos) << "\"" << text << "\"";
  }
}

}  // namespace
}  // namespace cadencio::testing
