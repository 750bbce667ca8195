// The speech front end on the headless console: how texts are cut into numbers, words and
// marks, numbers and the time from word recordings, prompts preferred over speech, the
// configuration it reads, and the failures the program shows on the console: the recorded
// voice that cannot start and a wave-out block that cannot be released.
#include "speech/speech_front_end.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "app/message_catalogue.hpp"
#include "audio/wav_loader.hpp"
#include "base/keys.hpp"
#include "speech/number_reading.hpp"
#include "support/scenario.hpp"

namespace cadencio::testing {
namespace {

using speech::SpeechEvent;

// The spoken events of a text as short lines: "char 0", "prompt _zero", "number _sete",
// "click", "pause 250", "voice ..." lines are left out.
std::vector<std::string> Describe(const std::vector<SpeechEvent>& events) {
  std::vector<std::string> lines;
  for (const auto& e : events) {
    switch (e.kind) {
      case SpeechEvent::kChar:
        lines.push_back("char " + e.detail);
        break;
      case SpeechEvent::kPrompt:
        lines.push_back("prompt " + e.detail);
        break;
      case SpeechEvent::kNumber:
        lines.push_back("number " + e.detail);
        break;
      case SpeechEvent::kPhonetic:
        lines.push_back("words");
        break;
      case SpeechEvent::kClick:
        lines.push_back("click");
        break;
      case SpeechEvent::kPause:
        lines.push_back("pause " + e.detail);
        break;
      default:
        break;
    }
  }
  return lines;
}

// Speaks a text on a fresh scenario (as a message, or `read` from the screen) and describes
// what was spoken.
std::vector<std::string> Speak(const std::string& text, bool read = false) {
  Scenario scenario({}, 100000);
  scenario.RunDialog([&] {
    scenario.Speech().InitSpeech(0, "");
    if (read) {
      scenario.Speech().ReadText(text);
    } else {
      scenario.Speech().SpeakText(text);
    }
  });
  auto events = scenario.Spoken();
  // Drop the text event itself and what the start said.
  std::vector<SpeechEvent> after;
  bool seen = false;
  for (const auto& e : events) {
    if (seen) after.push_back(e);
    if (e.kind == SpeechEvent::kText && e.detail == text) seen = true;
  }
  return Describe(after);
}

using Lines = std::vector<std::string>;

TEST(SpeakText, DigitRunsAreNumbersUpToSixDigits) {
  TempDataRoot data;
  EXPECT_EQ(Speak("007"), (Lines{"prompt _zero", "prompt _zero", "number _sete"}));
  EXPECT_EQ(Speak("1234567"),
            (Lines{"char 1", "char 2", "char 3", "char 4", "char 5", "char 6", "char 7"}));
  EXPECT_EQ(Speak("123456"),
            (Lines{"number _cento _e _vinte _e _tres _mil _quatroc _e _cinquen _e _seis"}));
  EXPECT_EQ(Speak("12-34"), (Lines{"char 1", "char 2", "char -", "char 3", "char 4"}));
  EXPECT_EQ(Speak("-5"), (Lines{"prompt _MENOS", "number _cinco"}));
}

TEST(SpeakText, WordsHyphensAndWww) {
  TempDataRoot data;
  // A hyphen inside a word is silent; a dash between blanks is spoken with the comma pause.
  EXPECT_EQ(Speak("guarda-chuva"), (Lines{"words", "words"}));
  EXPECT_EQ(Speak("a - b", true), (Lines{"words", "char -", "pause 150", "words"}));
  // www is spelled; its full stop is spoken with no pause, since no blank follows.
  EXPECT_EQ(Speak("www.casa", true), (Lines{"char w", "char w", "char w", "char .", "words"}));
}

TEST(SpeakText, MarksAndPauses) {
  TempDataRoot data;
  EXPECT_EQ(Speak("**********", true), (Lines{"char *", "char *", "char *", "char *", "click",
                                              "click", "click", "click", "click", "click"}));
  EXPECT_EQ(Speak("Fim. Sim", true), (Lines{"words", "char .", "pause 250", "words"}));
  EXPECT_EQ(Speak("3.5", true), (Lines{"number _tres", "char .", "number _cinco"}));
  EXPECT_EQ(Speak("a, b: c", true),
            (Lines{"words", "char ,", "pause 150", "words", "char :", "pause 200", "words"}));
}

TEST(SpeakText, InTheProgramsMessagesAMarkThatEndsAPhraseIsOnlyAPause) {
  TempDataRoot data;
  struct Case {
    const char* text;
    Lines said;
  };
  const Case cases[] = {
      {"3, Garota, 130",
       {"number _tres", "pause 150", "words", "pause 150", "number _cento _e _trinta"}},
      {"Fim. Sim", {"words", "pause 250", "words"}},
      {"Confirma ?", {"words", "pause 250"}},
      {"a - b: (c)",
       {"words", "pause 150", "words", "pause 200", "pause 200", "words", "pause 200"}},
      // Inside a number or an address a mark is still read.
      {"3.5 e 1,5",
       {"number _tres", "char .", "number _cinco", "words", "number _um", "char ,",
        "number _cinco"}},
      {"www.casa", {"char w", "char w", "char w", "char .", "words"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Speak(c.text), c.said) << c.text;
}

TEST(SpeakText, AKeyEndsTheSpeechAndStaysQueued) {
  TempDataRoot data;
  Scenario scenario({TypeChar(5, 'k')}, 100000);
  scenario.RunDialog([&] {
    scenario.Speech().InitSpeech(0, "");
    scenario.Console().Delay(10);
    scenario.Speech().SpeakText("1 2 3 4 5 6 7 8 9");
    EXPECT_EQ(scenario.Console().ReadKey(), 'k');
  });
  EXPECT_TRUE(scenario.Spoken(SpeechEvent::kNumber).empty());
}

TEST(NumberReading, HoursAndMinutesFromWordRecordings) {
  TempDataRoot data;
  struct Case {
    int hour, minute;
    Lines spoken;
  };
  const Case cases[] = {
      {1, 0, {"number _uma", "prompt _hora"}},
      {2, 1, {"number _duas", "prompt _horas", "number _um", "prompt _minuto"}},
      {21, 30, {"number _vinte _e _uma", "prompt _horas", "number _trinta", "prompt _minutos"}},
      {0, 0, {"number _zero", "prompt _hora"}},
      {17, 0, {"number _dezeset", "prompt _horas"}},
  };
  for (const auto& c : cases) {
    Scenario scenario({}, 100000);
    scenario.RunDialog([&] { speech::SpeakHourMinute(scenario.Speech(), c.hour, c.minute); });
    EXPECT_EQ(Describe(scenario.Spoken()), c.spoken) << c.hour << ":" << c.minute;
  }
}

TEST(NumberReading, F8SpeaksTheTimeInTheMainLoop) {
  TempDataRoot data;
  // The virtual clock starts at 10:30; F8 comes 1.5 s later.
  Scenario scenario({TypeChar(100, '6'), TypeChar(110, '0'), TypeChar(200, 13), TypeChar(300, 'q'),
                     PressKey(1500, base::vk::F(8)), TypeChar(4000, 27), TypeChar(5200, 's')},
                    500);
  scenario.Run();
  Lines spoken = Describe(scenario.Spoken());
  auto at = std::find(spoken.begin(), spoken.end(), "number _dez");
  ASSERT_NE(at, spoken.end());
  EXPECT_EQ(*(at + 1), "prompt _horas");
  EXPECT_EQ(*(at + 2), "number _trinta");
  EXPECT_EQ(*(at + 3), "prompt _minutos");
}

TEST(NumberReading, SundayTheFirstOfMarch2026) {
  TempDataRoot data;
  Scenario scenario({}, 100000, {2026, 3, 1, 0, 9, 0, 0, 0});
  scenario.RunDialog([&] { speech::SpeakDate(scenario.Speech()); });
  EXPECT_EQ(Describe(scenario.Spoken()),
            (Lines{"prompt _Domingo", "prompt _primeir", "prompt _de", "prompt _Marco",
                   "prompt _de", "number _dois _mil", "prompt _e", "number _vinte _e _seis"}));
}

TEST(NumberReading, LongNumbersPlayAsSeveralImagesAndMissingWordsAreDropped) {
  TempDataRoot data;
  // Three recordings of 12000 samples: the third would pass 30000, so two images play.
  std::vector<uint8_t> wav(44 + 12000, 128);
  std::string bytes(wav.begin(), wav.end());
  for (const char* name : {"_cento", "_e", "_vinte"}) {
    data.WriteFile(std::string("som/letras/") + name + ".wav", bytes);
  }
  Scenario scenario({}, 100000);
  scenario.RunDialog([&] { scenario.Speech().SpeakNumberWords("cento e vinte e um", false); });
  // "_um" has no recording and is left out.
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kImage), (Lines{"24000", "24000"}));
}

TEST(Catalogue, RecordingIsPreferredOverSpeech) {
  TempDataRoot data;
  data.WriteFile("som/cadencio/CAF1.wav", std::string(44 + 100, '\x80'));
  Scenario scenario({}, 100000);
  scenario.RunDialog([&] {
    scenario.Speech().InitSpeech(0, "c:\\sonaud\\som\\cadencio");
    app::SayMessage(scenario.Console(), scenario.Speech(), "CAF1", 1);
    app::SayMessage(scenario.Console(), scenario.Speech(), "CAF2", 1);
  });
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kPrompt), Lines{"CAF1"});
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kText), Lines{"F2, grava modelo"});
  EXPECT_EQ(scenario.Screen().Text(), "F1, ajuda\nF2, grava modelo\n");
}

TEST(Catalogue, UnknownKeys) {
  EXPECT_EQ(app::MessageText("CAXYZ"), "--> Mensagem inv\xE1lida: CAXYZ");
  EXPECT_EQ(app::MessageText("MODPAD"), "OK, assumido");
  EXPECT_EQ(app::MessageText("CAMODPAD"), "--> Mensagem inv\xE1lida: CAMODPAD");
}

TEST(Configuration, SpeedOutOfRangeAndEngineSwitch) {
  TempDataRoot data;
  std::ofstream(data.ConfigDir() + "/AUDIRA.INI") << "[TRADUTOR]\nVELOCIDADE=9\nSAPI=n\n";
  Scenario scenario({}, 100000);
  scenario.RunDialog([&] { scenario.Speech().InitSpeech(0, ""); });
  EXPECT_EQ(scenario.Speech().Speed(), 3);
  EXPECT_FALSE(scenario.Speech().EngineActive());
}

TEST(Configuration, PerSpeedSettings) {
  TempDataRoot data;
  std::ofstream(data.ConfigDir() + "/AUDIRA.INI")
      << "[SINTETIZADOR]\nDIFONES2=DIFONES2\nCORTEFON2=300\nSOBRAFON2=x\nCORTAFALA2=Sim\n"
         "RAPIDINHO2=nao\nPAUSAPONTO2=500\nPAUSAVIRG2=abc\n";
  Scenario scenario({}, 100000);
  scenario.RunDialog([&] { scenario.Speech().LoadSynthSettings(2); });
  const auto& s = scenario.Speech().Settings();
  EXPECT_EQ(s.database, "DIFONES2");
  EXPECT_EQ(s.piece_cut, 300);
  EXPECT_EQ(s.piece_surplus, 0);
  EXPECT_TRUE(s.cut_speech);
  EXPECT_FALSE(s.fast_playback);
  EXPECT_EQ(s.full_stop_pause_ms, 500);
  EXPECT_EQ(s.comma_pause_ms, 150);
  EXPECT_EQ(s.colon_pause_ms, 200);
  EXPECT_TRUE(scenario.Speech().Wav().CutSpeech());
}

TEST(StartUp, RecordedVoiceThatCannotOpenIsReportedAndEndsTheProgram) {
  TempDataRoot data;
  std::filesystem::remove(data.Root() + "/som/difones/DIFONES2.IND");
  Scenario scenario({TypeChar(2000, 13)}, 500);
  EXPECT_EQ(scenario.Run(), 0);
  EXPECT_EQ(scenario.Screen().Text(),
            "Erro de inicializa\xE7\xE3o: 1\nBanco de dados de voz: DIFONES2\n");
}

// Passes the blocks on to the mixer's channel, but answers the next release with `code`.
struct ReleaseFailingDevice final : audio::WaveOutDevice {
  int Open(const audio::WaveFormat& format) override { return target->Open(format); }
  bool IsOpen() const override { return target->IsOpen(); }
  int Write(int index, const uint8_t* bytes, std::size_t count) override {
    return target->Write(index, bytes, count);
  }
  int Unprepare(int /*index*/) override { return std::exchange(code, audio::kWaveOk); }
  void Reset() override { target->Reset(); }
  void Close() override { target->Close(); }
  audio::WaveOutDevice* target = nullptr;
  int code = audio::kWaveOk;
};

TEST(WavPlaybackReport, UnprepareFailuresShowTheirTextAndWaitForEnter) {
  ReleaseFailingDevice device;
  program::CaptureRig rig("/nonexistent", {TypeChar(500, 13)}, &device);
  device.target = &rig.parts.wave_out_channel;
  device.code = audio::kWaveErrorNoDriver;
  const int exit = rig.parts.RunToExit([&] {
    const std::vector<uint8_t> data(300, 200);
    ASSERT_EQ(rig.wav.PlayPcm({1, 11025, 8}, data), 0);
    while (rig.wav.WavBusy()) rig.console.WaitMessage();
  });
  EXPECT_EQ(exit, -1) << "the program ended";
  EXPECT_EQ(rig.frontend.Row(0), "No device driver is present.");
  EXPECT_GE(rig.clock.NowMs(), 500) << "the Enter was waited for";
  EXPECT_FALSE(rig.console.KeyPressed()) << "the Enter was read";
}

}  // namespace
}  // namespace cadencio::testing
