// The set list: the songs of a rehearsal or a show, each with its name, tempo, measure, accent
// pattern and notes per beat, kept in a Windows-1252 text file beside AUDIRA.INI, one song a
// line ("Garota de Ipanema|130|4|4222|1"). Lines that are not a valid song (hand edits, a
// damaged file) are kept as they stand and written back in their places, so nothing is lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/accent_pattern.hpp"

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
};

// The name as it can be stored: control bytes and '|' become blanks, blanks around it go, and
// it is cut to kMaxSongNameBytes.
std::string StorableSongName(std::string_view name);

class SetList {
 public:
  // The songs of a file's text; lines that are comments ('#'), blank or not a valid song are
  // kept but not counted as songs (Skipped() counts the invalid ones).
  static SetList Parse(std::string_view text);
  // The file's text: the kept lines and the songs in their order, CR LF after each.
  std::string Text() const;

  int Count() const { return static_cast<int>(songs_.size()); }
  const Song& At(int index) const { return lines_[songs_[index]].song; }
  int Skipped() const { return skipped_; }

  // False when the list is full.
  bool Add(const Song& song);
  void Remove(int index);
  // Moves song `index` one place up (-1) or down (+1); false at an end.
  bool Move(int index, int delta);

 private:
  struct Line {
    bool is_song = false;
    Song song;
    std::string raw;  // as read, for a line that is not a song
    std::string end;  // the line's ending as read; CR LF for a song added
  };
  void Reindex();

  std::vector<Line> lines_;
  std::vector<std::size_t> songs_;  // the lines that hold songs, in order
  int skipped_ = 0;
};

// The set list's file, in the directory of the AUDIRA.INI that is read and written.
std::string SetListPath(const std::string& config_file);

struct LoadedSetList {
  SetList list;
  bool writable = true;  // false for a file too large to be read whole: it is never replaced
};
// The set list of a file; an empty list when it is missing or cannot be read.
LoadedSetList LoadSetList(const std::string& path);
// Replaces the file crash-safe with the list; false when it could not be written.
bool SaveSetList(const std::string& path, const LoadedSetList& loaded);

}  // namespace cadencio::app
