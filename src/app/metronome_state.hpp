// The caVars module: the metronome's one record of tempo, measure, beat sounds and flags.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "app/accent_pattern.hpp"
#include "files/paths.hpp"

namespace cadencio::app {

// Default paths of the beat sounds, in the family's Windows form.
inline const std::string kEffectsDir = files::FamilyPath("som\\cadencio\\efeitos\\");

struct MetronomeState {
  int32_t Bpm = 60;
  int32_t BeatsPerMeasure = 4;
  std::string BpmText;      // as stored, typed, or the decimal Bpm after a tempo key
  std::string MeasureText;  // as stored; only its first character is used
  std::string TempoSound;   // full (Windows-form) path of the first-beat sound
  std::string MeasureSound;
  int32_t BeatPeriodMs = 1000;
  bool NoEffectsFile = false;
  bool ModelMode = false;
  bool AskAlways = false;
  int32_t SpeechLevel = 2;
  // Settings of the keys beyond the classic ones; each starts at the value that plays as
  // before.
  int32_t BeatVolume = 10;   // loudness of the beat, 1..10 (10: as recorded)
  int32_t Subdivisions = 1;  // notes per beat, 1..4
  bool CountAloud = false;   // the beats of each measure are counted aloud
  bool CountIn = false;      // one measure is counted before the beat starts
  // Muted measures: a cycle of PlayedMeasures heard and MutedMeasures kept silent on the same
  // schedule; off while either is 0.
  int32_t PlayedMeasures = 0;
  int32_t MutedMeasures = 0;
  // The tempo trainer: the tempo moves by TrainerStep BPM toward TrainerTarget every
  // TrainerEvery measures; off while TrainerTarget is 0.
  int32_t TrainerTarget = 0;
  int32_t TrainerStep = 0;
  int32_t TrainerEvery = 0;
  // The level of each beat of the measure (used while it fits BeatsPerMeasure), and whether
  // counting aloud restarts at each group of its accents.
  AccentPattern Accents = DefaultPattern(4);
  bool CountByGroups = false;
  // Counting aloud says the measures of a song map's section instead of the beats.
  bool CountMeasures = false;
  // The second layer: LayerNotes notes over each measure (off: 0), in LayerSound (empty: the
  // first-beat sound) at LayerVolume (1..10, as BeatVolume); CountLayer counts its notes aloud
  // instead of the beats.
  int32_t LayerNotes = 0;
  std::string LayerSound;
  int32_t LayerVolume = 7;
  bool CountLayer = false;
  // The feel: the swing's step (app/polyrhythm, 0: straight) with 2 notes per beat, and the
  // shuffle with 3.
  int32_t Swing = 0;
  bool Shuffle = false;
  std::string Song;  // the name of the set list's song loaded last; empty before one
  // The round trip from the beat's sound to the microphone, measured by the calibration (f); below
  // 0 while it has not been measured.
  double LatencyMs = -1;
  bool LinkOn = false;  // the tempo, beats and start and stop are shared through Ableton Link
  // The tempo, with its text and its beat period.
  void SetTempo(int32_t bpm);
  bool TrainerOn() const { return TrainerTarget > 0; }
  void StopTrainer() { TrainerTarget = TrainerStep = TrainerEvery = 0; }
};

// The pattern the beat plays: the stored one when it fits the measure, else the default.
inline AccentPattern PatternFor(const MetronomeState& state) {
  const int beats = std::clamp(state.BeatsPerMeasure, 1, kMaxAccentBeats);
  return state.Accents.beats == beats ? state.Accents : DefaultPattern(beats);
}

constexpr int32_t kMaxMeasureCount = 99;

constexpr int32_t kMinBeatVolume = 1;
constexpr int32_t kMaxBeatVolume = 10;
constexpr int32_t kMaxSubdivisions = 4;

// The beat channel's gain at a volume step: 3 dB a step below 10.
float BeatGain(int32_t volume);

// Lowest and highest tempo, and the tempo taken for a bad or missing number.
constexpr int32_t kMinBpm = 1;
constexpr int32_t kMaxBpm = 500;
constexpr int32_t kDefaultBpm = 60;

// A tempo brought into range: below the lowest it becomes the default, above the highest the
// highest.
constexpr int32_t BpmIntoRange(int32_t bpm) {
  if (bpm < kMinBpm) return kDefaultBpm;
  if (bpm > kMaxBpm) return kMaxBpm;
  return bpm;
}

// The catalogue word said after a value at an end of its range: "máximo" at the top,
// "mínimo" at the bottom; null in between.
constexpr const char* RangeEnd(int32_t value, int32_t low, int32_t high) {
  if (value >= high) return "CAMAXIMO";
  if (value <= low) return "CAMINIMO";
  return nullptr;
}

// The beat period in milliseconds: 1/Bpm and the product with 60000 are each rounded to the
// x87 extended format (64-bit significand), and the product is truncated. The rounding of 1/Bpm
// makes 125, 250 and 500 BPM give one millisecond less than 60000/Bpm.
int32_t BeatPeriodMs(int32_t bpm);

inline void MetronomeState::SetTempo(int32_t bpm) {
  Bpm = bpm;
  BpmText = std::to_string(bpm);
  BeatPeriodMs = app::BeatPeriodMs(bpm);
}

}  // namespace cadencio::app
