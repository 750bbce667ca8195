// A song's map: its sections in order, each with a name and a number of measures and, when it
// changes them, its own tempo, beats per measure, accents and notes per beat (a section without
// them keeps the previous one's). In the set list's file each section is a line of its own
// under its song, in a form a person can write: "> Refrão 8 a 140", "> Ponte 4 em 7 (2+2+3)",
// "> Verso 16 por 2"; a line "> repetir" makes the map start again at its end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/accent_pattern.hpp"

namespace cadencio::app {

constexpr int kMaxSections = 64;
constexpr int32_t kMaxSectionMeasures = 999;

struct Section {
  std::string name;  // Windows-1252, a storable song name
  int32_t measures = 1;
  std::optional<int32_t> bpm;
  std::optional<int32_t> beats;
  std::optional<AccentPattern> accents;
  std::optional<int32_t> notes_per_beat;

  bool operator==(const Section&) const = default;
};

struct SongMap {
  std::vector<Section> sections;
  bool loop = false;  // at its end the map starts again; else the song stops

  bool Empty() const { return sections.empty(); }
  bool operator==(const SongMap&) const = default;
};

// What a section plays, its changes and what it keeps of the sections before it.
struct PlayedSection {
  std::string name;
  int32_t measures = 1;
  int32_t bpm = 60;
  int32_t beats = 4;
  AccentPattern accents = DefaultPattern(4);
  int32_t notes_per_beat = 1;
};
// The sections as they play, the first one's settings taken from the song's own.
std::vector<PlayedSection> PlayedSections(const SongMap& map, int32_t bpm, int32_t beats,
                                          const AccentPattern& accents, int32_t notes_per_beat);

// A line of the map is one that begins with kMapMark (after blanks).
inline constexpr char kMapMark = '>';
bool IsMapLine(std::string_view line);

// What a map line holds: a section, the loop mark, or nothing it can read.
struct MapLine {
  std::optional<Section> section;
  bool loop = false;
};
MapLine ParseMapLine(std::string_view line);
// The line of a section ("> Refrão 8 a 140") and of the loop mark.
std::string SectionLine(const Section& section);
std::string LoopLine();

}  // namespace cadencio::app
