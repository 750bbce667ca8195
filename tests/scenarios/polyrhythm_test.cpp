// Polyrhythms and feels through the whole program: the rhythm typed after j and the swing of w
// heard on their frames on the capture output, stored by F2 and played again at the next start.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "base/keys.hpp"
#include "support/scenario.hpp"

namespace cadencio::testing {
namespace {

constexpr char kLayerSound[] = "padrao1.wav:camada7";

// The frames of the onsets of the named sounds from `from_ms` to `to_ms`: one run of the beat.
std::vector<int64_t> FramesOf(const Scenario& scenario, std::initializer_list<const char*> names,
                              int64_t from_ms, int64_t to_ms) {
  std::vector<int64_t> frames;
  for (const auto& onset : scenario.Onsets()) {
    const bool named = std::find(names.begin(), names.end(), onset.sound) != names.end();
    if (named && onset.frame >= from_ms * 441 / 10 && onset.frame < to_ms * 441 / 10) {
      frames.push_back(onset.frame);
    }
  }
  return frames;
}

// At 120 BPM three against two divides each measure of 44100 frames into notes 14700 apart, the
// first on the measure's first beat; the light swing puts the second note of each beat 7/12 of
// 22050 frames after it (12862.5, rounded up).
void ExpectThreeAgainstTwoInLightSwing(const Scenario& scenario, int64_t from_ms, int64_t to_ms,
                                       const char* why) {
  const auto layer = FramesOf(scenario, {kLayerSound}, from_ms, to_ms);
  const auto firsts = FramesOf(scenario, {"padrao1.wav"}, from_ms, to_ms);
  const auto beats = FramesOf(scenario, {"padrao1.wav", "padrao2.wav"}, from_ms, to_ms);
  const auto notes = FramesOf(scenario, {"padrao2.wav:sub"}, from_ms, to_ms);
  ASSERT_GE(layer.size(), 6u) << why;
  ASSERT_GE(notes.size(), 4u) << why;
  for (std::size_t i = 1; i < layer.size(); ++i) {
    EXPECT_EQ(layer[i] - layer[i - 1], 14700) << why << ", note " << i;
  }
  for (const int64_t first : firsts) {
    if (first < layer.front()) continue;
    EXPECT_NE(std::find(layer.begin(), layer.end(), first), layer.end()) << why << ", " << first;
  }
  for (const int64_t note : notes) {
    const auto beat = std::lower_bound(beats.begin(), beats.end(), note);
    if (beat == beats.begin()) continue;  // the run's last beat was before the window
    EXPECT_EQ(note - *(beat - 1), 12863) << why;
  }
}

TEST(Polyrhythm, TypedRhythmAndSwingPlayAndF2StoresThem) {
  TempDataRoot data;
  const std::string ini = data.ConfigDir() + "/AUDIRA.INI";
  std::ofstream(ini) << "[CADENCIO]\nBPM=120\nCOMPASSO=Quatern\xE1rio\n";
  // j asks for the rhythm, w turns one note per beat into two in light swing, F2 stores.
  const Script keys = Join({{TypeChar(1000, 'j')},
                            Answer(1500, "3:2"),
                            {TypeChar(2000, 'w'), PressKey(9000, base::vk::F(2)),
                             TypeChar(10000, 's'), TypeChar(11000, 27), TypeChar(12100, 's')}});
  {
    Scenario first(keys, 500);
    EXPECT_EQ(first.Run(), 0);
    ExpectThreeAgainstTwoInLightSwing(first, 2100, 9000, "set by keys");
  }
  std::ifstream in(ini);
  std::stringstream stored;
  stored << in.rdbuf();
  EXPECT_NE(stored.str().find("COMPASSO=Bin\xE1rio\n"), std::string::npos) << stored.str();
  EXPECT_NE(stored.str().find("POLIRRITMO=3\n"), std::string::npos) << stored.str();
  EXPECT_NE(stored.str().find("SWING=58\n"), std::string::npos) << stored.str();
  Scenario second({TypeChar(8000, 27), TypeChar(9100, 's')}, 500);
  EXPECT_EQ(second.Run(), 0);
  ExpectThreeAgainstTwoInLightSwing(second, 0, 8000, "restored at the next start");
}

}  // namespace
}  // namespace cadencio::testing
