// The set list dialog.
#include "app/set_list_dialog.hpp"

#include <algorithm>

#include "app/effects_file.hpp"
#include "app/key_help.hpp"
#include "app/map_editor.hpp"
#include "app/message_catalogue.hpp"
#include "app/polyrhythm.hpp"
#include "base/keys.hpp"
#include "base/windows1252.hpp"
#include "dialogs/front_end_review_voice.hpp"
#include "dialogs/screen_review.hpp"
#include "speech/number_reading.hpp"

namespace cadencio::app {

std::vector<KeyDoc> SetListKeyDocs() {
  return {
      {"Up / Down", "walk the songs (\"3, Garota de Ipanema, 130, quaternário\")",
       "Seta acima / Seta abaixo",
       "percorrem as músicas (\"3, Garota de Ipanema, 130, quaternário\")"},
      {"Home / End", "the first / last song", "Home / End", "a primeira / última música"},
      {"a letter", "jumps to the next name with that initial", "uma letra",
       "salta para o próximo nome com essa inicial"},
      {"Enter",
       "loads the song and starts it (with the count-in when it is on; the tempo trainer stops)",
       "Enter",
       "carrega a música e a começa (com a contagem inicial quando ligada; o treino de andamento "
       "para)"},
      {"+", "adds the current settings as a song named in the field editor", "+",
       "acrescenta os ajustes atuais como uma música, com o nome dado no editor de campo"},
      {"Delete", "removes the song after \"Remove a música ? \" and S", "Delete",
       "remove a música depois de \"Remove a música ? \" e S"},
      {"Ctrl+Up / Ctrl+Down", "move the song up / down the list",
       "Ctrl+Seta acima / Ctrl+Seta abaixo", "movem a música para cima / para baixo na lista"},
      {"Right", "opens the song's map: its sections, said before each begins", "Seta à direita",
       "abre o mapa da música: suas seções, ditas antes de cada uma começar"},
      {"F1", "says the keys", "F1", "diz as teclas"},
      {"F8", "says the time", "F8", "fala a hora"},
      {"Esc", "leaves", "Esc", "sai"},
  };
}

namespace {

using base::key::kCtrlDown, base::key::kCtrlUp, base::key::kDelete, base::key::kDown,
    base::key::kEnd, base::key::kEnter, base::key::kEsc, base::key::kF1, base::key::kF8,
    base::key::kHome, base::key::kRight, base::key::kUp;

class Dialog {
 public:
  Dialog(const dialogs::FieldContext& field, LoadedSetList& loaded, const std::string& path,
         const MetronomeState& state, int& playing)
      : field_(field),
        console_(field.console),
        speech_(field.speech),
        loaded_(loaded),
        path_(path),
        state_(state),
        playing_(playing),
        position_(std::clamp(std::max(playing, 0), -1, loaded.list.Count() - 1)) {}

  std::optional<int> Run() {
    Say("CAREPERT", 1);
    if (OnSong()) {
      SaySong(console_, speech_, List(), position_);
    } else {
      Say("CAREPVAZ", 1);
    }
    for (;;) {
      const base::Key key = console_.ReadWholeKey();
      const uint8_t ch = key.extended ? 0 : key.code;
      const uint8_t extended = key.extended ? key.code : 0;
      if (ch == kEnter && OnSong()) return position_;
      if (ch == kEsc) {
        Say("CARETOR", 1);
        return std::nullopt;
      }
      if (ch == '+') {
        AddSong();
      } else if (base::IsAsciiLetter(ch)) {
        JumpTo(ch);
      } else if (extended == kUp || extended == kDown) {
        MoveTo(position_ + (extended == kUp ? -1 : 1));
      } else if (extended == kHome || extended == kEnd) {
        MoveTo(extended == kHome ? 0 : List().Count() - 1);
      } else if ((extended == kCtrlUp || extended == kCtrlDown) && OnSong()) {
        MoveSong(extended == kCtrlUp ? -1 : 1);
      } else if (extended == kDelete && OnSong()) {
        RemoveSong();
      } else if (extended == kRight && OnSong()) {
        EditSongMap(field_, loaded_, path_, position_);
        SaySong(console_, speech_, List(), position_);
      } else if (extended == kF1) {
        Say("CAREPERT", 1);
      } else if (extended == kF8) {
        speech::SpeakTime(speech_);
      } else {
        speech_.PlayBeep();
      }
    }
  }

 private:
  SetList& List() { return loaded_.list; }
  bool OnSong() { return position_ >= 0 && position_ < List().Count(); }
  void Say(const char* key, int line_ends) { SayMessage(console_, speech_, key, line_ends); }

  void MoveTo(int position) {
    if (position < 0 || position >= List().Count()) {
      speech_.PlayBeep();
      return;
    }
    position_ = position;
    SaySong(console_, speech_, List(), position_);
  }

  // The next song after the cursor whose name begins with the letter, from the top again when
  // none follows.
  void JumpTo(uint8_t letter) {
    const int count = List().Count();
    for (int step = 1; step <= count; ++step) {
      const int index = (position_ + step + count) % count;
      if (MatchesLetter(List().At(index).name, letter)) {
        MoveTo(index);
        return;
      }
    }
    speech_.PlayBeep();
  }

  // Writes the list; false when it could not be written.
  bool Save() { return SaveSetList(path_, loaded_); }

  void AddSong() {
    if (List().Count() >= kMaxSongs) {
      Say("CAREPCHE", 1);
      return;
    }
    Say("CANOMMUS", 0);
    std::string name;
    const uint8_t end = dialogs::EditLine(
        field_, name, console_.CursorColumn(), console_.CursorRow(), /*editable=*/true,
        /*width=*/80 - console_.CursorColumn(), static_cast<int>(kMaxSongNameBytes),
        [this] { dialogs::ReviewScreen(console_, speech_); });
    console_.WriteLine();
    name = StorableSongName(name);
    if (end == kEsc || name.empty()) {
      Say("CADESIST", 1);
      return;
    }
    if (!List().Add(SongFromState(state_, name))) {
      Say("CAREPCMB", 1);  // no room left in the file
      return;
    }
    position_ = List().Count() - 1;
    Say(Save() ? "CAMUSACR" : "CAMUSANG", 1);
    SaySong(console_, speech_, List(), position_);
  }

  void RemoveSong() {
    SaySong(console_, speech_, List(), position_);
    Say("CAREMCON", 0);
    const uint8_t answer = field_.keys.ReadKeySpoken();
    console_.WriteLine();
    if (base::AsciiUpperCase(answer) != 'S') {
      Say("CADESIST", 1);
      return;
    }
    List().Remove(position_);
    if (playing_ == position_) {
      playing_ = -1;
    } else if (playing_ > position_) {
      --playing_;
    }
    position_ = std::min(position_, List().Count() - 1);
    Say(Save() ? "CAMUSREM" : "CAMUSRNG", 1);
  }

  void MoveSong(int delta) {
    if (!List().Move(position_, delta)) {
      speech_.PlayBeep();
      return;
    }
    if (playing_ == position_ || playing_ == position_ + delta) {
      playing_ = playing_ == position_ ? position_ + delta : position_;
    }
    position_ += delta;
    if (!Save()) Say("CAMUSMNG", 1);
    SaySong(console_, speech_, List(), position_);
  }

  const dialogs::FieldContext& field_;
  console::Console& console_;
  speech::SpeechFrontEnd& speech_;
  LoadedSetList& loaded_;
  const std::string& path_;
  const MetronomeState& state_;
  int& playing_;
  int position_;
};

}  // namespace

Song SongFromState(const MetronomeState& state, const std::string& name) {
  Song song;
  song.name = StorableSongName(name);
  song.bpm = state.Bpm;
  song.beats_per_measure = std::clamp(state.BeatsPerMeasure, 1, kMaxAccentBeats);
  song.accents = PatternFor(state);
  song.notes_per_beat = state.Subdivisions;
  song.layer_notes = state.LayerNotes;
  song.swing = state.Swing;
  song.shuffle = state.Shuffle;
  return song;
}

void ApplySong(const Song& song, MetronomeState& state) {
  state.Song = song.name;
  state.SetTempo(song.bpm);
  state.BeatsPerMeasure = song.beats_per_measure;
  state.Accents = song.accents;
  state.Subdivisions = song.notes_per_beat;
  state.LayerNotes = song.layer_notes;
  state.Swing = song.swing;
  state.Shuffle = song.shuffle;
}

void SaySong(console::Console& console, speech::SpeechFrontEnd& speech, const SetList& list,
             int index) {
  const Song& song = list.At(index);
  speech.WriteSpeak(std::to_string(index + 1) + ", " + song.name + ", " + std::to_string(song.bpm));
  SayMeasure(console, speech, song.beats_per_measure);
  if (song.layer_notes > 0) {
    speech.WriteSpeak(", " + LayerWords(song.layer_notes, song.beats_per_measure));
  }
  console.WriteLine();
}

std::optional<int> BrowseSetList(const dialogs::FieldContext& field, LoadedSetList& loaded,
                                 const std::string& path, const MetronomeState& state,
                                 int& playing) {
  return Dialog(field, loaded, path, state, playing).Run();
}

}  // namespace cadencio::app
