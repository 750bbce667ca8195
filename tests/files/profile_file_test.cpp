// Tests of profile files on disk: reading with defaults, writing through a temporary file, and
// the old file surviving every failed write.
#include "files/profile_file.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

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

}  // namespace
}  // namespace cadencio::files
