// The command line in the user's language: --help, --version and usage errors in Portuguese
// when the locale asks for Portuguese (installed or not), in English otherwise.
#include <gtest/gtest.h>
#include <sys/wait.h>

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

}  // namespace
