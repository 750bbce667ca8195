// The Debian package as a user gets it: unpacked into a scratch root, it answers --version and,
// started by a user who is not root on a plain terminal with no sound card, asks for the tempo
// and keeps its settings in that user's ~/.config/audira.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/pty_screen.hpp"
#include "support/scratch_dir.hpp"

namespace {

namespace fs = std::filesystem;
using cadencio::testing::PtyChild;
using cadencio::testing::PtyScreen;
using cadencio::testing::ScratchDir;

// The user the program runs as: "nobody" when the test runs as root, else the tester.
constexpr uid_t kNobody = 65534;

std::string Output(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int code = pclose(pipe);
  if (status) *status = WIFEXITED(code) ? WEXITSTATUS(code) : -1;
  return out;
}

class InstalledPackage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    // Readable by the other user, as /usr is.
    fs::permissions(scratch_.path(), fs::perms(0755));
    std::ifstream list(CADENCIO_PACKAGE_LIST);
    std::getline(list, deb_);
    ASSERT_TRUE(fs::is_regular_file(deb_)) << "no package in " << CADENCIO_PACKAGE_LIST;
    root_ = scratch_.path() + "/root";
    int status = -1;
    Output("dpkg-deb -x '" + deb_ + "' '" + root_ + "' 2>&1", &status);
    ASSERT_EQ(status, 0);
    fs::permissions(root_, fs::perms(0755));
  }

  ScratchDir scratch_;
  std::string deb_;
  std::string root_;
};

TEST_F(InstalledPackage, HoldsTheProgramItsDataAndItsDocuments) {
  for (const char* file :
       {"usr/bin/cadencio", "usr/share/sonaud/AUDIRA.INI", "usr/share/man/man1/cadencio.1.gz",
        "usr/share/man/pt_BR/man1/cadencio.1.gz", "usr/share/applications/cadencio.desktop",
        "usr/share/locale/pt_BR/LC_MESSAGES/cadencio.mo", "usr/share/doc/cadencio/copyright"}) {
    EXPECT_TRUE(fs::is_regular_file(root_ + "/" + file)) << file;
  }
  EXPECT_FALSE(fs::exists(root_ + "/usr/local")) << "everything under /usr";
  // The libraries the program links, found by dpkg-shlibdeps rather than listed by hand.
  const std::string depends = Output("dpkg-deb -f '" + deb_ + "' Depends");
  for (const char* library : {"libsdl2-2.0-0", "libespeak-ng1", "libspeechd2", "libaubio5",
                              "libsamplerate0", "libncursesw6", "libc6"}) {
    EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;
  }
  EXPECT_NE(Output("dpkg-deb -f '" + deb_ + "' Recommends").find("speech-dispatcher"),
            std::string::npos);
}

// The icon that the desktop entry and the AppStream metadata name is in the package, in the
// hicolor theme where desktops look for it.
TEST_F(InstalledPackage, TheIconTheDesktopNamesIsInstalled) {
  const auto read = [](const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const auto between = [](const std::string& text, const std::string& start, char end) {
    std::size_t at = text.find(start);
    if (at == std::string::npos) return std::string();
    at += start.size();
    return text.substr(at, text.find(end, at) - at);
  };
  const std::string entry = read(root_ + "/usr/share/applications/cadencio.desktop");
  std::vector<std::string> icons = {between(entry, "\nIcon=", '\n')};
  int metadata = 0;
  for (const auto& file : fs::directory_iterator(root_ + "/usr/share/metainfo")) {
    icons.push_back(between(read(file.path()), "<icon type=\"stock\">", '<'));
    ++metadata;
  }
  EXPECT_EQ(metadata, 1);
  for (const std::string& icon : icons) {
    ASSERT_FALSE(icon.empty()) << "an icon is named";
    EXPECT_TRUE(
        fs::is_regular_file(root_ + "/usr/share/icons/hicolor/scalable/apps/" + icon + ".svg"))
        << icon;
  }
}

TEST_F(InstalledPackage, AnswersVersionInTheUsersLanguage) {
  const std::string program = root_ + "/usr/bin/cadencio";
  int status = -1;
  const std::string english =
      Output("env -u LANGUAGE LC_ALL=C '" + program + "' --version", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(english.rfind("cadencio " CADENCIO_VERSION "\n", 0), 0u) << english;
  EXPECT_NE(english.find("A talking metronome"), std::string::npos) << english;
  // The Portuguese catalogue is found under the package's own /usr/share/locale.
  const std::string portuguese = Output(
      "env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=pt_BR.UTF-8 '" + program + "' --version");
  EXPECT_NE(portuguese.find("Um metrônomo falante"), std::string::npos) << portuguese;
}

TEST_F(InstalledPackage, AUserWhoIsNotRootGetsTheTempoQuestionAndSettings) {
  const bool root = getuid() == 0;
  const uid_t user = root ? kNobody : getuid();
  const gid_t group = root ? kNobody : getgid();
  const std::string home = scratch_.path() + "/home";
  fs::create_directories(home);
  ASSERT_EQ(chown(home.c_str(), user, group), 0);
  const std::string program = root_ + "/usr/bin/cadencio";

  PtyChild child("dumb", [&](PtyChild&) {
    if (root && (setgroups(0, nullptr) != 0 || setgid(group) != 0 || setuid(user) != 0)) {
      return 126;
    }
    setenv("HOME", home.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (const char* name : {"AUDIRA_WINDIR", "XDG_CONFIG_HOME", "SONAUD_ROOT", "DISPLAY",
                             "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) {
      unsetenv(name);
    }
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    return 127;
  });
  ASSERT_TRUE(child.Started());
  PtyScreen screen;
  ASSERT_TRUE(child.WaitFor(screen, "Informe BPM, sugiro")) << screen.Raw();
  child.Type("60\r");
  ASSERT_TRUE(child.WaitFor(screen, "Pressione")) << screen.Raw();
  child.Type("q");
  ASSERT_TRUE(child.WaitFor(screen, "OK, F1 ajuda")) << screen.Raw();
  child.Type("\033");
  ASSERT_TRUE(child.WaitFor(screen, "Confirma")) << screen.Raw();
  child.Type("s");
  EXPECT_EQ(child.Wait(screen), 0) << screen.Raw();

  const std::string settings = home + "/.config/audira/AUDIRA.INI";
  struct stat st {};
  ASSERT_EQ(stat(settings.c_str(), &st), 0) << "no settings in " << settings;
  EXPECT_EQ(st.st_uid, user) << "written by the user who ran it";
  std::ifstream in(settings);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  EXPECT_NE(text.find("[CADENCIO]"), std::string::npos) << text;
}

}  // namespace
