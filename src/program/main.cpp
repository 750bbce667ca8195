// The cadencio program: a talking metronome. Its options are the conventional --help and
// --version, the choice of front end, of the sound back end (SDL or JACK) and the screen-reader
// mode, answered in the user's language.
#include <libintl.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>

#include "app/metronome.hpp"
#include "audio/jack/jack_output.hpp"
#include "audio/sdl/sdl_audio.hpp"
#include "base/clock.hpp"
#include "base/message_loop.hpp"
#include "base/windows1252.hpp"
#include "files/paths.hpp"
#include "frontends/frontend.hpp"
#include "frontends/terminal/terminal_frontend.hpp"
#include "frontends/window/window_frontend.hpp"
#include "program/program_parts.hpp"

namespace {

// The command line speaks the user's language through the "cadencio" message catalogue; the
// program's own screen and speech stay in Portuguese whatever the locale.
const char* Tr(const char* text) {
  return dgettext("cadencio", text);
}

// Chooses the language of the command line. When the locale the environment names is not
// installed (a fresh system often has only C.UTF-8), C.UTF-8 stands in and the language the
// environment asked for is still honoured through LANGUAGE, which gettext reads on any locale
// but plain "C".
void SetUpMessages() {
  // Only the messages' category: the rest of the program (the window's title through X11
  // above all) keeps running in the "C" locale it was written for.
  if (std::setlocale(LC_MESSAGES, "") == nullptr) {
    std::setlocale(LC_MESSAGES, "C.UTF-8");
    const char* language = std::getenv("LANGUAGE");
    if (language == nullptr || *language == '\0') {
      for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
          std::string wanted(value);
          wanted = wanted.substr(0, wanted.find_first_of(".@"));
          if (wanted != "C" && wanted != "POSIX") setenv("LANGUAGE", wanted.c_str(), 1);
          break;
        }
      }
    }
  }
  // The catalogues lie in share/locale beside the data root: in the build tree while the
  // program runs from it, else under the prefix it was installed to.
  std::string locale_dir =
      std::filesystem::path(cadencio::files::DataRoot()).parent_path() / "locale";
  if (!std::filesystem::is_directory(locale_dir)) locale_dir = CADENCIO_INSTALL_LOCALE_DIR;
  bindtextdomain("cadencio", locale_dir.c_str());
  bind_textdomain_codeset("cadencio", "UTF-8");
}

// The usage text: the synopsis, what the program is, one entry per option, where it keeps
// things. The manual pages take the synopsis and the options from this text, so the two agree.
std::string Usage() {
  std::string text =
      Tr("Usage: cadencio [--terminal | --window] [--sdl | --jack] [--screen-reader]\n"
         "       cadencio --help | --version\n");
  text += "\n";
  text +=
      Tr("A talking metronome, worked with the keyboard alone. It asks for the tempo (1 to 500\n"
         "beats per minute) and the measure, then ticks; F1 lists the keys, Esc ends.\n");
  text += "\n";
  text += Tr(
      "  --terminal   show the 80 x 25 screen in this terminal (the default when there is one)\n");
  text +=
      Tr("  --window     show it in a window with the colours, font and magnifier of the [VIDEO]\n"
         "               settings (the default when there is a display but no terminal)\n");
  text +=
      Tr("  --sdl        play through the sound card SDL opens (PipeWire, PulseAudio, ALSA); the\n"
         "               default, or SAIDA=SDL in [CADENCIO] of AUDIRA.INI\n");
  text +=
      Tr("  --jack       play through the JACK server (or PipeWire's JACK), as client cadencio,\n"
         "               with MIDI clock on its MIDI port and the transport followed or led as\n"
         "               TRANSPORTE=SEGUIR or MESTRE in [CADENCIO] says; the same as SAIDA=JACK.\n"
         "               Without a server it plays through SDL, and says so\n");
  text +=
      Tr("  --screen-reader  leave speech to your screen reader (Orca, Speakup, Fenrir, BRLTTY):\n"
         "               cadencio says nothing itself and writes what it would say as plain\n"
         "               lines in the terminal. Beats, tones and beeps still sound. The same\n"
         "               as --leitor-de-tela, or LEITORDETELA=S in [CADENCIO] of AUDIRA.INI\n");
  text += Tr("  --help       show this text and end\n");
  text += Tr("  --version    show the version and end\n");
  text += "\n";
  text +=
      Tr("Settings are kept in AUDIRA.INI in $AUDIRA_WINDIR, else $XDG_CONFIG_HOME/audira,\n"
         "else ~/.config/audira. Sound and voice data are read from $SONAUD_ROOT, else the\n"
         "installed data directory.\n");
  return text;
}

// Why a front end cannot be used, in the user's language, with the library's words where its
// message says "%s".
std::string Reason(const cadencio::frontends::FrontendFailure& failure) {
  if (failure.message == nullptr) return failure.detail;
  std::string text = Tr(failure.message);
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, failure.detail);
  return text;
}

enum class FrontendChoice { kAuto, kTerminal, kWindow };
enum class AudioChoice { kSettings, kSdl, kJack };

// The terminal when asked for, or by default when standard input is a terminal; the window
// when asked for, or by default when there is a display and no terminal.
// A screen reader is served with plain lines in the terminal.
std::unique_ptr<cadencio::frontends::Frontend> ChooseFrontend(
    FrontendChoice choice, bool screen_reader, cadencio::frontends::FrontendFailure* why) {
  const bool has_display = std::getenv("DISPLAY") != nullptr ||
                           std::getenv("WAYLAND_DISPLAY") != nullptr ||
                           std::getenv("SDL_VIDEODRIVER") != nullptr;
  if (choice == FrontendChoice::kAuto) {
    choice =
        isatty(STDIN_FILENO) || !has_display ? FrontendChoice::kTerminal : FrontendChoice::kWindow;
  }
  if (choice == FrontendChoice::kWindow) return cadencio::frontends::MakeWindowFrontend(why);
  return cadencio::frontends::MakeTerminalFrontend(why, screen_reader);
}

// The sound back end: JACK when the command line or [CADENCIO] SAIDA asks for it and a server
// answers (going on through SDL on the same mixer if the server goes away), else SDL.
std::unique_ptr<cadencio::audio::AudioOutput> OpenAudio(
    AudioChoice choice, const cadencio::files::AudiraSettings& settings,
    cadencio::base::MessageLoop& loop, cadencio::audio::JackOutput** jack) {
  *jack = nullptr;
  if (choice == AudioChoice::kSdl ||
      (choice == AudioChoice::kSettings && !cadencio::program::JackSetting(settings))) {
    return cadencio::audio::OpenSdlAudio();
  }
  cadencio::audio::JackOptions options;
  options.transport = cadencio::program::TransportSetting(settings);
  auto output = cadencio::audio::OpenJackOutput(
      options, loop,
      [](cadencio::audio::Mixer& mixer) { return cadencio::audio::OpenSdlAudioOn(mixer); },
      nullptr);
  if (!output) return cadencio::audio::OpenSdlAudio();
  *jack = output.get();
  return output;
}

int Run(FrontendChoice choice, AudioChoice audio_choice, bool screen_reader) {
  const std::string start_dir = std::filesystem::current_path().string();
  cadencio::files::EnsureDefaultConfig(start_dir);
  // The terminal writes plain lines when a screen reader is wanted; the parts switch the
  // mode on.
  screen_reader = screen_reader || cadencio::program::ScreenReaderSetting(
                                       cadencio::files::AudiraSettings(start_dir));
  // The loop outlives the front end, whose key reader posts into it until the front end closes.
  cadencio::base::RealClock clock;
  cadencio::base::MessageLoop loop;
  cadencio::frontends::FrontendFailure why;
  auto frontend = ChooseFrontend(choice, screen_reader, &why);
  if (!frontend) {
    std::fprintf(stderr, Tr("cadencio: %s; it needs a terminal or a display.\n"),
                 Reason(why).c_str());
    return 1;
  }
  const cadencio::files::AudiraSettings settings(start_dir);
  cadencio::audio::JackOutput* jack = nullptr;
  auto audio = OpenAudio(audio_choice, settings, loop, &jack);
  // Link starts only when it is turned on; its session lives as long as the device's mixer,
  // which SDL takes over when the JACK server goes away.
  cadencio::audio::LinkSession& link =
      cadencio::audio::AddLinkSession(*audio, cadencio::app::kMaxBpm);
  cadencio::program::ProgramParts parts({*frontend, loop, *audio, clock, &link}, start_dir, nullptr,
                                        screen_reader);
  parts.jack_wanted =
      audio_choice == AudioChoice::kJack ||
      (audio_choice == AudioChoice::kSettings && cadencio::program::JackSetting(settings));
  // The tuner and the listener hear JACK's capture port while the server plays, else the
  // microphone through SDL; both at the output's rate, so that the listener need not convert.
  parts.open_capture =
      [jack,
       rate = audio->GetMixer().SampleRate()]() -> std::unique_ptr<cadencio::audio::AudioInput> {
    if (jack != nullptr && jack->ServerRunning()) return jack->OpenCapture();
    return cadencio::audio::OpenSdlCapture(rate);
  };
  // The program's name leads the title; the terminal adds the tempo and measure after it.
  parts.console.SetWindowTitle("cadencio");
  try {
    // A front end that cannot open ends the program, saying why once the terminal is back.
    cadencio::frontends::FrontendFailure failure;
    const int code = parts.RunToExit([&parts, &failure] {
      try {
        cadencio::program::RunCadencio(parts);
      } catch (const cadencio::frontends::ProgramExit& exit) {
        failure = exit.failure;
        throw;
      }
    });
    frontend->Close();
    if (failure.message != nullptr) std::fprintf(stderr, "cadencio: %s\n", Reason(failure).c_str());
    return code;
  } catch (const std::exception& error) {
    // Say what went wrong on the restored terminal rather than vanishing.
    frontend->Close();
    std::fprintf(stderr, Tr("cadencio: internal error: %s\n"), error.what());
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  SetUpMessages();
  FrontendChoice choice = FrontendChoice::kAuto;
  AudioChoice audio_choice = AudioChoice::kSettings;
  bool screen_reader = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(Usage().c_str(), stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("cadencio %s\n", CADENCIO_VERSION);
      std::fputs(Tr("A talking metronome for blind and low-vision musicians.\n"), stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--terminal") == 0) {
      choice = FrontendChoice::kTerminal;
    } else if (std::strcmp(argv[i], "--window") == 0) {
      choice = FrontendChoice::kWindow;
    } else if (std::strcmp(argv[i], "--sdl") == 0) {
      audio_choice = AudioChoice::kSdl;
    } else if (std::strcmp(argv[i], "--jack") == 0) {
      if (!cadencio::audio::JackBuilt()) {
        std::fputs(Tr("cadencio: this cadencio was built without JACK; --jack cannot be used\n"),
                   stderr);
        return 2;
      }
      audio_choice = AudioChoice::kJack;
    } else if (std::strcmp(argv[i], "--screen-reader") == 0 ||
               std::strcmp(argv[i], "--leitor-de-tela") == 0) {
      screen_reader = true;
    } else {
      std::fprintf(stderr, Tr("cadencio: unknown option '%s'\n"), argv[i]);
      std::fprintf(stderr, "\n%s", Usage().c_str());
      return 2;
    }
  }
  return Run(choice, audio_choice, screen_reader);
}
