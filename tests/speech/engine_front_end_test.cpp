// The speech front end with an engine, on virtual time and a recording stand-in for the
// bindings: the settings of section SERVFALA, whole texts after the speech before, the stop and
// the end; and what it leaves to the program's reports (an engine's message, the service's
// refusal, a recorded voice that cannot start).
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "speech/speech_front_end.hpp"
#include "support/fake_engine.hpp"
#include "support/scratch_dir.hpp"
#include "support/wav_test_support.hpp"

namespace cadencio::speech {
namespace {

using engines::EngineContext;
using engines::EngineFamily;
using engines::EngineVoice;
using testing::FakeLog;
using testing::FakeStarter;

// The screen, as what was written.
class TestScreen final : public base::ScreenWriter {
 public:
  void Write(std::string_view text) override { written += text; }
  void WriteLine(std::string_view text) override {
    written += text;
    written += "\r\n";
  }
  std::string TakeWrittenText() override { return std::exchange(written, {}); }
  void AppendLine(std::string_view) override {}
  void SetBeforeWait(std::function<void()>) override {}
  void ShowSpoken(std::string_view) override {}

  std::string written;
};

// A front end whose configuration asks for an engine, with every family faked.
struct Rig {
  explicit Rig(const std::string& servfala) {
    std::ofstream(scratch / "AUDIRA.INI") << "[TRADUTOR]\nSAPI=S\n[SERVFALA]\n" << servfala;
    speech.Engine().SetStarter(EngineFamily::kInProcess, FakeStarter(log, "in-process"));
    speech.Engine().SetStarter(EngineFamily::kService, FakeStarter(log, "service"));
    speech.Engine().SetStarter(EngineFamily::kSivra, FakeStarter(log, "sivra"));
  }
  testing::ScratchDir scratch;
  testing::ScopedEnv windir{"AUDIRA_WINDIR", scratch.path()};
  base::VirtualClock clock;
  base::MessageLoop loop;
  // The fake engine posts no wake-ups: a wait ends after a step of time.
  testing::TestWaiter waiter{clock, loop, 10};
  TestScreen screen;
  testing::FakeWaveOut device{clock, loop};
  audio::WavPlayback wav{waiter, device};
  files::AudiraSettings settings{"/nonexistent"};
  SpeechFrontEnd speech{waiter, screen, clock, wav, settings};
  FakeLog log;
};

TEST(EngineDispatch, TheRateAboveTenIsKeptOnlyForKindFour) {
  struct Case {
    const char* servfala;
    EngineVoice started;
  };
  for (const Case& c : {Case{"TIPOSAPI=4\nVELOCIDADE=180\n", {0, 180, 0}},
                        Case{"TIPOSAPI=5\nVELOCIDADE=11\n", {0, 0, 0}},
                        Case{"TIPOSAPI=3\nVELOCIDADE=15\n", {0, 0, 0}},
                        Case{"TIPOSAPI=3\nVELOCIDADE=3\nTOM=-2\nVOZ=2\n", {2, 3, -2}}}) {
    Rig rig(c.servfala);
    rig.speech.InitSpeech(3, "");
    EXPECT_TRUE(rig.speech.EngineActive()) << c.servfala;
    EXPECT_EQ(rig.log.started.voice, c.started.voice) << c.servfala;
    EXPECT_EQ(rig.log.started.rate, c.started.rate) << c.servfala;
    EXPECT_EQ(rig.log.started.pitch, c.started.pitch) << c.servfala;
  }
}

TEST(EngineFrontEnd, TheEngineStartsAtTheSpeedAndFollowsEachSwitchOfLevel) {
  Rig rig("TIPOSAPI=4\n");
  rig.speech.InitSpeech(5, "");
  EXPECT_EQ(rig.log.started.speed, 5);
  rig.speech.LoadSynthSettings(3);  // as the count words are rendered, never faster than 3
  EXPECT_EQ(rig.log.speed, 3);
  rig.speech.LoadSynthSettings(rig.speech.Speed());
  EXPECT_EQ(rig.log.speed, 5);
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

TEST(EngineFrontEnd, AnEnginesMessagesAndRefusalsGoToTheProgramsReports) {
  Rig rig("TIPOSAPI=3\n");
  std::vector<std::string> reported;
  rig.speech.SetReports(
      {.engine_message = [&](const std::string& text) { reported.push_back(text); },
       .service_refused = [&] { reported.emplace_back("bell"); }});
  std::vector<SpeechEvent> events;
  rig.speech.SetObserver([&](const SpeechEvent& e) { events.push_back(e); });
  rig.speech.Engine().SetStarter(EngineFamily::kSivra,
                                 [](EngineContext& context, const EngineVoice&) {
                                   context.message_box("Erro no arquivo");
                                   context.text_given("dito");
                                   context.refused();
                                   return std::unique_ptr<engines::EngineBinding>();
                                 });
  rig.speech.InitSpeech(3, "");
  EXPECT_FALSE(rig.speech.EngineActive());
  EXPECT_TRUE(rig.speech.EngineFailed());
  EXPECT_EQ(reported, (std::vector<std::string>{"Erro no arquivo", "bell"}));
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, SpeechEvent::kEngineText);
  EXPECT_EQ(events[0].detail, "dito");
}

// A recorded voice that cannot open, and the order of what is done with it.
class FailingVoice final : public RecordedVoicePort {
 public:
  explicit FailingVoice(std::vector<std::string>& log) : log_(log) {}
  int Open() override { return 2; }
  void Close() override { log_.emplace_back("close"); }
  void SetSettings(const SynthSettings&) override {}
  std::string SpeakWords(std::string_view, voice::Tune) override { return {}; }
  std::string DatabaseName() const override { return "DIFONES2"; }

 private:
  std::vector<std::string>& log_;
};

TEST(RecordedVoice, AVoiceThatCannotOpenIsClosedAndReported) {
  Rig rig("");
  std::vector<std::string> log;
  FailingVoice voice(log);
  rig.speech.AttachRecordedVoice(&voice);
  rig.speech.SetReports({.voice_failed = [&](const std::vector<std::string>& lines) {
    log.insert(log.end(), lines.begin(), lines.end());
  }});
  rig.speech.InitSpeech(3, "");
  EXPECT_EQ(log, (std::vector<std::string>{"close", "Erro de inicializa\xE7\xE3o: 2",
                                           "Banco de dados de voz: DIFONES2"}));
}

}  // namespace
}  // namespace cadencio::speech
