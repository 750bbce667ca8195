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
  int64_t FrameCount() const { return static_cast<int64_t>(samples.size() / 2); }
};

}  // namespace cadencio::audio
