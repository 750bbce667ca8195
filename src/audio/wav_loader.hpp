// Reading RIFF/WAVE PCM files (8 or 16 bits, mono or stereo, any rate) into sounds at the
// stream rate. The rate conversion is done once, at load, with the playback resampler.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/sound.hpp"
#include "formats/pcm_format.hpp"

namespace cadencio::audio {

struct PcmData {
  formats::PcmFormat format;
  std::vector<uint8_t> bytes;  // the data chunk as stored, in whole frames
};

// Files larger than this are refused unread.
constexpr int64_t kMaxWavFileBytes = 64 << 20;
// Longest sound the converter makes or takes (about 12 minutes at 44100 frames per second).
constexpr int64_t kMaxSoundFrames = int64_t{1} << 25;

// Parses a whole RIFF/WAVE file image. Chunks other than "fmt " and "data" are skipped (tags
// compared without regard to case, a pad byte after a body of odd length). Format tag 1 or
// WAVE_FORMAT_EXTENSIBLE with the PCM sub-format. Nothing when it is not a PCM file of 8 or 16
// bits with 1 or 2 channels and a rate above 0, when "data" comes before "fmt ", or when a chunk
// other than "data" runs past the end of the image; a data chunk that claims more bytes than
// the image holds is cut to what is there.
std::optional<PcmData> ParsePcmWav(const std::vector<uint8_t>& image);

// How many frames ConvertToStereoFloat makes of `pcm` at `rate`: round(frames x rate ratio).
int64_t ConvertedFrameCount(const PcmData& pcm, int rate);

// PCM samples as interleaved stereo float at `rate` (mono is doubled onto both sides; 8-bit
// samples are unsigned with silence at 128, 16-bit samples signed little-endian). The result
// has exactly ConvertedFrameCount frames; it is empty when the clip is empty, longer than
// kMaxSoundFrames either side of the conversion, or the rate ratio is beyond the converter.
std::vector<float> ConvertToStereoFloat(const PcmData& pcm, int rate);

// Reads and converts a file; nothing when the file is missing or not playable.
std::optional<Sound> LoadWavFile(const std::string& path, int rate);

}  // namespace cadencio::audio
