// Where am I: which parts of the state the line names, and in which order.
#include "app/where_am_i.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
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
      {"three against two in triplet swing, the layer counted",
       [](MetronomeState& s) {
         s.BeatsPerMeasure = 2;
         s.LayerNotes = 3;
         s.Subdivisions = 2;
         s.Swing = 2;
         s.CountAloud = s.CountLayer = true;
       },
       true,
       false,
       {"bin\xE1rio", "2 notas por tempo", "tr\xEAs contra dois", "swing de tercina, 67 por cento",
        "contagem em voz alta", "contagem na camada"},
       {"shuffle"}},
      {"a shuffle; a swing left from two notes is not said with three",
       [](MetronomeState& s) {
         s.Subdivisions = 3;
         s.Swing = 1;
         s.Shuffle = true;
         s.CountLayer = true;
       },
       true,
       false,
       {"3 notas por tempo", "shuffle"},
       {"swing", "contra", "camada"}},
      {"a layer over a measure beyond the count words keeps its digits",
       [](MetronomeState& s) {
         s.BeatsPerMeasure = 12;
         s.LayerNotes = 5;
       },
       true,
       false,
       {"compasso de 12", "cinco contra 12"},
       {"nove"}},
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

// An output that says it is JACK, with a latency and a transport role of its choosing.
class JackLike final : public audio::AudioOutput, public audio::TransportTimeline {
 public:
  JackLike(int latency, std::optional<Role> role) : latency_(latency), role_(role) {}
  audio::Mixer& GetMixer() override { return mixer_; }
  int LeadFrames() const override { return 0; }
  int OutputLatencyFrames() const override { return latency_; }
  std::string DriverName() const override { return "jack"; }
  audio::TransportTimeline* Transport() override { return role_ ? this : nullptr; }
  Role GetRole() const override { return *role_; }
  audio::TimelinePosition Position() override { return {}; }

 private:
  audio::Mixer mixer_{48000};
  int latency_;
  std::optional<Role> role_;
};

TEST(WhereAmI, JacksLatencyAndTransportAreSaidInMilliseconds) {
  using Role = audio::TransportTimeline::Role;
  struct Case {
    int latency;
    std::optional<Role> role;
    std::string words;
  };
  const Case cases[] = {
      {1168, std::nullopt, ", JACK, lat\xEAncia 24 milissegundos"},
      {500, Role::kFollow, ", JACK, lat\xEAncia 10 milissegundos, segue o transporte"},
      {96, Role::kLead, ", JACK, lat\xEAncia 2 milissegundos, mestre do transporte"},
  };
  for (const Case& c : cases) {
    JackLike output(c.latency, c.role);
    EXPECT_EQ(OutputWords(output), c.words);
  }
  base::VirtualClock clock;
  audio::CaptureAudio capture(clock, 48000);
  EXPECT_EQ(OutputWords(capture), "") << "only JACK's output is said";
}

}  // namespace
}  // namespace cadencio::app
