// The speech front end with a speech engine, on the headless console and the captured stream:
// espeak-ng speaks whole texts, a key cuts it at once and stays queued, the engine kinds that
// select it, the lone digit, an engine's message held on the console until a key, and the
// fall-back to the recorded voice when no engine starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/audio_output.hpp"
#include "engines/sivra_glue.hpp"
#include "program/capture_rig.hpp"
#include "support/scenario.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::testing {
namespace {

using speech::SpeechEvent;

constexpr float kSilence = 1e-4f;

// Writes the configuration with an engine section.
void WriteConfig(const TempDataRoot& data, const std::string& sapi, const std::string& servfala) {
  std::ofstream(data.ConfigDir() + "/AUDIRA.INI")
      << "[TRADUTOR]\nVELOCIDADE=3\nSAPI=" << sapi << "\n[SERVFALA]\n"
      << servfala;
}

// The captured stream's frames (left channel) that sound.
struct Sounding {
  int64_t first = -1;
  int64_t last = -1;
  int64_t longest_gap = 0;  // frames of silence between two sounding frames
};

Sounding FindSound(Scenario& scenario, int64_t from_frame = 0) {
  const auto& stream = dynamic_cast<audio::CaptureAudio&>(scenario.Audio()).Stream();
  Sounding s;
  for (int64_t f = from_frame; f < static_cast<int64_t>(stream.size() / 2); ++f) {
    if (std::fabs(stream[2 * f]) <= kSilence) continue;
    if (s.first < 0) s.first = f;
    if (s.last >= 0) s.longest_gap = std::max(s.longest_gap, f - s.last - 1);
    s.last = f;
  }
  return s;
}

// Speaks one text after starting speech, and waits for its end.
void SpeakAndWait(Scenario& scenario, const std::string& text) {
  auto& speech = scenario.Speech();
  speech.InitSpeech(0, "");
  speech.SpeakText(text);
  while (speech.SpeechBusy()) scenario.Console().WaitMessage();
}

const char* const kSentence =
    "Bom dia. O andamento \xE9 de cento e vinte batidas por minuto, em compasso tern\xE1rio.";

TEST(EspeakEngine, SpeaksAWholeTextAsOneUtterance) {
  TempDataRoot data;
  WriteConfig(data, "S", "TIPOSAPI=4\nVOZ=1\n");
  Scenario scenario({}, 100000);
  int64_t spoken_at = 0;
  scenario.RunDialog([&] {
    scenario.Speech().InitSpeech(0, "");
    ASSERT_TRUE(scenario.Speech().EngineActive());
    spoken_at = scenario.Clock().NowMs();
    scenario.Speech().SpeakText(kSentence);
    while (scenario.Speech().SpeechBusy()) scenario.Console().WaitMessage();
  });
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kEngineText), std::vector<std::string>{kSentence});
  // Nothing of the text went to the recorded voice.
  EXPECT_TRUE(scenario.Spoken(SpeechEvent::kPhonetic).empty());
  EXPECT_TRUE(scenario.Spoken(SpeechEvent::kChar).empty());
  EXPECT_TRUE(scenario.Spoken(SpeechEvent::kNumber).empty());

  const int rate = scenario.SampleRate();
  const Sounding sound = FindSound(scenario);
  ASSERT_GE(sound.first, 0) << "nothing was heard";
  // Speech starts at once, lasts as a sentence does, and has no gap longer than a full stop.
  EXPECT_LT(sound.first - spoken_at * rate / 1000, rate / 10);
  EXPECT_GT(sound.last - sound.first, 3 * rate);
  EXPECT_LT(sound.longest_gap, rate / 2);
}

TEST(EspeakEngine, AKeyCutsTheSpeechAtOnceAndStaysQueued) {
  TempDataRoot data;
  WriteConfig(data, "S", "TIPOSAPI=4\nVOZ=1\n");
  constexpr int64_t kKeyMs = 1500;
  Scenario scenario({TypeChar(kKeyMs, 'k')}, 100000);
  uint8_t key = 0;
  scenario.RunDialog([&] {
    scenario.Speech().InitSpeech(0, "");
    ASSERT_EQ(scenario.Clock().NowMs(), 0);
    scenario.Speech().SpeakText(std::string(kSentence) + " " + kSentence + " " + kSentence);
    while (scenario.Speech().SpeechBusy()) scenario.Console().WaitMessage();
    key = scenario.Console().ReadKey();
  });
  EXPECT_EQ(key, 'k');
  const int rate = scenario.SampleRate();
  const int64_t key_frame = kKeyMs * rate / 1000;
  const Sounding before = FindSound(scenario, key_frame - rate / 5);
  ASSERT_GE(before.first, 0);
  EXPECT_LT(before.first, key_frame) << "not speaking when the key came";
  // The key is seen within one 10 ms poll, and the sound stops within one audio buffer.
  constexpr int kAudioBufferFrames = 512;
  EXPECT_LE(FindSound(scenario, key_frame).last, key_frame + rate / 100 + kAudioBufferFrames);
}

TEST(EspeakEngine, EveryKindButThreeFiveAndFiftyFourTakesIt) {
  for (const char* kind : {"0", "1", "4", "7", "99", "-2"}) {
    TempDataRoot data;
    WriteConfig(data, "S", std::string("TIPOSAPI=") + kind + "\nVOZ=0\n");
    Scenario scenario({}, 100000);
    scenario.RunDialog([&] { SpeakAndWait(scenario, "Tudo certo."); });
    EXPECT_TRUE(scenario.Speech().EngineActive()) << "TIPOSAPI=" << kind;
    EXPECT_EQ(scenario.Spoken(SpeechEvent::kEngineText), std::vector<std::string>{"Tudo certo."})
        << "TIPOSAPI=" << kind;
  }
}

TEST(EngineFrontEnd, AnEngineMessageIsShownSpokenAndHeldForAKey) {
  TempDataRoot data;
  WriteConfig(data, "S", "TIPOSAPI=3\n");
  program::CaptureRig rig("/nonexistent", {TypeChar(300, 'x')});
  rig.speech.AttachRecordedVoice(nullptr);
  std::vector<SpeechEvent> events;
  rig.speech.SetObserver([&](const SpeechEvent& e) { events.push_back(e); });
  rig.speech.Engine().SetStarter(engines::EngineFamily::kSivra,
                                 [](engines::EngineContext& context, const engines::EngineVoice&) {
                                   engines::SivraHostAdapter host(context.wav, context.message_box);
                                   host.MessageBox(
                                       "Erro no arquivo de pros\xF3"
                                       "dia");
                                   return std::unique_ptr<engines::EngineBinding>();
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

TEST(EspeakEngine, ALoneDigitIsSentWithAFullStop) {
  TempDataRoot data;
  WriteConfig(data, "S", "TIPOSAPI=4\n");
  Scenario scenario({}, 100000);
  scenario.RunDialog([&] { SpeakAndWait(scenario, " 7 "); });
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kEngineText), std::vector<std::string>{"7."});
}

TEST(SpeechEngine, NoEngineStartedMeansTheRecordedVoice) {
  struct Case {
    const char* sapi;
    const char* servfala;
    const char* why;
  };
  // A voice number beyond the voices, a speech service that cannot be reached, and SAPI=N.
  for (const Case& c : {Case{"S", "TIPOSAPI=4\nVOZ=100000\n", "VOZ beyond the voices"},
                        Case{"S", "TIPOSAPI=4\nVOZ=-1\n", "negative VOZ"},
                        Case{"S", "TIPOSAPI=5\nVOZ=1\n", "no speech service"},
                        Case{"N", "TIPOSAPI=4\nVOZ=1\n", "SAPI=N"}}) {
    TempDataRoot data;
    ScopedEnv address("SPEECHD_ADDRESS", "unix_socket:" + data.ConfigDir() + "/none/speechd.sock");
    WriteConfig(data, c.sapi, c.servfala);
    Scenario scenario({}, 100000);
    scenario.RunDialog([&] { SpeakAndWait(scenario, "casa"); });
    EXPECT_FALSE(scenario.Speech().EngineActive()) << c.why;
    EXPECT_TRUE(scenario.Spoken(SpeechEvent::kEngineText).empty()) << c.why;
    EXPECT_EQ(scenario.Spoken(SpeechEvent::kPhonetic).size(), 1u) << c.why;
  }
}

TEST(EspeakEngine, ASpeedChangeRestartsTheEngine) {
  TempDataRoot data;
  WriteConfig(data, "S", "TIPOSAPI=4\n");
  Scenario scenario({}, 100000);
  scenario.RunDialog([&] {
    auto& speech = scenario.Speech();
    speech.InitSpeech(3, "");
    speech.EndSpeech();
    EXPECT_FALSE(speech.EngineActive());
    speech.InitSpeech(5, "");
    speech.SpeakText("Mais depressa.");
    while (speech.SpeechBusy()) scenario.Console().WaitMessage();
  });
  EXPECT_TRUE(scenario.Speech().EngineActive());
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kEngineText), std::vector<std::string>{"Mais depressa."});
  EXPECT_GE(FindSound(scenario).first, 0);
}

TEST(EspeakEngine, TheShippedConfigurationSpeaksTheProgramInSentences) {
  TempDataRoot data;
  std::filesystem::copy_file(CADENCIO_SOURCE_DIR "/data/AUDIRA.INI",
                             data.ConfigDir() + "/AUDIRA.INI");
  std::vector<frontends::ScriptedMessage> script = TypeText(3000, "120");
  script.push_back(TypeChar(4000, 13));
  script.push_back(TypeChar(7000, 'q'));
  script.push_back(TypeChar(12000, 27));
  script.push_back(TypeChar(15000, 's'));
  Scenario scenario(script, 8000);
  EXPECT_EQ(scenario.Run(), 0);
  const std::vector<std::string> said = scenario.Spoken(SpeechEvent::kEngineText);
  EXPECT_NE(std::find(said.begin(), said.end(), "Fim do programa"), said.end());
  // The screen shows the key name, the engine is given the words a user says.
  EXPECT_NE(scenario.Screen().Text().find("Informe BPM, sugiro 60 : "), std::string::npos);
  EXPECT_NE(std::find(said.begin(), said.end(), "Informe b\xEA p\xEA \xEAme, sugiro 60 :"),
            said.end());
  EXPECT_TRUE(scenario.Spoken(SpeechEvent::kPhonetic).empty()) << "the recorded voice spoke";
  EXPECT_GT(scenario.CountOnsets("padrao1.wav"), 0);
}

TEST(EspeakEngine, ClosingTheWindowWhileItSpeaksEndsTheProgram) {
  TempDataRoot data;
  WriteConfig(data, "S", "TIPOSAPI=4\n");
  Scenario scenario({{800, {base::MessageKind::kClose}}}, 100000);
  const int code = scenario.RunDialog([&] {
    SpeakAndWait(scenario, std::string(kSentence) + " " + kSentence + " " + kSentence);
    scenario.Console().ReadKey();
  });
  EXPECT_EQ(code, 0);
  EXPECT_LE(FindSound(scenario).last, scenario.SampleRate() * 810 / 1000 + 512);
}

}  // namespace
}  // namespace cadencio::testing
