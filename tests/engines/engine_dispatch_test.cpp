// The engine dispatch with a recording stand-in for the bindings, and the settings the
// bindings derive: kinds, voice order, espeak-ng rate and pitch, the text handed on, the
// built-in TTS's file set and factors, the MBROLA voices.
#include "engines/engine_dispatch.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engines/engine_voices.hpp"
#include "engines/espeak_engine.hpp"
#include "engines/sivra_glue.hpp"
#include "engines/system_engines.hpp"
#include "files/paths.hpp"
#include "support/fake_engine.hpp"
#include "support/scratch_dir.hpp"
#include "support/wav_test_support.hpp"
#include "synth/mbrola_voices.hpp"

namespace cadencio::engines {
namespace {

using testing::FakeLog;
using testing::FakeStarter;

// A dispatch over virtual time, with every family faked.
struct Rig {
  Rig() {
    dispatch.SetStarter(EngineFamily::kInProcess, FakeStarter(log, "in-process"));
    dispatch.SetStarter(EngineFamily::kService, FakeStarter(log, "service"));
    dispatch.SetStarter(EngineFamily::kSivra, FakeStarter(log, "sivra"));
  }
  base::VirtualClock clock;
  base::MessageLoop loop;
  testing::TestWaiter waiter{clock, loop};
  testing::FakeWaveOut device{clock, loop};
  audio::WavPlayback wav{waiter, device};
  // No settings: every key reads as empty.
  EngineDispatch dispatch{EngineContext{
      .waiter = waiter, .wav = wav, .read_ini = [](const std::string&, const std::string&) {
        return std::string();
      }}};
  FakeLog log;
};

TEST(EngineDispatch, KindsSelectTheirBinding) {
  const std::map<int, const char*> cases = {
      {0, "in-process"}, {1, "in-process"},  {4, "in-process"},
      {7, "in-process"}, {-1, "in-process"}, {55, "in-process"},
      {5, "service"},    {54, "service"},    {3, "sivra"}};
  for (auto [kind, name] : cases) {
    Rig rig;
    EXPECT_TRUE(rig.dispatch.StartEngine(0, 0, 0, kind)) << "TIPOSAPI=" << kind;
    EXPECT_EQ(rig.log.calls, std::vector<std::string>{std::string("start ") + name})
        << "TIPOSAPI=" << kind;
    EXPECT_EQ(rig.dispatch.EngineKind(), kind);
  }
  EXPECT_EQ(Rig().dispatch.Family(), EngineFamily::kInProcess) << "before any start";
}

TEST(EngineDispatch, StartWaitsForTheStartUpSpeechEveryFiftyMilliseconds) {
  Rig rig;
  rig.log.busy_ones = 3;
  EXPECT_TRUE(rig.dispatch.StartEngine(2, 3, -1, kUsualKind));
  EXPECT_EQ(rig.clock.NowMs(), 150);
  EXPECT_EQ(rig.log.started.voice, 2);
  EXPECT_EQ(rig.log.started.rate, 3);
  EXPECT_EQ(rig.log.started.pitch, -1);
}

TEST(EngineDispatch, TheBuiltInTtsOpensTheSynthesizerTheProgramHandsIt) {
  Rig rig;
  int loads = 0;
  InstallSystemEngines(rig.dispatch, [&loads]() -> std::unique_ptr<synth::Mbrola> {
    ++loads;
    return nullptr;  // no synthesizer: the start fails
  });
  EXPECT_FALSE(rig.dispatch.StartEngine(0, 0, 0, 3));
  EXPECT_EQ(loads, 1);
  EXPECT_FALSE(rig.dispatch.Started());
}

TEST(SivraSettings, RateAndPitchFactors) {
  // The built-in TTS's rate 0 gives the duration factor 0.8, and pitch 0 the factor 1.
  EXPECT_DOUBLE_EQ(SivraDurationFactor(0), 0.8);
  EXPECT_DOUBLE_EQ(SivraDurationFactor(3), 0.6);
  EXPECT_DOUBLE_EQ(SivraPitchFactor(0), 1.0);
  EXPECT_DOUBLE_EQ(SivraPitchFactor(11), 2.0);
}

TEST(EngineVoices, BrazilianPortugueseFirstThenPortugueseThenTheRest) {
  const std::vector<std::string> languages = {"af", "pt", "en-us", "pt-BR", "pt_br", "pt-pt"};
  EXPECT_EQ(VoiceOrder(languages), (std::vector<std::size_t>{3, 4, 1, 5, 0, 2}));
  const std::pair<int, int> numbers[] = {{1, 3},  {2, 4},  {3, 1},  {6, 2},
                                         {0, -1}, {7, -1}, {-1, -1}};
  for (auto [voice, index] : numbers) {
    EXPECT_EQ(VoiceIndex(languages, voice), index) << "VOZ=" << voice;
  }
}

TEST(EspeakSettings, RateAndPitchRanges) {
  const std::pair<int, int> rates[] = {{0, 175},  {10, 450}, {5, 303},   {-5, 101},   {-10, 80},
                                       {-30, 80}, {11, 80},  {180, 180}, {1000, 450}, {1, 195}};
  for (auto [rate, wpm] : rates) EXPECT_EQ(EspeakRate(rate), wpm) << "rate " << rate;
  const std::pair<int, int> pitches[] = {{0, 50}, {10, 100}, {-10, 0},
                                         {3, 65}, {40, 100}, {-11, 0}};
  for (auto [pitch, value] : pitches) EXPECT_EQ(EspeakPitch(pitch), value) << "pitch " << pitch;
}

TEST(EspeakSettings, TheTextIsTrimmedAndCut) {
  EXPECT_EQ(EngineTextFor(" \t\r\n"), "");
  EXPECT_EQ(EngineTextFor("0"), "0.");
  EXPECT_EQ(EngineTextFor("12"), "12");
  EXPECT_EQ(EngineTextFor("\t Fim. \r\n"), "Fim.");
  EXPECT_EQ(EngineTextFor(std::string(70000, 'a')).size(), 64000u);
  EXPECT_EQ(EngineTextFor("  " + std::string(64001, 'b') + "  ").size(), 64000u);
}

TEST(SivraConfig, DefaultsAndTheInstalledVoice) {
  using Values = std::map<std::string, std::string>;
  auto reader = [](Values values) {
    return [values](const std::string& section, const std::string& key) {
      EXPECT_EQ(section, "SIVRATTS");
      auto it = values.find(key);
      return it == values.end() ? std::string() : it->second;
    };
  };
  auto none = [](const std::string&) { return std::optional<std::string>(); };
  auto installed = [](const std::string& name) {
    return std::optional<std::string>("/usr/share/mbrola/" + name + "/" + name);
  };

  SivraFileSet defaults = LoadSivraConfig(reader({}), none);
  EXPECT_EQ(defaults.database, "br4");
  EXPECT_EQ(defaults.dir, "c:\\sonaud\\sivratts\\");
  EXPECT_EQ(defaults.base, "portug");
  EXPECT_EQ(defaults.rules, files::MapWindowsPath("\\sonaud\\sivratts\\portug.nrl"));
  EXPECT_EQ(defaults.diphones, files::MapWindowsPath("\\sonaud\\sivratts\\portug.dfn"));

  SivraFileSet voice = LoadSivraConfig(reader({}), installed);
  EXPECT_EQ(voice.dir, "/usr/share/mbrola/br4/");
  EXPECT_EQ(voice.exceptions, "/usr/share/mbrola/br4/portug.exc");

  SivraFileSet given = LoadSivraConfig(
      reader({{"MBROLA_DB", "br1"}, {"DIR", "/opt/tts"}, {"BASE", "pt"}}), installed);
  EXPECT_EQ(given.database, "br1");
  EXPECT_EQ(given.dir, "/opt/tts\\");
  EXPECT_EQ(given.abbreviations, "/opt/tts/pt.abr");
  EXPECT_EQ(given.prosody, "/opt/tts/pt.pro");
}

TEST(MbrolaVoices, FoundInTheFirstRootThatHoldsThem) {
  testing::ScratchDir dir;
  std::filesystem::create_directories(dir / "b/br4");
  std::ofstream(dir / "b/br4/br4") << "voice";
  std::filesystem::create_directories(dir / "a/br4");  // a directory without the voice file
  const std::vector<std::string> roots = {dir / "a", dir / "b"};
  EXPECT_EQ(synth::FindMbrolaVoice("br4", roots), dir / "b/br4/br4");
  EXPECT_EQ(synth::FindMbrolaVoice("BR4", roots), dir / "b/br4/br4");
  EXPECT_EQ(synth::FindMbrolaVoice("br1", roots), std::nullopt);
  EXPECT_EQ(synth::FindMbrolaVoice("../b/br4", roots), std::nullopt);
  EXPECT_EQ(synth::FindMbrolaVoice("", roots), std::nullopt);
}

}  // namespace
}  // namespace cadencio::engines
