// What the metronome tells the front end beside the screen: each run of the beat, whose
// schedule puts every beat number on the frame its sound starts at, and the messages that
// are only spoken.
#include <gtest/gtest.h>

#include "base/keys.hpp"
#include "support/scenario.hpp"

namespace cadencio::testing {
namespace {

using Script = std::vector<frontends::ScriptedMessage>;

TEST(StatusBand, TheRunPutsEachBeatNumberOnItsSound) {
  struct Case {
    std::string tempo;
    uint8_t measure_key;
    Script keys;
    int beats;            // beats per measure
    std::string measure;  // as shown
    const char* why;
  };
  const Case cases[] = {
      {"300", 'T', {}, 3, "Tern\xE1rio", "one run from the start"},
      {"317", '5', {}, 5, "5 tempos", "a tempo whose beat is no whole number of frames"},
      {"120", 'q', {TypeChar(1300, 'x')}, 4, "Quatern\xE1rio", "a key starts a new run"},
      {"120", 'b', {PressKey(1300, base::vk::kUp)}, 2, "Bin\xE1rio", "Up: a run at 121"},
  };
  for (const Case& c : cases) {
    TempDataRoot data;
    Scenario scenario(Session(c.tempo, c.measure_key, c.keys, 3600), 500);
    scenario.Run();
    const frontends::BeatRun& run = scenario.Screen().Beat();
    ASSERT_TRUE(run.sounding && run.beat_frame != nullptr) << c.why;
    EXPECT_EQ(run.measure, c.measure) << c.why;
    EXPECT_EQ(run.rate, scenario.SampleRate()) << c.why;
    // The last run is the one the program was playing when Esc came: every beat sound of it
    // starts exactly where the run's beat starts, with the number its sound says.
    int checked = 0;
    for (const BeatOnset& onset : scenario.Onsets()) {
      if (onset.frame < run.start_frame || onset.frame >= run.end_frame) continue;
      const frontends::BeatMoment moment = frontends::BeatAt(run, onset.frame);
      EXPECT_EQ(moment.onset, onset.frame) << c.why;
      EXPECT_EQ(moment.number == 1, onset.sound == "padrao1.wav")
          << c.why << ": beat " << moment.number << " at frame " << onset.frame;
      EXPECT_NE(frontends::BeatAt(run, onset.frame - 1).number, moment.number) << c.why;
      ++checked;
    }
    EXPECT_GE(checked, 3) << c.why;
    EXPECT_LT(run.end_frame, frontends::kNoFrame) << c.why << ": Esc ends the run";
    // What is heard lies behind what is rendered by the limiter's lookahead.
    EXPECT_EQ(run.heard_frame(), scenario.Audio().GetMixer().FramesRendered() -
                                     scenario.Audio().GetMixer().LookaheadFrames())
        << c.why;
  }
  TempDataRoot data;
  Scenario up(Session("120", 'b', {PressKey(1300, base::vk::kUp)}, 3600), 500);
  up.Run();
  EXPECT_EQ(up.Screen().Beat().tempo, "121 BPM");
}

TEST(StatusBand, ShowsWhatIsOnlySpoken) {
  struct Case {
    std::string tempo;
    Script keys;
    std::string shown;
  };
  const Case cases[] = {
      {"60", {PressKey(700, base::vk::kUp)}, "61 BPM"},
      {"499", {PressKey(700, base::vk::kPrior)}, "500 BPM, m\xE1ximo"},
      {"60", {PressKey(700, base::vk::kDown), PressKey(900, base::vk::kDown)}, "58 BPM"},
      {"60", {TypeChar(700, 9)}, "Batida silenciada"},
      {"60", {TypeChar(700, 9), TypeChar(1500, 9)}, "Batida retomada"},
      {"60", {PressKey(700, base::vk::F(8))}, "10:30"},
      {"60", {PressKey(700, base::vk::F(4)), TypeChar(2500, 'a')}, "nota LA"},
      {"60", {PressKey(700, base::vk::F(4)), TypeChar(2500, ' ')}, "todas as cordas"},
      {"60", {PressKey(700, base::vk::F(4)), TypeChar(2500, 'r')}, "Repeti\xE7\xE3o ligada"},
  };
  for (const Case& c : cases) {
    TempDataRoot data;
    Script keys = c.keys;
    const bool fork = keys.front().message.key == base::vk::F(4);
    if (fork) keys.push_back(TypeChar(5000, 27));  // back from the tuning fork
    Scenario scenario(Session(c.tempo, 'q', keys, fork ? 8000 : 4000), 500);
    scenario.Run();
    EXPECT_EQ(scenario.Screen().Spoken(), c.shown) << c.shown;
    // Only spoken: the screen does not have it.
    EXPECT_EQ(scenario.Screen().Text().find(c.shown), std::string::npos) << c.shown;
  }
}

}  // namespace
}  // namespace cadencio::testing
