// The auwav module: WAV playback. Plays RIFF/WAVE files, WAVE images in memory and bare PCM
// samples through the wave-out device, in blocks of up to 65534 bytes through a ring of four,
// so that every prompt, letter, number piece, diphone stream and tone sounds through one
// path. A waiting key stops playback at once and stays queued for the caller. Two switches
// make speech faster: FastPlayback raises the rate by half, CutSpeech drops every other
// pitch period of mono sound.
//
// Everything runs on the program thread; finished blocks come back as block-done notices of
// the message loop, whose handler WAV playback registers there and which the loop calls
// wherever the waiter pumps messages. Every wait goes through the waiter (Delay, WaitMessage,
// PumpAllMessages), so tests on a virtual clock never sleep.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "audio/wave_out/cut_speech.hpp"
#include "audio/wave_out/wav_image_reader.hpp"
#include "audio/wave_out/wave_out_device.hpp"
#include "base/waiter.hpp"
#include "formats/byte_source.hpp"
#include "formats/pcm_format.hpp"

namespace cadencio::audio {

class WavPlayback {
 public:
  static constexpr int kRingBlocks = 4;
  static constexpr std::size_t kBlockBytes = WaveOutDevice::kMaxBlockBytes;
  // Short blocks are sent at least this long, padded with silence.
  static constexpr std::size_t kMinBlockBytes = 256;

  // Opens a file for PlayWavFile; nothing when it cannot be opened.
  using FileOpener = std::function<std::unique_ptr<formats::ByteSource>(const std::string& path)>;

  // Shows the text of a finished block that cannot be released (empty when its code has none)
  // and waits for Enter.
  using ReleaseErrorReport = std::function<void(std::string_view text)>;

  // The waiter and the device must outlive this object. Without an opener, files are opened as
  // named.
  WavPlayback(base::Waiter& waiter, WaveOutDevice& device, FileOpener opener = {});
  ~WavPlayback();
  WavPlayback(const WavPlayback&) = delete;
  WavPlayback& operator=(const WavPlayback&) = delete;

  // 0 when the data was played (or a key ended it); -1 when the file cannot be opened, is not
  // a playable RIFF/WAVE file or a read fails; otherwise the device's open error code.
  // Returns after the sound has ended.
  int PlayWavFile(const std::string& path);
  // The same for a file's bytes from any reader.
  int PlayWavStream(formats::ByteSource& source);
  // Plays a WAVE image; returns once its last block is queued. Not RIFF/WAVE: plays nothing.
  void PlayWavBuffer(std::span<const uint8_t> image);
  // Queues PCM samples in `format`; returns once the last block is queued. 0 or the device's
  // open error. Files and images come here once their header is read; sound made in memory
  // (the built-in TTS, espeak-ng, the generated beep and click) comes here directly.
  int PlayPcm(const formats::PcmFormat& format, std::span<const uint8_t> samples);
  // Handles pending messages; stops when a key waits or nothing is left to play; whether
  // blocks are still playing.
  bool WavBusy();
  void StopWav();
  // The handler of the device's block-done notice.
  void OnWaveBlockDone(int64_t index);
  // Where a block that cannot be released is reported (the program shows it on the screen);
  // without a report it is passed over.
  void SetReleaseErrorReport(ReleaseErrorReport report) { release_error_ = std::move(report); }

  bool FastPlayback() const { return fast_playback_; }
  void SetFastPlayback(bool on) { fast_playback_ = on; }
  bool CutSpeech() const { return cut_speech_; }
  void SetCutSpeech(bool on) { cut_speech_ = on; }

  // For tests and diagnostics.
  int InFlight() const { return in_flight_; }
  bool DeviceOpen() const { return device_open_; }
  const WaveFormat& CurrentFormat() const { return current_format_; }

  // The text shown when a finished block cannot be released; empty when the code has none.
  static std::string_view UnprepareErrorText(int code);

 private:
  struct BlockHeader {
    std::size_t length = 0;  // bytes sent to the device
    int user = 0;            // the ring index 1..4
    bool queued = false;     // with the device, between writing and its done message
  };

  // The chunk walk and the pieces of a file, without the final wait.
  int QueueWavStream(formats::ByteSource& source);
  void WaitWhileBusy();
  int OpenDevice(const WaveFormat& format);
  void QueueBlock(const uint8_t* samples, std::size_t length);

  base::Waiter& waiter_;
  WaveOutDevice& device_;
  FileOpener opener_;
  ReleaseErrorReport release_error_;

  bool device_open_ = false;
  bool after_faded_end_ = false;  // the last block queued faded out to silence
  WaveFormat current_format_;
  std::array<std::vector<uint8_t>, kRingBlocks> ring_;
  std::array<BlockHeader, kRingBlocks> headers_;
  int last_index_ = 0;  // ring index 1..4 used last; 0 before the first
  int in_flight_ = 0;
  std::vector<uint8_t> scratch_;     // file pieces
  std::vector<uint8_t> cut_buffer_;  // a block being shortened
  bool fast_playback_ = false;
  bool cut_speech_ = false;
};

}  // namespace cadencio::audio
