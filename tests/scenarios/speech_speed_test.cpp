// The speech speed levels with every voice whose sound passes through the program: one sentence
// spoken at speeds 1, 3 and 5 with the shipped settings, timed in the captured stream.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "files/profile_file.hpp"
#include "program/capture_rig.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::testing {
namespace {

constexpr int kRate = 44100;

// Seconds from the first to the last frame above 1% of full scale.
double SoundingSeconds(const std::vector<float>& stereo) {
  std::size_t first = 0, last = 0;
  bool any = false;
  for (std::size_t f = 0; f < stereo.size() / 2; ++f) {
    if (std::fabs(stereo[2 * f]) <= 0.01f) continue;
    if (!any) first = f;
    any = true;
    last = f;
  }
  return any ? static_cast<double>(last - first + 1) / kRate : 0;
}

// The sentence spoken at `speed` with the shipped settings and the voice of `sapi` and `kind`.
double SpokenSeconds(const char* sapi, const char* kind, int speed) {
  ScratchDir config;
  ScopedEnv root("SONAUD_ROOT", CADENCIO_DATA_ROOT);
  ScopedEnv windir("AUDIRA_WINDIR", config.path());
  const std::string ini = config / "AUDIRA.INI";
  std::filesystem::copy_file(CADENCIO_SOURCE_DIR "/data/AUDIRA.INI", ini);
  files::ProfileFile::WriteString(ini, "TRADUTOR", "SAPI", sapi);
  files::ProfileFile::WriteString(ini, "SERVFALA", "TIPOSAPI", kind);
  program::CaptureRig rig(config.path(), {}, nullptr, kRate);
  rig.speech.InitSpeech(speed, "");
  EXPECT_EQ(rig.speech.EngineActive(), sapi[0] == 'S') << kind;
  rig.speech.SpeakText("Os m\xFAsicos estudam devagar e aumentam a velocidade aos poucos.");
  while (rig.speech.SpeechBusy()) rig.console.WaitMessage();
  return SoundingSeconds(rig.audio.Stream());
}

TEST(SpeechSpeed, EveryVoiceSpeaksSpeedFiveAtLeast2Point2TimesAsFastAsSpeedOne) {
  struct Case {
    const char* sapi;
    const char* kind;
    const char* why;
  };
  const Case cases[] = {
      {"N", "4", "recorded voice"}, {"S", "4", "espeak-ng"}, {"S", "3", "built-in TTS"}};
  for (const Case& c : cases) {
    const double slow = SpokenSeconds(c.sapi, c.kind, 1);
    const double normal = SpokenSeconds(c.sapi, c.kind, 3);
    const double fast = SpokenSeconds(c.sapi, c.kind, 5);
    ASSERT_GT(fast, 0) << c.why;
    EXPECT_GT(slow, normal) << c.why;
    EXPECT_GT(normal, fast) << c.why;
    EXPECT_GE(slow / fast, 2.2) << c.why << ": " << slow << " s at speed 1, " << fast << " s at 5";
  }
}

}  // namespace
}  // namespace cadencio::testing
