// A wave-out device between WAV playback and the real device. Normally it passes everything
// on. While it records, the blocks written are kept instead of played and reported done at
// once, so whatever voice speaks through WAV playback renders a text into a sound, faster than
// it would sound, without a change anywhere in the voice.
#pragma once

#include <vector>

#include "audio/wav_loader.hpp"
#include "audio/wave_out/wave_out_device.hpp"
#include "base/message_loop.hpp"

namespace cadencio::audio {

class WaveOutRecorder final : public WaveOutDevice {
 public:
  // Both must outlive this object.
  WaveOutRecorder(WaveOutDevice& device, base::MessageLoop& loop) : device_(device), loop_(loop) {}

  void BeginRecording();
  // Ends the recording: what was written, as interleaved stereo float at `rate`.
  std::vector<float> EndRecording(int rate);

  int Open(const WaveFormat& format) override;
  bool IsOpen() const override { return device_.IsOpen(); }
  int Write(int index, const uint8_t* bytes, std::size_t count) override;
  int Unprepare(int index) override { return device_.Unprepare(index); }
  void Reset() override { device_.Reset(); }
  void Close() override { device_.Close(); }

 private:
  WaveOutDevice& device_;
  base::MessageLoop& loop_;
  WaveFormat format_;  // of the last successful open
  bool recording_ = false;
  // The blocks recorded, one entry per run of one format.
  std::vector<PcmData> runs_;
};

}  // namespace cadencio::audio
