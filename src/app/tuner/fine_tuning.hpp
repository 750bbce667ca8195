// Fine tuning by ear: instead of words, a short tick whose rate follows the distance from the
// note (faster when further off) and whose pitch tells the side (high when sharp, low when
// flat), and a steady tone once the string is in tune. Played on the mixer's beat channel,
// which is free while the tuning fork is open.
#pragma once

#include <cstdint>
#include <optional>

#include "audio/audio_output.hpp"
#include "audio/sound.hpp"

namespace cadencio::app {

// Milliseconds between ticks for a distance in cents; 0 means the steady in-tune tone.
int TickIntervalMs(double cents);

class FineTuningTicks {
 public:
  explicit FineTuningTicks(audio::AudioOutput& output);
  // Called often (every pass of the tuner's loop) with the current distance, or nothing when
  // no steady note sounds; schedules the next sound ahead of the stream.
  void Update(std::optional<double> cents);
  void Stop();

 private:
  audio::AudioOutput& output_;
  audio::Sound sharp_tick_, flat_tick_, in_tune_tone_;
  int64_t next_frame_ = -1;  // where the next sound starts; -1 when nothing is playing
};

}  // namespace cadencio::app
