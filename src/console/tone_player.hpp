// Where the console plays the tones that announce braille modes.
#pragma once

#include <cstdint>

namespace cadencio::console {

class TonePlayer {
 public:
  virtual ~TonePlayer() = default;
  // Starts the looped tone (a tone already playing is stopped first).
  virtual void StartTone(uint16_t frequency) = 0;
  virtual void StopTone() = 0;
};

}  // namespace cadencio::console
