// The composition root: the program's parts above its devices, connected in one place. The
// settings file, the console over the screen and keys, the beat channel and WAV playback over
// the sound device, the speech front end with its engines, the spoken key reads and the
// recorded voice; and what speech and playback report to the console. The program, the test
// scenarios, the capture rig and the benchmarks all build the program here, so that a new part
// is connected once.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "audio/audio_input.hpp"
#include "audio/audio_output.hpp"
#include "audio/beat_channel.hpp"
#include "audio/jack/jack_output.hpp"
#include "audio/link/link_session.hpp"
#include "audio/wave_out/wav_playback.hpp"
#include "audio/wave_out/wave_out_channel.hpp"
#include "audio/wave_out/wave_out_device.hpp"
#include "audio/wave_out/wave_out_recorder.hpp"
#include "base/clock.hpp"
#include "base/message_loop.hpp"
#include "console/console.hpp"
#include "console/mixer_tone_player.hpp"
#include "dialogs/spoken_key_reader.hpp"
#include "files/audira_settings.hpp"
#include "frontends/frontend.hpp"
#include "speech/recorded_voice_adapter.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::program {

// What lies under the program and differs between the program, its tests and its tools: the
// screen and keys, the program thread's message queue, the sound device and the clock. They
// must outlive the parts.
struct Devices {
  frontends::Frontend& frontend;
  base::MessageLoop& loop;
  audio::AudioOutput& audio;
  base::Clock& clock;
  // The session shared through Ableton Link, on the sound device's stream; none in the tests
  // that run on virtual time, where k only says that Link is off.
  audio::LinkSession* link = nullptr;
};

class ProgramParts {
 public:
  // `start_dir` is where the program started. WAV playback writes to `wave_out` when one is
  // given (it must pass the blocks on to `wave_out_channel`), else straight to that channel.
  // The screen-reader mode is on when the command line (`screen_reader`) or the settings ask
  // for it and the front end writes lines; this is the one place that switches it on.
  ProgramParts(const Devices& devices, const std::string& start_dir,
               audio::WaveOutDevice* wave_out = nullptr, bool screen_reader = false);
  ProgramParts(const ProgramParts&) = delete;
  ProgramParts& operator=(const ProgramParts&) = delete;

  // Runs `program` until it returns or ends the program; the end-of-program procedure runs on
  // the way out. The exit code, or -1 when `program` returned.
  int RunToExit(const std::function<void()>& program);

  Devices devices;
  files::AudiraSettings settings;  // AUDIRA.INI, with the start directory as its fallback home
  console::MixerTonePlayer tones;  // the braille mode beeps
  console::Console console;
  audio::BeatChannel beats;
  // The wave-out channel the mixer plays speech and prompts from.
  audio::WaveOutChannel& wave_out_channel;
  // Between WAV playback and the device: renders what a voice says into a sound on demand.
  audio::WaveOutRecorder recorder;
  audio::WavPlayback wav;
  speech::SpeechFrontEnd speech;
  dialogs::SpokenKeyReader keys;
  speech::RecordedVoiceAdapter voice;
  // Opens the microphone for the tuner, only while it listens; unset (no microphone) unless
  // the program or a test gives one.
  std::function<std::unique_ptr<audio::AudioInput>()> open_capture;
  // The command line or the settings asked for JACK: the start says when it is not in use.
  bool jack_wanted = false;

 private:
  // What WAV playback and speech cannot show themselves goes to the console.
  void ReportToConsole();
};

// Whether the settings ask for the screen-reader mode ([CADENCIO] LEITORDETELA=S).
bool ScreenReaderSetting(const files::AudiraSettings& settings);

// Whether the settings ask for the JACK back end ([CADENCIO] SAIDA=JACK).
bool JackSetting(const files::AudiraSettings& settings);

// What the settings ask of the JACK transport ([CADENCIO] TRANSPORTE=SEGUIR to follow it,
// MESTRE to be its timebase master; anything else leaves it alone).
audio::TransportMode TransportSetting(const files::AudiraSettings& settings);

// Runs the metronome on the parts: start, main loop, end. Leaves by ProgramExit.
void RunCadencio(ProgramParts& parts);

}  // namespace cadencio::program
