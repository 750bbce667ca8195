// Pitch detection of captured sound: aubio's fast YIN detector (YIN computed through the FFT),
// one estimate per hop of the stream, with its confidence. Of aubio's detectors it measures
// best here: its YIN-FFT is off by several cents on a plain 110 Hz tone and reports no
// confidence. The tuner decides from these frames whether a note sounds.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace cadencio::app {

struct PitchFrame {
  double hz = 0;           // 0 when the frame is below the silence threshold
  double confidence = 0;   // aubio's periodicity measure, 0 (noise) to 1 (clean tone)
  double level_db = -120;  // the frame's level
};

class PitchDetector {
 public:
  // A window of `window` samples (long enough for two periods of a bass's E1) moved on by
  // `hop` samples per estimate.
  explicit PitchDetector(int sample_rate, int window = 4096, int hop = 512);
  ~PitchDetector();
  PitchDetector(const PitchDetector&) = delete;
  PitchDetector& operator=(const PitchDetector&) = delete;

  int SampleRate() const { return sample_rate_; }
  int Hop() const { return hop_; }
  // Adds samples; one frame is appended to `frames` for every whole hop they complete.
  void Feed(const float* samples, std::size_t count, std::vector<PitchFrame>& frames);

 private:
  struct Aubio;
  int sample_rate_;
  int hop_;
  std::unique_ptr<Aubio> aubio_;
  std::vector<float> pending_;  // samples of a hop not yet complete
};

}  // namespace cadencio::app
