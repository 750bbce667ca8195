// The keys beyond the classic table on the headless front end: beat volume, notes per beat and
// tap tempo, heard on the capture output with their stream frames, and stored by F2.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/count_words.hpp"
#include "app/metronome_state.hpp"
#include "app/tap_tempo.hpp"
#include "base/keys.hpp"
#include "files/profile_file.hpp"
#include "formats/wav_writer.hpp"
#include "support/beat_frames.hpp"
#include "support/scenario.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::testing {
namespace {

namespace vk = base::vk;
using Script = std::vector<frontends::ScriptedMessage>;

constexpr int kRate = 44100;

std::vector<BeatOnset> OnsetsOf(const Scenario& scenario, const std::string& name) {
  std::vector<BeatOnset> found;
  for (const auto& onset : scenario.Onsets()) {
    if (onset.sound == name) found.push_back(onset);
  }
  return found;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// Count recordings of 250 ms in the prompt directory, and the settings file that names it;
// with `espeak` the program speaks through espeak-ng at the normal speed, which renders the
// count words itself.
void WriteCountWords(const TempDataRoot& data, const std::string& settings, bool espeak = false) {
  for (int n = 1; n <= 9; ++n) {
    formats::WriteWav16Mono(data.Root() + "/som/cadencio/CANUM" + std::to_string(n) + ".wav",
                            std::vector<int16_t>(5512, static_cast<int16_t>(1000 * n)), 22050);
  }
  std::ofstream(data.ConfigDir() + "/AUDIRA.INI")
      << (espeak ? "[TRADUTOR]\nSAPI=S\nVELOCIDADE=3\n[SERVFALA]\nTIPOSAPI=4\nVOZ=1\n" : "")
      << "[CADENCIO]\nDIRCADENCIO=c:\\sonaud\\som\\cadencio\\\n"
      << settings;
}

// The beat onsets and the count words, as "word@beat index" (-1: a word on no beat frame).
std::vector<std::string> WordsOnBeats(const Scenario& scenario) {
  std::vector<int64_t> beats;
  for (const auto& onset : scenario.Onsets()) {
    if (onset.sound.rfind("padrao", 0) == 0) beats.push_back(onset.frame);
  }
  std::vector<std::string> words;
  for (const auto& onset : scenario.Onsets()) {
    // Rendered words are "count:N", the recordings "CANUMN.wav".
    const std::size_t digit = onset.sound.find_first_of("123456789");
    if (onset.sound.rfind("CANUM", 0) != 0 && onset.sound.rfind("count:", 0) != 0) continue;
    auto at = std::find(beats.begin(), beats.end(), onset.frame);
    words.push_back(onset.sound.substr(digit, 1) + "@" +
                    std::to_string(at == beats.end() ? -1 : at - beats.begin()));
  }
  return words;
}

TEST(CountAloud, WordsStartOnTheBeatFramesAndOnlyTheFirstWhenTheyDoNotFit) {
  struct Case {
    std::string tempo;
    bool espeak;                     // words rendered by espeak-ng, else the recordings
    std::vector<std::string> words;  // the first count words after c, by beat
  };
  const Case cases[] = {
      // espeak-ng's words last 290 to 440 ms: 500 ms beats hold them, 200 ms beats do not.
      {"120", true, {"1", "2", "3", "4", "1", "2"}},
      {"300", true, {"1", "1", "1"}},
      // The test voice says nothing of these words: the 250 ms recordings count instead.
      {"120", false, {"1", "2", "3", "4", "1", "2"}},
      {"300", false, {"1", "1", "1"}},
  };
  for (const auto& c : cases) {
    TempDataRoot data;
    WriteCountWords(data, "", c.espeak);
    Scenario scenario(Session(c.tempo, 'q', {TypeChar(1000, 'c')}, 6000), 500);
    EXPECT_EQ(scenario.Run(), 0) << c.tempo;
    EXPECT_NE(scenario.Screen().Text().find("Contagem ligada\n"), std::string::npos);
    const auto words = WordsOnBeats(scenario);
    ASSERT_GE(words.size(), c.words.size()) << c.tempo;
    int first_beat = -1;
    for (std::size_t i = 0; i < c.words.size(); ++i) {
      const std::string& word = words[i];
      ASSERT_EQ(word.substr(0, 1), c.words[i]) << c.tempo << " word " << i;
      const int beat = std::stoi(word.substr(2));
      ASSERT_GE(beat, 0) << c.tempo << ": word " << i << " is not on a beat frame";
      if (i == 0) first_beat = beat;
      // Every beat is counted at 120; at 300 only every fourth beat, the first of a measure.
      EXPECT_EQ(beat - first_beat, static_cast<int>(i) * (c.tempo == "120" ? 1 : 4)) << c.tempo;
    }
  }
}

TEST(CountAloud, RenderedWordsLoseTheirSilencesAndEndWithoutAStep) {
  // 100 frames of silence, a breath at 1/100 of the peak, 300 frames of word, silence.
  std::vector<float> rendered(2 * 100, 0.0f);
  rendered.insert(rendered.end(), 2 * 50, 0.005f);
  for (int i = 0; i < 300; ++i) rendered.insert(rendered.end(), 2, i % 2 ? 0.5f : -0.5f);
  rendered.insert(rendered.end(), 2 * 200, 0.0f);
  const audio::Sound word = app::TrimmedWord(rendered, kRate);
  ASSERT_EQ(word.FrameCount(), 300);
  EXPECT_FLOAT_EQ(word.samples[0], -0.5f);       // the first frame is the word's first sound
  EXPECT_FLOAT_EQ(word.samples[2 * 299], 0.0f);  // faded to silence at its end
  EXPECT_TRUE(app::TrimmedWord(std::vector<float>(400, 0.0f), kRate).samples.empty());
}

TEST(CountAloud, WordsAreBroughtToOneLevelWithinTheirPeak) {
  // Square waves, quiet and loud, come to -18 dB; one with a full-scale spike keeps it at 0.9.
  for (const auto& [amplitude, spike] : {std::pair{0.01f, 0}, {0.5f, 0}, {0.01f, 10}}) {
    audio::Sound word;
    for (int i = 0; i < 4410; ++i) {
      word.samples.insert(word.samples.end(), 2, i < spike ? 1.0f : (i % 2 ? 1 : -1) * amplitude);
    }
    app::LevelWord(word);
    const double level = spike ? word.samples[0] : app::WordLevelDb(word);
    EXPECT_NEAR(level, spike ? 0.9 : -18, 0.01) << amplitude << ", spike " << spike;
  }
}

// Every voice whose sound passes through the program renders every count word long enough to
// be heard as a word and near the others' level, at the normal speed and at the fastest.
TEST(CountAloud, EveryVoiceSaysEveryWordAsAWordAtOneLevel) {
  struct Case {
    const char* sapi;
    const char* kind;
    const char* speed;
    const char* why;
  };
  const Case cases[] = {
      {"N", "4", "3", "recorded voice"}, {"N", "4", "5", "recorded voice at its fastest"},
      {"S", "4", "3", "espeak-ng"},      {"S", "4", "5", "espeak-ng at its fastest"},
      {"S", "3", "3", "built-in TTS"},   {"S", "3", "5", "built-in TTS at its fastest"}};
  for (const Case& c : cases) {
    ScratchDir config;
    ScopedEnv root("SONAUD_ROOT", CADENCIO_DATA_ROOT);
    ScopedEnv windir("AUDIRA_WINDIR", config.path());
    const std::string ini = config / "AUDIRA.INI";
    std::filesystem::copy_file(CADENCIO_SOURCE_DIR "/data/AUDIRA.INI", ini);
    files::ProfileFile::WriteString(ini, "TRADUTOR", "SAPI", c.sapi);
    files::ProfileFile::WriteString(ini, "TRADUTOR", "VELOCIDADE", c.speed);
    files::ProfileFile::WriteString(ini, "SERVFALA", "TIPOSAPI", c.kind);
    program::CaptureRig rig(config.path());
    app::CountWords words;
    rig.speech.InitSpeech(0, "");
    ASSERT_EQ(rig.speech.EngineActive(), c.sapi[0] == 'S') << c.why;
    words.Prepare(rig.console, rig.speech, &rig.parts.recorder, rig.parts.beats, 44100);
    double low = 0, high = -200;
    for (int n = 1; n <= app::kCountWords; ++n) {
      const audio::Sound* word = words.Word(n);
      ASSERT_NE(word, nullptr) << c.why << ", word " << n;
      EXPECT_GE(word->FrameCount(), 44100 * 150 / 1000) << c.why << ", word " << n;
      const double level = app::WordLevelDb(*word);
      low = n == 1 ? level : std::min(low, level);
      high = std::max(high, level);
    }
    EXPECT_LE(high - low, 6.0) << c.why;
  }
}

TEST(CountAloud, CountInGoesOneMeasureBeforeTheBeatAtStartAndAfterThePause) {
  TempDataRoot data;
  WriteCountWords(data, "BPM=120\nCOMPASSO=Tern\xE1rio\nCONTAGEMINICIAL=1\n");
  Scenario scenario(
      {TypeChar(3000, ' '), TypeChar(4000, ' '), TypeChar(7000, 27), TypeChar(8100, 's')}, 500);
  EXPECT_EQ(scenario.Run(), 0);
  // Two runs of: um, dois, três on their own, then the beat one period after "três".
  const auto& onsets = scenario.Onsets();
  int runs = 0;
  for (std::size_t i = 0; i + 3 < onsets.size(); ++i) {
    if (onsets[i].sound != "CANUM1.wav") continue;
    ++runs;
    EXPECT_EQ(onsets[i + 1].sound, "CANUM2.wav");
    EXPECT_EQ(onsets[i + 2].sound, "CANUM3.wav");
    EXPECT_EQ(onsets[i + 3].sound, "padrao1.wav");
    for (std::size_t k = 1; k <= 3; ++k) {
      EXPECT_EQ(onsets[i + k].frame - onsets[i + k - 1].frame, 22050) << "run " << runs;
    }
  }
  EXPECT_EQ(runs, 2);
}

TEST(MutedMeasures, TwoPlayedTwoMutedBringTheBeatBackOnItsFrame) {
  TempDataRoot data;
  std::ofstream(data.ConfigDir() + "/AUDIRA.INI") << "[CADENCIO]\nBPM=120\nCOMPASSO=B\n";
  Scenario scenario(Join({{TypeChar(1000, 'm')},
                          Answer(2500, "2"),
                          Answer(4000, "2"),
                          {TypeChar(16000, 27), TypeChar(17100, 's')}}),
                    500);
  EXPECT_EQ(scenario.Run(), 0);
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("Compassos tocados : 2\nCompassos em sil\xEAncio : 2\n"
                        "Compassos mudos ligados\n"),
            std::string::npos)
      << screen;
  // From the first beat after the answers, beat k (two to a measure) is heard exactly when its
  // measure k / 2 is one of the first two of each cycle of four, on frame first + k x 22050.
  const auto& onsets = scenario.Onsets();
  std::size_t first = 0;
  while (first < onsets.size() &&
         (onsets[first].frame < 4200 * kRate / 1000 || onsets[first].sound != "padrao1.wav")) {
    ++first;
  }
  ASSERT_LT(first + 6, onsets.size());
  EXPECT_EQ(onsets[first].sound, "padrao1.wav");
  std::vector<int64_t> heard;
  for (std::size_t i = first; i < onsets.size(); ++i) {
    const int64_t offset = onsets[i].frame - onsets[first].frame;
    ASSERT_EQ(offset % 22050, 0) << "onset " << i << " is off the schedule";
    heard.push_back(offset / 22050);
  }
  for (int64_t k = 0; k <= heard.back(); ++k) {
    const bool expected = (k / 2) % 4 < 2;
    const bool found = std::find(heard.begin(), heard.end(), k) != heard.end();
    EXPECT_EQ(found, expected) << "beat " << k;
  }
  EXPECT_GE(heard.back(), 16);  // more than two whole cycles
}

// The audio thread plays the beat by itself: a program thread held for two seconds at 500 BPM,
// four notes to the beat and counting aloud, loses no note and moves none off its frame.
TEST(BusyProgram, AStalledProgramThreadDropsNoNote) {
  TempDataRoot data;
  WriteCountWords(data, "BPM=500\nCOMPASSO=Q\n");
  Scenario scenario({TypeChar(1000, 's'), TypeChar(1100, 's'), TypeChar(1200, 's'),
                     TypeChar(1300, 'c'), TypeChar(7000, 27), TypeChar(8100, 's')},
                    500);
  scenario.StallAt(3000, 2000);
  EXPECT_EQ(scenario.Run(), 0);
  // From the first beat after the keys: note n of the run on start + round(n x 1323), with the
  // first beat of the measure, the other beats, the softer notes and the word "um" on beat 1.
  std::vector<BeatOnset> notes, words;
  for (const auto& onset : scenario.Onsets()) {
    if (onset.frame < 1400 * kRate / 1000 || (notes.empty() && onset.sound != "padrao1.wav")) {
      continue;
    }
    (onset.sound.rfind("CANUM", 0) == 0 ? words : notes).push_back(onset);
  }
  ASSERT_FALSE(notes.empty());
  const int64_t start = notes[0].frame;
  for (std::size_t n = 0; n < notes.size(); ++n) {
    const char* sound = n % 16 == 0  ? "padrao1.wav"
                        : n % 4 == 0 ? "padrao2.wav"
                                     : "padrao2.wav:sub";
    ASSERT_EQ(notes[n].frame - start, ExactNoteFrame(static_cast<int64_t>(n), 500, 4))
        << "note " << n;
    ASSERT_EQ(notes[n].sound, sound) << "note " << n;
  }
  // The run goes on through the stall to the Esc at 7 s.
  EXPECT_GT(notes.back().frame, 6900 * kRate / 1000);
  ASSERT_EQ(words.size(), (notes.size() + 15) / 16);
  for (std::size_t m = 0; m < words.size(); ++m) {
    EXPECT_EQ(words[m].sound, "CANUM1.wav") << "measure " << m;
    EXPECT_EQ(words[m].frame, notes[16 * m].frame) << "measure " << m;
  }
}

TEST(TempoTrainer, From60To80By5Every2MeasuresEndsAt80WithoutAGap) {
  TempDataRoot data;
  std::ofstream(data.ConfigDir() + "/AUDIRA.INI") << "[CADENCIO]\nBPM=60\nCOMPASSO=B\n";
  Scenario scenario(Join({{TypeChar(1000, 'r')},
                          Answer(2500, "80"),
                          Answer(4000, "5"),
                          Answer(5500, "2"),
                          {TypeChar(30000, 27), TypeChar(31100, 's')}}),
                    500);
  EXPECT_EQ(scenario.Run(), 0);
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("Treino de andamento ligado\nValor BPM = 65\nValor BPM = 70\n"
                        "Valor BPM = 75\nValor BPM = 80\nTreino de andamento conclu\xED"
                        "do\n"),
            std::string::npos)
      << screen;
  // Each step says only the new tempo, as Up and Down do; the screen keeps the whole line.
  const auto said = scenario.Spoken(speech::SpeechEvent::kText);
  EXPECT_EQ(std::count(said.begin(), said.end(), "Valor BPM = "), 0);
  for (const char* tempo : {"65", "70", "75", "80"}) {
    EXPECT_EQ(std::count(said.begin(), said.end(), tempo), 1) << tempo;
  }
  // Every interval after the answers is the period of one of the trainer's tempos: the tempo
  // changes on a beat, with no gap; the last ones are 80 BPM, 750 ms.
  const auto& onsets = scenario.Onsets();
  std::vector<int64_t> intervals;
  for (std::size_t i = 1; i < onsets.size(); ++i) {
    if (onsets[i - 1].frame > 6000 * kRate / 1000) {
      intervals.push_back(onsets[i].frame - onsets[i - 1].frame);
    }
  }
  ASSERT_GE(intervals.size(), 12u);
  for (int64_t interval : intervals) {
    bool known = false;
    for (int bpm : {60, 65, 70, 75, 80}) {
      known |= IsBeatInterval(interval, bpm);
    }
    EXPECT_TRUE(known) << interval;
  }
  EXPECT_EQ(intervals.back(), 33075);
}

TEST(TempoTrainer, RAgainStopsItAndBadAnswersLeaveItOff) {
  struct Case {
    Script keys;
    bool stopped_by_r;
  };
  const Case cases[] = {
      {Join({{TypeChar(1000, 'r')},
             Answer(2500, "200"),
             Answer(4000, "1"),
             Answer(5500, "4"),
             {TypeChar(7000, 'r')}}),
       true},
      {Join({{TypeChar(1000, 'r')}, Answer(2500, "abc")}), false},
      {Join({{TypeChar(1000, 'r')}, Answer(2500, "80"), Answer(4000, "0")}), false},
  };
  for (const auto& c : cases) {
    TempDataRoot data;
    std::ofstream(data.ConfigDir() + "/AUDIRA.INI") << "[CADENCIO]\nBPM=60\nCOMPASSO=B\n";
    Script keys = c.keys;
    keys.push_back(TypeChar(12000, 27));
    keys.push_back(TypeChar(13100, 's'));
    Scenario scenario(keys, 500);
    EXPECT_EQ(scenario.Run(), 0);
    const std::string screen = scenario.Screen().Text();
    EXPECT_NE(screen.find("Treino de andamento desligado\n"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("Treino de andamento ligado") != std::string::npos, c.stopped_by_r)
        << screen;
    // No tempo moved: the last beats are still 60 BPM.
    const auto& onsets = scenario.Onsets();
    ASSERT_GE(onsets.size(), 2u);
    EXPECT_EQ(onsets.back().frame - onsets[onsets.size() - 2].frame, kRate) << screen;
  }
}

TEST(TapTempo, MedianOfTheIntervalsOfOneRun) {
  struct Case {
    std::vector<int64_t> taps;
    int32_t bpm;  // 0: no tempo
  };
  const Case cases[] = {
      {{0, 500, 1000}, 120},
      {{0, 500, 1000, 1500, 2000}, 120},
      {{0, 500}, 0},                      // two taps are not enough
      {{0, 2500, 5000}, 0},               // each gap over 2 s starts over
      {{0, 2500, 3000, 3500}, 120},       // the run after the long gap
      {{0, 500, 1400, 1900, 2400}, 120},  // one slow tap does not move the median
      {{0, 1000, 2000}, 60},
      {{0, 333, 667, 1000}, 180},
  };
  for (const auto& c : cases) {
    app::TapTempo taps;
    for (int64_t at : c.taps) taps.Tap(at);
    const int64_t later = c.taps.back() + app::TapTempo::kMaxGapMs;
    ASSERT_EQ(taps.Stopped(later), c.bpm != 0) << ::testing::PrintToString(c.taps);
    if (c.bpm == 0) continue;
    EXPECT_FALSE(taps.Stopped(c.taps.back() + 1)) << ::testing::PrintToString(c.taps);
    EXPECT_EQ(taps.TakeBpm(), c.bpm) << ::testing::PrintToString(c.taps);
    EXPECT_FALSE(taps.Stopped(later)) << "a taken run starts over";
  }
}

TEST(TapTempo, EnterTappedSetsAndSaysTheTempoOnlyWithinTwoSeconds) {
  struct Case {
    std::vector<int64_t> taps;
    const char* said;  // null: no tempo is said
    int64_t period;    // frames between the last beats
  };
  const Case cases[] = {
      {{3000, 3500, 4000, 4500}, "Valor BPM = 120\n", 22050},
      {{2000, 4500, 7000, 9500}, nullptr, kRate},  // each gap over 2 s starts over: still 60
  };
  for (const auto& c : cases) {
    TempDataRoot data;
    Script taps;
    for (int64_t at : c.taps) taps.push_back(TypeChar(at, 13));
    Scenario scenario(Session("60", 'q', taps, c.taps.back() + 5000), 500);
    EXPECT_EQ(scenario.Run(), 0);
    const std::string screen = scenario.Screen().Text();
    EXPECT_EQ(screen.find(c.said ? c.said : "Valor BPM") != std::string::npos, c.said != nullptr)
        << screen;
    // After the taps have stopped every measure runs at the tempo.
    const auto& onsets = scenario.Onsets();
    int late = 0;
    for (std::size_t i = 1; i < onsets.size(); ++i) {
      if (onsets[i - 1].frame < (c.taps.back() + 1500) * kRate / 1000) continue;
      EXPECT_EQ(onsets[i].frame - onsets[i - 1].frame, c.period) << i;
      ++late;
    }
    EXPECT_GE(late, 2);
  }
}

TEST(Subdivisions, ThreeNotesAt100BpmFallOnThirdsOfEachBeat) {
  TempDataRoot data;
  Scenario scenario(Session("100", 'q', {TypeChar(1000, 's'), TypeChar(1100, 's')}, 6000), 500);
  EXPECT_EQ(scenario.Run(), 0);
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("Notas por tempo = 2\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("Notas por tempo = 3\n"), std::string::npos) << screen;
  // 100 BPM: 600 ms = 26460 frames; the extra notes come 8820 and 17640 frames after a beat.
  std::vector<int64_t> beats;
  for (const auto& onset : scenario.Onsets()) {
    if (onset.sound.find(":sub") == std::string::npos && onset.frame > 1200 * kRate / 1000) {
      beats.push_back(onset.frame);
    }
  }
  const auto subs = OnsetsOf(scenario, "padrao2.wav:sub");
  ASSERT_GE(beats.size(), 4u);
  ASSERT_GE(subs.size(), 2 * (beats.size() - 1));
  for (std::size_t b = 0; b + 1 < beats.size(); ++b) {
    EXPECT_EQ(beats[b + 1] - beats[b], 26460) << b;
    int found = 0;
    for (const auto& sub : subs) {
      found += sub.frame == beats[b] + 8820 || sub.frame == beats[b] + 17640;
    }
    EXPECT_EQ(found, 2) << "beat at frame " << beats[b];
  }
}

TEST(Subdivisions, EveryIntervalIsAPartOfThePeriodToTheNearestFrame) {
  // Tempos whose period is no whole number of frames: a note placed from its beat's rounded
  // frame would be up to 1.3 frames off the exact part.
  const std::pair<const char*, int> cases[] = {{"125", 3}, {"500", 3}, {"139", 4}, {"54", 4}};
  for (const auto& [tempo, notes] : cases) {
    TempDataRoot data;
    Script keys;
    for (int i = 1; i < notes; ++i) keys.push_back(TypeChar(1000 + 100 * i, 's'));
    Scenario scenario(Session(tempo, 'q', keys, 5000), 500);
    EXPECT_EQ(scenario.Run(), 0) << tempo;
    const double part = ExactBeatFrames(std::stoi(tempo), notes, kRate);
    const auto& onsets = scenario.Onsets();
    int measured = 0;
    for (std::size_t i = 1; i < onsets.size(); ++i) {
      if (onsets[i - 1].frame < 2000 * kRate / 1000) continue;
      EXPECT_LT(std::abs(static_cast<double>(onsets[i].frame - onsets[i - 1].frame) - part), 1.0)
          << tempo << " BPM, " << notes << " notes, onset " << i;
      ++measured;
    }
    EXPECT_GE(measured, 2 * notes) << tempo;
  }
}

TEST(Subdivisions, CycleBackToOneNote) {
  TempDataRoot data;
  Script keys;
  for (int i = 0; i < 4; ++i) keys.push_back(TypeChar(1000 + 100 * i, 's'));
  Scenario scenario(Session("100", 'q', keys, 5000), 500);
  EXPECT_EQ(scenario.Run(), 0);
  EXPECT_NE(scenario.Screen().Text().find(
                "Notas por tempo = 4, m\xE1ximo\nNotas por tempo = 1, m\xEDnimo\n"),
            std::string::npos);
  // After the fourth press no extra note follows the beats.
  for (const auto& sub : OnsetsOf(scenario, "padrao2.wav:sub")) {
    EXPECT_LT(sub.frame, 2000 * kRate / 1000);
  }
}

TEST(Subdivisions, TabAndSpaceSilenceTheNotesScheduledAhead) {
  // 30 BPM with four notes per beat: each beat schedules three notes over the next 1.5 s.
  const Script ahead = {TypeChar(1000, 's'), TypeChar(1100, 's'), TypeChar(1200, 's')};
  const int64_t key_ms = 6500;
  for (uint8_t key : {uint8_t{9}, uint8_t{' '}}) {
    TempDataRoot data;
    Script keys = ahead;
    keys.push_back(TypeChar(key_ms, key));
    if (key == ' ') keys.push_back(TypeChar(key_ms + 4000, ' '));
    Scenario scenario(Session("30", 'q', keys, key_ms + 4500), 500);
    EXPECT_EQ(scenario.Run(), 0) << int{key};
    const int64_t key_frame = key_ms * kRate / 1000;
    int64_t last_beat = 0;
    for (const auto& onset : scenario.Onsets()) {
      const bool beat = onset.sound == "padrao1.wav" || onset.sound == "padrao2.wav";
      if (beat && onset.frame < key_frame) last_beat = onset.frame;
    }
    ASSERT_LT(key_frame - last_beat, 3 * kRate / 2) << "no note was still ahead at the key";
    for (const auto& sub : OnsetsOf(scenario, "padrao2.wav:sub")) {
      EXPECT_FALSE(sub.frame > key_frame + kRate / 100 && sub.frame < key_frame + 3 * kRate)
          << "a note at frame " << sub.frame << " after key " << int{key};
    }
  }
}

TEST(BeatVolume, ArrowsStepTheBeatGainAndSayTheVolume) {
  TempDataRoot data;
  Script keys = {PressKey(1000, base::vk::kLeft), PressKey(1100, base::vk::kLeft),
                 PressKey(1200, base::vk::kLeft), PressKey(1300, base::vk::kRight)};
  for (int i = 0; i < 12; ++i) keys.push_back(PressKey(1400 + 50 * i, base::vk::kRight));
  Scenario scenario(Session("60", 'q', keys, 4000), 500);
  EXPECT_EQ(scenario.Run(), 0);
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("Volume 9\nVolume 8\nVolume 7\nVolume 8\nVolume 9\nVolume 10, m\xE1ximo\n"
                        "Volume 10, m\xE1ximo\n"),
            std::string::npos)
      << screen;
  EXPECT_FLOAT_EQ(scenario.Audio().GetMixer().BeatGain(), 1.0f);
}

// A value that reaches an end of its range is followed by "máximo" or "mínimo": the tempo
// (said alone after Up, Down, PgUp, PgDn), the beat volume and the notes per beat.
TEST(RangeEnds, AreSaidAtTheTopAndBottomOfTempoVolumeAndNotes) {
  const std::string top = ", m\xE1ximo";
  const std::string bottom = ", m\xEDnimo";
  struct Row {
    const char* what;
    const char* tempo;
    int vk_key;  // pressed `presses` times, 100 ms apart from 1 s; 0: the letter s
    int presses;
    const char* value;  // the last value said
    std::string end;    // said after it; empty: nothing
  };
  const Row rows[] = {
      {"Up to 500", "499", vk::kUp, 1, "500", top},
      {"Up at 500", "500", vk::kUp, 1, "500", top},
      {"PgUp past 500", "495", vk::kPrior, 1, "500", top},
      {"Up below 500", "498", vk::kUp, 1, "499", ""},
      {"Down to 1", "2", vk::kDown, 1, "1", bottom},
      {"Down above 1", "3", vk::kDown, 1, "2", ""},
      {"Down at 1 gives 60", "1", vk::kDown, 1, "60", ""},
      {"Right at 10", "60", vk::kRight, 1, "10", top},
      {"Left to 9", "60", vk::kLeft, 1, "9", ""},
      {"Left to 1", "60", vk::kLeft, 9, "1", bottom},
      {"Left at 1", "60", vk::kLeft, 10, "1", bottom},
      {"s to 3", "60", 0, 2, "3", ""},
      {"s to 4", "60", 0, 3, "4", top},
      {"s back to 1", "60", 0, 4, "1", bottom},
  };
  for (const Row& row : rows) {
    TempDataRoot data;
    Script keys;
    for (int i = 0; i < row.presses; ++i) {
      keys.push_back(row.vk_key == 0 ? TypeChar(1000 + 100 * i, 's')
                                     : PressKey(1000 + 100 * i, row.vk_key));
    }
    Scenario scenario(Session(row.tempo, 'q', keys, 3000), 500);
    EXPECT_EQ(scenario.Run(), 0) << row.what;
    const auto said = scenario.Spoken(speech::SpeechEvent::kText);
    auto value = std::find(said.rbegin(), said.rend(), std::string(row.value));
    ASSERT_NE(value, said.rend()) << row.what;
    const std::string next = value == said.rbegin() ? "" : *(value - 1);
    EXPECT_EQ(next == top || next == bottom ? next : "", row.end) << row.what << ": " << next;
  }
}

TEST(BeatVolume, GainFallsThreeDecibelsAStep) {
  EXPECT_FLOAT_EQ(app::BeatGain(10), 1.0f);
  for (int volume = 1; volume < 10; ++volume) {
    EXPECT_NEAR(20 * std::log10(app::BeatGain(volume) / app::BeatGain(volume + 1)), -3.0, 1e-4)
        << volume;
  }
}

TEST(StoreNewSettings, F2StoresEveryNewSettingAndTheNextStartRestoresThem) {
  TempDataRoot data;
  const std::string ini = data.ConfigDir() + "/AUDIRA.INI";
  std::ofstream(ini) << "[CADENCIO]\nBPM=100\nCOMPASSO=Quatern\xE1rio\n";
  const Script keys =
      Join({{PressKey(1000, base::vk::kLeft), PressKey(1100, base::vk::kLeft), TypeChar(1200, 's'),
             TypeChar(1300, 'c'), TypeChar(1400, 'i'), TypeChar(1500, 'r')},
            Answer(3000, "60"),
            Answer(4500, "5"),
            Answer(6000, "9"),
            {PressKey(7500, base::vk::F(2)), TypeChar(8700, 's'), TypeChar(10000, 27),
             TypeChar(11100, 's')}});
  {
    Scenario first(keys, 500);
    EXPECT_EQ(first.Run(), 0);
  }
  const std::string stored = ReadFile(ini);
  EXPECT_NE(stored.find("BPM=100\n"), std::string::npos) << stored;
  EXPECT_NE(stored.find("VOLUME=8\nSUBDIVISOES=2\nCONTAGEM=1\nCONTAGEMINICIAL=1\n"
                        "TREINOFINAL=60\nTREINOPASSO=5\nTREINOCOMPASSOS=9\n"),
            std::string::npos)
      << stored;
  EXPECT_EQ(stored.find("COMPASSOSMUDOS"), std::string::npos) << "a setting never changed";
  // The count-in (silent here: no count words) goes first, then the beat with its notes, and
  // the trainer takes its first step after nine measures of 2.4 s.
  Scenario second({TypeChar(26000, 27), TypeChar(27100, 's')}, 500);
  EXPECT_EQ(second.Run(), 0);
  EXPECT_FLOAT_EQ(second.Audio().GetMixer().BeatGain(), app::BeatGain(8));
  EXPECT_GE(second.CountOnsets("padrao2.wav:sub"), 3);
  EXPECT_NE(second.Screen().Text().find("Valor BPM = 95\n"), std::string::npos)
      << second.Screen().Text();
}

TEST(StoreNewSettings, BadOrMissingStoredValuesPlayAsBefore) {
  for (const char* values : {"", "VOLUME=0\nSUBDIVISOES=5\n", "VOLUME=x\nSUBDIVISOES=2x\n"}) {
    TempDataRoot data;
    std::ofstream(data.ConfigDir() + "/AUDIRA.INI")
        << "[CADENCIO]\nBPM=100\nCOMPASSO=Quatern\xE1rio\n"
        << values;
    Scenario scenario({TypeChar(2000, 27), TypeChar(3100, 's')}, 500);
    EXPECT_EQ(scenario.Run(), 0) << values;
    EXPECT_FLOAT_EQ(scenario.Audio().GetMixer().BeatGain(), 1.0f) << values;
    EXPECT_EQ(scenario.CountOnsets("padrao2.wav:sub"), 0) << values;
  }
}

}  // namespace
}  // namespace cadencio::testing
