// Beat period arithmetic in the precision the tempo was always computed in.
#include <cmath>

#include "app/metronome_state.hpp"

namespace cadencio::app {

namespace {

// Rounds a long double to a 64-bit significand, round to nearest even, whatever long double is
// on the machine (x86 already has exactly that format).
long double RoundTo64BitSignificand(long double x) {
  if (x == 0) return x;
  int exponent = 0;
  long double mantissa = std::frexp(x, &exponent);  // 0.5 <= |m| < 1
  long double scaled = std::ldexp(mantissa, 64);
  return std::ldexp(std::nearbyint(scaled), exponent - 64);
}

}  // namespace

int32_t BeatPeriodMs(int32_t bpm) {
  if (bpm < 1) bpm = 1;
  long double q = RoundTo64BitSignificand(1.0L / static_cast<long double>(bpm));
  long double product = RoundTo64BitSignificand(q * 60000.0L);
  return static_cast<int32_t>(std::trunc(product));
}

float BeatGain(int32_t volume) {
  return std::pow(10.0f, -0.15f * static_cast<float>(kMaxBeatVolume - volume));
}

}  // namespace cadencio::app
