// The map editor.
#include "app/map_editor.hpp"

#include <algorithm>

#include "app/message_catalogue.hpp"
#include "base/keys.hpp"
#include "dialogs/front_end_review_voice.hpp"
#include "speech/number_reading.hpp"

namespace cadencio::app {

std::vector<KeyDoc> MapEditorKeyDocs() {
  return {
      {"Up / Down / Home / End", "walk the sections (\"2, Refrão 8 a 140\")", "Setas / Home / End",
       "percorrem as seções (\"2, Refrão 8 a 140\")"},
      {"+",
       "adds a section after the one at the cursor, typed as in the file (\"Ponte 4 em 7 "
       "(2+2+3)\")",
       "+",
       "acrescenta uma seção depois da do cursor, escrita como no arquivo (\"Ponte 4 em 7 "
       "(2+2+3)\")"},
      {"Enter", "changes the section at the cursor in the field editor", "Enter",
       "muda a seção do cursor no editor de campo"},
      {"Delete", "removes the section", "Delete", "remove a seção"},
      {"Ctrl+Up / Ctrl+Down", "move the section up / down the map",
       "Ctrl+Seta acima / Ctrl+Seta abaixo", "movem a seção para cima / para baixo no mapa"},
      {"r", "the map starts again at its end, or the song stops there", "r",
       "o mapa recomeça no fim, ou a música para ali"},
      {"F1", "says the keys", "F1", "diz as teclas"},
      {"Esc", "back to the set list", "Esc", "volta ao repertório"},
  };
}

namespace {

using base::key::kCtrlDown, base::key::kCtrlUp, base::key::kDelete, base::key::kDown,
    base::key::kEnd, base::key::kEnter, base::key::kEsc, base::key::kF1, base::key::kHome,
    base::key::kUp;

class MapEditor {
 public:
  MapEditor(const dialogs::FieldContext& field, LoadedSetList& loaded, const std::string& path,
            int index)
      : field_(field),
        console_(field.console),
        speech_(field.speech),
        loaded_(loaded),
        path_(path),
        index_(index),
        map_(loaded.list.At(index).map) {}

  void Run() {
    Say("CAMAPA", 1);
    SaySection();
    for (;;) {
      const base::Key key = console_.ReadWholeKey();
      const uint8_t ch = key.extended ? 0 : key.code;
      const uint8_t extended = key.extended ? key.code : 0;
      if (ch == kEsc) {
        Say("CARETREP", 1);
        return;
      }
      if (ch == '+' || (ch == kEnter && OnSection())) {
        TypeSection(ch == '+');
      } else if (ch == 'r') {
        map_.loop = !map_.loop;
        Change(map_.loop ? "CAMAPREP" : "CAMAPPAR");
      } else if (extended == kUp || extended == kDown) {
        MoveTo(position_ + (extended == kUp ? -1 : 1));
      } else if (extended == kHome || extended == kEnd) {
        MoveTo(extended == kHome ? 0 : Count() - 1);
      } else if ((extended == kCtrlUp || extended == kCtrlDown) && OnSection()) {
        MoveSection(extended == kCtrlUp ? -1 : 1);
      } else if (extended == kDelete && OnSection()) {
        map_.sections.erase(map_.sections.begin() + position_);
        position_ = std::min(position_, Count() - 1);
        if (Change("CASECREM")) SaySection();
      } else if (extended == kF1) {
        Say("CAMAPA", 1);
      } else {
        speech_.PlayBeep();
      }
    }
  }

 private:
  int Count() const { return static_cast<int>(map_.sections.size()); }
  bool OnSection() const { return position_ >= 0 && position_ < Count(); }
  void Say(const char* key, int line_ends) { SayMessage(console_, speech_, key, line_ends); }

  // "2, Refrão 8 a 140", or that the map is empty.
  void SaySection() {
    if (!OnSection()) return Say("CAMAPVAZ", 1);
    const std::string line = SectionLine(map_.sections[position_]);
    speech_.WriteSpeakLine(std::to_string(position_ + 1) + ", " + line.substr(2));
  }

  void MoveTo(int position) {
    if (position < 0 || position >= Count()) return speech_.PlayBeep();
    position_ = position;
    SaySection();
  }

  // Gives the song the map and writes the file, saying `said` (or why the change was not
  // taken, or that the file was not written); false when the map could not be taken.
  bool Change(const char* said) {
    if (!loaded_.list.SetMap(index_, map_)) {
      map_ = loaded_.list.At(index_).map;
      position_ = std::min(position_, Count() - 1);
      Say("CAMAPCHE", 1);
      return false;
    }
    Say(said, 1);
    if (!SaveSetList(path_, loaded_)) Say("CAMAPNGR", 1);
    return true;
  }

  // A section typed in the field editor, as its line in the file is written: added after the
  // cursor, or in the place of the section at it.
  void TypeSection(bool add) {
    if (add && Count() >= kMaxSections) return Say("CAMAPCHE", 1);
    Say("CASECAO", 0);
    std::string text = add ? "" : SectionLine(map_.sections[position_]).substr(2);
    const uint8_t end = dialogs::EditLine(
        field_, text, console_.CursorColumn(), console_.CursorRow(), /*editable=*/true,
        /*width=*/80 - console_.CursorColumn(), 79 - console_.CursorColumn(),
        [this] { dialogs::ReviewScreen(console_, speech_); });
    console_.WriteLine();
    if (end == kEsc) return Say("CADESIST", 1);
    const MapLine read = ParseMapLine(std::string(1, kMapMark) + text);
    if (!read.section) return Say("CASECINV", 1);
    if (add) {
      position_ = std::min(position_ + 1, Count());
      map_.sections.insert(map_.sections.begin() + position_, *read.section);
    } else {
      map_.sections[position_] = *read.section;
    }
    if (Change(add ? "CASECACR" : "CASECMUD")) SaySection();
  }

  void MoveSection(int delta) {
    const int other = position_ + delta;
    if (other < 0 || other >= Count()) return speech_.PlayBeep();
    std::swap(map_.sections[position_], map_.sections[other]);
    position_ = other;
    if (Change("CASECMOV")) SaySection();
  }

  const dialogs::FieldContext& field_;
  console::Console& console_;
  speech::SpeechFrontEnd& speech_;
  LoadedSetList& loaded_;
  const std::string& path_;
  const int index_;
  SongMap map_;
  int position_ = 0;
};

}  // namespace

void EditSongMap(const dialogs::FieldContext& field, LoadedSetList& loaded, const std::string& path,
                 int index) {
  MapEditor(field, loaded, path, index).Run();
}

}  // namespace cadencio::app
