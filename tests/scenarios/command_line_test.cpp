// The command line in the user's language: --help, --version and usage errors in Portuguese
// when the locale asks for Portuguese (installed or not), in English otherwise.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

struct Outcome {
  std::string out;  // standard output and standard error together
  int status = -1;
};

// The program with only the given locale variables set.
Outcome Cadencio(const std::string& locale, const std::string& arguments) {
  const std::string command = "env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LANG " + locale +
                              " '" CADENCIO_BINARY "' " + arguments + " 2>&1";
  Outcome run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int code = pclose(pipe);
  run.status = WIFEXITED(code) ? WEXITSTATUS(code) : -1;
  return run;
}

bool Has(const Outcome& run, const std::string& text) {
  return run.out.find(text) != std::string::npos;
}

TEST(CommandLine, HelpIsPortugueseWhenTheLocaleIsPortuguese) {
  // pt_BR.UTF-8 need not be installed: the language is still taken from the environment.
  for (const char* locale : {"LANG=pt_BR.UTF-8", "LC_ALL=pt_BR", "LC_MESSAGES=pt_BR.UTF-8",
                             "LANG=pt_PT.UTF-8", "LANG=C.UTF-8 LANGUAGE=pt_BR"}) {
    const Outcome run = Cadencio(locale, "--help");
    EXPECT_EQ(run.status, 0) << locale;
    EXPECT_TRUE(Has(run, "Uso: cadencio [--terminal | --window]")) << locale << run.out;
    EXPECT_TRUE(Has(run, "  --help       mostra este texto e termina")) << locale;
    EXPECT_FALSE(Has(run, "show this text")) << locale;
  }
}

TEST(CommandLine, HelpIsEnglishOtherwise) {
  for (const char* locale : {"LANG=en_US.UTF-8", "LC_ALL=C", "LANG=de_DE.UTF-8", ""}) {
    const Outcome run = Cadencio(locale, "--help");
    EXPECT_EQ(run.status, 0) << locale;
    EXPECT_TRUE(Has(run, "Usage: cadencio [--terminal | --window]")) << locale << run.out;
    EXPECT_TRUE(Has(run, "  --help       show this text and end")) << locale;
  }
}

TEST(CommandLine, LcAllOutranksLang) {
  EXPECT_TRUE(Has(Cadencio("LANG=pt_BR.UTF-8 LC_ALL=C", "--help"), "Usage:"));
  EXPECT_TRUE(Has(Cadencio("LANG=en_US.UTF-8 LC_ALL=pt_BR.UTF-8", "--help"), "Uso:"));
}

TEST(CommandLine, VersionAndUsageErrorsFollowTheLanguage) {
  const Outcome version = Cadencio("LANG=pt_BR.UTF-8", "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("cadencio ", 0), 0u) << version.out;
  EXPECT_TRUE(Has(version, "Um metrônomo falante")) << version.out;

  const Outcome portuguese = Cadencio("LANG=pt_BR.UTF-8", "--tempo");
  EXPECT_EQ(portuguese.status, 2);
  EXPECT_TRUE(Has(portuguese, "cadencio: opção desconhecida '--tempo'")) << portuguese.out;
  EXPECT_TRUE(Has(portuguese, "Uso:"));
  const Outcome english = Cadencio("LANG=C", "--tempo");
  EXPECT_EQ(english.status, 2);
  EXPECT_TRUE(Has(english, "cadencio: unknown option '--tempo'")) << english.out;
}

TEST(CommandLine, AFrontEndThatCannotOpenIsSaidWhollyInTheLanguage) {
  struct Case {
    const char* arguments;
    const char* english;
    const char* portuguese;
  };
  const Case cases[] = {
      {"--terminal </dev/null", "standard input and output are not a terminal",
       "a entrada e a sa\u00EDda padr\u00E3o n\u00E3o s\u00E3o um terminal"},
      {"--window", "no display for a window", "n\u00E3o h\u00E1 tela gr\u00E1fica para uma janela"},
  };
  for (const Case& c : cases) {
    const std::string arguments = c.arguments;
    // No display of any kind for the window.
    const std::string plain = "-u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ";
    const Outcome english = Cadencio(plain + "LANG=C", arguments);
    EXPECT_EQ(english.status, 1) << arguments;
    EXPECT_TRUE(Has(english, c.english)) << arguments << ": " << english.out;
    EXPECT_TRUE(Has(english, "it needs a terminal or a display")) << english.out;
    const Outcome portuguese = Cadencio(plain + "LANG=pt_BR.UTF-8", arguments);
    EXPECT_EQ(portuguese.status, 1) << arguments;
    EXPECT_TRUE(Has(portuguese, c.portuguese)) << arguments << ": " << portuguese.out;
    EXPECT_TRUE(Has(portuguese, "ele precisa de um terminal")) << portuguese.out;
    EXPECT_FALSE(Has(portuguese, c.english)) << arguments << ": half translated";
    EXPECT_EQ(std::count(portuguese.out.begin(), portuguese.out.end(), '\n'), 1)
        << arguments << ": one line, without the libraries' own words: " << portuguese.out;
  }
}

}  // namespace
