// The engine dispatch and what the front end does with an engine, with a recording stand-in
// for the bindings; and the settings the bindings derive: kinds, voice order, espeak-ng rate
// and pitch, the text handed on, the built-in TTS's file set and factors, the MBROLA voices.
#include "speech/engine_dispatch.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "files/paths.hpp"
#include "program/capture_rig.hpp"
#include "speech/engines/engine_voices.hpp"
#include "speech/engines/espeak_engine.hpp"
#include "speech/engines/sivra_glue.hpp"
#include "speech/engines/system_engines.hpp"
#include "support/scratch_dir.hpp"
#include "synth/mbrola_voices.hpp"

namespace cadencio::speech {
namespace {

// Records every call; busy answers from a count of calls still to answer true.
struct FakeLog {
  std::vector<std::string> calls;
  int busy_ones = 0;   // Busy(1) answers true this many more times
  int busy_zeros = 0;  // Busy(0) answers true this many more times
  EngineVoice started{};
};

class FakeBinding final : public EngineBinding {
 public:
  explicit FakeBinding(FakeLog& log) : log_(log) {}
  void Speak(const std::string& text) override { log_.calls.push_back("speak " + text); }
  bool Busy(int which) override {
    int& left = which == 1 ? log_.busy_ones : log_.busy_zeros;
    if (left <= 0) return false;
    --left;
    return true;
  }
  void Stop() override { log_.calls.push_back("stop"); }
  void End() override { log_.calls.push_back("end"); }

 private:
  FakeLog& log_;
};

EngineStarter FakeStarter(FakeLog& log, const char* name) {
  return [&log, name](EngineContext&, const EngineVoice& voice) -> std::unique_ptr<EngineBinding> {
    log.calls.push_back(std::string("start ") + name);
    log.started = voice;
    return std::make_unique<FakeBinding>(log);
  };
}

// A capture rig whose configuration asks for engine `kind`, with every family faked.
struct Rig : program::CaptureRig {
  explicit Rig(const std::string& servfala, std::vector<frontends::ScriptedMessage> script = {})
      : program::CaptureRig("/nonexistent", std::move(script)),
        windir("AUDIRA_WINDIR", scratch.path()) {
    speech.AttachRecordedVoice(nullptr);
    std::ofstream(scratch / "AUDIRA.INI") << "[TRADUTOR]\nSAPI=S\n[SERVFALA]\n" << servfala;
    speech.Engine().SetStarter(EngineFamily::kInProcess, FakeStarter(log, "in-process"));
    speech.Engine().SetStarter(EngineFamily::kService, FakeStarter(log, "service"));
    speech.Engine().SetStarter(EngineFamily::kSivra, FakeStarter(log, "sivra"));
  }
  testing::ScratchDir scratch;
  testing::ScopedEnv windir;
  FakeLog log;
};

TEST(EngineDispatch, KindsSelectTheirBinding) {
  const std::map<int, const char*> cases = {
      {0, "in-process"}, {1, "in-process"},  {4, "in-process"},
      {7, "in-process"}, {-1, "in-process"}, {55, "in-process"},
      {5, "service"},    {54, "service"},    {3, "sivra"}};
  for (auto [kind, name] : cases) {
    Rig rig("TIPOSAPI=" + std::to_string(kind) + "\n");
    rig.speech.InitSpeech(3, "");
    EXPECT_TRUE(rig.speech.EngineActive()) << "TIPOSAPI=" << kind;
    EXPECT_EQ(rig.log.calls, std::vector<std::string>{std::string("start ") + name})
        << "TIPOSAPI=" << kind;
    EXPECT_EQ(rig.speech.Engine().EngineKind(), kind);
  }
}

TEST(EngineDispatch, StartWaitsForTheStartUpSpeechEveryFiftyMilliseconds) {
  Rig rig("TIPOSAPI=4\n");
  rig.log.busy_ones = 3;
  rig.speech.InitSpeech(3, "");
  EXPECT_TRUE(rig.speech.EngineActive());
  EXPECT_EQ(rig.clock.NowMs(), 150);
}

TEST(EngineDispatch, TheRateAboveTenIsKeptOnlyForKindFour) {
  struct Case {
    const char* servfala;
    int rate;
  };
  for (const Case& c :
       {Case{"TIPOSAPI=4\nVELOCIDADE=180\n", 180}, Case{"TIPOSAPI=5\nVELOCIDADE=11\n", 0},
        Case{"TIPOSAPI=3\nVELOCIDADE=15\n", 0},
        Case{"TIPOSAPI=3\nVELOCIDADE=3\nTOM=-2\nVOZ=2\n", 3}}) {
    Rig rig(c.servfala);
    rig.speech.InitSpeech(3, "");
    EXPECT_EQ(rig.log.started.rate, c.rate) << c.servfala;
  }
  // The built-in TTS's rate 0 gives the duration factor 0.8, and pitch 0 the factor 1.
  EXPECT_DOUBLE_EQ(SivraDurationFactor(0), 0.8);
  EXPECT_DOUBLE_EQ(SivraDurationFactor(3), 0.6);
  EXPECT_DOUBLE_EQ(SivraPitchFactor(0), 1.0);
  EXPECT_DOUBLE_EQ(SivraPitchFactor(11), 2.0);
}

TEST(EngineFrontEnd, AnEngineMessageIsShownSpokenAndHeldForAKey) {
  Rig rig("TIPOSAPI=3\n", {{300, {base::MessageKind::kChar, 'x'}}});
  std::vector<SpeechEvent> events;
  rig.speech.SetObserver([&](const SpeechEvent& e) { events.push_back(e); });
  rig.speech.Engine().SetStarter(EngineFamily::kSivra,
                                 [](EngineContext& context, const EngineVoice&) {
                                   SivraHostAdapter host(context.wav, context.message_box);
                                   host.MessageBox(
                                       "Erro no arquivo de pros\xF3"
                                       "dia");
                                   return std::unique_ptr<EngineBinding>();
                                 });
  rig.speech.InitSpeech(3, "");
  EXPECT_FALSE(rig.speech.EngineActive());
  EXPECT_EQ(rig.frontend.Row(0),
            "Erro no arquivo de pros\xF3"
            "dia");
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0].kind, SpeechEvent::kText);
  EXPECT_GE(rig.clock.NowMs(), 300) << "did not wait for a key";
  EXPECT_FALSE(rig.console.KeyPressed()) << "the key was left queued";
}

TEST(EngineFrontEnd, TextsGoWholeToTheEngineAfterTheSpeechBefore) {
  Rig rig("TIPOSAPI=4\n");
  rig.speech.InitSpeech(3, "");
  rig.log.busy_zeros = 4;  // the engine is still speaking something
  rig.speech.SpeakText("Ol\xE1, 007 e www.");
  EXPECT_EQ(rig.log.calls,
            (std::vector<std::string>{"start in-process", "speak Ol\xE1, 007 e www."}));
  EXPECT_EQ(rig.log.busy_zeros, 0) << "did not wait for the earlier speech";
}

TEST(EngineFrontEnd, StopReachesTheEngineOnlyWhenItSpeaksOrIsTheBuiltInOne) {
  struct Case {
    int kind;
    int busy_zeros;
    bool stops;
  };
  for (const Case& c : {Case{4, 0, false}, Case{4, 1, true}, Case{5, 1, true}, Case{3, 0, true}}) {
    Rig rig("TIPOSAPI=" + std::to_string(c.kind) + "\n");
    rig.speech.InitSpeech(3, "");
    rig.log.calls.clear();
    rig.log.busy_zeros = c.busy_zeros;
    rig.speech.StopSpeech();
    EXPECT_EQ(rig.log.calls,
              c.stops ? std::vector<std::string>{"stop"} : std::vector<std::string>{})
        << "TIPOSAPI=" << c.kind << " busy " << c.busy_zeros;
  }
}

TEST(EngineFrontEnd, EndSpeechWaitsThenEndsTheEngine) {
  Rig rig("TIPOSAPI=5\n");
  rig.speech.InitSpeech(3, "");
  rig.speech.SpeakText("Fim");
  rig.log.busy_zeros = 5;
  rig.speech.EndSpeech();
  EXPECT_EQ(rig.log.calls, (std::vector<std::string>{"start service", "speak Fim", "end"}));
  EXPECT_FALSE(rig.speech.EngineActive());
}

TEST(EngineDispatch, TheBuiltInTtsOpensTheSynthesizerTheProgramHandsIt) {
  Rig rig("TIPOSAPI=3\n");
  int loads = 0;
  InstallSystemEngines(rig.speech.Engine(), [&loads]() -> std::unique_ptr<synth::Mbrola> {
    ++loads;
    return nullptr;  // no synthesizer: the start fails
  });
  rig.speech.InitSpeech(3, "");
  EXPECT_EQ(loads, 1);
  EXPECT_FALSE(rig.speech.EngineActive());
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
  EXPECT_EQ(defaults.dir, "\\sonaud\\sivratts\\");
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
}  // namespace cadencio::speech
