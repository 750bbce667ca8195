// The beat rules of a song's map: one rule a section, each handing on to the next on the
// downbeat after its last measure (the last to the first when the map loops), and the place of
// each section's cue: said in the measure before the section, ending kCueGapMs before its first
// downbeat, the name alone when the whole cue does not fit there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/song_map.hpp"
#include "audio/beat_pattern.hpp"

namespace cadencio::app {

constexpr int kCueGapMs = 100;

// A section's cue in its two forms: the name with its change ("Refr\xE3o, 140"), and the name
// alone. Null: the voice gave no sound.
struct SectionCue {
  const audio::Sound* whole = nullptr;
  const audio::Sound* name = nullptr;
};

// What a section's cue says: its name, and its tempo and measure where they change from
// `before` ("Ponte, 140, compasso de 7").
std::string CueText(const PlayedSection& section, const PlayedSection& before);

// The cue said before a section, and how many frames before its first downbeat it starts:
// the whole cue when it ends kCueGapMs before the downbeat within the measure before it, else
// the name so, else the name within the whole section before it (`before_frames`), else none.
struct PlacedCue {
  const audio::Sound* sound = nullptr;
  int64_t lead = 0;
};
PlacedCue PlaceCue(const SectionCue& cue, int64_t last_measure_frames, int64_t before_frames,
                   int rate);

// Links the rules made for the sections (in the map's order): each plays its section's
// measures and hands on to the next, and carries its placed cue. `cues` has one entry a
// section, or none. The rules must not move after this (the links point into `rules`).
void LinkMapRules(std::vector<audio::BeatRule>& rules, const std::vector<PlayedSection>& sections,
                  const std::vector<SectionCue>& cues, bool loop);

// Where a rule of the chain is at `frame`: the section and its measure (0-based), or the end.
struct MapPlace {
  int section = 0;
  int32_t measure = 0;
  bool ended = false;
};
MapPlace PlaceAt(const audio::BeatRule& rule, int64_t frame);

}  // namespace cadencio::app
