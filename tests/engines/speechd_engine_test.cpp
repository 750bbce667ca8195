// The speech-dispatcher binding against a private speech-dispatcher that the test starts: its
// own configuration, socket and log directory, and an output module that writes each text it
// is given (with the voice and rate) to a file instead of a sound device. The engine dispatch
// starts the binding with kind 5, speaks to the end, and stops a text that would take long.
#include "engines/speechd_engine.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engines/engine_dispatch.hpp"
#include "engines/system_engines.hpp"
#include "support/scratch_dir.hpp"
#include "support/wait_until.hpp"
#include "support/wav_test_support.hpp"

extern char** environ;

namespace cadencio::engines {
namespace {

using testing::ReadBytes;
using testing::WaitUntil;
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
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(socket_); },
                          std::chrono::seconds(10), std::chrono::milliseconds(20)))
        << "speech-dispatcher did not start:\n"
        << ReadBytes(dir + "/speech-dispatcher.log");
    address_.emplace("SPEECHD_ADDRESS", "unix_socket:" + socket_);
  }

  void TearDown() override {
    if (daemon_ <= 0) return;
    ::kill(daemon_, SIGTERM);
    int status = 0;
    if (!WaitUntil([&] { return ::waitpid(daemon_, &status, WNOHANG) != 0; },
                   std::chrono::seconds(5), std::chrono::milliseconds(20))) {
      ::kill(daemon_, SIGKILL);
      ::waitpid(daemon_, &status, 0);
    }
  }

  std::string Spoken() { return ReadBytes(spoken_); }

  testing::ScratchDir scratch_;
  pid_t daemon_ = 0;
  std::string socket_;
  std::string spoken_;
  std::string slow_;
  std::optional<testing::ScopedEnv> address_;
};

// The system's engines on a dispatch over virtual time; the service runs in real time.
struct Rig {
  Rig() { InstallSystemEngines(dispatch, {}); }
  // Waits while the engine speaks; the real time it took.
  std::chrono::milliseconds WaitWhileBusy() {
    const auto start = SteadyClock::now();
    while (dispatch.EngineBusy(0)) waiter.WaitMessage();
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start);
  }
  base::VirtualClock clock;
  base::MessageLoop loop;
  testing::TestWaiter waiter{clock, loop};
  testing::FakeWaveOut device{clock, loop};
  audio::WavPlayback wav{waiter, device};
  EngineDispatch dispatch{EngineContext{.waiter = waiter, .wav = wav}};
};

constexpr int kServiceKind = 5;

TEST_F(PrivateSpeechDispatcher, SpeaksToTheEndWithTheChosenVoiceAndRate) {
  struct Case {
    int voice;
    int rate;
    const char* line;  // what the service was given
  };
  // Brazilian voices come first; a voice number outside the list takes voice 1 at rate 0.
  const Case cases[] = {
      {1, 5, "brasil 0.50 Bom dia\n"},
      {2, -3, "english -0.30 Bom dia\n"},
      {3, 5, "brasil 0.00 Bom dia\n"},
      {0, 10, "brasil 0.00 Bom dia\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "VOZ=" << c.voice << " VELOCIDADE=" << c.rate);
    std::filesystem::remove(spoken_);
    Rig rig;
    ASSERT_TRUE(rig.dispatch.StartEngine(c.voice, c.rate, 0, kServiceKind));
    rig.dispatch.EngineSpeak("Bom dia");
    EXPECT_LT(rig.WaitWhileBusy(), std::chrono::seconds(5));
    EXPECT_EQ(Spoken(), c.line);
    rig.dispatch.EndEngine();
    EXPECT_FALSE(rig.dispatch.Started());
  }
}

TEST_F(PrivateSpeechDispatcher, SpeedsOtherThanThreeSlowOrHastenTheServicesOwnRate) {
  Rig rig;
  rig.dispatch.SetEngineSpeed(5);  // the speed it starts at
  ASSERT_TRUE(rig.dispatch.StartEngine(1, 0, 0, kServiceKind));
  for (int speed : {5, 1, 3, 5, 3}) {
    rig.dispatch.SetEngineSpeed(speed);
    rig.dispatch.EngineSpeak(std::to_string(speed));
    rig.WaitWhileBusy();
  }
  rig.dispatch.EndEngine();
  // Lines "voice rate speed": speed 3 keeps the service's own rate (0.00), as it did.
  std::istringstream lines(Spoken());
  std::map<int, std::set<double>> rates;
  for (std::string voice, rate, speed; lines >> voice >> rate >> speed;) {
    rates[std::stoi(speed)].insert(std::stod(rate));
  }
  EXPECT_EQ(rates[3], std::set<double>{0.0}) << Spoken();
  EXPECT_TRUE(rates[1].size() == 1 && *rates[1].begin() < 0) << Spoken();
  EXPECT_TRUE(rates[5].size() == 1 && *rates[5].begin() > 0) << Spoken();
}

TEST_F(PrivateSpeechDispatcher, StopCutsALongText) {
  std::ofstream(slow_) << "";
  Rig rig;
  ASSERT_TRUE(rig.dispatch.StartEngine(1, 0, 0, kServiceKind));
  rig.dispatch.EngineSpeak("um texto longo");
  ASSERT_TRUE(WaitUntil([&] { return !Spoken().empty(); }, std::chrono::seconds(5),
                        std::chrono::milliseconds(20)));
  EXPECT_TRUE(rig.dispatch.EngineBusy(0));
  const auto start = SteadyClock::now();
  rig.dispatch.EngineStop();
  EXPECT_FALSE(rig.dispatch.EngineBusy(0));
  rig.dispatch.EndEngine();
  EXPECT_LT(SteadyClock::now() - start, std::chrono::seconds(2));
}

TEST_F(PrivateSpeechDispatcher, BusyGivesUpOnATextThatNeverEnds) {
  std::ofstream(slow_) << "";
  Rig rig;
  rig.dispatch.SetStarter(
      EngineFamily::kService, [](EngineContext& context, const EngineVoice& voice) {
        return StartSpeechDispatcher(
            context, voice, {std::chrono::milliseconds(800), std::chrono::milliseconds(0)});
      });
  ASSERT_TRUE(rig.dispatch.StartEngine(1, 0, 0, kServiceKind));
  rig.dispatch.EngineSpeak("sem fim");
  const auto waited = rig.WaitWhileBusy();
  EXPECT_GE(waited, std::chrono::milliseconds(700));
  EXPECT_LT(waited, std::chrono::seconds(5));
  rig.dispatch.EndEngine();
}

TEST(SpeechDispatcher, AServiceThatCannotBeReachedDoesNotStart) {
  testing::ScratchDir dir;
  testing::ScopedEnv address("SPEECHD_ADDRESS", "unix_socket:" + dir.path() + "/none/speechd.sock");
  Rig rig;
  const auto start = SteadyClock::now();
  EXPECT_FALSE(rig.dispatch.StartEngine(0, 0, 0, 54));
  EXPECT_LT(SteadyClock::now() - start, std::chrono::seconds(10));
}

TEST(SpeechDispatcher, RatesAreTenTimesAsMuchWithinTheServiceRange) {
  const std::pair<int, int> cases[] = {{0, 0},    {1, 10},   {-10, -100},
                                       {10, 100}, {11, 100}, {-20, -100}};
  for (auto [rate, expected] : cases) EXPECT_EQ(ServiceRate(rate), expected) << "rate " << rate;
}

}  // namespace
}  // namespace cadencio::engines
