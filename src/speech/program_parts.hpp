// The program's parts above its devices, connected in one place: the console over the screen
// and keys, the beat channel and WAV playback over the sound device, the speech front end and
// the recorded voice. The program, the test scenarios, the capture rig and the benchmarks all
// build the program here, so that a new part is connected once.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "console/console.hpp"
#include "console/tone.hpp"
#include "platform/audio_input.hpp"
#include "platform/audio_output.hpp"
#include "platform/beat_channel.hpp"
#include "platform/clock.hpp"
#include "platform/frontend.hpp"
#include "platform/message_loop.hpp"
#include "platform/wave_out_device.hpp"
#include "platform/wave_out_recorder.hpp"
#include "speech/recorded_voice_adapter.hpp"
#include "speech/speech_front_end.hpp"
#include "speech/wav_playback.hpp"

namespace cadencio::speech {

// What lies under the program and differs between the program, its tests and its tools: the
// screen and keys, the program thread's message queue, the sound device and the clock. They
// must outlive the parts.
struct Devices {
  platform::Frontend& frontend;
  platform::MessageLoop& loop;
  platform::AudioOutput& audio;
  platform::Clock& clock;
};

class ProgramParts {
 public:
  // `start_dir` is where the program started. WAV playback writes to `wave_out` when one is
  // given (it must pass the blocks on to the mixer's wave-out channel), else straight to the
  // mixer's channel.
  ProgramParts(const Devices& devices, const std::string& start_dir,
               platform::WaveOutDevice* wave_out = nullptr);
  ProgramParts(const ProgramParts&) = delete;
  ProgramParts& operator=(const ProgramParts&) = delete;

  // Runs `program` until it returns or ends the program; the end-of-program procedure runs on
  // the way out. The exit code, or -1 when `program` returned.
  int RunToExit(const std::function<void()>& program);

  Devices devices;
  console::MixerTonePlayer tones;  // the braille mode beeps
  console::Console console;
  platform::BeatChannel beats;
  // Between WAV playback and the device: renders what a voice says into a sound on demand.
  platform::WaveOutRecorder recorder;
  WavPlayback wav;
  SpeechFrontEnd speech;
  RecordedVoiceAdapter voice;
  // Opens the microphone for the tuner, only while it listens; unset (no microphone) unless
  // the program or a test gives one.
  std::function<std::unique_ptr<platform::AudioInput>()> open_capture;
};

}  // namespace cadencio::speech
