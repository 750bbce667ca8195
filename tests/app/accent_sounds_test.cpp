// The accent levels as the mixer renders them, for every pair of beat sounds the program ships.
#include "app/accent_sounds.hpp"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "app/effects_file.hpp"
#include "audio/sound_level.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::app {
namespace {

const std::string kEffects = CADENCIO_DATA_ROOT "/som/cadencio/efeitos/";

// The shipped pairs: every model of the effects file, and every effect as both sounds (the
// pair with the least room between its levels).
std::vector<std::pair<std::string, std::string>> ShippedPairs() {
  const auto raw = ParseEffectsText(testing::ReadBytes(CADENCIO_DATA_ROOT "/somritmo.ini"));
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const std::string& model : BuildEntryList(raw, true)) {
    const std::string files = EntryFile(model);  // "BUMBO/CHIMBALF.WAV"
    const std::size_t slash = files.find('/');
    pairs.emplace_back(files.substr(0, slash) + ".WAV", files.substr(slash + 1));
  }
  for (const std::string& effect : BuildEntryList(raw, false)) {
    pairs.emplace_back(EntryFile(effect), EntryFile(effect));
  }
  return pairs;
}

TEST(AccentSounds, EveryShippedPairStepsDownAtLeast3dBAndKeepsItsLength) {
  constexpr Accent kLevels[] = {Accent::kStrong, Accent::kMedium, Accent::kNormal, Accent::kSoft};
  constexpr int kRate = 44100;
  constexpr int64_t kSlot = 3 * kRate;  // the longest sound rings out before the next starts
  const auto pairs = ShippedPairs();
  ASSERT_GE(pairs.size(), 30u);
  for (const auto& [tempo, measure] : pairs) {
    base::VirtualClock clock;
    audio::CaptureAudio output(clock, kRate);
    audio::BeatChannel beats(output, clock);
    MetronomeState state;
    state.TempoSound = kEffects + tempo;
    state.MeasureSound = kEffects + measure;
    const AccentSounds sounds = LoadAccentSounds(beats, state);
    EXPECT_EQ(sounds.Of(Accent::kSilent), nullptr);
    // Each level plays alone in its slot of the rendered stream.
    for (std::size_t k = 0; k < std::size(kLevels); ++k) {
      beats.PlaySound(sounds.Of(kLevels[k]), static_cast<int64_t>(k + 1) * kSlot);
    }
    clock.AdvanceTo((std::size(kLevels) + 2) * kSlot * 1000 / kRate);
    const std::span<const float> stream = output.Stream();
    double louder = 1e9;  // forte has no level above it
    for (std::size_t k = 0; k < std::size(kLevels); ++k) {
      SCOPED_TRACE(tempo + "/" + measure + " level " + std::to_string(k));
      const audio::Sound* sound = sounds.Of(kLevels[k]);
      ASSERT_NE(sound, nullptr);
      const std::string& file = k < 2 ? state.TempoSound : state.MeasureSound;
      EXPECT_EQ(sound->FrameCount(), beats.Load(file)->FrameCount());
      const double db = audio::LoudestLevelDb(
          stream.subspan(static_cast<std::size_t>(2 * (k + 1) * kSlot), 2 * kSlot), kRate);
      EXPECT_GE(louder - db, 3.0) << db << " dB after " << louder;
      louder = db;
    }
  }
}

}  // namespace
}  // namespace cadencio::app
