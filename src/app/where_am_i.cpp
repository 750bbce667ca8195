// The state line of where am I, from the catalogue's words.
#include "app/where_am_i.hpp"

#include "app/accent_editor.hpp"
#include "app/message_catalogue.hpp"

namespace cadencio::app {

namespace {

// "acentos forte, mudo, médio e fraco", or "agrupamento 2+2+3".
std::string AccentWords(const AccentPattern& pattern) {
  if (const auto groups = GroupingOf(pattern)) {
    std::string text = MessageText("CAONDAGR");
    for (std::size_t i = 0; i < groups->size(); ++i) {
      if (i > 0) text += '+';
      text += std::to_string((*groups)[i]);
    }
    return text;
  }
  std::string text = MessageText("CAONDACE");
  for (int beat = 0; beat < pattern.beats; ++beat) {
    // The level's name without the comma it follows a beat's number with.
    std::string word = MessageText(LevelKey(pattern.level[beat]));
    word.erase(0, word.find_first_not_of(", "));
    if (beat > 0) text += beat + 1 == pattern.beats ? MessageText("CAONDE") : ", ";
    text += word;
  }
  return text;
}

}  // namespace

std::string PlaceLine(const std::string& section, int32_t measure, int32_t measures) {
  return section + MessageText("CAMAPCOM") + std::to_string(measure) + MessageText("CAMAPDE") +
         std::to_string(measures);
}

std::string StateLine(const MetronomeState& state, bool playing, bool listening) {
  std::string line;
  if (!state.Song.empty()) line = MessageText("CAONDMUS") + state.Song + ", ";
  line += std::to_string(state.Bpm) + MessageText("CABPM");
  const char* measure = MeasureKey(state.BeatsPerMeasure);
  line += measure != nullptr ? MessageText(measure)
                             : MessageText("CACOMPDE") + std::to_string(state.BeatsPerMeasure);
  const AccentPattern pattern = PatternFor(state);
  if (!IsDefault(pattern)) line += AccentWords(pattern);
  if (state.Subdivisions > 1) {
    line += ", ";
    line += std::to_string(state.Subdivisions) + MessageText("CAONDNOT");
  }
  if (state.CountAloud) {
    line += MessageText("CAONDCON");
    if (state.CountByGroups) line += MessageText("CAONDGRU");
  }
  if (state.CountIn) line += MessageText("CAONDINI");
  if (state.PlayedMeasures > 0 && state.MutedMeasures > 0) {
    line += ", ";
    line += std::to_string(state.PlayedMeasures) + MessageText("CAONDTOC") +
            std::to_string(state.MutedMeasures) + MessageText("CAONDSIL");
  }
  if (state.TrainerOn()) {
    line += MessageText("CAONDTRE") + std::to_string(state.TrainerTarget) + MessageText("CABPM");
  }
  if (state.LinkOn) line += MessageText("CAONDLNK");
  if (state.BeatVolume < kMaxBeatVolume) {
    line += MessageText("CAONDVOL") + std::to_string(state.BeatVolume);
  }
  if (!playing) line += MessageText("CAONDBAT");
  if (listening) line += MessageText("CAONDESC");
  return line;
}

}  // namespace cadencio::app
