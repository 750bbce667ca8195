// A song's map played by the whole program: its sections change tempo and measure on their
// downbeats, each cue is said in the measure before its section, the song stops at the end of
// its map, where am I says the place, and x goes on to the next section.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "base/keys.hpp"
#include "support/beat_frames.hpp"
#include "support/scenario.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::testing {
namespace {

// The espeak-ng voice, which renders the cues.
constexpr char kEspeak[] = "[TRADUTOR]\nSAPI=S\nVELOCIDADE=3\n[SERVFALA]\nTIPOSAPI=4\nVOZ=1\n";

// Settings that start the beat at once (after `before`, with `cadencio` among its own lines),
// and a set list of one song (its line and its map's lines).
std::string WriteSong(const TempDataRoot& data, const std::string& song,
                      const std::string& before = "", const std::string& cadencio = "") {
  std::ofstream(data.ConfigDir() + "/AUDIRA.INI") << before << "[CADENCIO]\nBPM=100\nCOMPASSO=Q\n"
                                                  << cadencio;
  const std::string path = data.ConfigDir() + "/REPERTORIO.TXT";
  WriteBytes(path, song);
  return path;
}

// The onsets whose sound's name begins with `prefix`, from frame `from` on.
std::vector<BeatOnset> OnsetsOf(const Scenario& scenario, const std::string& prefix,
                                int64_t from = 0) {
  std::vector<BeatOnset> found;
  for (const BeatOnset& onset : scenario.Onsets()) {
    if (onset.frame >= from && onset.sound.rfind(prefix, 0) == 0) found.push_back(onset);
  }
  return found;
}

std::vector<int64_t> FramesOf(const std::vector<BeatOnset>& onsets) {
  std::vector<int64_t> frames;
  for (const BeatOnset& onset : onsets) frames.push_back(onset.frame);
  return frames;
}

TEST(SongMap, SectionsChangeOnTheirDownbeatsAfterTheirCues) {
  TempDataRoot data;
  WriteSong(data, "Mapa|60|4\r\n> Intro 2\r\n> Refr\xE3o 2 a 240 em 3\r\n", kEspeak);
  Scenario scenario({TypeChar(1000, 'n'), TypeChar(16000, 'o'), TypeChar(17000, 'x'),
                     TypeChar(22000, 27), TypeChar(23100, 's')},
                    500);
  EXPECT_EQ(scenario.Run(), 0);
  // From the song on (the beat before it left out).
  const std::vector<int64_t> beats = FramesOf(OnsetsOf(scenario, "padrao", 44100));
  const std::vector<BeatOnset> cues = OnsetsOf(scenario, "cue:", 44100);
  // The whole map, then the Refrão again after x: 8 beats at 60, 6 at 240, and 6 more.
  ASSERT_EQ(beats.size(), 20u);
  for (std::size_t i = 1; i < 14; ++i) {
    EXPECT_TRUE(IsBeatInterval(beats[i] - beats[i - 1], i < 9 ? 60 : 240)) << "beat " << i;
  }
  EXPECT_GE(beats[14], 17 * 44100);  // the end of the map stopped the beat until x
  ASSERT_EQ(cues.size(), 1u);        // x starts at the section: no cue before it
  EXPECT_NE(cues[0].sound.find("Refr\xE3o, 240, compasso de 3"), std::string::npos)
      << cues[0].sound;
  // In the Intro's last measure, ending before the Refrão's first downbeat.
  EXPECT_GE(cues[0].frame, beats[4]);
  EXPECT_LT(cues[0].frame, beats[8] - 4410);
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("Fim da m\xFAsica\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("Intro, compasso 1 de 2, M\xFAsica Mapa, 60 BPM"), std::string::npos)
      << screen;
  EXPECT_NE(screen.find("\nRefr\xE3o\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("\nRefr\xE3o, 240, compasso de 3\n"), std::string::npos) << screen;
}

// A tempo key while a map plays changes every section's tempo by the same ratio: Page Up in
// the Intro at 60 makes it 70, and the Refr\xE3o written at 120 plays, and is cued, at 140.
TEST(SongMap, ATempoKeyChangesEverySectionByTheSameRatio) {
  TempDataRoot data;
  WriteSong(data, "Mapa|60|4\r\n> Intro 2\r\n> Refr\xE3o 2 a 120\r\n");
  Scenario scenario({TypeChar(1000, 'n'), PressKey(2500, base::vk::kPrior), TypeChar(13500, 'o'),
                     TypeChar(14000, 27), TypeChar(15100, 's')},
                    500);
  EXPECT_EQ(scenario.Run(), 0);
  const std::vector<int64_t> beats = FramesOf(OnsetsOf(scenario, "padrao", 2600 * 44100 / 1000));
  ASSERT_EQ(beats.size(), 16u);
  for (std::size_t i = 1; i < beats.size(); ++i) {
    EXPECT_TRUE(IsBeatInterval(beats[i] - beats[i - 1], i < 9 ? 70 : 140)) << "beat " << i;
  }
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("\nRefr\xE3o, 140\n"), std::string::npos) << screen;
  // After the end, the map waits at its start with the new tempos.
  EXPECT_NE(screen.find("Intro, compasso 1 de 2, M\xFAsica Mapa, 70 BPM"), std::string::npos)
      << screen;
}

// A new speech speed renders the map's cues again at it: Ctrl+F4 and 5 in F6's tempo field,
// the tempo kept.
TEST(SongMap, TheCuesFollowTheSpeechSpeed) {
  TempDataRoot data;
  WriteSong(data, "Mapa|120|4\r\n> Intro 2\r\n> Refr\xE3o 2 a 240\r\n", kEspeak);
  Scenario scenario({TypeChar(1000, 'n'), PressKey(1500, base::vk::F(6)),
                     PressKey(1600, base::vk::F(4), true), TypeChar(1650, '5'), TypeChar(1700, 13),
                     TypeChar(1800, 'q'), TypeChar(9000, 27), TypeChar(10100, 's')},
                    500);
  EXPECT_EQ(scenario.Run(), 0);
  const std::vector<BeatOnset> cues = OnsetsOf(scenario, "cue:");
  ASSERT_EQ(cues.size(), 1u) << scenario.Screen().Text();
  EXPECT_EQ(cues[0].sound.rfind("cue:5:Refr\xE3o, 240", 0), 0u) << cues[0].sound;
}

// Counting the measures goes on past nine, as far as the longest section: a Verso of 12
// measures at 240 hears "10", "11" and "12" on its last downbeats.
TEST(SongMap, CountingTheMeasuresGoesOnPastNine) {
  TempDataRoot data;
  WriteSong(data, "Mapa|240|4\r\n> Verso 12\r\n", kEspeak);
  Scenario scenario(
      {TypeChar(1000, 'n'), TypeChar(1100, 'q'), TypeChar(16000, 27), TypeChar(17100, 's')}, 500);
  EXPECT_EQ(scenario.Run(), 0);
  std::vector<std::string> words;
  for (const BeatOnset& word : OnsetsOf(scenario, "count:")) {
    words.push_back(word.sound.substr(0, word.sound.find('#')));
  }
  const std::vector<int64_t> word_frames = FramesOf(OnsetsOf(scenario, "count:"));
  const std::vector<int64_t> downbeats = FramesOf(OnsetsOf(scenario, "padrao1"));
  ASSERT_GE(words.size(), 12u);
  const std::vector<std::string> last(words.end() - 4, words.end());
  EXPECT_EQ(last, (std::vector<std::string>{"count:9", "count:10", "count:11", "count:12"}));
  EXPECT_EQ(word_frames.back(), downbeats.back()) << "on the downbeat";
}

// Without a voice to render the cues (the screen-reader mode here, a speech service's voice
// too), each cue is a line written, and said, in the measure before its section.
TEST(SongMap, CuesNoVoiceRendersAreWrittenInTheMeasureBeforeTheirSection) {
  TempDataRoot data;
  WriteSong(data, "Mapa|60|4\r\n> Intro 2\r\n> Refr\xE3o 2 a 240 em 3\r\n", "", "LEITORDETELA=S\n");
  Scenario scenario({TypeChar(1000, 'n'), TypeChar(14000, 27), TypeChar(15100, 's')}, 500,
                    base::VirtualClock::kDefaultStart, /*plain_lines=*/true);
  EXPECT_EQ(scenario.Run(), 0);
  std::vector<int64_t> beats_ms = FramesOf(OnsetsOf(scenario, "padrao", 44100));
  for (int64_t& at : beats_ms) at = at * 1000 / 44100;
  ASSERT_GE(beats_ms.size(), 9u);
  int64_t cue_ms = -1;
  for (const speech::SpeechEvent& event : scenario.Spoken()) {
    if (event.detail == "Refr\xE3o, 240, compasso de 3") cue_ms = event.at_ms;
  }
  // Within the Intro's last measure (the program acts a device's lead ahead of the sound).
  EXPECT_GE(cue_ms, beats_ms[4] - 100);
  EXPECT_LT(cue_ms, beats_ms[8]);
  EXPECT_NE(scenario.Transcript().find("\nRefr\xE3o, 240, compasso de 3\n"), std::string::npos)
      << scenario.Transcript();
}

// The map editor's keys, one step a row: the key (and the text typed after it), and the line
// said for it. Every change is written to the file at once.
TEST(SongMap, TheMapEditorsKeysSayEachChangeAndWriteIt) {
  struct Step {
    int virtual_key;  // 0: the character
    uint8_t ch;
    bool ctrl;
    const char* typed;  // typed in the field editor and ended with Enter; null for none
    const char* said;
  };
  namespace vk = base::vk;
  const Step steps[] = {
      {vk::kRight, 0, false, nullptr, "1, Intro 4"},
      {0, '+', false, "Refr\xE3o 8 a 140", "Se\xE7\xE3o acrescentada\n2, Refr\xE3o 8 a 140"},
      {vk::kUp, 0, true, nullptr, "Se\xE7\xE3o movida\n1, Refr\xE3o 8 a 140"},
      {0, 13, false, "Refr\xE3o 4 a 140 por 2", "Se\xE7\xE3o mudada\n1, Refr\xE3o 4 a 140 por 2"},
      {0, '+', false, "Ponte em 7", "Se\xE7\xE3o n\xE3o entendida"},
      {0, 'r', false, nullptr, "Repete ao fim da m\xFAsica"},
      {vk::kEnd, 0, false, nullptr, "2, Intro 4"},
      {vk::kDelete, 0, false, nullptr, "Se\xE7\xE3o removida\n1, Refr\xE3o 4 a 140 por 2"},
      {vk::kDown, 0, false, nullptr, "1, Refr\xE3o 4 a 140 por 2"},  // a beep at the end
      {0, 27, false, nullptr, "OK, retornando ao repert\xF3rio\n1, Tema, 120, quatern\xE1rio"},
  };
  TempDataRoot data;
  const std::string path =
      WriteSong(data, "Tema|120|4|4222|1\r\n> Intro 4\r\nOutra|90|3|422|1\r\n");
  Script script = {TypeChar(1000, 'l')};
  int64_t at = 3000;
  for (const Step& step : steps) {
    script.push_back(step.virtual_key != 0 ? PressKey(at, step.virtual_key, step.ctrl)
                                           : TypeChar(at, step.ch, step.ctrl));
    if (step.typed != nullptr) {
      const Script typed = TypeText(at + 1500, step.typed);
      script.insert(script.end(), typed.begin(), typed.end());
      script.push_back(TypeChar(
          at + 1500 + 10 * static_cast<int64_t>(std::string(step.typed).size()) + 100, 13));
    }
    at += 4000;
  }
  script.push_back(TypeChar(at, 27));
  script.push_back(TypeChar(at + 1000, 27));
  script.push_back(TypeChar(at + 2100, 's'));
  Scenario scenario(script, 500);
  EXPECT_EQ(scenario.Run(), 0);
  const std::string screen = scenario.Screen().Text();
  std::size_t from = 0;
  for (const Step& step : steps) {
    const std::size_t found = screen.find(std::string(step.said) + "\n", from);
    ASSERT_NE(found, std::string::npos) << step.said << " after\n" << screen.substr(from);
    from = found + 1;
  }
  EXPECT_EQ(ReadBytes(path),
            "# cadencio: nome|bpm|compasso|acentos|notas por tempo\r\n"
            "Tema|120|4|4222|1\r\n> Refr\xE3o 4 a 140 por 2\r\n> repetir\r\n"
            "Outra|90|3|422|1\r\n");
}

}  // namespace
}  // namespace cadencio::testing
