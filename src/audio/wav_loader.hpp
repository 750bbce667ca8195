// Reading RIFF/WAVE PCM files (8, 16, 24 or 32-bit whole numbers, 32 or 64-bit floats, any
// number of channels, any rate the converter takes) into sounds at the stream rate. The rate
// conversion is done once, at load, with the playback resampler. A file that cannot be used
// says why.
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

// Why a WAVE file gave no sound.
enum class WavProblem {
  kNone,
  kMissing,      // no such file
  kUnreadable,   // a directory, a device, or a read error
  kTooLarge,     // over kMaxWavFileBytes, or longer than kMaxSoundFrames
  kEmpty,        // no bytes, or no samples
  kIncomplete,   // cut short or damaged inside the RIFF layout
  kUnsupported,  // not RIFF/WAVE, or samples in a form not read here (mu-law, ADPCM ...)
};

// Files larger than this are refused unread.
constexpr int64_t kMaxWavFileBytes = 64 << 20;
// Longest sound the converter makes or takes (about 12 minutes at 44100 frames per second).
constexpr int64_t kMaxSoundFrames = int64_t{1} << 25;
// The most channels a file may interleave.
constexpr int kMaxWavChannels = 32;

// Parses a whole RIFF/WAVE file image. Chunks other than "fmt " and "data" are skipped (tags
// compared without regard to case, a pad byte after a body of odd length). Format tag 1 (whole
// numbers of 8, 16, 24 or 32 bits), 3 (floats of 32 or 64 bits), or WAVE_FORMAT_EXTENSIBLE with
// either sub-format; 1 to kMaxWavChannels channels, a rate above 0. Nothing, and the reason in
// `problem` when given, for any other format, when "data" comes before "fmt ", or when a chunk
// other than "data" runs past the end of the image; a data chunk that claims more bytes than
// the image holds is cut to what is there.
std::optional<PcmData> ParsePcmWav(const std::vector<uint8_t>& image,
                                   WavProblem* problem = nullptr);

// How many frames ConvertToStereoFloat makes of `pcm` at `rate`: round(frames x rate ratio).
int64_t ConvertedFrameCount(const PcmData& pcm, int rate);

// PCM samples as interleaved stereo float at `rate`: mono is doubled onto both sides, stereo
// kept, and more channels are played as their mean on both sides (a beat sound is one point
// in space). Whole-number samples are scaled to -1..1 (8-bit ones unsigned with silence at 128);
// floats are kept within -1..1, and one that is not a number is silence. The result has exactly
// ConvertedFrameCount frames; it is empty when the clip is empty, longer than kMaxSoundFrames
// either side of the conversion, in a format ParsePcmWav refuses, or the rate ratio is beyond
// the converter.
std::vector<float> ConvertToStereoFloat(const PcmData& pcm, int rate);

// Reads and converts a file; nothing, and the reason in `problem` when given, when the file is
// missing or gives no sound to play.
std::optional<Sound> LoadWavFile(const std::string& path, int rate, WavProblem* problem = nullptr);

}  // namespace cadencio::audio
