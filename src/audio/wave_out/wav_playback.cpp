// WAV playback: the device, the ring of four blocks, the block-done accounting and the file
// chunk walk.
#include "audio/wave_out/wav_playback.hpp"

#include <algorithm>
#include <climits>
#include <cstring>
#include <span>

#include "audio/pcm_fade.hpp"
#include "formats/riff_reader.hpp"

namespace cadencio::audio {

namespace {

// Tries of a device that answers "in use", 100 ms apart.
constexpr int kOpenRetries = 100;
constexpr int kOpenRetryMs = 100;
// Waiting for a free ring block: rounds of 50 ms, about two seconds.
constexpr int kFreeBlockRounds = 40;
constexpr int kFreeBlockRoundMs = 50;
// Waiting while all four blocks play.
constexpr int kFullRingTestMs = 10;
// File pieces: a data chunk of 65535..65789 bytes is played as 65278 and the rest, so that no
// last piece is shorter than 256 bytes.
constexpr uint32_t kOddPieceLow = 65535;
constexpr uint32_t kOddPieceHigh = 65789;
constexpr std::size_t kOddPiece = 65278;

constexpr uint8_t kSilence8 = 128;

}  // namespace

WavPlayback::WavPlayback(base::Waiter& waiter, WaveOutDevice& device, FileOpener opener)
    : waiter_(waiter),
      device_(device),
      opener_(std::move(opener)),
      scratch_(kBlockBytes),
      cut_buffer_(kBlockBytes) {
  for (auto& block : ring_) block.assign(kBlockBytes, kSilence8);
  if (!opener_) {
    opener_ = [](const std::string& path) -> std::unique_ptr<formats::ByteSource> {
      return formats::FileByteSource::Open(path);
    };
  }
}

WavPlayback::~WavPlayback() {
  waiter_.Loop().SetNoticeHandler(base::MessageKind::kBlockDone, {});
  if (device_open_) {
    device_.Reset();
    device_.Close();
  }
}

std::string_view WavPlayback::UnprepareErrorText(int code) {
  switch (code) {
    case kWaveErrorInvalidHandle:
      return "Specified device handle is invalid.";
    case kWaveErrorNoDriver:
      return "No device driver is present.";
    case kWaveErrorNoMemory:
      return "Unable to allocate or lock memory.";
    case kWaveErrorStillPlaying:
      return "The data block pointed to by the pwh parameter is still in queue";
    default:
      return {};
  }
}

// --- the device ---------------------------------------------------------------------------

int WavPlayback::OpenDevice(const WaveFormat& format) {
  // Another format: let what plays end first (the busy test closes the device then).
  if (format != current_format_) WaitWhileBusy();
  current_format_ = format;
  if (device_open_) return kWaveOk;
  // Finished blocks come back as block-done notices through the message loop.
  waiter_.Loop().SetNoticeHandler(base::MessageKind::kBlockDone, [this](const base::Message& done) {
    OnWaveBlockDone(done.param);
  });
  int result = device_.Open(format);
  for (int retry = 0; result == kWaveErrorAllocated && retry < kOpenRetries; ++retry) {
    waiter_.Delay(kOpenRetryMs);
    result = device_.Open(format);
  }
  if (result == kWaveOk) device_open_ = true;
  return result;
}

void WavPlayback::OnWaveBlockDone(int64_t index) {
  if (index < 1 || index > kRingBlocks) return;  // not one of ours
  int code = device_.Unprepare(static_cast<int>(index));
  if (code != kWaveOk && release_error_) release_error_(UnprepareErrorText(code));
  headers_[index - 1].queued = false;
  if (in_flight_ > 0) --in_flight_;
}

bool WavPlayback::WavBusy() {
  // KeyPressed handles the pending messages, block-done ones among them.
  if (waiter_.KeyPressed() || in_flight_ == 0) StopWav();
  return in_flight_ > 0;
}

void WavPlayback::StopWav() {
  if (!device_open_) return;
  if (in_flight_ > 0) device_.Reset();
  waiter_.PumpAllMessages();
  device_.Close();
  waiter_.PumpAllMessages();
  device_open_ = false;
  after_faded_end_ = false;
  // A closed device returns nothing more; a block it failed to report must not keep the
  // busy test true for ever.
  in_flight_ = 0;
  for (auto& header : headers_) header.queued = false;
}

void WavPlayback::WaitWhileBusy() {
  while (WavBusy()) waiter_.WaitMessage();
}

// --- blocks -------------------------------------------------------------------------------

void WavPlayback::QueueBlock(const uint8_t* samples, std::size_t length) {
  length = std::min(length, kBlockBytes);
  int next = last_index_ % kRingBlocks + 1;
  // Wait for the block to come back from the device, about two seconds at most.
  for (int round = 0; headers_[next - 1].queued; ++round) {
    if (round == kFreeBlockRounds) return;  // dropped
    waiter_.PumpAllMessages();
    waiter_.Delay(kFreeBlockRoundMs);
  }
  ++in_flight_;
  last_index_ = next;
  std::vector<uint8_t>& block = ring_[next - 1];
  if (length > 0) std::memcpy(block.data(), samples, length);
  const WaveFormat& format = current_format_;
  // Short blocks are padded with silence up to 256 bytes; 8-bit mono blocks also end on
  // silence, reached by a 2 ms fade so that the end itself is no step.
  if (length < kMinBlockBytes) {
    uint8_t silence = format.bits == 8 ? kSilence8 : 0;
    std::fill(block.begin() + static_cast<std::ptrdiff_t>(length), block.begin() + kMinBlockBytes,
              silence);
  }
  // A block that follows one ended that way (the pieces of a long file) rises from silence.
  const bool eight_bit_mono = format.bits == 8 && format.channels == 1;
  const std::span<uint8_t> data(block.data(), length);
  if (eight_bit_mono && after_faded_end_) {
    FadeInUnsigned8(data, CutFadeSamples(format.rate));
  }
  after_faded_end_ = eight_bit_mono && length != kBlockBytes && length > 0;
  if (after_faded_end_) FadeOutUnsigned8(data, CutFadeSamples(format.rate));
  BlockHeader& header = headers_[next - 1];
  header = {std::max(length, kMinBlockBytes), next, true};
  if (device_.Write(next, block.data(), header.length) != kWaveOk) {
    header.queued = false;
    --in_flight_;
  }
}

int WavPlayback::PlayPcm(const formats::PcmFormat& format, std::span<const uint8_t> samples) {
  int rate = format.sample_rate;
  const int channels = format.channels;
  const int bits = format.bits;
  const std::size_t length = samples.size();
  // 1. Faster playback: half as many samples again per second, the fraction dropped.
  if (fast_playback_) {
    rate = static_cast<int>(std::clamp<int64_t>(int64_t{rate} * 3 / 2, INT_MIN, INT_MAX));
  }
  // 2. Cut mono speech is played at 8 bits.
  const bool cut = cut_speech_ && channels == 1;
  const int device_bits = cut && bits == 16 ? 8 : bits;
  int result = OpenDevice({rate, device_bits, channels});
  if (result != kWaveOk) return result;
  // 3. Blocks of up to 65534 bytes, never more than four with the device.
  std::size_t position = 0;
  while (position < length) {
    while (in_flight_ >= kRingBlocks) {
      waiter_.Delay(kFullRingTestMs);
      if (waiter_.KeyPressed()) {
        StopWav();
        return 0;
      }
    }
    if (waiter_.KeyPressed()) {
      StopWav();
      return 0;
    }
    std::size_t block = std::min(length - position, kBlockBytes);
    if (cut) {
      std::memcpy(cut_buffer_.data(), samples.data() + position, block);
      QueueBlock(cut_buffer_.data(), CutSpeechPeriods(cut_buffer_.data(), block, bits, rate));
    } else {
      QueueBlock(samples.data() + position, block);
    }
    position += block;
  }
  return 0;
}

void WavPlayback::PlayWavBuffer(std::span<const uint8_t> image) {
  WavImageInfo info;
  if (!ParseWavImage(image, info)) return;
  PlayPcm({info.channels, info.rate, info.bits}, {info.data, info.length});
}

// --- files --------------------------------------------------------------------------------

int WavPlayback::QueueWavStream(formats::ByteSource& source) {
  // The RIFF head (its size and the "WAVE" tag not checked), "fmt " first with the fields up
  // to the bits, then the chunks up to "data" (no pad byte after odd sizes).
  formats::RiffWav wav;
  if (!formats::ReadRiffHead(source, {}, wav)) return -1;
  const formats::PcmFormat format{wav.Channels(), wav.Rate(), wav.Bits()};
  // Play the data in pieces.
  uint32_t remaining = wav.data_size;
  int result = 0;
  while (remaining > 0) {
    result = -1;
    std::size_t piece = remaining >= kOddPieceLow && remaining <= kOddPieceHigh
                            ? kOddPiece
                            : std::min<std::size_t>(remaining, kBlockBytes);
    // A file shorter than its data chunk plays what it holds.
    std::size_t got = source.Read(scratch_.data(), piece);
    if (got == 0) break;
    result = PlayPcm(format, std::span<const uint8_t>(scratch_.data(), got));
    remaining -= static_cast<uint32_t>(piece);
    if (result != 0 || waiter_.KeyPressed()) break;
  }
  return result;
}

int WavPlayback::PlayWavStream(formats::ByteSource& source) {
  int result = QueueWavStream(source);
  WaitWhileBusy();
  return result;
}

int WavPlayback::PlayWavFile(const std::string& path) {
  if (waiter_.KeyPressed()) return 0;
  std::unique_ptr<formats::ByteSource> file = opener_(path);
  if (!file) return -1;
  int result = QueueWavStream(*file);
  file.reset();
  WaitWhileBusy();
  return result;
}

}  // namespace cadencio::audio
