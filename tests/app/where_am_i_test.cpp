// Where am I: which parts of the state the line names, and in which order.
#include "app/where_am_i.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace cadencio::app {
namespace {

TEST(WhereAmI, TheLineNamesWhatIsSetInOrder) {
  struct Case {
    const char* why;
    std::function<void(MetronomeState&)> set;
    bool playing, listening;
    std::vector<std::string> in_order;  // parts the line holds, in this order
    std::vector<std::string> absent;
  };
  const Case cases[] = {
      {"a plain start: tempo and measure only",
       [](MetronomeState&) {},
       true,
       false,
       {"120 BPM, quatern\xE1rio"},
       {"M\xFAsica", "acentos", "agrupamento", "notas", "contagem", "volume", "treino", "Link",
        "batida", "escutando"}},
      {"a song, a grouping and everything on",
       [](MetronomeState& s) {
         s.Song = "Garota";
         s.BeatsPerMeasure = 7;
         s.Accents = GroupedPattern({2, 2, 3});
         s.Subdivisions = 3;
         s.CountAloud = s.CountByGroups = s.CountIn = true;
         s.PlayedMeasures = 3;
         s.MutedMeasures = 1;
         s.TrainerTarget = 160;
         s.LinkOn = true;
         s.BeatVolume = 7;
       },
       false,
       true,
       {"M\xFAsica Garota, 120 BPM", "compasso de 7", "agrupamento 2+2+3", "3 notas por tempo",
        "contagem em voz alta por grupos", "contagem inicial", "3 compassos tocados e 1",
        "treino at\xE9 160 BPM", "Link ligado", "volume 7", "batida silenciada",
        "escutando o m\xFAsico"},
       {"acentos", "forte"}},
      {"levels that are no grouping, each said",
       [](MetronomeState& s) {
         s.Accents = DefaultPattern(4);
         s.Accents.level[1] = Accent::kSilent;
         s.Accents.level[2] = Accent::kMedium;
         s.Accents.level[3] = Accent::kSoft;
       },
       true,
       false,
       {"acentos forte, mudo, m\xE9"
        "dio e fraco"},
       {"agrupamento"}},
      {"a pattern stored for another measure does not play, so is not said",
       [](MetronomeState& s) {
         s.BeatsPerMeasure = 3;
         s.Accents = GroupedPattern({2, 3});
       },
       true,
       false,
       {"tern\xE1rio"},
       {"agrupamento", "acentos"}},
  };
  for (const Case& c : cases) {
    MetronomeState state;
    state.Bpm = 120;
    c.set(state);
    const std::string line = StateLine(state, c.playing, c.listening);
    std::size_t at = 0;
    for (const std::string& part : c.in_order) {
      at = line.find(part, at);
      ASSERT_NE(at, std::string::npos) << c.why << ": no \"" << part << "\" in order in " << line;
    }
    for (const std::string& part : c.absent) {
      EXPECT_EQ(line.find(part), std::string::npos) << c.why << ": \"" << part << "\" in " << line;
    }
  }
}

}  // namespace
}  // namespace cadencio::app
