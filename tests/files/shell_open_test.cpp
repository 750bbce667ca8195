// Starting a program for a link or file: the word reaches it as one argument, untouched, and
// no command interpreter ever reads it.
#include "files/shell_open.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "support/recorder_program.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::files {
namespace {

using testing::InDirectory;
using testing::ReadBytes;
using testing::Recorder;
using testing::ScopedEnv;
using testing::ScratchDir;
using testing::WriteBytes;

// Children of this process that have ended and were not collected.
int ZombieChildren() {
  int zombies = 0;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string stat = ReadBytes(entry.path() / "stat");
    std::size_t close = stat.rfind(')');
    if (close == std::string::npos || close + 4 > stat.size()) continue;
    char state = stat[close + 2];
    int parent = std::atoi(stat.c_str() + close + 4);
    zombies += state == 'Z' && parent == ::getpid();
  }
  return zombies;
}

TEST(ShellOpen, PassesTheParameterAsOneArgument) {
  Recorder recorder("recorder", /*record_directory=*/true);
  ScratchDir work;
  InDirectory in(work.path());
  ASSERT_TRUE(ShellOpen(recorder.Program(), "notas da aula.txt"));
  EXPECT_EQ(recorder.WaitForOutput(), "[notas da aula.txt]\n" + work.path() + "\n");
}

TEST(ShellOpen, NoParameterGivesNoArgument) {
  Recorder recorder("recorder", /*record_directory=*/true);
  ASSERT_TRUE(ShellOpen(recorder.Program(), ""));
  std::string output = recorder.WaitForOutput();
  ASSERT_FALSE(output.empty());
  EXPECT_EQ(output.find('['), std::string::npos) << output;
}

TEST(ShellOpen, ShellSyntaxInTheWordIsNeverRun) {
  const char* words[] = {"a;touch${IFS}x", "$(touch y)", "`touch z`",   "b|touch w",
                         "c&&touch v",     "d\ntouch u", "'e'\"f\" > t"};
  for (const char* word : words) {
    Recorder recorder("recorder", /*record_directory=*/true);
    ScratchDir work;
    InDirectory in(work.path());
    ASSERT_TRUE(ShellOpen(recorder.Program(), word)) << word;
    EXPECT_EQ(recorder.WaitForOutput(), std::string("[") + word + "]\n" + work.path() + "\n")
        << word;
    // Nothing but the recorder's own output may appear anywhere.
    EXPECT_TRUE(std::filesystem::is_empty(work.path())) << word;
  }
}

TEST(ShellOpen, TheProgramIsFoundInThePath) {
  Recorder recorder("xdg-open", /*record_directory=*/true);
  ScopedEnv path("PATH", recorder.BinDir() + ":/usr/bin:/bin");
  ASSERT_TRUE(ShellOpen(kDefaultOpener, "$(id)"));
  EXPECT_EQ(recorder.WaitForOutput().substr(0, 8), "[$(id)]\n");
}

TEST(ShellOpen, AMissingProgramFails) {
  ScratchDir empty;
  ScopedEnv path("PATH", empty.path());
  EXPECT_FALSE(ShellOpen("no-such-program-here", "x"));
  EXPECT_FALSE(ShellOpen(empty / "missing", "x"));
  EXPECT_FALSE(ShellOpen("", "x"));
}

TEST(ShellOpen, FinishedChildrenAreCollected) {
  Recorder recorder("recorder", /*record_directory=*/true);
  ASSERT_TRUE(ShellOpen(recorder.Program(), "1"));
  ASSERT_FALSE(recorder.WaitForOutput().empty());
  // Once the child has ended, it does not stay behind as a zombie of this process.
  bool gone = false;
  for (int i = 0; i < 500 && !gone; ++i) {
    gone = ZombieChildren() == 0;
    if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(gone);
}

}  // namespace
}  // namespace cadencio::files
