// A sound held once in the mixer's own format: interleaved stereo float at the stream rate.
// Playing it only creates a cursor in the mixer; the samples are never copied again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cadencio::audio {

struct Sound {
  std::string name;
  std::vector<float> samples;  // left, right, left, right ...
  // Frames a cut of this sound fades over; 0: the mixer's own short fade.
  int64_t cut_fade = 0;
  int64_t FrameCount() const { return static_cast<int64_t>(samples.size() / 2); }
};

}  // namespace cadencio::audio
