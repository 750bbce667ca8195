// The sounds the program starts on its beats and notes, loaded as the program loads them (at
// the stream's rate), for the onset finder to match: the beat, the measure's first beat, and the
// softer note between beats. Their channel plays on a capture output that the self-test mixes
// known streams on.
#pragma once

#include <string>

#include "app/metronome_state.hpp"
#include "audio/audio_output.hpp"
#include "audio/beat_channel.hpp"
#include "base/clock.hpp"

namespace cadencio::bench {

struct BeatSounds {
  explicit BeatSounds(int rate = 44100) : output(clock, rate), channel(output, clock) {
    const std::string dir = app::kEffectsDir;
    beat = channel.Load(dir + "padrao1.wav");
    measure = channel.Load(dir + "padrao2.wav");
    note = channel.LoadSofter(dir + "padrao2.wav");
  }
  base::VirtualClock clock;
  audio::CaptureAudio output;
  audio::BeatChannel channel;
  const audio::Sound* beat = nullptr;
  const audio::Sound* measure = nullptr;
  const audio::Sound* note = nullptr;
};

}  // namespace cadencio::bench
