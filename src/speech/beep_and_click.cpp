// The beep and the click as 8-bit samples.
#include "speech/beep_and_click.hpp"

#include <numeric>
#include <random>

namespace cadencio::speech {

namespace {

constexpr uint8_t kCentre = 128;

}  // namespace

std::vector<uint8_t> BeepSamples() {
  // One cycle rises from the centre and falls as far below it; the beep used to lie wholly
  // below the centre, a step of a quarter of full scale that thumped on some speakers.
  static constexpr uint8_t kCycle[8] = {128, 144, 160, 144, 128, 112, 96, 112};
  constexpr int kSamples = 512;
  std::vector<uint8_t> samples(kSamples);
  for (int i = 0; i < kSamples; ++i) samples[i] = kCycle[i % 8];
  samples.back() = kCentre;
  return samples;
}

std::vector<uint8_t> ClickSamples() {
  constexpr int kNoise = 64;
  constexpr int kSamples = 256;
  constexpr int kSpread = 60;
  std::minstd_rand random(20261207);
  std::vector<int> noise(kNoise);
  for (int& value : noise) value = static_cast<int>(random() % kSpread);
  // The noise's own mean is taken away, rounded to the nearest step.
  const int sum = std::accumulate(noise.begin(), noise.end(), 0);
  const int mean = (sum + kNoise / 2) / kNoise;
  std::vector<uint8_t> samples(kSamples, kCentre);
  for (int i = 0; i < kNoise; ++i) samples[i] = static_cast<uint8_t>(kCentre + noise[i] - mean);
  return samples;
}

}  // namespace cadencio::speech
