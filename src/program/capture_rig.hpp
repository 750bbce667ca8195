// The whole program on the capture output, with virtual time and a headless console: what the
// program speaks and plays, rendered into a stream instead of a sound card. The listening
// tool, the speech benchmarks and the test scenarios use it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_output.hpp"
#include "audio/wave_out/wave_out_device.hpp"
#include "base/clock.hpp"
#include "base/message_loop.hpp"
#include "frontends/headless_frontend.hpp"
#include "program/program_parts.hpp"

namespace cadencio::program {

struct CaptureRig {
  static constexpr int64_t kNeverCloseMs = 24LL * 3600 * 1000;
  using FrontendWrapper =
      std::function<std::unique_ptr<frontends::Frontend>(frontends::HeadlessFrontend& script)>;

  // Keys come from `script`; the window closes `tail_ms` after the last one. WAV playback
  // writes to `device` when one is given (it must pass the blocks on to
  // parts.wave_out_channel), else straight to that channel.
  CaptureRig(const std::string& start_dir, std::vector<frontends::ScriptedMessage> script = {},
             audio::WaveOutDevice* device = nullptr, int rate = 44100,
             int64_t tail_ms = kNeverCloseMs,
             base::Clock::DateTime start = base::VirtualClock::kDefaultStart,
             const FrontendWrapper& wrap = {})
      : clock(start),
        frontend(clock, std::move(script), tail_ms),
        shown(wrap ? wrap(frontend) : nullptr),
        audio(clock, rate),
        parts({shown ? *shown : frontend, loop, audio, clock}, start_dir, device) {}

  base::VirtualClock clock;
  base::MessageLoop loop;
  frontends::HeadlessFrontend frontend;
  // A front end that shows the screen instead, taking its keys from `frontend` (or null).
  std::unique_ptr<frontends::Frontend> shown;
  audio::CaptureAudio audio;
  ProgramParts parts;
  console::Console& console = parts.console;
  audio::WavPlayback& wav = parts.wav;
  speech::SpeechFrontEnd& speech = parts.speech;
  dialogs::SpokenKeyReader& keys = parts.keys;
  files::AudiraSettings& settings = parts.settings;
  speech::RecordedVoiceAdapter& voice = parts.voice;
};

}  // namespace cadencio::program
