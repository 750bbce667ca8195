// WAVE files: parsing RIFF/WAVE PCM images, converting their samples once into the mixer's
// format (stereo float at the stream rate, resampled for playback) and loading from disk.
#include "audio/wav_loader.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>

#include "audio/resampler.hpp"
#include "files/file_reader.hpp"
#include "formats/riff_reader.hpp"

namespace cadencio::audio {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The sub-format GUID of extensible PCM after its first two bytes (which hold the tag, 1).
constexpr std::array<uint8_t, 14> kGuidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                               0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr int kMaxSampleRate = 1'000'000;

// Reads the "fmt " chunk body; nothing when the format is not one we can play.
std::optional<formats::PcmFormat> ParseFormat(const uint8_t* body, uint32_t size) {
  if (size < 16) return std::nullopt;
  uint16_t tag = formats::ReadLe16(body);
  formats::PcmFormat format;
  format.channels = formats::ReadLe16(body + 2);
  uint32_t rate = formats::ReadLe32(body + 4);
  format.bits = formats::ReadLe16(body + 14);
  if (tag == kFormatExtensible) {
    // cbSize (2), valid bits (2), channel mask (4), sub-format GUID (16).
    if (size < 40) return std::nullopt;
    const uint8_t* guid = body + 24;
    if (formats::ReadLe16(guid) != kFormatPcm ||
        !std::equal(kGuidTail.begin(), kGuidTail.end(), guid + 2)) {
      return std::nullopt;
    }
  } else if (tag != kFormatPcm) {
    return std::nullopt;
  }
  if (format.channels != 1 && format.channels != 2) return std::nullopt;
  if (format.bits != 8 && format.bits != 16) return std::nullopt;
  if (rate == 0 || rate > kMaxSampleRate) return std::nullopt;
  format.sample_rate = static_cast<int>(rate);
  return format;
}

int BytesPerFrame(const formats::PcmFormat& format) {
  return format.channels * format.bits / 8;
}

float SampleAt(const uint8_t* p, int bits) {
  if (bits == 8) return (static_cast<int>(p[0]) - 128) / 128.0f;
  return static_cast<int16_t>(formats::ReadLe16(p)) / 32768.0f;
}

}  // namespace

std::optional<PcmData> ParsePcmWav(const std::vector<uint8_t>& image) {
  // Standard RIFF: "WAVE" checked, chunks in any order with a pad byte after odd sizes, and
  // every fmt chunk met must be a format we can play.
  formats::RiffOptions options;
  options.wave_tag = true;
  options.fmt_first = false;
  options.fmt_fields = 0;
  options.pad_odd_chunks = true;
  std::optional<formats::PcmFormat> format;
  formats::RiffWav wav;
  std::span<const uint8_t> data;
  const bool found =
      formats::ParseRiffImage(image, options, wav, data, [&format](const formats::RiffWav& fmt) {
        format = ParseFormat(fmt.fmt.data(), fmt.fmt_size);
        return format.has_value();
      });
  if (!found) return std::nullopt;
  // A data chunk longer than the file is cut to what the file holds, in whole frames.
  std::size_t length = data.size();
  length -= length % static_cast<std::size_t>(BytesPerFrame(*format));
  return PcmData{*format,
                 std::vector<uint8_t>(data.begin(), data.begin() + static_cast<long>(length))};
}

int64_t ConvertedFrameCount(const PcmData& pcm, int rate) {
  const int frame_bytes = BytesPerFrame(pcm.format);
  if (frame_bytes <= 0 || pcm.format.sample_rate <= 0 || rate <= 0) return 0;
  const int64_t in_frames = static_cast<int64_t>(pcm.bytes.size()) / frame_bytes;
  if (pcm.format.sample_rate == rate) return in_frames;
  return std::llround(static_cast<double>(in_frames) * rate / pcm.format.sample_rate);
}

std::vector<float> ConvertToStereoFloat(const PcmData& pcm, int rate) {
  const formats::PcmFormat& format = pcm.format;
  const int frame_bytes = BytesPerFrame(format);
  if ((format.channels != 1 && format.channels != 2) || (format.bits != 8 && format.bits != 16) ||
      format.sample_rate <= 0 || rate <= 0) {
    return {};
  }
  const int64_t in_frames = static_cast<int64_t>(pcm.bytes.size()) / frame_bytes;
  const int64_t out_frames = ConvertedFrameCount(pcm, rate);
  if (in_frames == 0 || in_frames > kMaxSoundFrames || out_frames > kMaxSoundFrames) return {};

  // 1. Samples to float, in the file's own channel count.
  const int channels = format.channels;
  const int sample_bytes = format.bits / 8;
  std::vector<float> samples(static_cast<std::size_t>(in_frames) * channels);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = SampleAt(pcm.bytes.data() + i * sample_bytes, format.bits);
  }
  // 2. Once to the stream rate.
  if (format.sample_rate != rate) {
    const double ratio = static_cast<double>(rate) / format.sample_rate;
    if (!IsResampleRatioValid(ratio)) return {};
    // Room for a few frames more than expected: the converter may end a frame or two short or
    // long of the exact length. The clip is then made exactly as long as the rate change says
    // (a short end is padded with silence).
    std::vector<float> converted(static_cast<std::size_t>(out_frames + 16) * channels, 0.0f);
    if (!ResampleBuffer(samples, converted, channels, ratio)) return {};
    converted.resize(static_cast<std::size_t>(out_frames) * channels, 0.0f);
    samples = std::move(converted);
  }
  if (channels == 2) return samples;
  // 3. Mono onto both sides.
  std::vector<float> stereo(samples.size() * 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    stereo[2 * i] = samples[i];
    stereo[2 * i + 1] = samples[i];
  }
  return stereo;
}

std::optional<Sound> LoadWavFile(const std::string& path, int rate) {
  const files::FileContent file =
      files::ReadWholeFile(path, static_cast<std::size_t>(kMaxWavFileBytes));
  if (file.status != files::FileReadStatus::kOk) return std::nullopt;
  const std::vector<uint8_t> image(file.bytes.begin(), file.bytes.end());
  std::optional<PcmData> pcm = ParsePcmWav(image);
  if (!pcm) return std::nullopt;
  Sound sound;
  sound.name = path;
  sound.samples = ConvertToStereoFloat(*pcm, rate);
  // A clip with samples that could not be converted is not playable; an empty clip is.
  if (sound.samples.empty() && ConvertedFrameCount(*pcm, rate) > 0) return std::nullopt;
  return sound;
}

}  // namespace cadencio::audio
