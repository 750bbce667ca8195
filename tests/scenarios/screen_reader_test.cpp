// The screen-reader mode on the whole program: the main loop, the tuning fork, the tuner and
// the screen review run from one key script. Everything the usual mode says appears in the
// terminal's plain lines, the texts only said there come as lines of their own, and the only
// sounds are the beat, the fork's tones, beeps and clicks.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "app/count_words.hpp"
#include "audio/audio_input.hpp"
#include "base/keys.hpp"
#include "base/windows1252.hpp"
#include "measures/detuned_note.hpp"
#include "support/scenario.hpp"

namespace cadencio::testing {
namespace {

namespace vk = base::vk;
using speech::SpeechEvent;
using Script = std::vector<frontends::ScriptedMessage>;

constexpr base::Clock::DateTime kTuesdayAfternoon = {2026, 12, 8, 2, 14, 5, 0, 0};

// One key (or keys) of the script and the line the screen reader must get for it; an empty
// line: the key's messages are checked against the usual mode only.
struct KeyRow {
  Script keys;
  std::string line;  // a line of the transcript begins with it
  const char* why;
  bool usual_too = true;  // false: a key that would take the next one as its answer there
};

std::vector<KeyRow> KeyTable() {
  auto key = [](int64_t at, int vk_code, bool ctrl = false) {
    return Script{PressKey(at, vk_code, ctrl)};
  };
  auto chr = [](int64_t at, uint8_t ch) { return Script{TypeChar(at, ch)}; };
  return {
      {key(100, vk::F(4), true), "Valem os ajustes do seu leitor de tela",
       "Ctrl+F4 in the tempo field only changes speech", false},
      {key(200, vk::F(8), true),
       "Ter\xE7"
       "a, 8 de dezembro de 2026",
       "the date after Ctrl+F8 in the field"},
      {TypeText(300, "120"), "Informe BPM, sugiro 60 : 120", "the typed tempo shows once"},
      {chr(400, 13), "", "Enter takes the tempo"},
      {chr(600, 'b'), "", "a binary measure"},
      {key(1500, vk::kUp), "121", "the tempo after Up is only said"},
      {key(2500, vk::F(8)), "14 horas e 5 minutos", "the time after F8 is only said"},
      {chr(3500, 'i'), "Contagem inicial ligada", "the count-in switch"},
      {chr(4000, ' '), "Valor BPM = 121 -- PAUSE ATIVADA", "the pause"},
      {chr(4500, ' '), "um", "the count-in's first word after the pause"},
      {{}, "dois", "its second word, on the second beat"},
      {key(7000, vk::F(4)), "Informe a nota desejada, F1 ajuda :", "the tuning fork"},
      {chr(7500, 'a'), "", "the A string sounds"},
      {chr(9000, 'r'), "Repeti\xE7\xE3o ligada", "repetition, a recording only"},
      {chr(9500, 'r'), "Repeti\xE7\xE3o desligada", "and off again"},
      {chr(10000, 'o'), "Afinador: toque uma corda, F1 ajuda", "the tuner listens"},
      {{}, "L\xE1, 1", "the tuner's answer: the sharp A string"},
      {chr(13500, 27), "OK, retornando ao diapas\xE3o", "back to the fork"},
      {chr(14000, 27), "OK, retornando ao metr\xF4nomo", "back to the metronome"},
      {key(14300, vk::F(2)), "", "store the defaults"},
      {chr(14600, 's'), "Deseja assumir esse modelo como padr\xE3o ? s", "the answer, once"},
      {{}, "OK, assumido", "stored"},
      {key(15000, vk::F(3)), "", "the screen review"},
      {chr(15500, 11), "24 1", "the review's position: the cursor's row, column 1"},
      {key(16000, vk::kUp), "OK, assumido", "the row above, read whole"},
      {key(16500, vk::kRight), "O", "the character at the review position"},
      {chr(17000, 27), "", "the review ends"},
      {chr(17500, 27), "Confirma o fim do programa ? s", "the end question and its answer"},
      {chr(18600, 's'), "Fim do programa", "farewell"},
  };
}

Script TableScript(bool usual) {
  Script script;
  for (const KeyRow& row : KeyTable()) {
    if (row.usual_too || !usual) script.insert(script.end(), row.keys.begin(), row.keys.end());
  }
  return script;
}

// The A string 12 cents sharp, 3 s after the microphone opens: the tuner's one answer.
std::vector<float> SharpA() {
  auto samples =
      tuning::ReadMonoWav(std::string(CADENCIO_DATA_ROOT) + "/som/cadencio/A.wav", nullptr);
  if (!samples) return {};
  auto detuned = tuning::Detune(*samples, 12);
  return tuning::AfterSilence(detuned, 44100, 500);
}

// Runs the table's script, in the screen-reader mode or the usual one.
void RunScript(Scenario& scenario) {
  const std::vector<float> sound = SharpA();
  scenario.Parts().open_capture = [&scenario, sound]() -> std::unique_ptr<audio::AudioInput> {
    return std::make_unique<audio::ScriptedAudioInput>(scenario.Clock(), sound, 44100);
  };
  EXPECT_EQ(scenario.Run(), 0);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool AskForTheMode(const TempDataRoot& data) {
  return static_cast<bool>(std::ofstream(data.ConfigDir() + "/AUDIRA.INI")
                           << "[CADENCIO]\nLEITORDETELA=S\n");
}

class ScreenReaderMode : public ::testing::Test {
 protected:
  void SetUp() override { RunScript(scenario_); }
  TempDataRoot data_;
  bool asked_ = AskForTheMode(data_);  // before the program's parts read the settings
  Scenario scenario_{TableScript(false), 500, kTuesdayAfternoon, /*plain_lines=*/true};
};

TEST_F(ScreenReaderMode, EveryKeyGetsItsLineInOrder) {
  const std::vector<std::string> lines = Lines(scenario_.Transcript());
  std::size_t at = 0;  // the rows' lines come in the table's order
  for (const KeyRow& row : KeyTable()) {
    if (row.line.empty()) continue;
    std::size_t found = at;
    while (found < lines.size() && !lines[found].starts_with(row.line)) ++found;
    ASSERT_LT(found, lines.size())
        << row.why << ": no line \"" << row.line << "\" after line " << at << "\n"
        << scenario_.Transcript();
    at = found + 1;
  }
}

TEST_F(ScreenReaderMode, EverythingTheUsualModeSaysIsWritten) {
  TempDataRoot usual_data;
  Scenario usual(TableScript(true), 500, kTuesdayAfternoon, /*plain_lines=*/true);
  RunScript(usual);
  ASSERT_FALSE(usual.Speech().WritesSpeech());
  // The count words are rendered all at once in the usual mode; the table checks those said.
  std::set<std::string> count_words;
  for (int n = 1; n <= app::kCountWords; ++n) count_words.insert(app::CountWordText(n));
  int checked = 0;
  for (const std::string& said : usual.Spoken(SpeechEvent::kText)) {
    const std::string_view text = base::TrimBlanks(said);
    if (text.empty() || count_words.contains(std::string(text))) continue;
    EXPECT_NE(scenario_.Transcript().find(text), std::string::npos) << "\"" << text << "\"";
    ++checked;
  }
  EXPECT_GT(checked, 20);
}

TEST_F(ScreenReaderMode, OnlyTheBeatTonesBeepsAndClicksSound) {
  EXPECT_TRUE(scenario_.Speech().WritesSpeech());
  for (const SpeechEvent& event : scenario_.Spoken()) {
    switch (event.kind) {
      case SpeechEvent::kText:  // handed over, and written
      case SpeechEvent::kBeep:
      case SpeechEvent::kClick:
        break;
      case SpeechEvent::kPrompt:  // the fork's own tone and its A string
        EXPECT_TRUE(event.detail == "CADIMU" || event.detail == "a") << event.detail;
        break;
      default:
        ADD_FAILURE() << "a sound of speech, kind " << event.kind << ": " << event.detail;
    }
  }
  EXPECT_FALSE(scenario_.Spoken(SpeechEvent::kBeep).empty());
  for (const BeatOnset& onset : scenario_.Onsets()) {
    EXPECT_TRUE(onset.sound == "padrao1.wav" || onset.sound == "padrao2.wav") << onset.sound;
  }
  EXPECT_GT(scenario_.CountOnsets("padrao1.wav"), 5);
}

TEST_F(ScreenReaderMode, StoringTheDefaultsKeepsTheMode) {
  ASSERT_TRUE(asked_);
  EXPECT_EQ(scenario_.Settings().ReadIniString("CADENCIO", "BPM"), "121");  // F2 stored
  EXPECT_TRUE(program::ScreenReaderSetting(scenario_.Settings()));
}

}  // namespace
}  // namespace cadencio::testing
