// The speech-dispatcher binding against a private speech-dispatcher that the test starts: its
// own configuration, socket and log directory, and an output module that writes each text it
// is given (with the voice and rate) to a file instead of a sound device. The front end starts
// the binding with TIPOSAPI=5, speaks to the end, and stops a text that would take long.
#include "speech/engines/speechd_engine.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "program/capture_rig.hpp"
#include "support/scratch_dir.hpp"

extern char** environ;

namespace cadencio::speech {
namespace {

using testing::ReadBytes;
using SteadyClock = std::chrono::steady_clock;

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= dirs.size();) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

// Waits (in real time, at most `limit`) until `done` answers true.
template <typename Done>
bool WaitFor(std::chrono::milliseconds limit, Done done) {
  const auto until = SteadyClock::now() + limit;
  while (!done()) {
    if (SteadyClock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

class PrivateSpeechDispatcher : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string program = FindProgram("speech-dispatcher");
    if (program.empty()) GTEST_SKIP() << "speech-dispatcher is not installed";
    const std::string& dir = scratch_.path();
    ASSERT_FALSE(dir.empty());
    std::filesystem::create_directories(dir + "/conf/modules");
    std::filesystem::create_directories(dir + "/run");
    std::filesystem::create_directories(dir + "/config");
    socket_ = dir + "/run/speechd.sock";
    spoken_ = dir + "/spoken.txt";
    std::ofstream(dir + "/conf/speechd.conf")
        << "CommunicationMethod \"unix_socket\"\nSocketPath \"" << socket_ << "\"\n"
        << "LogLevel 3\nLogDir \"" << dir << "\"\n"
        << "AudioOutputMethod \"alsa\"\nAudioALSADevice \"null\"\n"
        << "AddModule \"fake\" \"sd_generic\" \"fake.conf\"\nDefaultModule \"fake\"\n";
    // Each text becomes a line "voice rate text"; while the file "slow" exists, each text then
    // takes 30 seconds.
    slow_ = dir + "/slow";
    std::ofstream(dir + "/conf/modules/fake.conf")
        << "GenericExecuteSynth \"printf '%s %s %s\\\\n' '$VOICE' '$RATE' \\'$DATA\\' >> "
        << spoken_ << "; if [ -e " << slow_ << " ]; then sleep 30; fi\"\n"
        << "GenericRateAdd 0\nGenericRateMultiply 1\n"
        << "AddVoice \"en\" \"MALE1\" \"english\"\n"
        << "AddVoice \"pt-BR\" \"MALE1\" \"brasil\"\n";
    std::vector<std::string> args = {program, "-s",    "-t", "60",         "-C", dir + "/conf",
                                     "-S",    socket_, "-P", dir + "/pid", "-L", dir};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    // Its own messages go to a file beside its log.
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    const std::string out = dir + "/out.txt";
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    const int spawned =
        posix_spawn(&daemon_, program.c_str(), &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    ASSERT_EQ(spawned, 0);
    ASSERT_TRUE(WaitFor(std::chrono::seconds(10), [&] { return std::filesystem::exists(socket_); }))
        << "speech-dispatcher did not start:\n"
        << ReadBytes(dir + "/speech-dispatcher.log");
    address_.emplace("SPEECHD_ADDRESS", "unix_socket:" + socket_);
    windir_.emplace("AUDIRA_WINDIR", dir + "/config");
  }

  void TearDown() override {
    if (daemon_ <= 0) return;
    ::kill(daemon_, SIGTERM);
    int status = 0;
    if (!WaitFor(std::chrono::seconds(5),
                 [&] { return ::waitpid(daemon_, &status, WNOHANG) != 0; })) {
      ::kill(daemon_, SIGKILL);
      ::waitpid(daemon_, &status, 0);
    }
  }

  void WriteConfig(const std::string& servfala) {
    std::ofstream(scratch_ / "config/AUDIRA.INI") << "[TRADUTOR]\nSAPI=S\n[SERVFALA]\nTIPOSAPI=5\n"
                                                  << servfala;
  }

  std::string Spoken() { return ReadBytes(spoken_); }

  testing::ScratchDir scratch_;
  pid_t daemon_ = 0;
  std::string socket_;
  std::string spoken_;
  std::string slow_;
  std::optional<testing::ScopedEnv> address_;
  std::optional<testing::ScopedEnv> windir_;
};

// A capture rig whose front end speaks with the engine only (no recorded voice).
struct Rig : program::CaptureRig {
  Rig() : program::CaptureRig("/nonexistent") { speech.AttachRecordedVoice(nullptr); }
  // Waits while speech is busy; the real time it took.
  std::chrono::milliseconds WaitWhileBusy() {
    const auto start = SteadyClock::now();
    while (speech.SpeechBusy()) console.WaitMessage();
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start);
  }
};

TEST_F(PrivateSpeechDispatcher, SpeaksToTheEndWithTheChosenVoiceAndRate) {
  struct Case {
    const char* servfala;
    const char* line;  // what the service was given
  };
  // Brazilian voices come first; a voice number outside the list takes voice 1 at rate 0.
  const Case cases[] = {
      {"VOZ=1\nVELOCIDADE=5\n", "brasil 0.50 Bom dia\n"},
      {"VOZ=2\nVELOCIDADE=-3\n", "english -0.30 Bom dia\n"},
      {"VOZ=3\nVELOCIDADE=5\n", "brasil 0.00 Bom dia\n"},
      {"VOZ=0\nVELOCIDADE=10\n", "brasil 0.00 Bom dia\n"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(spoken_);
    WriteConfig(c.servfala);
    Rig rig;
    rig.speech.InitSpeech(3, "");
    ASSERT_TRUE(rig.speech.EngineActive()) << c.servfala;
    rig.speech.SpeakText("Bom dia");
    EXPECT_LT(rig.WaitWhileBusy(), std::chrono::seconds(5)) << c.servfala;
    EXPECT_EQ(Spoken(), c.line) << c.servfala;
    rig.speech.EndSpeech();
    EXPECT_FALSE(rig.speech.EngineActive());
  }
}

TEST_F(PrivateSpeechDispatcher, StopCutsALongText) {
  WriteConfig("VOZ=1\n");
  std::ofstream(slow_) << "";
  Rig rig;
  rig.speech.InitSpeech(3, "");
  ASSERT_TRUE(rig.speech.EngineActive());
  rig.speech.SpeakText("um texto longo");
  ASSERT_TRUE(WaitFor(std::chrono::seconds(5), [&] { return !Spoken().empty(); }));
  EXPECT_TRUE(rig.speech.SpeechBusy());
  const auto start = SteadyClock::now();
  rig.speech.StopSpeech();
  EXPECT_FALSE(rig.speech.SpeechBusy());
  rig.speech.EndSpeech();
  EXPECT_LT(SteadyClock::now() - start, std::chrono::seconds(2));
}

TEST_F(PrivateSpeechDispatcher, BusyGivesUpOnATextThatNeverEnds) {
  WriteConfig("VOZ=1\n");
  std::ofstream(slow_) << "";
  Rig rig;
  rig.speech.Engine().SetStarter(
      EngineFamily::kService, [](EngineContext& context, const EngineVoice& voice) {
        return Sapi5Start(context, voice,
                          {std::chrono::milliseconds(800), std::chrono::milliseconds(0)});
      });
  rig.speech.InitSpeech(3, "");
  ASSERT_TRUE(rig.speech.EngineActive());
  rig.speech.SpeakText("sem fim");
  const auto waited = rig.WaitWhileBusy();
  EXPECT_GE(waited, std::chrono::milliseconds(700));
  EXPECT_LT(waited, std::chrono::seconds(5));
  rig.speech.EndSpeech();
}

TEST(SpeechDispatcher, AServiceThatCannotBeReachedDoesNotStart) {
  testing::ScratchDir dir;
  testing::ScopedEnv address("SPEECHD_ADDRESS", "unix_socket:" + dir.path() + "/none/speechd.sock");
  testing::ScopedEnv windir("AUDIRA_WINDIR", dir.path());
  std::ofstream(dir / "AUDIRA.INI") << "[TRADUTOR]\nSAPI=S\n[SERVFALA]\nTIPOSAPI=54\n";
  Rig rig;
  const auto start = SteadyClock::now();
  rig.speech.InitSpeech(3, "");
  EXPECT_FALSE(rig.speech.EngineActive());
  EXPECT_LT(SteadyClock::now() - start, std::chrono::seconds(10));
}

TEST(SpeechDispatcher, RatesAreTenTimesAsMuchWithinTheServiceRange) {
  const std::pair<int, int> cases[] = {{0, 0},    {1, 10},   {-10, -100},
                                       {10, 100}, {11, 100}, {-20, -100}};
  for (auto [rate, expected] : cases) EXPECT_EQ(ServiceRate(rate), expected) << "rate " << rate;
}

}  // namespace
}  // namespace cadencio::speech
