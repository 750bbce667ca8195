// Every key list of the program, gathered for the manual pages and the README.
#include "app/key_help.hpp"

#include "app/map_editor.hpp"
#include "app/metronome.hpp"

namespace cadencio::app {

std::vector<KeyDoc> MainKeyDocs() {
  std::vector<KeyDoc> docs;
  for (const MainCommand& command : Metronome::Commands()) docs.push_back(command.doc);
  return docs;
}

std::vector<KeySection> KeySections() {
  return {{"MAIN", MainKeyDocs()},        {"TUNING_FORK", TuningForkKeyDocs()},
          {"TUNER", TunerKeyDocs()},      {"ACCENTS", AccentEditorKeyDocs()},
          {"SET_LIST", SetListKeyDocs()}, {"SONG_MAP", MapEditorKeyDocs()}};
}

}  // namespace cadencio::app
