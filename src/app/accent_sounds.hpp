// The sounds of the accent levels for the metronome's pair of beat sounds. Forte is the
// first-beat sound and médio the same sound softer; normal is the other-beat sound, made softer
// only when it would not lie clearly below médio (a pair of equal sounds, or of a loud other-beat
// sound); fraco is normal softer still, and mudo plays nothing. Every level keeps its sound's
// whole length, so a group's first beat rings as long as the measure's first.
#pragma once

#include <array>

#include "app/accent_pattern.hpp"
#include "app/metronome_state.hpp"
#include "audio/beat_channel.hpp"

namespace cadencio::app {

// The steps between the levels, in dB of the loudest 50 ms (audio/sound_level).
inline constexpr double kMediumStepDb = 4;  // forte to médio, and médio to normal at least
inline constexpr double kSoftStepDb = 9;    // normal to fraco

struct AccentSounds {
  // The sound of each level, by its value; null for mudo or a sound that cannot be played.
  std::array<const audio::Sound*, 5> level{};
  // The extra notes between beats: a short, softer form of normal.
  const audio::Sound* extra_note = nullptr;

  const audio::Sound* Of(Accent accent) const { return level[static_cast<std::size_t>(accent)]; }
};

// Loads (and makes, once) the sounds of the state's pair in the bank.
AccentSounds LoadAccentSounds(audio::BeatChannel& beats, const MetronomeState& state);

}  // namespace cadencio::app
