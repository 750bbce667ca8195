// The sound device behind the mixer: SDL2 audio or a JACK server in the program (audio/sdl,
// audio/jack), a capture of the stream against the virtual clock in tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audio/mixer.hpp"
#include "audio/transport_timeline.hpp"
#include "base/clock.hpp"

namespace cadencio::audio {

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  virtual Mixer& GetMixer() = 0;
  // How many frames ahead of the stream position a sound must be scheduled so that the
  // device has not rendered past its start frame yet.
  virtual int LeadFrames() const = 0;
  // Frames from the mixer's render position to the sound leaving the speaker: the device's
  // buffer for SDL, the latency the server reports for JACK.
  virtual int OutputLatencyFrames() const { return LeadFrames(); }
  // Rendering thread: the frames the device played without the mix so far (the cycles of a
  // JACK server the program missed, its process thread held up); none for a device that plays
  // every frame of the mix. The device's own clock is at mix frame + this.
  virtual int64_t MissedFrames() const { return 0; }
  // The stream frame being heard now, any thread but the audio thread: behind the frames
  // rendered by the mixer's limiter lookahead and what the device holds.
  virtual int64_t HeardFrame() {
    return GetMixer().FramesRendered() - GetMixer().LookaheadFrames();
  }
  // The driver in use, for messages ("pulseaudio", "alsa", "dummy", "capture" ...).
  virtual std::string DriverName() const = 0;
  // Program thread: true once after the sound server this output played through went away;
  // the output then goes on through another device, on the same mixer.
  virtual bool TakeServerStopped() { return false; }
  // The transport the beat follows or leads (the JACK transport), or null.
  virtual TransportTimeline* Transport() { return nullptr; }
};

// Renders the stream on the program thread whenever the virtual clock advances, and keeps it.
class CaptureAudio final : public AudioOutput {
 public:
  CaptureAudio(base::VirtualClock& clock, int rate = 44100);
  Mixer& GetMixer() override { return mixer_; }
  int LeadFrames() const override { return mixer_.SampleRate() / 100; }
  std::string DriverName() const override { return "capture"; }
  // The whole stream so far, interleaved stereo.
  const std::vector<float>& Stream() const { return stream_; }

 private:
  void RenderUpTo(int64_t now_ms);
  Mixer mixer_;
  std::vector<float> stream_;
};

}  // namespace cadencio::audio
