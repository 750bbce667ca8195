// Polyrhythms and feels: the second layer of notes over the measure (n against m), the swing of
// two notes to the beat and the shuffle of three, their words, and their part of the beat's rule.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/count_words.hpp"
#include "app/metronome_state.hpp"
#include "audio/beat_channel.hpp"
#include "audio/beat_pattern.hpp"

namespace cadencio::app {

// The swing's steps: where the second of two notes lies in the beat, as a fraction (straight,
// light, triplet, dotted), and the per cent it is said and stored as.
struct SwingStep {
  int num;
  int den;
  int percent;
};
inline constexpr std::array<SwingStep, 4> kSwingSteps = {
    {{1, 2, 50}, {7, 12, 58}, {2, 3, 67}, {3, 4, 75}}};

// The step stored as its per cent ("58"); nothing for any other number.
std::optional<int> SwingOfPercent(int percent);

// "três contra dois": the layer's notes against the beats of the measure.
std::string LayerWords(int notes, int beats);
// The feel said: "Swing de tercina, 67 por cento", "Shuffle ligado"; empty while it plays
// straight (or the notes to the beat take no feel).
std::string FeelWords(const MetronomeState& state);

// A rhythm typed as two digits, the layer's notes and the beats, each 2 to 9, with or without
// something between them ("32", "3:2", "3 contra 2"); nothing for anything else.
std::optional<std::pair<int, int>> ParseRhythm(std::string_view text);

// The layer and the feel of the state in `rule`: the layer's sound (loaded), its count words and
// the swing fraction. Keeps `rule.longest_word` over the layer's words too.
void AddLayerAndFeel(audio::BeatRule& rule, const MetronomeState& state, audio::BeatChannel& beats,
                     const CountWords& words);

// The layer's sound at its volume, loaded in the bank (null when not playable).
const audio::Sound* LayerSound(audio::BeatChannel& beats, const MetronomeState& state);

}  // namespace cadencio::app
