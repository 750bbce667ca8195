// The accent levels' sounds, scaled from the pair's two files by their measured levels.
#include "app/accent_sounds.hpp"

#include <algorithm>
#include <cmath>

#include "audio/sound_level.hpp"

namespace cadencio::app {

namespace {

float Gain(double db) {
  return static_cast<float>(std::pow(10.0, db / 20));
}

double LevelDb(const audio::Sound& sound, const audio::BeatChannel& beats) {
  return audio::LoudestLevelDb(sound.samples, beats.SampleRate());
}

}  // namespace

AccentSounds LoadAccentSounds(audio::BeatChannel& beats, const MetronomeState& state) {
  const audio::Sound* strong = beats.Load(state.TempoSound);
  const audio::Sound* other = beats.Load(state.MeasureSound);
  // Normal lies two steps under forte, or lower when the other-beat sound is softer still; it
  // is never made louder than its file.
  double normal_db = 0;
  if (strong != nullptr && other != nullptr) {
    normal_db = std::min(0.0, LevelDb(*strong, beats) - 2 * kMediumStepDb - LevelDb(*other, beats));
  }
  AccentSounds sounds;
  auto set = [&sounds](Accent accent, const audio::Sound* sound) {
    sounds.level[static_cast<std::size_t>(accent)] = sound;
  };
  set(Accent::kStrong, strong);
  set(Accent::kMedium, beats.LoadScaled(state.TempoSound, Gain(-kMediumStepDb), "medio"));
  set(Accent::kNormal, beats.LoadScaled(state.MeasureSound, Gain(normal_db), "normal"));
  set(Accent::kSoft, beats.LoadScaled(state.MeasureSound, Gain(normal_db - kSoftStepDb), "fraco"));
  sounds.extra_note = beats.LoadSofter(state.MeasureSound, Gain(normal_db));
  return sounds;
}

}  // namespace cadencio::app
