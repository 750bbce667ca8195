// The map editor of the set list dialog (Right on a song): the song's sections walked with Up
// and Down and heard as written ("2, Refr\xE3o 8 a 140"), + adding a section after the cursor
// and Enter changing the one at it (typed in the field editor as it is written in the file),
// Delete removing it, Ctrl+Up and Ctrl+Down moving it, r choosing whether the map starts again
// at its end or the song stops. Every change is said and written to the file at once.
#pragma once

#include <string>
#include <vector>

#include "app/key_help.hpp"
#include "app/set_list.hpp"
#include "dialogs/field_editor.hpp"

namespace cadencio::app {

std::vector<KeyDoc> MapEditorKeyDocs();

// Edits the map of song `index` of the list, writing the file at `path` after each change.
void EditSongMap(const dialogs::FieldContext& field, LoadedSetList& loaded, const std::string& path,
                 int index);

}  // namespace cadencio::app
