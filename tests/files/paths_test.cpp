// Tests of the path mapping: case-blind file names, Windows paths onto the data root, the data
// root choice, the Windows directory and the location of AUDIRA.INI.
#include "files/paths.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "files/file_name_match.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::files {
namespace {

using testing::ReadBytes;
using testing::ScopedEnv;
using testing::ScratchDir;
using testing::WriteBytes;

void MakeFile(const std::string& path, const std::string& bytes = "x") {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  WriteBytes(path, bytes);
}

TEST(FileNameMatch, ComparesLikeWindows) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  } const cases[] = {
      {"TAMBOR1.WAV", "tambor1.wav", true},
      {"Tambor1.Wav", "TAMBOR1.WAV", true},
      {"tambor1.wav", "tambor1.wa", false},
      {"tambor1.wav", "tambor2.wav", false},
      {"padr\xC3\xA3o", "PADR\xC3\x83O", true},  // both UTF-8
      {"PADR\xC3O", "padr\xC3\xA3o", true},      // Windows-1252 against UTF-8
      {"padr\xE3o", "padr\xC3\xA3o", true},      // Windows-1252 against UTF-8, same case
      {"\x8A", "\xC5\xA1", true},                // S with caron, both ways
      {"\xD7", "\xF7", false},                   // multiplication and division signs
      {"a_b", "A_B", true},
      {"a", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SameFileNameNoCase(c.a, c.b), c.same) << c.a << " / " << c.b;
  }
}

TEST(FileNameMatch, PrefersTheExactNameThenTheFirstMatch) {
  ScratchDir dir;
  MakeFile(dir / "a.wav");
  MakeFile(dir / "A.WAV");
  MakeFile(dir / "b.wav");
  EXPECT_EQ(FindEntryNoCase(dir.path(), "a.wav"), "a.wav");
  EXPECT_EQ(FindEntryNoCase(dir.path(), "A.WAV"), "A.WAV");
  EXPECT_EQ(FindEntryNoCase(dir.path(), "a.Wav"), "A.WAV");
  EXPECT_EQ(FindEntryNoCase(dir.path(), "B.WAV"), "b.wav");
  EXPECT_EQ(FindEntryNoCase(dir.path(), "c.wav"), std::nullopt);
  EXPECT_EQ(FindEntryNoCase(dir / "none", "a.wav"), std::nullopt);
}

class PathMappingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = dir_ / "share/sonaud";
    MakeFile(root_ + "/som/cadencio/efeitos/padrao1.wav");
    MakeFile(root_ + "/Vozes/Letras/_65.wav");
    MakeFile(root_ + "/somritmo.ini");
  }
  ScratchDir dir_;
  std::string root_;
};

TEST_F(PathMappingTest, MapsWindowsPathsOntoTheDataRoot) {
  struct Case {
    std::string windows;
    std::string linux_path;
  } const cases[] = {
      {"c:\\sonaud\\som\\cadencio\\efeitos\\PADRAO1.WAV",
       root_ + "/som/cadencio/efeitos/padrao1.wav"},
      {"C:\\SONAUD\\SOMRITMO.INI", root_ + "/somritmo.ini"},
      {"c:\\sonaud\\VOZES\\letras\\_65.wav", root_ + "/Vozes/Letras/_65.wav"},
      {"c:\\sonaud\\som\\cadencio\\", root_ + "/som/cadencio/"},
      {"c:\\sonaud\\", root_ + "/"},
      {"c:\\sonaud", root_},
      {"c:\\sonaud\\\\som\\\\cadencio", root_ + "/som/cadencio"},
      {"c:\\sonaud\\som\\nada\\X.WAV", root_ + "/som/nada/X.WAV"},
      {"c:\\sonaud\\SOM\\CADENCIO\\EFEITOS\\TAMBOR.WAV",
       root_ + "/som/cadencio/efeitos/TAMBOR.WAV"},
      {"\\sonaud\\somritmo.ini", root_ + "/somritmo.ini"},
      {"c:/sonaud/somritmo.ini", root_ + "/somritmo.ini"},
      {"c:\\sonaudio\\x.wav", "/sonaudio/x.wav"},
      {"d:\\nao\\existe.txt", "/nao/existe.txt"},
      {"\\nao\\existe.txt", "/nao/existe.txt"},
      {"nao_existe\\x.wav", "nao_existe/x.wav"},
      {"c:nao_existe\\x.wav", "nao_existe/x.wav"},
      {root_ + "/SOM/CADENCIO/efeitos\\padrao1.WAV", root_ + "/som/cadencio/efeitos/padrao1.wav"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MapWindowsPath(c.windows, root_), c.linux_path) << c.windows;
  }
}

TEST_F(PathMappingTest, FamilyPathsLieInTheDataRoot) {
  EXPECT_EQ(FamilyPath("somritmo.ini"), "c:\\sonaud\\somritmo.ini");
  EXPECT_EQ(MapWindowsPath(FamilyPath("som\\cadencio\\efeitos\\padrao1.wav"), root_),
            root_ + "/som/cadencio/efeitos/padrao1.wav");
  EXPECT_EQ(MapWindowsPath(FamilyPath(""), root_), root_ + "/");
}

TEST_F(PathMappingTest, UsesTheDataRootOfTheEnvironment) {
  ScopedEnv env("SONAUD_ROOT", root_);
  EXPECT_EQ(DataRoot(), root_);
  EXPECT_EQ(MapWindowsPath("C:\\SONAUD\\SOMRITMO.INI"), root_ + "/somritmo.ini");
}

TEST_F(PathMappingTest, ResolvesLinuxPathsWithoutRegardToCase) {
  EXPECT_EQ(ResolvePathNoCase(root_ + "/vozes/LETRAS/_65.WAV"), root_ + "/Vozes/Letras/_65.wav");
  EXPECT_EQ(ResolvePathNoCase(root_ + "/nope/SOM"), root_ + "/nope/SOM");
  EXPECT_EQ(ResolvePathNoCase(root_ + "/som/../SOMRITMO.INI"), root_ + "/som/../somritmo.ini");
  EXPECT_EQ(ResolvePathNoCase("/"), "/");
}

TEST(DataRootChoice, PicksEnvironmentThenBuildTreeThenInstall) {
  ScratchDir dir;
  std::string build = dir / "build";
  std::string build_root = build + "/share/sonaud";
  std::filesystem::create_directories(build_root);
  std::filesystem::create_directories(dir / "build-other");
  std::string install = "/usr/local/share/sonaud";
  struct Case {
    const char* name;
    std::optional<std::string> env;
    std::string exe;
    std::string build_root;
    std::string expected;
  } const cases[] = {
      {"environment wins", "/srv/sonaud", build + "/cadencio", build_root, "/srv/sonaud"},
      {"run from the build tree", std::nullopt, build + "/cadencio", build_root, build_root},
      {"run from deeper in the build tree", std::nullopt, build + "/tests/platform_tests",
       build_root, build_root},
      {"run from elsewhere", std::nullopt, "/usr/bin/cadencio", build_root, install},
      {"sibling directory with the same prefix", std::nullopt, dir / "build-other/cadencio",
       build_root, install},
      {"build tree data missing", std::nullopt, dir / "gone/cadencio", dir / "gone/share/sonaud",
       install},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseDataRoot({c.env, c.exe, c.build_root, install}), c.expected) << c.name;
  }
}

TEST(DataRootChoice, InstalledUnderAnotherPrefixFindsTheDataBesideTheProgram) {
  ScratchDir dir;
  std::filesystem::create_directories(dir / "prefix/bin");
  std::filesystem::create_directories(dir / "prefix/share/sonaud");
  const std::string missing_install = dir / "configured/share/sonaud";
  EXPECT_EQ(ChooseDataRoot({std::nullopt, dir / "prefix/bin/cadencio", "", missing_install}),
            std::filesystem::canonical(dir / "prefix").string() + "/share/sonaud");
  // The configured place exists too (an older install under another prefix): the data of the
  // program's own prefix still wins.
  std::filesystem::create_directories(dir / "configured/share/sonaud");
  EXPECT_EQ(ChooseDataRoot({std::nullopt, dir / "prefix/bin/cadencio", "", missing_install}),
            std::filesystem::canonical(dir / "prefix").string() + "/share/sonaud");
  std::filesystem::remove_all(dir / "configured");
  // Nothing beside the program either: the configured place, where a later open fails.
  EXPECT_EQ(ChooseDataRoot({std::nullopt, dir / "elsewhere/bin/cadencio", "", missing_install}),
            missing_install);
}

TEST(DataRootChoice, TestsRunFromTheBuildTree) {
  ScopedEnv env("SONAUD_ROOT", std::nullopt);
  if (std::filesystem::is_directory(CADENCIO_DATA_ROOT)) {
    EXPECT_EQ(DataRoot(), CADENCIO_DATA_ROOT);
  } else {
    EXPECT_NE(DataRoot(), CADENCIO_DATA_ROOT);
  }
}

TEST(WindowsDirectoryChoice, FollowsTheEnvironment) {
  struct Case {
    std::optional<std::string> windir, xdg, home;
    std::string expected;
  } const cases[] = {
      {"/w", "/x", "/h", "/w"},
      {std::nullopt, "/x", "/h", "/x/audira"},
      {"", "/x/", "/h", "/x/audira"},
      {std::nullopt, std::nullopt, "/h", "/h/.config/audira"},
      {std::nullopt, "relative", "/h", "/h/.config/audira"},
  };
  for (const Case& c : cases) {
    ScopedEnv windir("AUDIRA_WINDIR", c.windir);
    ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(WindowsDirectory(), c.expected);
  }
}

class ConfigFileTest : public ::testing::Test {
 protected:
  ScratchDir dir_;
  std::string windir_ = dir_ / "config/audira";
  std::string start_ = dir_ / "start";
  std::string data_ = dir_ / "data";
  ScopedEnv windir_env_{"AUDIRA_WINDIR", windir_};
  ScopedEnv data_env_{"SONAUD_ROOT", data_};
};

TEST_F(ConfigFileTest, PrefersTheWindowsDirectory) {
  MakeFile(windir_ + "/audira.ini");
  MakeFile(start_ + "/AUDIRA.INI");
  EXPECT_EQ(FindConfigFile(start_), windir_ + "/audira.ini");
  std::filesystem::remove(windir_ + "/audira.ini");
  EXPECT_EQ(FindConfigFile(start_), start_ + "/AUDIRA.INI");
  std::filesystem::remove(start_ + "/AUDIRA.INI");
  EXPECT_EQ(FindConfigFile(start_), windir_ + "/AUDIRA.INI");
  std::filesystem::create_directories(windir_ + "/AUDIRA.INI");
  EXPECT_EQ(FindConfigFile(start_), windir_ + "/AUDIRA.INI");
}

TEST_F(ConfigFileTest, CopiesTheDefaultAtFirstStart) {
  MakeFile(data_ + "/Audira.ini", "[AUDIRA]\r\nPGMAUDIRA=c:\\sonaud\\\r\n");
  ASSERT_TRUE(EnsureDefaultConfig(start_));
  EXPECT_EQ(ReadBytes(windir_ + "/AUDIRA.INI"), "[AUDIRA]\r\nPGMAUDIRA=c:\\sonaud\\\r\n");
  EXPECT_EQ(FindConfigFile(start_), windir_ + "/AUDIRA.INI");
  // A later start keeps the user's copy.
  WriteBytes(windir_ + "/AUDIRA.INI", "[CADENCIO]\nBPM=90\n");
  ASSERT_TRUE(EnsureDefaultConfig(start_));
  EXPECT_EQ(ReadBytes(windir_ + "/AUDIRA.INI"), "[CADENCIO]\nBPM=90\n");
}

TEST_F(ConfigFileTest, LeavesAStartDirectoryCopyAlone) {
  MakeFile(data_ + "/AUDIRA.INI");
  MakeFile(start_ + "/audira.INI");
  EXPECT_TRUE(EnsureDefaultConfig(start_));
  EXPECT_FALSE(std::filesystem::exists(windir_));
}

TEST_F(ConfigFileTest, WithoutADefaultNothingIsCreated) {
  EXPECT_FALSE(EnsureDefaultConfig(start_));
  EXPECT_FALSE(std::filesystem::exists(windir_));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "config"));
}

TEST_F(ConfigFileTest, UnusableWindowsDirectoryFailsQuietly) {
  MakeFile(data_ + "/AUDIRA.INI");
  MakeFile(dir_ / "config", "a file where the directory should be");
  EXPECT_FALSE(EnsureDefaultConfig(start_));
  EXPECT_EQ(ReadBytes(dir_ / "config"), "a file where the directory should be");
}

}  // namespace
}  // namespace cadencio::files
