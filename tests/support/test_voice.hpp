// A small voice made in memory for the synthesizer's tests: phones _ (silence), a and i (voiced,
// exactly 200 Hz, marks on their peaks) and s (noise, evenly spaced marks). Every diphone is a
// stretch of its first phone followed by a stretch of its second; s-s is left out so that a
// missing diphone can be asked for.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "synth/diphone_voice.hpp"

namespace cadencio::testing {

constexpr int kTestPeriod = 80;  // samples: 200 Hz
constexpr int kTestHalf = 1120;  // samples of each phone in a diphone, margin included

inline double TestSignal(const std::string& phone, int n, uint32_t& noise) {
  const double pi = std::acos(-1.0);
  // Peaks at n = 40 + 80 k.
  const double phase = 2 * pi * (n - kTestPeriod / 2) / kTestPeriod;
  if (phone == "a")
    return 6000 * std::cos(phase) + 3000 * std::cos(2 * phase) + 1500 * std::cos(3 * phase);
  if (phone == "i")
    return 5000 * std::cos(phase) + 800 * std::cos(5 * phase) + 600 * std::cos(9 * phase);
  if (phone == "s") {
    noise = noise * 1664525u + 1013904223u;
    return static_cast<double>(static_cast<int32_t>(noise) >> 20);
  }
  return 0;
}

inline synth::DiphoneVoice MakeTestVoice() {
  synth::DiphoneVoice voice;
  voice.phones = {"_", "a", "i", "s"};
  voice.natural_pitch = 200;
  uint32_t noise = 1;
  for (uint16_t a = 0; a < 4; ++a) {
    for (uint16_t b = 0; b < 4; ++b) {
      if (voice.phones[a] == "s" && voice.phones[b] == "s") continue;
      synth::Diphone d;
      d.first = a;
      d.second = b;
      for (int n = 0; n < 2 * kTestHalf; ++n) {
        const std::string& p = voice.phones[n < kTestHalf ? a : b];
        d.samples.push_back(static_cast<int16_t>(std::lround(TestSignal(p, n, noise))));
      }
      d.begin = kTestHalf / 2;
      d.boundary = kTestHalf;
      d.end = kTestHalf + kTestHalf / 2;
      for (int m = kTestPeriod / 2; m < 2 * kTestHalf; m += kTestPeriod) {
        const std::string& p = voice.phones[m < kTestHalf ? a : b];
        d.marks.push_back({static_cast<double>(m), p == "a" || p == "i"});
      }
      voice.diphones.push_back(std::move(d));
    }
  }
  voice.Index();
  return voice;
}

}  // namespace cadencio::testing
