// The sound device through a JACK server (PipeWire's JACK API included): the mixer plays in
// JACK's process callback at the server's rate, on two output ports connected to the system's
// playback ports; a capture port feeds the tuner; a MIDI port sends MIDI clock; the transport is
// followed or led. When the server goes away, the program goes on through the device the
// fallback opens on the same mixer, and says so. No JACK type leaves audio/jack.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "audio/audio_input.hpp"
#include "audio/audio_output.hpp"
#include "audio/transport_timeline.hpp"
#include "base/message_loop.hpp"

namespace cadencio::audio {

enum class TransportMode { kOff, kFollow, kLead };

struct JackOptions {
  std::string client_name = "cadencio";
  // Connect the outputs to the system's playback ports and its first capture port to ours.
  bool connect_system = true;
  TransportMode transport = TransportMode::kOff;
  // Tests: called on the process thread as the work of a callback (process, timebase) begins
  // (true) and ends (false), to watch what the callbacks do.
  std::function<void(bool)> process_probe;
};

// Opens a device that plays a mixer handed over (the SDL output), when the server goes away.
using FallbackOpener = std::function<std::unique_ptr<AudioOutput>(Mixer&)>;

class JackOutput : public AudioOutput {
 public:
  // The tuner's microphone: the capture port, read mono at the server's rate. Null once the
  // server has gone away.
  virtual std::unique_ptr<AudioInput> OpenCapture() = 0;
  // Whether the server still plays the mixer (false once the fallback took over).
  virtual bool ServerRunning() const = 0;
};

// Opens the client on the default server (or JACK_DEFAULT_SERVER's). The loop hears of a server
// that went away and of the transport's changes; it must outlive the output. Null, with the
// reason in `why`, when no server answers or the build has no JACK.
std::unique_ptr<JackOutput> OpenJackOutput(const JackOptions& options, base::MessageLoop& loop,
                                           FallbackOpener fallback, std::string* why);

// Whether this build has the JACK back end.
bool JackBuilt();

}  // namespace cadencio::audio
