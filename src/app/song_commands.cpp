// The accents and the set list of the main loop: the accent editor, the set list dialog, and
// the next and previous song.
#include "app/accent_editor.hpp"
#include "app/message_catalogue.hpp"
#include "app/metronome.hpp"
#include "app/set_list_dialog.hpp"

namespace cadencio::app {

using base::Key;

void Metronome::EditAccents(Key) {
  if (auto choice = app::EditAccents(console_, speech_, beats_, state_)) {
    state_.Accents = choice->pattern;
    state_.CountByGroups = choice->count_groups;
  }
}

void Metronome::BrowseSetList(Key) {
  if (auto chosen = app::BrowseSetList(field_, SetListLoaded(), SetListPath(settings_.ConfigFile()),
                                       state_, song_)) {
    LoadSong(*chosen);
  }
}

LoadedSetList& Metronome::SetListLoaded() {
  if (!set_list_) {
    set_list_ = LoadSetList(SetListPath(settings_.ConfigFile()));
    if (set_list_->list.Skipped() > 0) SayValue("CAREPIGN", set_list_->list.Skipped());
  }
  return *set_list_;
}

void Metronome::StepSong(Key key) {
  const int delta = key.code == 'n' ? 1 : -1;
  const int count = SetListLoaded().list.Count();
  if (count == 0) {
    Say("CAREPVAZ", 1);
  } else if (song_ + delta < 0 || song_ + delta >= count) {
    speech_.PlayBeep();  // at an end of the list
  } else {
    LoadSong(song_ + delta);
  }
}

void Metronome::LoadSong(int index) {
  song_ = index;
  ApplySong(set_list_->list.At(index), state_);
  SaySong(console_, speech_, set_list_->list, index);
  PrepareCountWords();
  playing_ = true;
  count_in_due_ = state_.CountIn;
}

}  // namespace cadencio::app
