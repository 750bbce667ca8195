// The program's own beat as the microphone hears it, and its removal. The beat's sound is known
// exactly (it is rendered from the published rules), so the microphone's signal is compared
// with it: the delay and level at which the beat comes back are found by cross-correlation,
// and an adaptive filter (normalised least mean squares) follows the room's colouring of it
// and subtracts it, leaving the player's notes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace cadencio::app {

struct BeatDelay {
  int64_t frames = 0;  // how much later the microphone hears the beat than it was rendered
  double gain = 0;     // its level there against the rendered level
  double score = 0;    // normalised cross-correlation at that delay, 1 for a perfect match
};

// Where `heard` holds `beat` best, delayed by 0 to `max_delay` frames (`heard` must be at least
// `max_delay` frames longer than `beat` for the longest delay to be looked at); nothing when the
// beat is silent or not heard in it.
std::optional<BeatDelay> FindBeatDelay(std::span<const float> beat, std::span<const float> heard,
                                       int64_t max_delay);

// The same search done a slice at a time, so that the program thread, which runs it, is never
// held long: the delays are compared in the same order and the result is FindBeatDelay's.
class BeatDelaySearch {
 public:
  // Copies what it needs of `beat` and `heard`.
  BeatDelaySearch(std::span<const float> beat, std::span<const float> heard, int64_t max_delay);
  // Compares the next delays, about `work` products of samples; true once all are compared.
  bool Step(int64_t work);
  // The delay found, once Step answered true.
  std::optional<BeatDelay> Result() const;

 private:
  std::vector<float> plain_beat_, plain_heard_, beat_, heard_;
  std::vector<std::size_t> frames_;  // the beat's frames compared
  std::vector<double> energy_before_;
  double beat_energy_ = 0;
  int64_t max_delay_;
  int64_t next_ = 0;  // the next delay compared
  std::optional<BeatDelay> best_;
};

class BeatEchoRemover {
 public:
  // The filter spans `before` frames before the delay found and `after` after it (the room's
  // early reflections); it starts as the delay and level found. The player is told from the
  // beat by their levels over `smoothing_frames`.
  BeatEchoRemover(const BeatDelay& delay, int before, int after, int smoothing_frames = 88);

  // Takes the next samples heard and the beat rendered for the same frames; writes what was
  // heard less the beat into `out` (as many samples as `heard`).
  void Remove(std::span<const float> beat, std::span<const float> heard, std::span<float> out);
  // Starts again from the first frame, keeping what the filter has learnt of the room (after a
  // first pass over the samples that waited, to learn it).
  void Restart();
  // The delay of the beat's direct sound as the filter has learnt it: its first tap of at least
  // half the strongest. The cross-correlation alone can take a neighbouring cycle of a tonal
  // beat sound, coloured by the room, for it.
  int64_t DirectDelay() const;

 private:
  int64_t delay_;
  int before_;
  std::vector<float> weights_;
  // The beat's latest frames, enough for the filter's reach: beat_[i] is frame beat_start_ + i.
  std::vector<float> beat_;
  int64_t beat_start_ = 0;
  int64_t heard_ = 0;  // frames heard so far
  double window_energy_ = 0;
  double smoothing_;
  double gain_;  // the level found at the delay, for the beat's expected power
  double expected_power_ = 0, heard_power_ = 0;
};

}  // namespace cadencio::app
