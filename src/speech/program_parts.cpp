// The one wiring of the program's parts.
#include "speech/program_parts.hpp"

#include "console/video_config.hpp"
#include "platform/paths.hpp"

namespace cadencio::speech {

ProgramParts::ProgramParts(const Devices& devices, const std::string& start_dir,
                           platform::WaveOutDevice* wave_out)
    : devices(devices),
      tones(devices.audio.GetMixer()),
      console(devices.frontend, devices.loop, devices.clock),
      beats(devices.audio, devices.clock),
      recorder(wave_out ? *wave_out : devices.audio.GetMixer().WaveOut(), devices.loop),
      wav(console, recorder),
      speech(console, wav, start_dir),
      voice(speech) {
  // The window's colours, font and braille entry come from the VIDEO and BRAILLE settings.
  console.SetVideoSettings(console::SettingsFromFile(platform::FindConfigFile(start_dir)));
  console.SetTonePlayer(&tones);
  // Finished wave-out blocks come back through the program thread's message loop.
  devices.audio.GetMixer().WaveOut().SetMessageLoop(&devices.loop);
}

int ProgramParts::RunToExit(const std::function<void()>& program) {
  try {
    program();
  } catch (const platform::ProgramExit& exit) {
    console.EndOfProgram();
    return exit.code;
  }
  return -1;
}

}  // namespace cadencio::speech
