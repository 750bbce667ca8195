// The metronome on the headless front end: start-up questions, tempo keys, measures, pause,
// silence, the end question, and the beat sounds with their stream frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "app/metronome_state.hpp"
#include "base/keys.hpp"
#include "base/windows1252.hpp"
#include "formats/wav_writer.hpp"
#include "support/beat_frames.hpp"
#include "support/scenario.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::testing {
namespace {

namespace vk = base::vk;
using Script = std::vector<frontends::ScriptedMessage>;

// True when a frame interval is the beat period rounded either way at 44100 Hz (onsets fall
// on whole frames, so successive intervals alternate between the two).
// The onsets as "ms:sound" for failure messages.
std::string Describe(const std::vector<BeatOnset>& onsets) {
  std::string text;
  for (const auto& onset : onsets) {
    text += std::to_string(onset.frame * 1000 / 44100) + ":" + onset.sound + " ";
  }
  return text;
}

std::vector<int64_t> Intervals(const std::vector<BeatOnset>& onsets) {
  std::vector<int64_t> intervals;
  for (std::size_t i = 1; i < onsets.size(); ++i) {
    intervals.push_back(onsets[i].frame - onsets[i - 1].frame);
  }
  return intervals;
}

TEST(BeatSchedule, BeatNStartsOnTheExactFrameOfTheTempo) {
  // Tempos whose beat is no whole number of milliseconds, or of frames: a beat period in
  // whole milliseconds would play 125 BPM at 125.26 and 500 BPM at 504.2, and drift.
  for (int bpm : {125, 192, 317, 500, 139, 64}) {
    TempDataRoot data;
    Scenario scenario(Join({AnswerStart(std::to_string(bpm), 'q'), EndAt(7000)}), 500);
    scenario.Run();
    const auto& onsets = scenario.Onsets();
    ASSERT_GE(onsets.size(), 6u) << bpm;
    for (std::size_t n = 1; n < onsets.size(); ++n) {
      EXPECT_EQ(onsets[n].frame - onsets[0].frame, ExactNoteFrame(static_cast<int64_t>(n), bpm))
          << bpm << " BPM, beat " << n << ": " << Describe(onsets);
    }
  }
}

TEST(StartUp, AsksTempoAndMeasureAndPlaysTheDefaultSounds) {
  TempDataRoot data;
  Scenario scenario(Join({AnswerStart("120", 'q'), EndAt(5000)}), 1000);
  EXPECT_EQ(scenario.Run(), 0);
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("MARCATEMPO - V. 1.0\nProjeto AUDIRA - KOR/UNTA\n\n\n"
                        "Informe BPM, sugiro 60 : 120\n"
                        "Informe unidade de compasso\n"
                        "Pressione : B - bin\xE1rio / T - tern\xE1rio / Q - Quatern\xE1rio"
                        "q\n\n\n"
                        "OK, F1 ajuda\n"
                        "Confirma o fim do programa ? s\n"
                        "Fim do programa\n"),
            std::string::npos)
      << screen;
  const auto& onsets = scenario.Onsets();
  ASSERT_GE(onsets.size(), 8u);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(onsets[i].sound, i % 4 == 0 ? "padrao1.wav" : "padrao2.wav") << i;
  }
  // 120 BPM: 500 ms apart, exactly 22050 frames at 44100 Hz, with no drift.
  for (int64_t interval : Intervals(onsets)) EXPECT_EQ(interval, 22050);
}

// A voice that the settings ask for and that cannot start, or a settings directory that cannot
// be written, is said and shown once after the banner, and the program goes on.
TEST(StartUp, AVoiceThatCannotStartAndUnwritableSettingsAreSaidOnce) {
  struct Case {
    const char* settings;  // AUDIRA.INI; null: none, in a directory below a plain file
    std::string said;      // empty: nothing
  };
  const std::string kFallback = " indispon\xEDvel, usando a voz gravada";
  const Case cases[] = {
      {"[TRADUTOR]\nSAPI=S\n[SERVFALA]\nTIPOSAPI=4\nVOZ=100000\n", "Voz do espeak-ng" + kFallback},
      {"[TRADUTOR]\nSAPI=S\n[SERVFALA]\nTIPOSAPI=5\n", "Voz do speech-dispatcher" + kFallback},
      {"[TRADUTOR]\nSAPI=S\n[SERVFALA]\nTIPOSAPI=3\n[SIVRATTS]\nDIR=c:\\nenhum\\\n",
       "Voz do sintetizador interno" + kFallback},
      {"[TRADUTOR]\nSAPI=N\n", ""},
      {nullptr,
       "Configura\xE7\xF5"
       "es n\xE3o podem ser gravadas em "},
  };
  for (const Case& c : cases) {
    TempDataRoot data;
    ScopedEnv address("SPEECHD_ADDRESS", "unix_socket:" + data.ConfigDir() + "/none/speechd.sock");
    // Permissions do not stop root, so the unwritable directory lies below a plain file.
    const std::string blocked = data.ConfigDir() + "/not-a-directory";
    std::ofstream(c.settings ? data.ConfigDir() + "/AUDIRA.INI" : blocked)
        << (c.settings ? c.settings : "");
    ScopedEnv windir("AUDIRA_WINDIR", c.settings ? data.ConfigDir() : blocked + "/audira");
    Scenario scenario(Join({AnswerStart("120", 'q'), EndAt(5000)}), 1000);
    EXPECT_EQ(scenario.Run(), 0) << c.said;
    const std::string screen = scenario.Screen().Text();
    const std::vector<std::string> texts = scenario.Spoken(speech::SpeechEvent::kText);
    if (c.said.empty()) {
      EXPECT_EQ(screen.find("indispon"), std::string::npos) << screen;
      EXPECT_EQ(screen.find("gravadas em"), std::string::npos) << screen;
    } else {
      // Said once, after the banner and before the first question, and the beat goes on.
      EXPECT_EQ(std::count(texts.begin(), texts.end(), c.said), 1) << c.said;
      // On the screen the directory, one long word, goes on at the next row.
      EXPECT_LT(screen.find(std::string(base::TrimBlanks(c.said))), screen.find("Informe BPM"))
          << c.said << "\n"
          << screen;
    }
    EXPECT_EQ(std::count(texts.begin(), texts.end(), blocked + "/audira"), c.settings ? 0 : 1);
    EXPECT_GT(scenario.CountOnsets("padrao1.wav"), 0) << c.said;
  }
}

// A start that takes the tempo or the measure from the stored settings says both after
// "OK, F1 ajuda", and the beat starts with the words instead of after them.
TEST(StartUp, StoredTempoAndMeasureAreSaidWhileTheBeatStarts) {
  struct Case {
    const char* stored;  // [CADENCIO] keys
    Script answers;      // what the start asks for
    std::string said;    // empty: nothing
  };
  const Case cases[] = {
      {"BPM=120\nCOMPASSO=Tern\xE1rio\n", {}, "120 BPM, tern\xE1rio"},
      {"BPM=90\nCOMPASSO=7\n", {}, "90 BPM, compasso de 7"},
      {"BPM=200\n", {TypeChar(300, 'b')}, "200 BPM, bin\xE1rio"},  // the measure asked for
      {"", AnswerStart("120", 'q'), ""},
  };
  for (const Case& c : cases) {
    TempDataRoot data;
    std::ofstream(data.ConfigDir() + "/AUDIRA.INI")
        << "[CADENCIO]\nDIRCADENCIO=c:\\sonaud\\som\\cadencio\\\n"
        << c.stored;
    // " BPM" lasts a second.
    formats::WriteWav16Mono(data.Root() + "/som/cadencio/CABPM.wav", ToneSamples(22050, 22050),
                            22050);
    Scenario scenario(Join({c.answers, EndAt(5000)}), 1000);
    EXPECT_EQ(scenario.Run(), 0) << c.said;
    const std::string screen = scenario.Screen().Text();
    EXPECT_NE(screen.find("OK, F1 ajuda\n" + (c.said.empty() ? "Confirma" : c.said + "\n")),
              std::string::npos)
        << screen;
    if (c.said.empty()) continue;
    // Rendered at once: the first beat comes as " BPM" begins to sound, not a second later,
    // and the words sound on past the beat's own 2000 frames.
    const auto prompt = std::find_if(scenario.Spoken().begin(), scenario.Spoken().end(),
                                     [](const auto& e) { return e.detail == "CABPM"; });
    ASSERT_NE(prompt, scenario.Spoken().end());
    const int64_t first = scenario.Onsets().at(0).frame;
    EXPECT_LT(first * 1000 / 44100 - prompt->at_ms, 300) << c.said;
    const auto& stream = dynamic_cast<audio::CaptureAudio&>(scenario.Audio()).Stream();
    EXPECT_GT(std::fabs(stream.at(2 * (first + 4410))), 1e-4f) << c.said;
  }
}

// A typed tempo that is not taken as it stands is said and shown: the default for what is not
// a whole number from 1 up, the highest tempo above 500.
TEST(StartUp, TempoAnswersAreBroughtIntoRange) {
  const std::string invalid = "Valor inv\xE1lido, assumido 60";
  const std::string highest = "M\xE1ximo 500 BPM";
  struct Case {
    std::string typed;
    int bpm;
    std::string notice;  // the line said after the answer; empty: none
  };
  const Case cases[] = {
      {"abc", 60, invalid},  // not a number: 60
      {"", 60, ""},          // empty: the suggested 60
      {"0", 60, invalid},    // below 1: 60
      {"-5", 60, invalid},
      {"12x", 60, invalid},  // trailing garbage: 60
      {"1e2", 60, invalid},
      {"99999999999999999999", 500, highest},  // too large for any integer: above 500
      {"900", 500, highest},                   // above 500: 500
      {"501", 500, highest},
      {"1200", 500, highest},
      {"500", 500, ""},
      {"192", 192, ""},
      // Blanks around the number are not part of it; inside it they are.
      {" 120", 120, ""},
      {"120 ", 120, ""},
      {" 120 ", 120, ""},
      {"1 20", 60, invalid},
      {"+120", 120, ""},
      {"00120", 120, ""},
      {"12abc", 60, invalid},
  };
  for (const auto& c : cases) {
    TempDataRoot data;
    Scenario scenario(Join({AnswerStart(c.typed, 'b'), EndAt(3000)}), 500);
    scenario.Run();
    auto intervals = Intervals(scenario.Onsets());
    ASSERT_FALSE(intervals.empty()) << c.typed;
    EXPECT_TRUE(IsBeatInterval(intervals.front(), c.bpm))
        << "typed '" << c.typed << "': " << intervals.front();
    const std::string screen = scenario.Screen().Text();
    const auto said = scenario.Spoken(speech::SpeechEvent::kText);
    for (const std::string& notice : {invalid, highest}) {
      const bool expected = notice == c.notice;
      EXPECT_EQ(screen.find("\n" + notice + "\n") != std::string::npos, expected)
          << "typed '" << c.typed << "'\n"
          << screen;
      EXPECT_EQ(std::count(said.begin(), said.end(), notice), expected ? 1 : 0) << c.typed;
    }
  }
}

// After a key in the tempo field that neither edits nor moves (Left at the start, a speed
// change kept with Esc, the typing echo switched), typing still replaces the old tempo.
TEST(StartUp, TypingAfterAKeyThatDidNotEditReplacesTheOldTempo) {
  struct Case {
    const char* what;
    Script keys;  // at 1600 ms, in the F6 field holding "121"
    int bpm;
  };
  const Case cases[] = {
      {"Left", {PressKey(1600, vk::kLeft)}, 130},
      {"Ctrl+F4, Esc", {PressKey(1600, vk::F(4), true), TypeChar(1650, 27)}, 130},
      {"F4, echo switched", {PressKey(1600, vk::F(4))}, 130},
      {"Right", {PressKey(1600, vk::kRight)}, 500},  // moved: "1" + "130" + "21" gives 500
  };
  for (const auto& c : cases) {
    TempDataRoot data;
    Script script = AnswerStart("121", 'q');
    script.push_back(PressKey(1500, vk::F(6)));
    script.insert(script.end(), c.keys.begin(), c.keys.end());
    auto retype = TypeText(1700, "130");
    script.insert(script.end(), retype.begin(), retype.end());
    script.push_back(TypeChar(1800, 13));
    script.push_back(TypeChar(1900, 'q'));
    Scenario scenario(Join({script, EndAt(4000)}), 500);
    scenario.Run();
    auto intervals = Intervals(scenario.Onsets());
    ASSERT_FALSE(intervals.empty()) << c.what;
    EXPECT_TRUE(IsBeatInterval(intervals.back(), c.bpm))
        << c.what << ": " << intervals.back() << "\n"
        << scenario.Screen().Text();
  }
}

TEST(TempoKeys, StayWithinOneToFiveHundred) {
  struct Case {
    std::string start;
    int key;
    int bpm_after;
  };
  const Case cases[] = {
      {"1", base::vk::kDown, 60},    // 1 - 1 gives 60, not 1
      {"5", base::vk::kNext, 60},    // 5 - 10 gives 60
      {"500", base::vk::kUp, 500},   // stays 500
      {"60", base::vk::kUp, 61},     // 61 BPM
      {"60", base::vk::kPrior, 70},  // 70 BPM
  };
  for (const auto& c : cases) {
    TempDataRoot data;
    // The key comes just after a beat; the slow tempo of 1 BPM only needs the first beat.
    int64_t end_ms = std::stoi(c.start) < 30 ? 63000 : 3000;
    Scenario scenario(Join({AnswerStart(c.start, '1'), {PressKey(700, c.key)}, EndAt(end_ms)}),
                      500);
    scenario.Run();
    auto intervals = Intervals(scenario.Onsets());
    ASSERT_GE(intervals.size(), 2u) << c.start << "\n" << scenario.Screen().Text();
    EXPECT_TRUE(IsBeatInterval(intervals.back(), c.bpm_after))
        << c.start << " key " << c.key << ": " << intervals.back() << " frames";
  }
}

TEST(Measures, ZeroOneAndSevenBeats) {
  struct Case {
    uint8_t key;
    int tempo_sounds, measure_sounds;  // in the first 14 beats
  };
  const Case cases[] = {{'0', 14, 0}, {'1', 14, 0}, {'7', 2, 12}, {'b', 7, 7},
                        {'T', 5, 9},  {'x', 4, 10}, {13, 4, 10}};  // other keys: 4 beats
  for (const auto& c : cases) {
    TempDataRoot data;
    // 600 BPM is not possible; 300 BPM gives 200 ms beats, 14 beats in 2.8 s.
    Scenario scenario(Join({AnswerStart("300", c.key), EndAt(3400)}), 500);
    scenario.Run();
    auto onsets = scenario.Onsets();
    ASSERT_GE(onsets.size(), 14u);
    onsets.resize(14);
    int tempo = 0;
    for (const auto& onset : onsets) tempo += onset.sound == "padrao1.wav";
    EXPECT_EQ(tempo, c.tempo_sounds) << "measure key " << int(c.key);
    EXPECT_EQ(14 - tempo, c.measure_sounds) << "measure key " << int(c.key);
  }
}

TEST(Measures, ExtendedKeyAtTheQuestionGivesFourBeatsAndRunsItsCommand) {
  TempDataRoot data;
  Script script = TypeText(100, "60");
  script.push_back(TypeChar(200, 13));
  script.push_back(PressKey(300, base::vk::kUp));  // 0 answers the question, 72 raises the tempo
  Scenario scenario(Join({script, EndAt(9000)}), 500);
  scenario.Run();
  const auto& onsets = scenario.Onsets();
  ASSERT_GE(onsets.size(), 5u);
  EXPECT_EQ(onsets[0].sound, "padrao1.wav");
  EXPECT_EQ(onsets[4].sound, "padrao1.wav");
  EXPECT_TRUE(IsBeatInterval(onsets[1].frame - onsets[0].frame, 61));
}

TEST(MainLoop, AnyKeyCutsTheMeasureShort) {
  TempDataRoot data;
  // 60 BPM in 4: beats at about 0.75, 1.75, 2.75 s (after "OK, efe um, ajuda"); an "x" at
  // 1.9 s starts a new measure.
  Scenario scenario(Join({AnswerStart("60", 'q'), {TypeChar(1900, 'x')}, EndAt(4600)}), 500);
  scenario.Run();
  const auto& onsets = scenario.Onsets();
  ASSERT_GE(onsets.size(), 4u);
  EXPECT_EQ(onsets[0].sound, "padrao1.wav");
  EXPECT_EQ(onsets[1].sound, "padrao2.wav");
  EXPECT_EQ(onsets[2].sound, "padrao1.wav");  // new measure after the key
  EXPECT_EQ(onsets[3].sound, "padrao2.wav");
}

TEST(MainLoop, TabSilencesWithABeepAndResumesWithANewMeasure) {
  TempDataRoot data;
  Scenario scenario(
      Join({AnswerStart("60", 'q'), {TypeChar(1900, 9), TypeChar(4200, 9)}, EndAt(5600)}), 500);
  scenario.Run();
  EXPECT_EQ(scenario.Spoken(speech::SpeechEvent::kBeep).size(), 1u);
  const auto& onsets = scenario.Onsets();
  ASSERT_GE(onsets.size(), 3u) << Describe(onsets);
  // Two beats before the silence, none during it, then the tempo sound again.
  EXPECT_LT(onsets[1].frame, 2000 * 44100 / 1000) << Describe(onsets);
  EXPECT_GE(onsets[2].frame, 4200 * 44100 / 1000);
  EXPECT_EQ(onsets[2].sound, "padrao1.wav");
}

TEST(MainLoop, PauseSwallowsKeysUntilSpace) {
  TempDataRoot data;
  Scenario scenario(Join({AnswerStart("90", 'q'),
                          {TypeChar(1000, ' '), TypeChar(1500, 27), PressKey(1600, base::vk::kUp),
                           TypeChar(1700, 'x'), TypeChar(3000, ' ')},
                          EndAt(4000)}),
                    500);
  scenario.Run();
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("Valor BPM = 90 -- PAUSE ATIVADA\n -- PAUSE DESATIVADA\n"),
            std::string::npos)
      << screen;
  // No beat during the pause, and the tempo key pressed in it had no effect.
  for (const auto& onset : scenario.Onsets()) {
    EXPECT_FALSE(onset.frame > 1000 * 44.1 && onset.frame < 3000 * 44.1) << onset.frame;
  }
  auto intervals = Intervals(scenario.Onsets());
  EXPECT_TRUE(IsBeatInterval(intervals.back(), 90));  // still 90 BPM
}

TEST(MainLoop, EndQuestionAnswers) {
  struct Case {
    uint8_t answer;
    bool ends;
  };
  const Case cases[] = {{'n', false}, {'x', false}, {13, true}, {'s', true}, {'S', true}};
  for (const auto& c : cases) {
    TempDataRoot data;
    Scenario scenario(
        Join({AnswerStart("60", 'q'), {TypeChar(1000, 27), TypeChar(2100, c.answer)}}), 3000);
    scenario.Run();
    const std::string screen = scenario.Screen().Text();
    EXPECT_EQ(screen.find("Fim do programa") != std::string::npos, c.ends) << int(c.answer);
    // A refused end keeps the metronome ticking after the answer.
    int64_t last = scenario.Onsets().back().frame;
    EXPECT_EQ(last > 2200 * 44100 / 1000, !c.ends) << int(c.answer);
  }
}

TEST(MainLoop, KeysInTheMiddleOfASlowBeatActAtOnce) {
  struct Case {
    int bpm;
    const char* name;
    frontends::ScriptedMessage key;  // at time 0
    uint8_t follow_up;               // typed 3 s later: ends the pause, answers the end question
  };
  const Case cases[] = {
      {1, "F8", PressKey(0, base::vk::F(8)), 0}, {1, "Space", TypeChar(0, ' '), ' '},
      {1, "Esc", TypeChar(0, 27), 'n'},          {30, "F8", PressKey(0, base::vk::F(8)), 0},
      {30, "Space", TypeChar(0, ' '), ' '},      {30, "Esc", TypeChar(0, 27), 'n'}};
  for (auto c : cases) {
    TempDataRoot data;
    const int period_ms = 60000 / c.bpm;
    // Two beats, then the key halfway through the second beat period.
    const int64_t key_ms = 5000 + period_ms + period_ms / 2;
    c.key.at_ms = key_ms;
    Script script = Join({AnswerStart(std::to_string(c.bpm), '1'), {c.key}});
    if (c.follow_up != 0) script.push_back(TypeChar(key_ms + 3000, c.follow_up));
    const int64_t end_ms = key_ms + 8000 + 2 * period_ms;
    Scenario scenario(Join({script, EndAt(end_ms)}), 500);
    scenario.Run();
    const std::string which = std::to_string(c.bpm) + " BPM, " + c.name;

    // What the key does is heard within 20 ms of its arrival.
    const speech::SpeechEvent* first = nullptr;
    for (const auto& event : scenario.Spoken()) {
      if (event.at_ms >= key_ms) {
        first = &event;
        break;
      }
    }
    ASSERT_NE(first, nullptr) << which;
    EXPECT_LE(first->at_ms - key_ms, 20) << which << ": " << first->detail;

    // The beats before and after the key keep the beat period; the key fell mid-beat.
    const int64_t key_frame = key_ms * 44100 / 1000;
    std::vector<BeatOnset> before, after;
    for (const auto& onset : scenario.Onsets()) {
      (onset.frame < key_frame ? before : after).push_back(onset);
    }
    ASSERT_GE(before.size(), 2u) << which << ": " << Describe(scenario.Onsets());
    ASSERT_GE(after.size(), 2u) << which << ": " << Describe(scenario.Onsets());
    EXPECT_GT(key_frame - before.back().frame, int64_t{period_ms} * 44100 / 1000 / 4) << which;
    for (const auto* run : {&before, &after}) {
      for (int64_t interval : Intervals(*run)) {
        EXPECT_TRUE(IsBeatInterval(interval, c.bpm)) << which << ": " << Describe(*run);
      }
    }
  }
}

TEST(MainLoop, F1ListsTheKeys) {
  TempDataRoot data;
  Scenario scenario(Join({AnswerStart("60", 'q'), {PressKey(1000, base::vk::F(1))}, EndAt(3000)}),
                    500);
  scenario.Run();
  // The listing is longer than the screen: its first lines have scrolled off by the end, and
  // are heard in order before the rest.
  const auto said = scenario.Spoken(speech::SpeechEvent::kText);
  auto heading = std::find(said.begin(), said.end(),
                           "Op\xE7\xF5"
                           "es nas teclas : ");
  ASSERT_NE(heading, said.end());
  ASSERT_LT(heading + 3, said.end());
  EXPECT_EQ(heading[1], "F1, ajuda");
  EXPECT_EQ(heading[2], "F2, grava modelo");
  EXPECT_EQ(heading[3], "F3, revisa a tela");
  // Tab, which the classic listing left out, in its place before Space (it has scrolled off
  // with the function keys).
  const auto tab = std::find(said.begin(), said.end(), "TAB, silencia ou retoma a batida");
  ASSERT_LT(tab + 1, said.end());
  EXPECT_EQ(tab[1], "Barra de espa\xE7o, informa valor BPM atual");
  // The screen keeps the listing's last lines: the classic ones from Enter on, and the keys
  // beyond them.
  EXPECT_NE(scenario.Screen().Text().find(
                "Enter, batido 3 vezes ou mais, marca o BPM\n"
                "C min\xFAsculo, conta os tempos em voz alta\n"
                "I min\xFAsculo, conta um compasso antes de come\xE7"
                "ar\n"
                "M min\xFAsculo, compassos tocados e compassos em sil\xEAncio\n"
                "R min\xFAsculo, treino de andamento, liga ou desliga\n"
                "A min\xFAsculo, acentos de cada tempo do compasso\n"
                "L min\xFAsculo, repert\xF3rio de m\xFAsicas\n"
                "N ou P min\xFAsculo, pr\xF3xima ou anterior m\xFAsica do repert\xF3rio\n"
                "O min\xFAsculo, onde estou: andamento, compasso, acentos e o que est\xE1 ligado\n"
                "E min\xFAsculo, escuta o m\xFAsico, liga ou desliga\n"
                "V min\xFAsculo, diz como o m\xFAsico tocou\n"
                "D min\xFAsculo, mede a lat\xEAncia do microfone\n"
                "K min\xFAsculo, Link, liga ou desliga\n"
                "X ou Z min\xFAsculo, pr\xF3xima ou anterior se\xE7\xE3o do mapa da m\xFAsica\n"
                "Q min\xFAsculo, conta os compassos da se\xE7\xE3o em vez dos tempos\n"
                "J min\xFAsculo, polirritmo, liga ou desliga\n"
                "Y min\xFAsculo, som e volume da segunda camada\n"
                "U min\xFAsculo, conta a segunda camada ou os tempos\n"
                "W min\xFAsculo, swing e shuffle\n"
                "\nQual sua op\xE7\xE3o ?\n\n"),
            std::string::npos)
      << scenario.Screen().Text();
}

TEST(MainLoop, F6AsksForTempoAndMeasureAgain) {
  TempDataRoot data;
  Script script = AnswerStart("60", 'q');
  script.push_back(PressKey(1500, base::vk::F(6)));
  auto retype = TypeText(1600, "240");
  script.insert(script.end(), retype.begin(), retype.end());
  script.push_back(TypeChar(1700, 13));
  script.push_back(TypeChar(1800, 't'));
  Scenario scenario(Join({script, EndAt(4000)}), 500);
  scenario.Run();
  auto onsets = scenario.Onsets();
  auto intervals = Intervals(onsets);
  EXPECT_EQ(intervals.back(), 11025);  // 240 BPM
  // Ternary after the new answer: tempo, measure, measure, tempo ...
  std::size_t first_new = 0;
  while (onsets[first_new].frame < 1800 * 44.1) ++first_new;
  EXPECT_EQ(onsets[first_new].sound, "padrao1.wav");
  EXPECT_EQ(onsets[first_new + 3].sound, "padrao1.wav");
}

}  // namespace
}  // namespace cadencio::testing
