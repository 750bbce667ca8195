// The format of plain PCM samples: how many channels are interleaved, at what rate and in how
// many bits (8-bit samples are unsigned with silence at 128, wider ones signed little-endian),
// and whether they are IEEE floats (32 or 64 bits) rather than whole numbers.
#pragma once

namespace cadencio::formats {

struct PcmFormat {
  int channels = 0;
  int sample_rate = 0;
  int bits = 0;
  bool floating = false;

  friend bool operator==(const PcmFormat&, const PcmFormat&) = default;
};

}  // namespace cadencio::formats
