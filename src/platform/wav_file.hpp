// Reading RIFF/WAVE PCM files (8 or 16 bits, mono or stereo, any rate) into sounds at the
// stream rate. The rate conversion is done once, at load, with libsamplerate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sound.hpp"

namespace cadencio::platform {

struct PcmFormat {
  int channels = 0;
  int sample_rate = 0;
  int bits = 0;
};

struct PcmData {
  PcmFormat format;
  std::vector<uint8_t> bytes;  // the data chunk as stored
};

// Parses a whole RIFF/WAVE file image. Nothing when it is not a PCM file of 8 or 16 bits with
// 1 or 2 channels and a rate above 0, or when a chunk runs past the end of the image.
std::optional<PcmData> ParsePcmWav(const std::vector<uint8_t>& image);

// PCM samples as interleaved stereo float at `rate` (mono is doubled onto both sides).
std::vector<float> ConvertToStereoFloat(const PcmData& pcm, int rate);

// Reads and converts a file; nothing when the file is missing or not playable.
std::optional<Sound> LoadWavFile(const std::string& path, int rate);

// Writes 16-bit mono PCM as a plain 44-byte-header WAVE file; false when it cannot be written.
bool WriteWav16Mono(const std::string& path, const std::vector<int16_t>& samples, int rate);

}  // namespace cadencio::platform
