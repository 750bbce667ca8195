// Fault test of profile writing: a writer process killed at random moments during the write must
// leave either the complete old file or the complete new one, and no pile of temporaries.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "files/atomic_file.hpp"
#include "files/profile_file.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::files {
namespace {

using testing::NamesStartingWith;
using testing::ReadBytes;
using testing::ScratchDir;
using testing::WriteBytes;

constexpr int kIterations = 200;

// About 200 KB of other sections, with the metronome's section in the middle.
std::string LargeProfile() {
  std::string text = "; AUDIRA.INI\r\n";
  for (int i = 0; i < 2000; ++i) {
    if (i == 1000) {
      text += "[CADENCIO]\r\nBPM=60\r\nCOMPASSO=Bin\xE1rio\r\nSOMTEMPO=padrao1\r\n";
      text += "SOMCOMPASSO=padrao2\r\n\r\n";
    }
    text += "[SECAO" + std::to_string(i) + "]\r\nCHAVE=" + std::string(80, 'a' + i % 26) + "\r\n";
  }
  return text;
}

// The four settings as the settings store writes them; every round writes different values.
ProfileEntries Settings(int round) {
  return {{"BPM", std::to_string(1 + round % 500)},
          {"COMPASSO", round % 2 ? "Tern\xE1rio" : "Quatern\xE1rio"},
          {"SOMTEMPO", "TAMBOR" + std::to_string(round) + std::string(round % 100, 'x')},
          {"SOMCOMPASSO", "PRATO" + std::to_string(round)}};
}

// Microseconds one complete write takes here (the slowest of three), so that the kills are
// spread over the whole write, its flushes and its rename.
long MeasureWriteMicros(const std::string& path) {
  long slowest = 0;
  for (int round = 1001; round <= 1003; ++round) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(ProfileFile::WriteStrings(path, "CADENCIO", Settings(round)));
    auto spent = std::chrono::steady_clock::now() - start;
    slowest = std::max<long>(slowest,
                             std::chrono::duration_cast<std::chrono::microseconds>(spent).count());
  }
  return slowest;
}

TEST(ProfileCrash, KilledWriterLeavesTheOldOrTheNewFile) {
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  std::string path = dir / "AUDIRA.INI";
  std::string prefix = TemporaryPrefixFor(path);
  WriteBytes(path, LargeProfile());
  long write_us = MeasureWriteMicros(path);
  long max_delay_us = std::clamp<long>(write_us * 3 / 2, 200, 20000);

  std::mt19937 random(20260105);
  std::uniform_int_distribution<long> delay(0, max_delay_us);
  int old_kept = 0;
  int new_written = 0;
  int cut_mid_write = 0;
  for (int round = 1; round <= kIterations; ++round) {
    std::string before = ReadBytes(path);
    ProfileEntries settings = Settings(round);
    std::optional<std::string> after = UpdateProfileText(before, "CADENCIO", settings);
    ASSERT_TRUE(after.has_value());
    ASSERT_NE(*after, before);

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(ProfileFile::WriteStrings(path, "CADENCIO", settings) ? 0 : 1);
    ::usleep(static_cast<useconds_t>(delay(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    bool finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    ASSERT_TRUE(killed || finished) << "round " << round << " status " << status;

    std::string now = ReadBytes(path);
    ASSERT_TRUE(now == before || now == *after)
        << "round " << round << ": file of " << now.size() << " bytes is neither the old ("
        << before.size() << ") nor the new (" << after->size() << ")";
    (now == before ? old_kept : new_written)++;
    // The killed writer's temporary may remain until the next write removes it.
    std::size_t leftovers = NamesStartingWith(dir.path(), prefix).size();
    ASSERT_LE(leftovers, 1u) << "round " << round;
    cut_mid_write += leftovers == 1 ? 1 : 0;
  }
  ASSERT_TRUE(ProfileFile::WriteStrings(path, "CADENCIO", Settings(0)));
  EXPECT_TRUE(NamesStartingWith(dir.path(), prefix).empty());
  EXPECT_EQ(ProfileFile::ReadString(path, "SECAO1999", "CHAVE", ""),
            std::string(80, 'a' + 1999 % 26));
  // Both outcomes and kills in the middle of a write must have happened, or the kills missed
  // the dangerous moments.
  EXPECT_GT(old_kept, 0) << "write took " << write_us << " us";
  EXPECT_GT(new_written, 0) << "write took " << write_us << " us";
  EXPECT_GT(cut_mid_write, 0) << "write took " << write_us << " us";
  RecordProperty("old_kept", old_kept);
  RecordProperty("new_written", new_written);
  RecordProperty("cut_mid_write", cut_mid_write);
  RecordProperty("write_us", static_cast<int>(write_us));
}

}  // namespace
}  // namespace cadencio::files
