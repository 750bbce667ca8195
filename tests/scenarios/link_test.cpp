// The program itself with Ableton Link on, in a private network namespace: two of it, and
// LinkHut (the Link library's own example peer, on a JACK server with no sound card) beside
// one. Each program runs in a terminal in the screen-reader mode, where every message it says
// is a line to read back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "support/private_network.hpp"
#include "support/pty_screen.hpp"
#include "support/scratch_dir.hpp"

namespace {

using cadencio::testing::PtyChild;
using cadencio::testing::PtyScreen;
using cadencio::testing::ScratchDir;

// The keys of a dumb terminal.
constexpr const char* kUp = "\033[A";
constexpr const char* kPageDown = "\033[6~";

// One program in a terminal, started at `tempo` in a quaternary measure, its settings in a
// folder of its own (with the given [CADENCIO] lines, if any).
class Program {
 public:
  Program(const ScratchDir& dir, const std::string& name, const std::string& tempo,
          const std::string& settings = "")
      : child_("dumb", [config = dir / name, settings](PtyChild&) {
          std::filesystem::create_directories(config);
          if (!settings.empty()) {
            std::ofstream(config + "/AUDIRA.INI") << "[CADENCIO]\r\n" << settings << "\r\n";
          }
          setenv("AUDIRA_WINDIR", config.c_str(), 1);
          setenv("SDL_AUDIODRIVER", "dummy", 1);
          execl(CADENCIO_BINARY, CADENCIO_BINARY, "--screen-reader", static_cast<char*>(nullptr));
          return 127;
        }) {
    Says("Informe BPM");
    child_.Type(tempo + "\r");
    Says("Pressione");
    child_.Type("q");
    Says("OK, F1 ajuda");
  }
  ~Program() {
    child_.Type("\033");
    if (Says("Confirma")) child_.Type("s");
    child_.Wait(screen_);
  }

  // Keys typed; what is said from here on is looked for.
  void Type(const std::string& keys) {
    Mark();
    child_.Type(keys);
  }
  // What the program says from now on is looked for, whatever is typed elsewhere.
  void Mark() {
    child_.Read(screen_);
    from_ = screen_.Raw().size();
  }
  // Whether the program says `text` (within ten seconds) after the mark.
  bool Says(const std::string& text) { return child_.WaitFor(screen_, text, from_); }
  const std::string& Output() const { return screen_.Raw(); }

 private:
  PtyChild child_;
  PtyScreen screen_;
  std::size_t from_ = 0;
};

// Two programs: tempo, start and stop go both ways, and the peers are counted.
TEST(Link, TwoProgramsShareTempoStartAndStop) {
  if (!cadencio::testing::InPrivateNetwork()) {
    return cadencio::testing::RerunTestInPrivateNetwork();
  }
  ScratchDir dir;
  Program a(dir, "a", "100");
  a.Type("k");
  ASSERT_TRUE(a.Says("Link ligado, 0 parceiros")) << a.Output();
  // b, with Link on in its settings, joins a's session (the older by more than Link's half
  // second) and takes its tempo.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  Program b(dir, "b", "60", "LINK=1");
  ASSERT_TRUE(b.Says("Link ligado, ")) << b.Output();
  ASSERT_TRUE(b.Says("Valor BPM = 100")) << b.Output();
  EXPECT_TRUE(a.Says("1 parceiro")) << a.Output();
  struct Step {
    Program& from;
    const char* keys;
    Program& to;
    const char* said;
  };
  const Step steps[] = {
      {a, kUp, b, "Valor BPM = 101"},       // a's tempo to b
      {b, kPageDown, a, "Valor BPM = 91"},  // b's tempo to a
      {a, " ", b, "Batida silenciada"},     // a's pause stops b
      {a, " ", b, "Batida retomada"},       // and its end starts it
      {b, "\t", a, "Batida silenciada"},    // b's Tab stops a
      {b, "\t", a, "Batida retomada"},      // and starts it again
      {a, "k", b, "0 parceiros"},           // a leaves
  };
  for (const Step& step : steps) {
    step.to.Mark();
    step.from.Type(step.keys);
    EXPECT_TRUE(step.to.Says(step.said)) << step.said << "\n" << step.to.Output();
  }
  EXPECT_TRUE(a.Says("Link desligado"));
}

// LinkHut reads its keys from its standard input and writes its state on a line it rewrites.
class LinkHut {
 public:
  LinkHut() {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      dup2(out[1], 2);
      execlp("LinkHut", "LinkHut", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    in_ = in[1];
    out_ = out[0];
  }
  ~LinkHut() {
    Press('q');
    if (pid_ > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(in_);
    close(out_);
  }
  void Press(char key) {
    if (write(in_, &key, 1) != 1) return;
  }
  // Whether its state line shows `text` within ten seconds.
  bool Shows(const std::string& text) {
    for (int round = 0; round < 200; ++round) {
      Read();
      if (state_.find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  const std::string& State() const { return state_; }

 private:
  void Read() {
    pollfd fd{out_, POLLIN, 0};
    while (poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN) != 0) {
      char buffer[4096];
      const ssize_t n = read(out_, buffer, sizeof buffer);
      if (n <= 0) return;
      for (ssize_t i = 0; i < n; ++i) {
        if (buffer[i] == '\r' || buffer[i] == '\n') {
          if (line_.find(" | ") != std::string::npos) state_ = line_;
          line_.clear();
        } else {
          line_ += buffer[i];
        }
      }
    }
  }
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  std::string line_;
  std::string state_;
};

// A JACK server with no sound card, under a name of its own, for as long as it lives.
class DummyJack {
 public:
  DummyJack() : name_("cadencio-link-" + std::to_string(getpid())) {
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    pid_ = fork();
    if (pid_ == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      execlp("jackd", "jackd", "-n", name_.c_str(), "-d", "dummy", "-r", "48000", "-p", "256",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    const std::string wait = "jack_wait -w -t 10 -s " + name_ + " >/dev/null 2>&1";
    running_ = pid_ > 0 && std::system(wait.c_str()) == 0;
  }
  ~DummyJack() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  bool Running() const { return running_; }

 private:
  std::string name_;
  pid_t pid_ = -1;
  bool running_ = false;
};

// LinkHut, a peer no one here wrote: joining its session, the tempo both ways, its start and
// stop followed and the program's followed by it.
TEST(Link, LinkHutIsAPeer) {
  if (!cadencio::testing::InPrivateNetwork()) {
    return cadencio::testing::RerunTestInPrivateNetwork();
  }
  if (std::system("command -v LinkHut >/dev/null && command -v jackd >/dev/null") != 0) {
    GTEST_SKIP() << "LinkHut (ableton-link-utils) or jackd (jackd2) is not installed";
  }
  DummyJack jack;
  ASSERT_TRUE(jack.Running()) << "jackd -d dummy did not start";
  LinkHut hut;
  hut.Press('a');
  ASSERT_TRUE(hut.Shows("yes")) << hut.State();
  ScratchDir dir;
  Program program(dir, "p", "100");
  program.Type("k");
  // Joining LinkHut's session keeps its tempo (120 BPM).
  EXPECT_TRUE(program.Says("Valor BPM = 120")) << program.Output();
  EXPECT_TRUE(hut.Shows("| 1 ")) << hut.State();
  EXPECT_TRUE(hut.Shows("120.00")) << hut.State();
  program.Mark();
  hut.Press('e');
  EXPECT_TRUE(program.Says("Valor BPM = 121")) << program.Output();
  program.Type(kUp);
  EXPECT_TRUE(hut.Shows("122.00")) << hut.State();
  // Start and stop, once LinkHut shares them: each side's are followed by the other.
  hut.Press('s');
  program.Type("\t");
  EXPECT_TRUE(hut.Shows("yes [stopped]")) << hut.State();
  struct Step {
    char hut_key;           // pressed in LinkHut, or 0
    const char* keys;       // typed in the program, or null
    const char* said;       // said by the program, or null
    const char* hut_shows;  // shown by LinkHut, or null
  };
  const Step steps[] = {
      {' ', nullptr, "Batida retomada", "[playing]"},
      {' ', nullptr, "Batida silenciada", "[stopped]"},
      {0, "\t", nullptr, "[playing]"},
      {0, " ", nullptr, "[stopped]"},  // the pause
      {0, " ", nullptr, "[playing]"},  // and its end
  };
  for (const Step& step : steps) {
    program.Mark();
    if (step.hut_key != 0) hut.Press(step.hut_key);
    if (step.keys != nullptr) program.Type(step.keys);
    if (step.said != nullptr) {
      EXPECT_TRUE(program.Says(step.said)) << program.Output();
    }
    EXPECT_TRUE(hut.Shows(step.hut_shows)) << hut.State();
  }
}

}  // namespace
