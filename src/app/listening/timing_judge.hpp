// The judgement of a take: each note the player made, already placed on the beat's grid, adds
// to the take's figures (how many notes, their mean offset and spread, whether the player
// rushed or dragged over the take), the first note after each silent stretch of muted measures
// is kept apart, and notes far from any grid point are only counted. The words of the verdict
// are made here too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cadencio::app {

// A note heard, on the grid: how far from its nearest grid point (negative: ahead), when, and
// whether that point is the first the beat sounds after a silent stretch.
struct PlacedNote {
  double at_ms = 0;      // when the grid point lies, from any fixed origin
  double offset_ms = 0;  // the note's distance from it; negative when it came early
  bool on_grid = true;   // false: too far from every grid point to be matched
  bool after_silence = false;
};

struct Verdict {
  int notes = 0;     // matched to the grid (the returns after silence not included)
  int off_grid = 0;  // too far from any grid point
  double mean_ms = 0;
  double spread_ms = 0;  // standard deviation of the offsets
  // -1 rushing (the notes came earlier and earlier), +1 dragging, 0 steady.
  int trend = 0;
  std::optional<double> return_ms;  // mean offset of the first notes after silent stretches
  int returns = 0;
};

class TimingJudge {
 public:
  // Offsets that drift by at least this much over the take, clearly beyond their scatter, are
  // rushing or dragging.
  static constexpr double kDriftMs = 10.0;

  void Add(const PlacedNote& note) { notes_.push_back(note); }
  void Clear() { notes_.clear(); }
  bool Empty() const { return notes_.empty(); }
  const std::vector<PlacedNote>& Notes() const { return notes_; }
  Verdict Judge() const;

 private:
  std::vector<PlacedNote> notes_;
};

// The verdict in words: "32 notas, 12 milissegundos adiantado, variação 8, estável", with the
// notes off the grid and the return after silence when there are any; "Nenhuma nota ouvida"
// for a take without notes. Windows-1252, from the catalogue.
std::string VerdictText(const Verdict& verdict);

}  // namespace cadencio::app
