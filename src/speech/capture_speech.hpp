// The speech front end and the recorded voice on the capture output, with virtual time and a
// headless console: what the program speaks, rendered into a stream instead of a sound card.
// The listening tool and the speech benchmarks use it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "console/console.hpp"
#include "platform/audio_output.hpp"
#include "platform/clock.hpp"
#include "platform/headless_frontend.hpp"
#include "platform/message_loop.hpp"
#include "platform/wave_out_device.hpp"
#include "speech/recorded_voice_adapter.hpp"
#include "speech/speech_front_end.hpp"
#include "speech/wav_playback.hpp"

namespace cadencio::speech {

struct CaptureSpeech {
  // Keys come from `script`; the window never closes on its own. WAV playback writes to
  // `device` when one is given (it must pass the blocks on to the mixer's channel), else
  // straight to the mixer's wave-out channel.
  CaptureSpeech(const std::string& start_dir, std::vector<platform::ScriptedMessage> script = {},
                platform::WaveOutDevice* device = nullptr, int rate = 44100)
      : frontend(clock, std::move(script), kNeverCloseMs),
        audio(clock, rate),
        console(frontend, loop, clock),
        wav(console, device ? *device : audio.GetMixer().WaveOut()),
        speech(console, wav, start_dir),
        voice(speech) {
    audio.GetMixer().WaveOut().SetMessageLoop(&loop);
  }

  static constexpr int64_t kNeverCloseMs = 24LL * 3600 * 1000;
  platform::VirtualClock clock;
  platform::MessageLoop loop;
  platform::HeadlessFrontend frontend;
  platform::CaptureAudio audio;
  console::Console console;
  WavPlayback wav;
  SpeechFrontEnd speech;
  RecordedVoiceAdapter voice;
};

}  // namespace cadencio::speech
