// AUDIRA.INI as the program reads it: the program directory put in for '@', the start
// directory standing in for it, and the bounds on what a value can grow to.
#include "files/audira_settings.hpp"

#include <gtest/gtest.h>

#include <string>

#include "support/scratch_dir.hpp"

namespace cadencio::files {
namespace {

using testing::ScopedEnv;
using testing::ScratchDir;
using testing::WriteBytes;

TEST(AudiraSettings, AtSignsBecomeTheProgramDirectory) {
  ScratchDir dir;
  ScopedEnv windir("AUDIRA_WINDIR", dir.path());
  const std::string start = dir / "start";
  const std::string pgm = "[AUDIRA]\nPGMAUDIRA=c:\\pgm\\\n";
  struct Case {
    std::string ini;
    const char* section;
    std::string value;
  };
  const Case cases[] = {
      {pgm + "[X]\nK=@\\som\\x\n", "X", "c:\\pgm\\\\som\\x"},
      {pgm + "[X]\nK=@rel\n", "X", "c:\\pgm\\rel"},
      {pgm + "[X]\nK=x@\\y\n", "X", "xc:\\pgm\\\\y"},
      {pgm + "[X]\nK=a@b\n", "X", "a@b"},  // inside a value only before a backslash
      {pgm + "[X]\nK=abc\n", "X", "abc"},
      {"[AUDIRA]\nK=x\n", "", "x"},  // the empty section is AUDIRA
      // Without a program directory, or with one that begins with '@', the start directory
      // (given with a separator at its end) stands in.
      {"[X]\nK=@\\x\n", "X", start + "\\x"},
      {"[AUDIRA]\nPGMAUDIRA=@p\n[X]\nK=@\\x\n", "X", start + "\\x"},
      {"[X]\nK=" + std::string(300, 'v') + "\n", "X", std::string(255, 'v')},
  };
  for (const Case& c : cases) {
    WriteBytes(dir / "AUDIRA.INI", c.ini);
    EXPECT_EQ(AudiraSettings(start + "/").ReadIniString(c.section, "K"), c.value) << c.ini;
  }
  // A program directory that holds "@\" itself is put in again on every round: 16 rounds,
  // each 5 characters longer, and the reading ends.
  WriteBytes(dir / "AUDIRA.INI", "[AUDIRA]\nPGMAUDIRA=c:\\a@\\\n[X]\nK=@\\y\n");
  EXPECT_EQ(AudiraSettings(start).ReadIniString("X", "K").size(), 3u + 16 * 5);
}

}  // namespace
}  // namespace cadencio::files
