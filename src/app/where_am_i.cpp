// The state line of where am I, from the catalogue's words.
#include "app/where_am_i.hpp"

#include <algorithm>

#include "app/accent_editor.hpp"
#include "app/message_catalogue.hpp"
#include "app/polyrhythm.hpp"

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

// ", três contra dois, swing de tercina, 67 por cento": the layer and the feel, when on.
std::string RhythmWords(const MetronomeState& state) {
  std::string text;
  if (state.LayerNotes > 0) text += ", " + LayerWords(state.LayerNotes, state.BeatsPerMeasure);
  if (state.Subdivisions == 3 && state.Shuffle) return text + MessageText("CAONDSHU");
  std::string feel = FeelWords(state);
  if (feel.empty()) return text;
  feel[0] = static_cast<char>(feel[0] - 'A' + 'a');  // "Swing" as the line goes on
  return text + ", " + feel;
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
  line += RhythmWords(state);
  if (state.CountAloud) {
    line += MessageText("CAONDCON");
    if (state.CountByGroups) line += MessageText("CAONDGRU");
    if (state.CountLayer && state.LayerNotes > 0) line += MessageText("CAONDCAM");
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

std::string OutputWords(audio::AudioOutput& output) {
  if (output.DriverName() != "jack") return {};
  const int rate = std::max(1, output.GetMixer().SampleRate());
  const int64_t ms = (int64_t{output.OutputLatencyFrames()} * 1000 + rate / 2) / rate;
  std::string words = MessageText("CAONDJCK") + std::to_string(ms) + MessageText("CAONDMS");
  if (audio::TransportTimeline* timeline = output.Transport()) {
    const bool follows = timeline->GetRole() == audio::TransportTimeline::Role::kFollow;
    words += MessageText(follows ? "CAONDSEG" : "CAONDMES");
  }
  return words;
}

}  // namespace cadencio::app
