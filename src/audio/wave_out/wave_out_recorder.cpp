// Recording the blocks of WAV playback instead of playing them.
#include "audio/wave_out/wave_out_recorder.hpp"

namespace cadencio::audio {

void WaveOutRecorder::BeginRecording() {
  runs_.clear();
  recording_ = true;
}

std::vector<float> WaveOutRecorder::EndRecording(int rate) {
  recording_ = false;
  std::vector<float> samples;
  for (const PcmData& run : runs_) {
    const std::vector<float> converted = ConvertToStereoFloat(run, rate);
    samples.insert(samples.end(), converted.begin(), converted.end());
  }
  runs_.clear();
  return samples;
}

int WaveOutRecorder::Open(const WaveFormat& format) {
  const int result = device_.Open(format);
  if (result == kWaveOk) format_ = format;
  return result;
}

int WaveOutRecorder::Write(int index, const uint8_t* bytes, std::size_t count) {
  if (!recording_) return device_.Write(index, bytes, count);
  if (!device_.IsOpen()) return kWaveErrorInvalidHandle;
  const formats::PcmFormat pcm{format_.channels, format_.rate, format_.bits};
  if (runs_.empty() || runs_.back().format.channels != pcm.channels ||
      runs_.back().format.sample_rate != pcm.sample_rate || runs_.back().format.bits != pcm.bits) {
    runs_.push_back({pcm, {}});
  }
  // Whole frames only, as the device would play them; a recording is bounded like any sound,
  // and a block beyond that is refused as a device without room refuses it.
  const std::size_t frame_bytes = static_cast<std::size_t>(pcm.channels * pcm.bits / 8);
  std::vector<uint8_t>& run = runs_.back().bytes;
  if (static_cast<int64_t>((run.size() + count) / frame_bytes) > kMaxSoundFrames) {
    return kWaveErrorNoMemory;
  }
  run.insert(run.end(), bytes, bytes + count / frame_bytes * frame_bytes);
  base::Message done{base::MessageKind::kBlockDone};
  done.param = index;
  loop_.Post(done);
  return kWaveOk;
}

}  // namespace cadencio::audio
