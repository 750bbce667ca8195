// MIDI clock: the bar, beat and tick of a frame from the clock cursor.
#include "audio/midi_clock.hpp"

#include <algorithm>

namespace cadencio::audio {

bool MidiClock::PositionAt(int64_t frame, Position& out) const {
  const BeatRule& rule = cursor_.Rule();
  out.bpm = cursor_.Bpm();
  out.beats_per_bar = rule.beats;
  if (!playing_) {
    out.bar = out.beat = 1;
    out.beat_fraction = 0;
    return false;
  }
  // Back from the clock at the cursor to the frame, in clocks of the tempo there.
  const int64_t measure_clocks = int64_t{kClocksPerBeat} * rule.beats;
  const double back = static_cast<double>(cursor_.Frame() - frame) * cursor_.Bpm() *
                      kClocksPerBeat / (60.0 * rule.rate);
  double clock = static_cast<double>(cursor_.NoteOfMeasure()) - std::max(0.0, back);
  int64_t measure = cursor_.Measure();
  while (clock < 0) {
    clock += static_cast<double>(measure_clocks);
    --measure;
  }
  const double beats = clock / kClocksPerBeat;
  out.bar = std::max<int64_t>(1, measure - rule.count_in + 1);
  out.beat = std::min(rule.beats, static_cast<int>(beats) + 1);
  out.beat_fraction = beats - (out.beat - 1);
  return true;
}

}  // namespace cadencio::audio
