// The set list dialog (lower-case l): the songs walked with Up and Down and heard as "3, Garota
// de Ipanema, 130, quaternário", a letter jumping to a name, + adding the current settings as a
// song named in the field editor, Delete removing one after a confirmation, Ctrl+Up and
// Ctrl+Down moving it. Every change is written to the file at once, and a change that could not
// be written is said in the same message.
#pragma once

#include <optional>
#include <string>

#include "app/metronome_state.hpp"
#include "app/set_list.hpp"
#include "dialogs/field_editor.hpp"

namespace cadencio::app {

// The song of the metronome's current settings.
Song SongFromState(const MetronomeState& state, const std::string& name);
// Puts a song's tempo, measure, accents and notes per beat into the state.
void ApplySong(const Song& song, MetronomeState& state);

// Writes and says "3, Garota de Ipanema, 130, quaternário" for song `index` (0-based).
void SaySong(console::Console& console, speech::SpeechFrontEnd& speech, const SetList& list,
             int index);

// Runs the dialog from the song `playing` (-1: none yet, the first) and says it; the index of
// the song chosen with Enter, nothing on Esc. `playing` follows the song as songs are moved
// and removed, and becomes -1 when it is removed.
std::optional<int> BrowseSetList(const dialogs::FieldContext& field, LoadedSetList& loaded,
                                 const std::string& path, const MetronomeState& state,
                                 int& playing);

}  // namespace cadencio::app
