// Every voice whose sound passes through the program, with the shipped data and configuration,
// one row per voice: it speaks at the level of the others at the slowest and the fastest speed,
// and it ends the program's yes/no question above the same words said as a statement.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lib/spoken_corpus.hpp"
#include "measures/voice_measures.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::testing {
namespace {

constexpr const char* kVoices[] = {"recorded", "espeak", "sivra"};

// Catalogue messages with numbers, key names and a question, as the program says them.
const std::vector<std::string> kMessages = {
    "Andamento 120 BPM, compasso 4",
    "Setas, cima e baixo, acresce ou decresce valor em 1 BPM",
    "PGUP ou PGDOWN, acresce ou decresce valor em 10 BPM",
    "Confirma o fim do programa ? ",
    "Desistiu",
    "Tecle F2 para gravar o modelo",
};

// The level of the messages said by a voice at a speed.
double LevelOf(const std::string& voice_name, int speed) {
  const say::VoiceChoice* voice = say::FindVoice(voice_name);
  const say::ShippedConfig config(voice);
  EXPECT_TRUE(config.Error().empty()) << config.Error();
  const say::SpokenTake take =
      say::SpeakTexts(config.DataRoot(), speed, kMessages, {}, voice->IsEngine());
  EXPECT_GE(take.speaking_ms, 0) << voice_name << ": " << take.error;
  return bench::SpeechLevelDb(take.samples, say::kCaptureRate);
}

// The pitch of the last 100 ms of voiced sound of a text's words said by a voice.
double EndPitchOf(const std::string& voice_name, const std::string& text) {
  const say::VoiceChoice* voice = say::FindVoice(voice_name);
  const say::ShippedConfig config(voice);
  const std::vector<int16_t> said =
      say::SpeakWordsOfText(config.DataRoot(), 3, text, voice->IsEngine());
  EXPECT_FALSE(said.empty()) << voice_name;
  return bench::VoicedPitchHz(said, say::kCaptureRate, true, 100);
}

class SpeechVoices : public ::testing::Test {
 protected:
  ScopedEnv root_{"SONAUD_ROOT", CADENCIO_DATA_ROOT};
  ScopedEnv config_{"AUDIRA_WINDIR", std::nullopt};
};

TEST_F(SpeechVoices, EveryVoiceSpeaksAtOneLevelAtEverySpeed) {
  const double reference = LevelOf("recorded", 3);
  for (const char* voice : kVoices) {
    for (int speed : {1, 5}) {
      EXPECT_NEAR(LevelOf(voice, speed), reference, 1.0) << voice << " at speed " << speed;
    }
  }
}

TEST_F(SpeechVoices, EveryVoiceEndsAYesNoQuestionHigherThanAStatement) {
  for (const char* voice : kVoices) {
    const double statement = EndPitchOf(voice, "Confirma o fim do programa.");
    const double question = EndPitchOf(voice, "Confirma o fim do programa ? ");
    EXPECT_GE(bench::Semitones(statement, question), 2.0)
        << voice << ": statement " << statement << " Hz, question " << question << " Hz";
  }
}

}  // namespace
}  // namespace cadencio::testing
