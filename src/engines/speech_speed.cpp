// The speed factor of each level, and speech-dispatcher's rate scale.
#include "engines/speech_speed.hpp"

#include <algorithm>
#include <cmath>

namespace cadencio::engines {

namespace {

constexpr double kStep = 1.25;  // each level up speaks this many times as fast
// speech-dispatcher's espeak-ng module: words per minute at rates -100, 0 and 100.
constexpr double kServiceSlowest = 80, kServiceNormal = 170, kServiceFastest = 449;

}  // namespace

double ServiceWordsPerMinute(int rate) {
  const double span =
      rate < 0 ? kServiceNormal - kServiceSlowest : kServiceFastest - kServiceNormal;
  return kServiceNormal + span * rate / 100.0;
}

double SpeedFactor(int speed) {
  return std::pow(kStep, std::clamp(speed, 1, 5) - kNormalSpeed);
}

int ServiceRateTimes(int rate, double factor) {
  const double words = ServiceWordsPerMinute(std::clamp(rate, -100, 100)) * factor;
  const double span =
      words < kServiceNormal ? kServiceNormal - kServiceSlowest : kServiceFastest - kServiceNormal;
  return std::clamp(static_cast<int>(std::lround(100 * (words - kServiceNormal) / span)), -100,
                    100);
}

}  // namespace cadencio::engines
