// How the program's keys are told to the user outside the program: every key list (the main
// loop's, the tuning fork's, the tuner's, the accent editor's and the set list's) is kept beside
// the code that answers the keys, and the manual pages and the README are written or checked
// from these lists, so that none of them can fall behind the program. The texts are UTF-8: they
// go to files for people to read, never to the console.
#pragma once

#include <string_view>
#include <vector>

namespace cadencio::app {

// One line of a key list: the keys, as a person names them ("Up / Down"), and what they do,
// in English and in Portuguese.
struct KeyDoc {
  std::string_view keys_en;
  std::string_view what_en;
  std::string_view keys_pt;
  std::string_view what_pt;
};

// A key list of one part of the program. `id` names the place where the manual page templates
// take it (@KEYS_MAIN@ for "MAIN").
struct KeySection {
  std::string_view id;
  std::vector<KeyDoc> keys;
};

// Every key list the program has.
std::vector<KeySection> KeySections();

// The key lists of the main loop and the dialogs, kept beside their key loops.
std::vector<KeyDoc> MainKeyDocs();
std::vector<KeyDoc> TuningForkKeyDocs();
std::vector<KeyDoc> TunerKeyDocs();
std::vector<KeyDoc> AccentEditorKeyDocs();
std::vector<KeyDoc> SetListKeyDocs();

}  // namespace cadencio::app
