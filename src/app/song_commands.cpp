// The accents and the set list of the main loop: the accent editor, the set list dialog, and
// the next and previous song.
#include <cmath>

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
    const SetList& list = set_list_->list;
    if (set_list_->cut) Say("CAREPGRD", 1);
    if (list.BeyondLimit() > 0) SayValue("CAREPALM", list.BeyondLimit());
    if (list.Skipped() > 0) SayValue("CAREPIGN", list.Skipped());
    if (list.NamesWithLostCharacters() > 0) {
      SayValue("CAREPCAR", list.NamesWithLostCharacters());
    }
  }
  return *set_list_;
}

void Metronome::StepSong(Key key) {
  const bool next = key.code == 'n';
  const int count = SetListLoaded().list.Count();
  // Before any song is loaded, n takes the first and p the last.
  const int index = song_ < 0 ? (next ? 0 : count - 1) : song_ + (next ? 1 : -1);
  if (count == 0) {
    Say("CAREPVAZ", 1);
  } else if (index < 0 || index >= count) {
    speech_.PlayBeep();  // at an end of the list
  } else {
    LoadSong(index);
  }
}

void Metronome::LoadSong(int index) {
  // The song played so far has ended: its verdict, when listening.
  listening_.EndOfRun();
  song_ = index;
  ApplySong(set_list_->list.At(index), state_);
  SaySong(console_, speech_, set_list_->list, index);
  // The song's own tempo holds: a trainer left running would carry it off.
  if (state_.TrainerOn()) {
    state_.StopTrainer();
    Say("CATREDES", 1);
  }
  PrepareMap(set_list_->list.At(index).map);
  PrepareCountWords();
  playing_ = true;
  count_in_due_ = state_.CountIn;
}

void Metronome::PrepareMap(const SongMap& map) {
  map_sections_ = PlayedSections(map, state_.Bpm, state_.BeatsPerMeasure, PatternFor(state_),
                                 state_.Subdivisions);
  map_loop_ = map.loop;
  map_scale_ = 1;
  PlayMap(0, /*keep_place=*/false);
}

void Metronome::PlayMap(int32_t bpm, bool keep_place) {
  std::vector<PlayedSection> sections = map_sections_;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const bool here = bpm > 0 && i == static_cast<std::size_t>(beat_.Place().section);
    sections[i].bpm =
        here ? bpm
             : TempoIntoRange(static_cast<int32_t>(std::lround(sections[i].bpm * map_scale_)));
  }
  std::vector<SectionCue> cues =
      cues_.Render(console_, speech_, recorder_, beats_, sections, output_.GetMixer().SampleRate());
  beat_.SetMap(std::move(sections), std::move(cues), map_loop_, keep_place);
  if (beat_.HasMap()) state_ = beat_.SectionState(beat_.PlaceSection());
  map_bpm_ = state_.Bpm;
  map_speed_ = speech_.Speed();
}

void Metronome::FollowMapSettings() {
  if (!beat_.HasMap()) return;
  if (state_.Bpm != map_bpm_ && map_bpm_ > 0) {
    map_scale_ *= static_cast<double>(state_.Bpm) / map_bpm_;
    // The section about to play takes the tempo exactly when it is the one the key changed.
    PlayMap(beat_.PlaceSection().bpm == map_bpm_ ? state_.Bpm : 0, /*keep_place=*/true);
  } else if (map_speed_ != speech_.Speed()) {
    PlayMap(0, /*keep_place=*/true);  // the cues at the new speed
  }
}

void Metronome::StepSection(Key key) {
  if (!beat_.HasMap()) {
    Say("CAMAPSEM", 1);
  } else if (!beat_.JumpSection(key.code == 'x' ? 1 : -1)) {
    speech_.PlayBeep();  // at an end of the map
  } else {
    speech_.WriteSpeakLine(beat_.PlaceSection().name);
    map_bpm_ = state_.Bpm;
    playing_ = true;
  }
}

void Metronome::ToggleCountMeasures(Key) {
  if (!beat_.HasMap()) {
    Say("CAMAPSEM", 1);
    return;
  }
  state_.CountMeasures = !state_.CountMeasures;
  Say(state_.CountMeasures ? "CACCPLIG" : "CACCPDES", 1);
  PrepareCountWords();
}

}  // namespace cadencio::app
