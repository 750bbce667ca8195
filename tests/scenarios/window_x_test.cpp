// The real program in its window on a real X server: the test starts Xvfb on a free display,
// runs cadencio --window with its own AUDIRA.INI, types the tempo and the measure with xdotool
// and checks screenshots of the window: the banner in the configured colours, the caret on
// the line being typed, and the status band below the cells with its beat number. Every step has a
// time limit; without Xvfb, xdotool or ImageMagick's import the test is skipped.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "formats/png_writer.hpp"

namespace {

namespace fs = std::filesystem;

bool HaveProgram(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command with a time limit; its standard output, or nothing when it failed.
std::optional<std::string> RunWithLimit(const std::string& command, int seconds = 10) {
  std::string line = "timeout " + std::to_string(seconds) + " " + command + " 2>/dev/null";
  FILE* pipe = popen(line.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string out;
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  return pclose(pipe) == 0 ? std::optional(out) : std::nullopt;
}

// A child process killed and reaped when the object goes.
class Child {
 public:
  explicit Child(pid_t pid = -1) : pid_(pid) {}
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  pid_t Pid() const { return pid_; }
  // The exit status once the child has ended, or nothing after the time limit.
  std::optional<int> WaitExit(int seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return status;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return std::nullopt;
  }

 private:
  pid_t pid_;
};

// Xvfb on the first free display, which it reports itself through -displayfd, with a screen of
// `size` ("1024x768").
std::optional<std::string> StartXvfb(Child& server, const std::string& size = "1024x768") {
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    int null = open("/dev/null", O_RDWR);
    dup2(null, 1);
    dup2(null, 2);
    std::string fd = std::to_string(fds[1]);
    const std::string screen = size + "x24";
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
           "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  new (&server) Child(pid);
  std::string number;
  pollfd wait{fds[0], POLLIN, 0};
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (std::chrono::steady_clock::now() < end && number.find('\n') == std::string::npos) {
    if (poll(&wait, 1, 200) <= 0) continue;
    char c;
    if (read(fds[0], &c, 1) != 1) break;
    number.push_back(c);
  }
  close(fds[0]);
  if (number.empty() || number.back() != '\n') return std::nullopt;
  number.pop_back();
  return ":" + number;
}

struct Image {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  std::array<int, 3> At(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
  // Pixels of a cell (10 x 20) with the colour.
  int Count(int column, int row, std::array<int, 3> colour) const {
    int count = 0;
    for (int y = row * 20; y < row * 20 + 20; ++y) {
      for (int x = column * 10; x < column * 10 + 10; ++x) count += At(x, y) == colour;
    }
    return count;
  }
};

// A binary PPM (P6) as ImageMagick writes it.
std::optional<Image> ParsePpm(const std::string& data) {
  std::size_t at = 0;
  auto token = [&]() {
    for (;;) {
      while (at < data.size() && std::isspace(static_cast<unsigned char>(data[at]))) ++at;
      if (at < data.size() && data[at] == '#') {
        at = data.find('\n', at);
        continue;
      }
      break;
    }
    std::size_t start = at;
    while (at < data.size() && !std::isspace(static_cast<unsigned char>(data[at]))) ++at;
    return data.substr(start, at - start);
  };
  if (token() != "P6") return std::nullopt;
  Image image;
  image.width = std::atoi(token().c_str());
  image.height = std::atoi(token().c_str());
  if (token() != "255") return std::nullopt;
  ++at;
  const std::size_t size = static_cast<std::size_t>(image.width) * image.height * 3;
  if (image.width <= 0 || data.size() < at + size) return std::nullopt;
  image.rgb.assign(data.begin() + at, data.begin() + at + size);
  return image;
}

// cadencio --window on `display` with its settings in `config`.
pid_t StartCadencio(const std::string& display, const fs::path& config) {
  // Under the address sanitizer: libdbus, which SDL's X11 video starts, keeps a buffer that is
  // never freed; that is no leak of this program.
  std::ofstream(config / "leaks.supp") << "leak:libdbus-1.so\n";
  pid_t pid = fork();
  if (pid == 0) {
    setenv("LSAN_OPTIONS", ("suppressions=" + (config / "leaks.supp").string()).c_str(), 1);
    setenv("DISPLAY", display.c_str(), 1);
    setenv("AUDIRA_WINDIR", config.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("SDL_VIDEODRIVER");
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    execl(CADENCIO_BINARY, CADENCIO_BINARY, "--window", static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

TEST(WindowX, TempoAndMeasureTypedIntoTheWindow) {
  for (const char* program : {"Xvfb", "xdotool", "import"}) {
    if (!HaveProgram(program)) GTEST_SKIP() << program << " is not installed";
  }
  Child server;
  std::optional<std::string> display = StartXvfb(server);
  ASSERT_TRUE(display) << "Xvfb did not start";

  const fs::path config = fs::temp_directory_path() / ("cadencio-x-" + std::to_string(getpid()));
  fs::create_directories(config);
  std::ofstream(config / "AUDIRA.INI") << "[VIDEO]\r\nCORFUNDO=1\r\nCORLETRA=14\r\n"
                                          "LARGURALETRA=10\r\nALTURALETRA=20\r\nCANTOTELA=XS\r\n";
  Child program(StartCadencio(*display, config));
  const std::string x = "env DISPLAY=" + *display + " ";
  std::optional<std::string> found = RunWithLimit(x + "xdotool search --sync --name cadencio", 20);
  ASSERT_TRUE(found && !found->empty()) << "no cadencio window appeared";
  const std::string window = found->substr(0, found->find('\n'));
  auto type = [&](const std::string& args) {
    return RunWithLimit(x + "xdotool " + args.substr(0, args.find(' ')) + " --window " + window +
                        args.substr(args.find(' ')));
  };
  auto screenshot = [&]() -> std::optional<Image> {
    const std::string file = (config / "shot.ppm").string();
    if (!RunWithLimit(x + "import -depth 8 -window " + window + " " + file, 20))
      return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    return ParsePpm(std::string(std::istreambuf_iterator<char>(in), {}));
  };
  const std::array<int, 3> blue{0, 0, 255}, yellow{255, 255, 0};
  // Screenshots until one shows what is awaited or half a minute has passed; the last one.
  auto wait_for = [&](auto ready) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::optional<Image> last;
    do {
      last = screenshot();
      if (last && last->width >= 800 && last->height >= 500 && ready(*last)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    } while (std::chrono::steady_clock::now() < end);
    return last;
  };
  const int caret_column = 28, entry_row = 4;  // after "Informe BPM, sugiro 60 : 120"

  // The tempo, typed but not yet entered: the caret stands after it, on the entry line.
  ASSERT_TRUE(type("type --delay 100 120"));
  std::optional<Image> typing = wait_for([&](const Image& image) {
    return image.Count(caret_column - 1, entry_row, yellow) > 10 &&
           image.Count(caret_column, entry_row, yellow) > 0;
  });
  ASSERT_TRUE(typing && typing->width >= 800 && typing->height >= 500) << "no screenshot";
  // Kept for the AppStream metadata's screenshot (desktop/screenshots/window.png).
  fs::create_directories(CADENCIO_TEST_ARTEFACTS);
  EXPECT_TRUE(
      cadencio::formats::WritePngFile(std::string(CADENCIO_TEST_ARTEFACTS) + "/window-x-tempo.png",
                                      typing->width, typing->height, typing->rgb));
  // Row 1 is the banner "MARCATEMPO - V. 1.0": yellow letters on blue.
  EXPECT_GT(typing->Count(0, 0, yellow), 10);
  EXPECT_GT(typing->Count(0, 0, blue), 50);
  EXPECT_EQ(typing->Count(60, 0, blue), 200);
  // Row 5 ends in the typed "120" with the caret in the next cell, on its baseline.
  EXPECT_GT(typing->Count(caret_column - 1, entry_row, yellow), 10) << "the 0 of 120";
  EXPECT_EQ(typing->Count(caret_column, entry_row, yellow), 20) << "a caret of 10 x 2 pixels";
  int caret_top = -1;
  for (int y = entry_row * 20; y < entry_row * 20 + 20 && caret_top < 0; ++y) {
    if (typing->At(caret_column * 10 + 5, y) == yellow) caret_top = y - entry_row * 20;
  }
  EXPECT_GE(caret_top, 10) << "the caret lies on the baseline, not at the top of the cell";
  EXPECT_EQ(typing->Count(caret_column, entry_row + 1, yellow), 0);

  // Enter, then the measure: the program runs the beat; the caret is gone from the line.
  ASSERT_TRUE(type("key Return"));
  ASSERT_TRUE(wait_for([&](const Image& image) { return image.Count(0, 5, yellow) > 10; }));
  ASSERT_TRUE(type("type q"));
  std::optional<Image> running = wait_for([&](const Image& image) {
    return image.Count(caret_column, entry_row, yellow) == 0 &&
           image.Count(0, 6, yellow) + image.Count(0, 7, yellow) > 10;
  });
  ASSERT_TRUE(running);
  EXPECT_EQ(running->Count(caret_column, entry_row, yellow), 0);
  EXPECT_GT(running->Count(0, 0, yellow), 10);
  EXPECT_GT(running->Count(0, 5, yellow), 10) << "the measure question on row 6";

  // Below the 25 rows, the status band in the start colours: the tempo, and the beat number
  // in its box (three cells wide, two high), lit on each beat. At 120 BPM in four, the box
  // shows more than two pictures within a few beats only when its number changes (one number
  // has two: lit and not).
  auto tempo_shown = [&](const Image& image) {
    return image.height >= 540 && image.Count(8, 25, yellow) + image.Count(9, 25, yellow) > 10;
  };
  std::optional<Image> band = wait_for(tempo_shown);
  ASSERT_TRUE(band && tempo_shown(*band)) << "no tempo below the cells";
  EXPECT_EQ(band->At(799, 539), blue) << "the band's background";
  std::set<std::string> boxes;  // each box's pixels as bytes
  for (int shot = 0; shot < 16 && boxes.size() < 3; ++shot) {
    std::optional<Image> image = screenshot();
    if (!image || image->height < 540) continue;
    std::string box;
    for (int y = 500; y < 540; ++y) {
      const std::size_t at = static_cast<std::size_t>(y) * image->width * 3;
      box.insert(box.end(), image->rgb.begin() + at, image->rgb.begin() + at + 60 * 3);
    }
    boxes.insert(box);
    std::this_thread::sleep_for(std::chrono::milliseconds(130));
  }
  EXPECT_GE(boxes.size(), 3u) << "the beat number does not change";

  // Esc and "s" end the program normally. "s" is typed again while the program still runs,
  // since a key typed before the question is asked is drained.
  ASSERT_TRUE(type("key Escape"));
  std::optional<int> status;
  for (int attempt = 0; attempt < 4 && !status; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    type("type s");
    status = program.WaitExit(5);
  }
  ASSERT_TRUE(status) << "the program did not end";
  EXPECT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 0);
  std::error_code ignored;
  fs::remove_all(config, ignored);
}

// With no window manager to place it, the window starts inside the screen at the default
// size, which fills it.
TEST(WindowX, StartsInsideTheScreen) {
  for (const char* program : {"Xvfb", "xdotool"}) {
    if (!HaveProgram(program)) GTEST_SKIP() << program << " is not installed";
  }
  struct Case {
    const char* size;
    int width, height;
  };
  for (const Case& c : {Case{"1280x1024", 1280, 1024}, Case{"1280x800", 1280, 800}}) {
    Child server;
    std::optional<std::string> display = StartXvfb(server, c.size);
    ASSERT_TRUE(display) << "Xvfb did not start";
    const fs::path config =
        fs::temp_directory_path() / ("cadencio-place-" + std::to_string(getpid()));
    fs::create_directories(config);
    Child program(StartCadencio(*display, config));
    const std::string x = "env DISPLAY=" + *display + " ";
    std::optional<std::string> found =
        RunWithLimit(x + "xdotool search --sync --class cadencio", 20);
    ASSERT_TRUE(found && !found->empty()) << c.size << ": no cadencio window appeared";
    const std::string window = found->substr(0, found->find('\n'));
    std::optional<std::string> shape =
        RunWithLimit(x + "xdotool getwindowgeometry --shell " + window);
    ASSERT_TRUE(shape) << c.size;
    auto value = [&shape](const std::string& name) {
      const std::size_t at = shape->find(name + "=");
      return at == std::string::npos ? -100000 : std::atoi(shape->c_str() + at + name.size() + 1);
    };
    EXPECT_GE(value("X"), 0) << c.size << "\n" << *shape;
    EXPECT_GE(value("Y"), 0) << c.size << ": the top row is cut\n" << *shape;
    EXPECT_LE(value("X") + value("WIDTH"), c.width) << c.size << "\n" << *shape;
    EXPECT_LE(value("Y") + value("HEIGHT"), c.height) << c.size << "\n" << *shape;
    std::error_code ignored;
    fs::remove_all(config, ignored);
  }
}

}  // namespace
