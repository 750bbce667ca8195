// The speech level, its soft limit and the gain that brings an engine to it.
#include "audio/speech_level.hpp"

#include <cmath>

namespace cadencio::audio {

double SoftLimit(double value, double knee) {
  const double room = 1.0 - knee;
  double magnitude = std::fabs(value);
  if (magnitude > knee) magnitude = knee + room * std::tanh((magnitude - knee) / room);
  return std::copysign(magnitude, value);
}

void ApplySpeechGain(std::span<uint8_t> pcm16, double gain_db) {
  const double gain = std::pow(10.0, gain_db / 20.0);
  for (std::size_t i = 0; i + 1 < pcm16.size(); i += 2) {
    const auto sample = static_cast<int16_t>(pcm16[i] | (pcm16[i + 1] << 8));
    const long scaled = std::lround(32767.0 * SoftLimit(gain * sample / 32768.0));
    const auto bits = static_cast<uint16_t>(static_cast<int16_t>(scaled));
    pcm16[i] = static_cast<uint8_t>(bits & 0xFF);
    pcm16[i + 1] = static_cast<uint8_t>(bits >> 8);
  }
}

}  // namespace cadencio::audio
