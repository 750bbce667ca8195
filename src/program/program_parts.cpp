// The one wiring of the program's parts.
#include "program/program_parts.hpp"

#include <string_view>
#include <vector>

#include "app/message_catalogue.hpp"
#include "app/metronome.hpp"
#include "base/windows1252.hpp"
#include "console/video_config.hpp"
#include "engines/system_engines.hpp"
#include "files/paths.hpp"
#include "synth/mbrola_loader.hpp"

namespace cadencio::program {

ProgramParts::ProgramParts(const Devices& devices, const std::string& start_dir,
                           audio::WaveOutDevice* wave_out, bool screen_reader)
    : devices(devices),
      settings(start_dir),
      tones(devices.audio.GetMixer()),
      console(devices.frontend, devices.loop, devices.clock),
      beats(devices.audio, devices.clock),
      wave_out_channel(audio::AddWaveOutChannel(devices.audio.GetMixer())),
      recorder(wave_out ? *wave_out : wave_out_channel, devices.loop),
      wav(console, recorder),
      speech(console, console, devices.clock, wav, settings),
      keys(console, speech),
      voice(speech, console, settings) {
  // The window's colours, font and braille entry come from the VIDEO and BRAILLE settings.
  console.SetVideoSettings(console::SettingsFromFile(files::FindConfigFile(start_dir)));
  console.SetTonePlayer(&tones);
  // Finished wave-out blocks come back through the program thread's message loop.
  wave_out_channel.SetMessageLoop(&devices.loop);
  // The built-in TTS speaks through the installed `mbrola` program when there is one, else
  // through the built-in synthesizer.
  engines::InstallSystemEngines(speech.Engine(), synth::LoadMbrola);
  ReportToConsole();
  // A front end without a bell of its own (the window) plays the short beep.
  devices.frontend.SetBeepSound([this] { tones.Beep(); });
  // Prompts are written from the catalogue's texts when the screen reader speaks instead.
  speech.SetPromptTexts(app::FindMessageText);
  // The window cannot be read by a screen reader: there cadencio keeps speaking.
  if ((screen_reader || ScreenReaderSetting(settings)) && devices.frontend.WritesLines()) {
    speech.SetWrittenSpeech(true);
  }
}

void ProgramParts::ReportToConsole() {
  wav.SetReleaseErrorReport([this](std::string_view text) {
    if (!text.empty()) console.Write(text);
    console.ReadScreenLine();
  });
  speech.SetReports({
      .voice_failed =
          [this](const std::vector<std::string>& lines) {
            for (const std::string& line : lines) console.WriteLine(line);
            console.ReadScreenLine();
            console.CloseConsole();
          },
      .engine_message =
          [this](const std::string& text) {
            speech.WriteSpeakLine(text);
            console.ReadKey();
          },
      .service_refused = [this] { console.WriteToScreen("\a"); },  // the default beep
  });
}

bool ScreenReaderSetting(const files::AudiraSettings& settings) {
  const std::string value = settings.ReadIniString("CADENCIO", "LEITORDETELA");
  return !value.empty() && (value[0] == 'S' || value[0] == 's');
}

namespace {

// A setting's value in upper case, blanks around it dropped.
std::string UpperSetting(const files::AudiraSettings& settings, const char* key) {
  return base::AsciiUpperCase(base::TrimBlanks(settings.ReadIniString("CADENCIO", key)));
}

}  // namespace

bool JackSetting(const files::AudiraSettings& settings) {
  return UpperSetting(settings, "SAIDA") == "JACK";
}

audio::TransportMode TransportSetting(const files::AudiraSettings& settings) {
  const std::string value = UpperSetting(settings, "TRANSPORTE");
  if (value == "SEGUIR") return audio::TransportMode::kFollow;
  if (value == "MESTRE") return audio::TransportMode::kLead;
  return audio::TransportMode::kOff;
}

int ProgramParts::RunToExit(const std::function<void()>& program) {
  try {
    program();
  } catch (const frontends::ProgramExit& exit) {
    console.EndOfProgram();
    return exit.code;
  }
  return -1;
}

void RunCadencio(ProgramParts& parts) {
  app::Metronome metronome(parts.console, parts.speech, parts.keys, parts.settings,
                           parts.devices.audio, parts.beats, parts.devices.clock);
  metronome.SetCaptureOpener(parts.open_capture);
  metronome.SetSpeechRecorder(&parts.recorder);
  metronome.SetJackWanted(parts.jack_wanted);
  metronome.SetLinkSession(parts.devices.link);
  metronome.StartMetronome();
  metronome.RunMainLoop();
  metronome.EndMetronome();
}

}  // namespace cadencio::program
