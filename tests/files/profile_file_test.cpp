// Tests of profile files on disk: reading with defaults, writing through a temporary file, the
// old file surviving every failed write, and a writer killed at any moment mid-write.
#include "files/profile_file.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>

#include "files/atomic_file.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::files {
namespace {

using testing::NamesStartingWith;
using testing::ReadBytes;
using testing::ScratchDir;
using testing::WriteBytes;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

class ProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.path().empty()); }
  // Temporaries left in the scratch directory for `name`.
  std::vector<std::string> Leftovers(const std::string& name) {
    return NamesStartingWith(dir_.path(), TemporaryPrefixFor(name));
  }
  ScratchDir dir_;
};

TEST_F(ProfileFileTest, ReadsValuesAndFallsBackToTheDefault) {
  std::string ini = dir_ / "AUDIRA.INI";
  WriteBytes(ini, "[CADENCIO]\r\nBPM = 120 \r\nCOMPASSO=Tern\xE1rio\r\n");
  EXPECT_EQ(ProfileFile::ReadString(ini, "cadencio", "bpm", "x"), "120");
  EXPECT_EQ(ProfileFile::ReadString(ini, "CADENCIO", "COMPASSO", ""), "Tern\xE1rio");
  EXPECT_EQ(ProfileFile::ReadString(ini, "CADENCIO", "SOMTEMPO", "padrao1"), "padrao1");
  EXPECT_EQ(ProfileFile::ReadString(ini, "VIDEO", "BPM", "d"), "d");
  EXPECT_EQ(ProfileFile::ReadString(dir_ / "missing.ini", "CADENCIO", "BPM", "d"), "d");
  EXPECT_EQ(ProfileFile::ReadString(dir_.path(), "CADENCIO", "BPM", "d"), "d");
  ProfileEntries expected = {{"BPM", "120"}, {"COMPASSO", "Tern\xE1rio"}};
  EXPECT_EQ(ProfileFile::ReadSection(ini, "Cadencio"), expected);
}

TEST_F(ProfileFileTest, CreatesAMissingFile) {
  std::string ini = dir_ / "new.ini";
  ASSERT_TRUE(ProfileFile::WriteStrings(ini, "CADENCIO", {{"BPM", "60"}, {"COMPASSO", "Bin"}}));
  EXPECT_EQ(ReadBytes(ini), "[CADENCIO]\nBPM=60\nCOMPASSO=Bin\n");
  EXPECT_EQ(ModeOf(ini), 0644u);
  EXPECT_TRUE(Leftovers("new.ini").empty());
}

TEST_F(ProfileFileTest, RewritesKeepingOtherBytesAndPermissions) {
  std::string ini = dir_ / "a.ini";
  WriteBytes(ini, "; top\r\n[A]\r\nk = 1\r\n\r\n[CADENCIO]\r\nBPM=60\r\n; end\r\n");
  ASSERT_EQ(::chmod(ini.c_str(), 0600), 0);
  ASSERT_TRUE(ProfileFile::WriteString(ini, "CADENCIO", "bpm", "200"));
  ASSERT_TRUE(ProfileFile::WriteString(ini, "CADENCIO", "SOMTEMPO", "TAMBOR"));
  EXPECT_EQ(ReadBytes(ini),
            "; top\r\n[A]\r\nk = 1\r\n\r\n[CADENCIO]\r\nBPM=200\r\nSOMTEMPO=TAMBOR\r\n; end\r\n");
  EXPECT_EQ(ModeOf(ini), 0600u);
  EXPECT_TRUE(Leftovers("a.ini").empty());
}

TEST_F(ProfileFileTest, WritesThroughASymbolicLink) {
  std::string real = dir_ / "real.ini";
  std::string link = dir_ / "link.ini";
  WriteBytes(real, "[A]\nk=1\n");
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
  ASSERT_TRUE(ProfileFile::WriteString(link, "A", "k", "2"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(real), "[A]\nk=2\n");
}

TEST_F(ProfileFileTest, RefusesBadNamesWithoutTouchingTheFile) {
  std::string ini = dir_ / "a.ini";
  WriteBytes(ini, "[A]\nk=1\n");
  EXPECT_FALSE(ProfileFile::WriteStrings(ini, "A", {{"k", "2"}, {"x=y", "3"}}));
  EXPECT_EQ(ReadBytes(ini), "[A]\nk=1\n");
}

TEST_F(ProfileFileTest, FailsWhereNoFileCanBeMade) {
  std::string plain = dir_ / "plain";
  WriteBytes(plain, "not a directory");
  EXPECT_FALSE(ProfileFile::WriteString(plain + "/AUDIRA.INI", "A", "k", "1"));
  EXPECT_FALSE(ProfileFile::WriteString(dir_ / "no/such/dir/AUDIRA.INI", "A", "k", "1"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "no"));
  // A directory standing where the file should be is not replaced.
  std::filesystem::create_directory(dir_ / "sub.ini");
  EXPECT_FALSE(ProfileFile::WriteString(dir_ / "sub.ini", "A", "k", "1"));
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "sub.ini"));
  EXPECT_EQ(NamesStartingWith(dir_.path(), ".").size(), 0u);
}

// Whether a file could be replaced is told by the same test a write makes, and leaves nothing.
TEST_F(ProfileFileTest, CanReplaceFileAnswersAsAWriteWould) {
  WriteBytes(dir_ / "plain", "not a directory");
  WriteBytes(dir_ / "AUDIRA.INI", "[A]\nk=1\n");
  std::filesystem::create_directory(dir_ / "sub.ini");
  std::filesystem::create_symlink(dir_ / "nowhere", dir_ / "dangling.ini");
  const struct {
    std::string path;
    bool can;
    const char* why;
  } cases[] = {
      {dir_ / "AUDIRA.INI", true, "an existing file"},
      {dir_ / "new.ini", true, "a new file in a directory"},
      {dir_ / "plain/AUDIRA.INI", false, "below a plain file"},
      {dir_ / "no/such/AUDIRA.INI", false, "a missing directory"},
      {dir_ / "sub.ini", false, "a directory"},
      {dir_ / "dangling.ini", false, "a link that leads nowhere"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CanReplaceFile(c.path), c.can) << c.why;
    EXPECT_EQ(ProfileFile::WriteString(c.path, "A", "k", "2"), c.can) << c.why;
  }
  EXPECT_TRUE(Leftovers("AUDIRA.INI").empty());
  EXPECT_TRUE(Leftovers("new.ini").empty());
}

TEST_F(ProfileFileTest, ReadOnlyDirectoryKeepsTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
  std::string sub = dir_ / "ro";
  std::filesystem::create_directory(sub);
  std::string ini = sub + "/AUDIRA.INI";
  WriteBytes(ini, "[A]\nk=1\n");
  ASSERT_EQ(::chmod(sub.c_str(), 0555), 0);
  EXPECT_FALSE(ProfileFile::WriteString(ini, "A", "k", "2"));
  EXPECT_EQ(ReadBytes(ini), "[A]\nk=1\n");
  EXPECT_TRUE(NamesStartingWith(sub, ".").empty());
}

// A disk that fills up half-way through the write, made with the file size limit (which holds
// for root too): the write fails, the old file stays, and the temporary is gone.
TEST_F(ProfileFileTest, FullDiskKeepsTheOldFile) {
  std::string ini = dir_ / "AUDIRA.INI";
  std::string old = "[A]\nk=1\n[B]\n" + std::string(1000, ';') + "\n";
  WriteBytes(ini, old);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto old_handler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool written = ProfileFile::WriteString(ini, "A", "k", std::string(8000, 'v'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadBytes(ini), old);
  EXPECT_TRUE(Leftovers("AUDIRA.INI").empty());
}

TEST_F(ProfileFileTest, OversizedFileIsReadInPartAndNeverRewritten) {
  std::string ini = dir_ / "big.ini";
  std::string text = "[A]\nk=1\n" + std::string(ProfileFile::kMaxFileBytes, ';') + "\n[B]\nj=2\n";
  WriteBytes(ini, text);
  EXPECT_EQ(ProfileFile::ReadString(ini, "A", "k", ""), "1");
  EXPECT_EQ(ProfileFile::ReadString(ini, "B", "j", "none"), "none");
  EXPECT_FALSE(ProfileFile::WriteString(ini, "A", "k", "2"));
  EXPECT_EQ(std::filesystem::file_size(ini), text.size());
}

TEST_F(ProfileFileTest, LeftoversOfDeadWritersAreRemoved) {
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(0);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);
  std::string prefix = TemporaryPrefixFor("AUDIRA.INI");
  std::string dead = prefix + std::to_string(child) + "-abcdef";
  std::string alive = prefix + std::to_string(::getppid()) + "-abcdef";
  WriteBytes(dir_ / dead, "[A]\nk=half");
  WriteBytes(dir_ / alive, "[A]\nk=busy");
  ASSERT_TRUE(ProfileFile::WriteString(dir_ / "AUDIRA.INI", "A", "k", "1"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / dead));
  EXPECT_TRUE(std::filesystem::exists(dir_ / alive));
}

// A writer process killed at random moments during the write must leave either the complete
// old file or the complete new one, and no pile of temporaries.
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
  int rounds_without_new = 0;
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
    // On a loaded machine a write can take longer than it did when measured: when no write has
    // finished for a while, the kills are allowed to come later.
    if (rounds_without_new >= 20) {
      max_delay_us = std::min<long>(max_delay_us * 2, 200000);
      rounds_without_new = 0;
    }
    ::usleep(static_cast<useconds_t>(std::uniform_int_distribution<long>(0, max_delay_us)(random)));
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
    rounds_without_new = now == before ? rounds_without_new + 1 : 0;
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
