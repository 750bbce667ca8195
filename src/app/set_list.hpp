// The set list: the songs of a rehearsal or a show, each with its name, tempo, measure, accent
// pattern and notes per beat, kept in a text file beside AUDIRA.INI, one song a line ("Garota de
// Ipanema|130|4|4222|1", and after these, only when set, named fields for the second layer and
// the feel: "|polirritmo=3|swing=67|shuffle"), in Windows-1252 or, as an editor may have saved it,
// in UTF-8. Lines that are not a valid song (hand edits, a damaged file) are kept as they stand and
// written back in their places, so nothing is lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/accent_pattern.hpp"
#include "app/song_map.hpp"

namespace cadencio::app {

constexpr std::size_t kMaxSongNameBytes = 60;
constexpr int kMaxSongs = 999;
constexpr std::size_t kMaxSetListFileBytes = std::size_t{1} << 20;
inline constexpr char kSetListFileName[] = "REPERTORIO.TXT";

struct Song {
  std::string name;  // Windows-1252, 1..kMaxSongNameBytes bytes, no '|' or control bytes
  int32_t bpm = 60;
  int32_t beats_per_measure = 4;
  AccentPattern accents = DefaultPattern(4);
  int32_t notes_per_beat = 1;
  SongMap map = {};         // its sections, written on the lines under its own
  int32_t layer_notes = 0;  // the second layer's notes over the measure (0: none)
  int32_t swing = 0;        // the swing's step (app/polyrhythm)
  bool shuffle = false;
};

// The name as it can be stored: control bytes, the bytes that are no character of Windows-1252
// and '|' become blanks, blanks around it go, and it is cut to kMaxSongNameBytes.
std::string StorableSongName(std::string_view name);

class SetList {
 public:
  // The songs of a file's text. Each line is read as UTF-8 when it is UTF-8 with a character
  // beyond ASCII, else as Windows-1252; a byte order mark is kept for writing. A line that
  // begins with '#' is a comment; one that begins with blanks and then '#' is a song when it
  // reads as one (so a song whose name begins with '#' is written), else a comment. Comments,
  // blank lines, lines that are not a valid song (Skipped) and the songs after the
  // kMaxSongs-th (BeyondLimit) are kept but not counted as songs.
  static SetList Parse(std::string_view text);
  // The file's text: the kept lines as they were read and the songs in their order, CR LF
  // after each, headed by a comment line when the list has none and it fits within
  // kMaxSetListFileBytes. A song goes out in its line's encoding (a new one in the file's:
  // UTF-8 when the file has a mark or a UTF-8 line), or in UTF-8 when its Windows-1252 bytes
  // would read back as UTF-8; a song whose name lost characters when read goes out as read.
  std::string Text() const;

  int Count() const { return static_cast<int>(songs_.size()); }
  const Song& At(int index) const { return lines_[songs_[index]].song; }
  // What the text held that is not in the list, as it was read: lines that are not a valid
  // song, songs beyond the kMaxSongs-th, and songs whose names hold characters Windows-1252
  // lacks (shown with '?' in their place).
  int Skipped() const { return skipped_; }
  int BeyondLimit() const { return beyond_limit_; }
  int NamesWithLostCharacters() const { return names_lost_; }

  // Adds the song under its storable name; false when that is empty or the list is full:
  // kMaxSongs songs, or no room for the song within kMaxSetListFileBytes.
  bool Add(const Song& song);
  void Remove(int index);
  // Moves song `index` one place up (-1) or down (+1), with its map; false at an end.
  bool Move(int index, int delta);
  // Gives song `index` the map; false (and the map unchanged) when the file would grow past
  // kMaxSetListFileBytes or the map has more than kMaxSections sections.
  bool SetMap(int index, const SongMap& map);

 private:
  struct Line {
    bool is_song = false;
    bool utf8 = false;      // read as UTF-8, or a new song of a UTF-8 file
    bool keep_raw = false;  // a song whose name lost characters: written back as read
    Song song;
    std::string raw;  // the line's bytes as read (without a byte order mark)
    std::string end;  // the line's ending as read; CR LF for a song added
    // The lines of a song's map as read, with their endings, and those of them that could not
    // be read. Until the map is changed its lines are written back as read; after, the map's
    // own lines are written, followed by the unreadable ones.
    std::vector<std::string> map_lines;
    std::vector<std::string> unread_map_lines;
    bool map_changed = false;
  };
  // Takes a line of the map of the song above it.
  void TakeMapLine(std::string_view raw, std::string_view read, std::string_view end);
  // Appends the bytes of a line to `text`, each line with its ending (CR LF for one that had
  // none, unless it is the file's last).
  void AppendLines(const Line& line, bool last, std::string& text) const;
  void Reindex();
  // The bytes a song's line is written as.
  static std::string SongText(const Line& line);
  // A line of the song's block in its encoding: UTF-8 for a line read so, or for bytes that
  // would read back as UTF-8.
  static std::string MapText(const Line& line, const std::string& text);
  // A line of a changed map: UTF-8 in a UTF-8 file, else as the song's own line.
  std::string ChangedMapText(const Line& line, const std::string& text) const;

  std::vector<Line> lines_;
  std::vector<std::size_t> songs_;  // the lines that hold songs, in order
  bool byte_order_mark_ = false;
  bool utf8_file_ = false;  // new songs are written in UTF-8
  int skipped_ = 0;
  int beyond_limit_ = 0;
  int names_lost_ = 0;
};

// The set list's file, in the directory of the AUDIRA.INI that is read and written.
std::string SetListPath(const std::string& config_file);

struct LoadedSetList {
  SetList list;
  bool writable = true;  // false for a file that could not be read whole: it is never replaced
  bool cut = false;      // the file is over kMaxSetListFileBytes: only its first lines were read
};
// The set list of a file; an empty list when it is missing or cannot be read. Of a file over
// kMaxSetListFileBytes the whole lines within the limit are read.
LoadedSetList LoadSetList(const std::string& path);
// Replaces the file crash-safe with the list; false when it could not be written, or would be
// one the next start refuses (over kMaxSetListFileBytes).
bool SaveSetList(const std::string& path, const LoadedSetList& loaded);

}  // namespace cadencio::app
