// Sample-exact onsets of known sounds in a recorded stream. A plain threshold finds roughly where
// a sound starts, but its first crossing depends on the sound's level and on whatever is mixed
// over it. Here each rough onset is refined by matching the known waveforms of the sounds that
// can start there: the stream just before the search window (speech, the tail of the sound
// before) gives a linear predictor, the window and the sounds are whitened by it, and the lag of
// best normalized cross-correlation is the onset. A regular train is followed from one onset to
// the next, so onsets are found even where speech fills every gap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/sound.hpp"

namespace cadencio::bench {

// The left channel of an interleaved stereo stream.
std::vector<float> LeftChannel(const std::vector<float>& stereo);
// The left channel of a raw float stereo file, as SDL's `disk` driver writes it.
std::vector<float> ReadRawLeft(const std::string& path);

// Rough onsets: the first sample above `threshold` after at least `gap` quiet frames.
std::vector<int64_t> ThresholdOnsets(const std::vector<float>& left, int64_t gap,
                                     float threshold = 0.02f);

struct OnsetMatch {
  int64_t frame = -1;  // where the sound starts; -1 when nothing matched
  double score = 0;    // normalized cross-correlation after whitening, 1 for a perfect match
};

class OnsetFinder {
 public:
  // `sounds`: every sound that can start an onset, in the stream's own format. `left`: the
  // stream's left channel, which must outlive the finder.
  OnsetFinder(const std::vector<const audio::Sound*>& sounds, const std::vector<float>& left);

  // The best match of any of the sounds starting within `radius` frames of `guess`.
  OnsetMatch Refine(int64_t guess, int64_t radius) const;
  // Every rough onset refined; those that match no sound well are dropped.
  std::vector<int64_t> RefineAll(const std::vector<int64_t>& rough, int64_t radius) const;
  // The longest run of onsets `spacing` frames apart (a fraction is allowed): from each seed
  // not yet inside a run, the next onset is searched within `radius` of the last one plus the
  // spacing, forwards and backwards, until no sound matches there.
  std::vector<int64_t> LongestTrain(const std::vector<int64_t>& seeds, double spacing,
                                    int64_t radius) const;

  // A match below this score is no onset.
  static constexpr double kMinScore = 0.5;
  // Frames of each sound compared: its first 10 ms at 44.1 kHz.
  static constexpr int64_t kTemplateFrames = 441;
  // Order of the whitening predictor, and the frames before the window it is fitted on.
  static constexpr int kOrder = 24;
  static constexpr int64_t kFitFrames = 1024;

 private:
  const std::vector<float>& left_;
  std::vector<std::vector<float>> sounds_;  // the first frames of each sound, left channel
};

}  // namespace cadencio::bench
