// libFuzzer target for the set list file (REPERTORIO.TXT): any bytes are read as the file, in
// Windows-1252 or UTF-8. Every song read must be one the program could have stored; writing the
// list and reading it back must give the same songs and the same lines that are not songs; and
// a song added under a name taken from the input (a '#' at its start included), moved and
// removed again, must come back the same way, in a text within the file's limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/metronome_state.hpp"
#include "app/set_list.hpp"

namespace {

using namespace cadencio::app;

void Check(bool condition) {
  if (!condition) std::abort();
}

bool SameSong(const Song& a, const Song& b) {
  return a.name == b.name && a.bpm == b.bpm && a.beats_per_measure == b.beats_per_measure &&
         a.accents == b.accents && a.notes_per_beat == b.notes_per_beat;
}

void CheckSong(const Song& song) {
  Check(!song.name.empty() && song.name == StorableSongName(song.name));
  Check(song.bpm >= kMinBpm && song.bpm <= kMaxBpm);
  Check(song.beats_per_measure >= 1 && song.beats_per_measure <= kMaxAccentBeats);
  Check(song.accents.beats == song.beats_per_measure);
  Check(song.notes_per_beat >= 1 && song.notes_per_beat <= kMaxSubdivisions);
}

// The list read back from its own text holds the same songs, skips the same lines, and writes
// the same text again.
void CheckRoundTrip(const SetList& list) {
  const std::string text = list.Text();
  const SetList again = SetList::Parse(text);
  Check(again.Count() == list.Count() && again.Skipped() == list.Skipped() &&
        again.NamesWithLostCharacters() == list.NamesWithLostCharacters());
  for (int i = 0; i < list.Count(); ++i) Check(SameSong(again.At(i), list.At(i)));
  Check(again.Text() == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  SetList list = SetList::Parse(text);
  Check(list.Count() <= kMaxSongs);
  for (int i = 0; i < list.Count(); ++i) CheckSong(list.At(i));
  CheckRoundTrip(list);

  // A song named by the input's first line, as the set list dialog's field would give it.
  Song song;
  song.name = StorableSongName(text.substr(0, text.find('\n')));
  if (song.name.empty()) return 0;
  song.bpm = 1 + static_cast<int>(size % kMaxBpm);
  const int count = list.Count();
  if (!list.Add(song)) {
    // Full: no more songs, or no room in the file for the song's line (a name in UTF-8 takes up
    // to three bytes a character) with the header the file may then go without.
    Check(count == kMaxSongs ||
          list.Text().size() + 3 * song.name.size() + 80 > kMaxSetListFileBytes);
    Check(list.Count() == count);
    return 0;
  }
  Check(list.Text().size() <= kMaxSetListFileBytes);
  Check(list.Count() == count + 1 && SameSong(list.At(count), song));
  CheckRoundTrip(list);
  if (count > 0) {
    Check(list.Move(count, -1) && SameSong(list.At(count - 1), song));
    CheckRoundTrip(list);
  }
  list.Remove(count > 0 ? count - 1 : 0);
  Check(list.Count() == count);
  CheckRoundTrip(list);
  return 0;
}
