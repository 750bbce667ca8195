// The cadencio program: a talking metronome. It reads no arguments of its own; the options are
// only the conventional --help and --version and the choice of front end.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>

#include "app/metronome.hpp"
#include "platform/audio_output.hpp"
#include "platform/clock.hpp"
#include "platform/frontend.hpp"
#include "platform/message_loop.hpp"
#include "platform/paths.hpp"
#include "platform/terminal_frontend.hpp"
#include "speech/program_parts.hpp"

namespace {

constexpr const char* kUsage =
    "Usage: cadencio [--terminal]\n"
    "       cadencio --help | --version\n"
    "\n"
    "A talking metronome, worked with the keyboard alone. It asks for the tempo (1 to 500\n"
    "beats per minute) and the measure, then ticks; F1 lists the keys, Esc ends.\n"
    "\n"
    "  --terminal   show the 80 x 25 screen in this terminal (the default)\n"
    "  --help       show this text and end\n"
    "  --version    show the version and end\n"
    "\n"
    "Settings are kept in AUDIRA.INI in $AUDIRA_WINDIR, else $XDG_CONFIG_HOME/audira,\n"
    "else ~/.config/audira. Sound and voice data are read from $SONAUD_ROOT, else the\n"
    "installed data directory.\n";

int Run() {
  const std::string start_dir = std::filesystem::current_path().string();
  cadencio::platform::EnsureDefaultConfig(start_dir);
  // The loop outlives the front end, whose key reader posts into it until the front end closes.
  cadencio::platform::RealClock clock;
  cadencio::platform::MessageLoop loop;
  std::string why;
  auto frontend = cadencio::platform::MakeTerminalFrontend(&why);
  if (!frontend) {
    std::fprintf(stderr, "cadencio: %s; it needs a terminal.\n", why.c_str());
    return 1;
  }
  auto audio = cadencio::platform::OpenSdlAudio();
  cadencio::speech::ProgramParts parts({*frontend, loop, *audio, clock}, start_dir);
  try {
    const int code = parts.RunToExit([&parts] { cadencio::app::RunCadencio(parts); });
    frontend->Close();
    return code;
  } catch (const std::exception& error) {
    // Say what went wrong on the restored terminal rather than vanishing.
    frontend->Close();
    std::fprintf(stderr, "cadencio: internal error: %s\n", error.what());
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("cadencio %s\n", CADENCIO_VERSION);
      return 0;
    }
    if (std::strcmp(argv[i], "--terminal") != 0) {
      std::fprintf(stderr, "cadencio: unknown option '%s'\n\n%s", argv[i], kUsage);
      return 2;
    }
  }
  return Run();
}
