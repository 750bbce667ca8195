// WAVE files: parsing RIFF/WAVE PCM images, converting their samples once into the mixer's
// format (stereo float at the stream rate, resampled for playback) and loading from disk, with
// the reason a file gives no sound.
#include "audio/wav_loader.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

#include "audio/resampler.hpp"
#include "base/windows1252.hpp"
#include "files/file_reader.hpp"
#include "formats/riff_reader.hpp"

namespace cadencio::audio {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The sub-format GUID of extensible PCM or float after its first two bytes (which hold the
// tag, 1 or 3).
constexpr std::array<uint8_t, 14> kGuidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                               0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr int kMaxSampleRate = 1'000'000;

// The channel counts and sample forms the converter reads.
bool IsReadableFormat(const formats::PcmFormat& format) {
  if (format.channels < 1 || format.channels > kMaxWavChannels) return false;
  if (format.floating) return format.bits == 32 || format.bits == 64;
  return format.bits == 8 || format.bits == 16 || format.bits == 24 || format.bits == 32;
}

// Reads the "fmt " chunk body; nothing, with the reason, when the chunk is cut short or the
// format is not one we can play.
std::optional<formats::PcmFormat> ParseFormat(const uint8_t* body, uint32_t size,
                                              WavProblem& problem) {
  problem = WavProblem::kIncomplete;
  if (size < 16) return std::nullopt;
  uint16_t tag = formats::ReadLe16(body);
  if (tag == kFormatExtensible) {
    // cbSize (2), valid bits (2), channel mask (4), sub-format GUID (16).
    if (size < 40) return std::nullopt;
    const uint8_t* guid = body + 24;
    problem = WavProblem::kUnsupported;
    if (!std::equal(kGuidTail.begin(), kGuidTail.end(), guid + 2)) return std::nullopt;
    tag = formats::ReadLe16(guid);
  }
  problem = WavProblem::kUnsupported;
  formats::PcmFormat format;
  format.channels = formats::ReadLe16(body + 2);
  const uint32_t rate = formats::ReadLe32(body + 4);
  format.bits = formats::ReadLe16(body + 14);
  format.floating = tag == kFormatFloat;
  if (tag != kFormatPcm && tag != kFormatFloat) return std::nullopt;
  if (!IsReadableFormat(format) || rate == 0 || rate > kMaxSampleRate) return std::nullopt;
  format.sample_rate = static_cast<int>(rate);
  problem = WavProblem::kNone;
  return format;
}

// Why the walk of an image failed, when its fmt chunk did not refuse it: a RIFF/WAVE file (or the
// start of one) that ends too soon or breaks its layout is incomplete, anything else is another
// kind of file.
WavProblem HeadProblem(const std::vector<uint8_t>& image) {
  if (image.empty()) return WavProblem::kEmpty;
  const char riff[] = "RIFF";
  for (std::size_t i = 0; i < std::min<std::size_t>(image.size(), 4); ++i) {
    if (base::AsciiUpperCase(image[i]) != static_cast<uint8_t>(riff[i])) {
      return WavProblem::kUnsupported;
    }
  }
  if (image.size() < 12) return WavProblem::kIncomplete;
  return formats::TagIs(image.data() + 8, "WAVE") ? WavProblem::kIncomplete
                                                  : WavProblem::kUnsupported;
}

int BytesPerFrame(const formats::PcmFormat& format) {
  return format.channels * format.bits / 8;
}

float SampleAt(const uint8_t* p, const formats::PcmFormat& format) {
  constexpr double kInt32Scale = 2147483648.0;
  if (format.floating) {
    const uint32_t low = formats::ReadLe32(p);
    const double value =
        format.bits == 32 ? std::bit_cast<float>(low)
                          : std::bit_cast<double>(low | (uint64_t{formats::ReadLe32(p + 4)} << 32));
    return std::isnan(value) ? 0.0f : static_cast<float>(std::clamp(value, -1.0, 1.0));
  }
  switch (format.bits) {
    case 8:
      return (static_cast<int>(p[0]) - 128) / 128.0f;
    case 16:
      return static_cast<int16_t>(formats::ReadLe16(p)) / 32768.0f;
    case 24:
      // The three bytes at the top of a 32-bit number keep their sign.
      return static_cast<float>(static_cast<int32_t>((uint32_t{p[0]} << 8) |
                                                     (uint32_t{p[1]} << 16) |
                                                     (uint32_t{p[2]} << 24)) /
                                kInt32Scale);
    default:
      return static_cast<float>(static_cast<int32_t>(formats::ReadLe32(p)) / kInt32Scale);
  }
}

// The samples as float in one channel (the mean of more than two) or the file's two.
std::vector<float> DecodeSamples(const PcmData& pcm, int64_t frames, int& channels) {
  const formats::PcmFormat& format = pcm.format;
  const int sample_bytes = format.bits / 8;
  channels = format.channels <= 2 ? format.channels : 1;
  std::vector<float> samples(static_cast<std::size_t>(frames) * channels);
  if (format.channels <= 2) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
      samples[i] = SampleAt(pcm.bytes.data() + i * sample_bytes, format);
    }
    return samples;
  }
  const std::size_t frame_bytes = static_cast<std::size_t>(BytesPerFrame(format));
  for (std::size_t frame = 0; frame < samples.size(); ++frame) {
    const uint8_t* p = pcm.bytes.data() + frame * frame_bytes;
    float sum = 0.0f;
    for (int c = 0; c < format.channels; ++c) sum += SampleAt(p + c * sample_bytes, format);
    samples[frame] = sum / static_cast<float>(format.channels);
  }
  return samples;
}

}  // namespace

std::optional<PcmData> ParsePcmWav(const std::vector<uint8_t>& image, WavProblem* problem) {
  // Standard RIFF: "WAVE" checked, chunks in any order with a pad byte after odd sizes, and
  // every fmt chunk met must be a format we can play.
  formats::RiffOptions options;
  options.wave_tag = true;
  options.fmt_first = false;
  options.fmt_fields = 0;
  options.pad_odd_chunks = true;
  std::optional<formats::PcmFormat> format;
  WavProblem format_problem = WavProblem::kNone;
  formats::RiffWav wav;
  std::span<const uint8_t> data;
  const bool found = formats::ParseRiffImage(
      image, options, wav, data, [&format, &format_problem](const formats::RiffWav& fmt) {
        format = ParseFormat(fmt.fmt.data(), fmt.fmt_size, format_problem);
        return format.has_value();
      });
  if (!found) {
    if (problem != nullptr) {
      *problem = format_problem != WavProblem::kNone ? format_problem : HeadProblem(image);
    }
    return std::nullopt;
  }
  if (problem != nullptr) *problem = WavProblem::kNone;
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
  if (!IsReadableFormat(format) || format.sample_rate <= 0 || rate <= 0) return {};
  const int64_t in_frames = static_cast<int64_t>(pcm.bytes.size()) / BytesPerFrame(format);
  const int64_t out_frames = ConvertedFrameCount(pcm, rate);
  if (in_frames == 0 || in_frames > kMaxSoundFrames || out_frames > kMaxSoundFrames) return {};

  // 1. Samples to float, in one channel or two.
  int channels = 0;
  std::vector<float> samples = DecodeSamples(pcm, in_frames, channels);
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

namespace {

std::optional<Sound> ReadSound(const std::string& path, int rate, WavProblem& problem) {
  const files::FileContent file =
      files::ReadWholeFile(path, static_cast<std::size_t>(kMaxWavFileBytes));
  switch (file.status) {
    case files::FileReadStatus::kOk:
      break;
    case files::FileReadStatus::kMissing:
      problem = WavProblem::kMissing;
      return std::nullopt;
    case files::FileReadStatus::kTooLarge:
      problem = WavProblem::kTooLarge;
      return std::nullopt;
    case files::FileReadStatus::kFailed:
      problem = WavProblem::kUnreadable;
      return std::nullopt;
  }
  const std::vector<uint8_t> image(file.bytes.begin(), file.bytes.end());
  const std::optional<PcmData> pcm = ParsePcmWav(image, &problem);
  if (!pcm) return std::nullopt;
  const int64_t frames = ConvertedFrameCount(*pcm, rate);
  if (frames == 0) {
    problem = WavProblem::kEmpty;
    return std::nullopt;
  }
  if (frames > kMaxSoundFrames ||
      static_cast<int64_t>(pcm->bytes.size()) / BytesPerFrame(pcm->format) > kMaxSoundFrames) {
    problem = WavProblem::kTooLarge;
    return std::nullopt;
  }
  Sound sound;
  sound.name = path;
  sound.samples = ConvertToStereoFloat(*pcm, rate);
  // What is left is a rate beyond the converter.
  if (sound.samples.empty()) {
    problem = WavProblem::kUnsupported;
    return std::nullopt;
  }
  return sound;
}

}  // namespace

std::optional<Sound> LoadWavFile(const std::string& path, int rate, WavProblem* problem) {
  WavProblem found = WavProblem::kNone;
  std::optional<Sound> sound = ReadSound(path, rate, found);
  if (problem != nullptr) *problem = found;
  return sound;
}

}  // namespace cadencio::audio
