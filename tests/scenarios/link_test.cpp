// The program itself with Ableton Link on, in a private network namespace: two of it, and
// LinkHut (the Link library's own example peer, on a JACK server with no sound card) beside
// one. Each program runs in a terminal in the screen-reader mode, where every message it says
// is a line to read back.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "support/private_network.hpp"
#include "support/pty_screen.hpp"
#include "support/scratch_dir.hpp"

namespace {

using cadencio::testing::PtyChild;
using cadencio::testing::PtyScreen;
using cadencio::testing::ScratchDir;
using namespace std::chrono_literals;

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

// A JACK server with no sound card under a name of its own, and LinkHut on it, which reads its
// keys from its standard input and rewrites its state on one line of its output (kept in a
// file), for as long as they live.
class LinkHut {
 public:
  explicit LinkHut(const ScratchDir& dir) : output_(dir / "linkhut.txt") {
    const std::string server = "cadencio-link-" + std::to_string(getpid());
    setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
    // One JACK server starts at a time across the tests (see support/jack_server.hpp).
    const std::string start = "flock -o /tmp/cadencio-jackd-start.lock sh -c \"jackd -n " + server +
                              " -d dummy -r 48000 -p 256 >/dev/null 2>&1 & "
                              "echo \\$! > '" +
                              dir / "jackd.pid" + "'; jack_wait -w -t 10 -s " + server +
                              " >/dev/null\"";
    running_ = std::system(start.c_str()) == 0;
    std::ifstream(dir / "jackd.pid") >> jackd_;
    if (running_) hut_ = popen(("LinkHut > '" + output_ + "' 2>&1").c_str(), "w");
  }
  ~LinkHut() {
    if (hut_ != nullptr) {
      Press('q');
      pclose(hut_);
    }
    if (jackd_ > 0) kill(jackd_, SIGTERM);
  }
  bool Running() const { return hut_ != nullptr; }
  void Press(char key) {
    std::fputc(key, hut_);
    std::fflush(hut_);
  }
  // Whether its state line shows `text` within ten seconds.
  bool Shows(const std::string& text) {
    for (int round = 0; round < 200; ++round, std::this_thread::sleep_for(50ms)) {
      std::ifstream in(output_);
      const std::string all((std::istreambuf_iterator<char>(in)), {});
      const std::size_t end = all.find_last_of('\r');
      const std::size_t begin = all.find_last_of('\r', end == 0 ? 0 : end - 1);
      state_ = end == std::string::npos || begin == std::string::npos
                   ? std::string()
                   : all.substr(begin + 1, end - begin - 1);
      if (state_.find(text) != std::string::npos) return true;
    }
    return false;
  }
  const std::string& State() const { return state_; }

 private:
  std::string output_;
  bool running_ = false;
  pid_t jackd_ = -1;
  FILE* hut_ = nullptr;
  std::string state_;
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
  ScratchDir dir;
  LinkHut hut(dir);
  ASSERT_TRUE(hut.Running()) << "jackd -d dummy did not start";
  hut.Press('a');
  ASSERT_TRUE(hut.Shows("yes")) << hut.State();
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
