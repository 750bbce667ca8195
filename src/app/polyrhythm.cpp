// Polyrhythms and feels: their words, the typed rhythm and their part of the beat's rule.
#include "app/polyrhythm.hpp"

#include <algorithm>
#include <cctype>

#include "app/message_catalogue.hpp"

namespace cadencio::app {

std::optional<int> SwingOfPercent(int percent) {
  for (std::size_t step = 0; step < kSwingSteps.size(); ++step) {
    if (kSwingSteps[step].percent == percent) return static_cast<int>(step);
  }
  return std::nullopt;
}

std::string LayerWords(int notes, int beats) {
  // A measure set later beyond the count words (F6, a song) keeps its digits.
  const auto word = [](int n) {
    return n >= 1 && n <= kCountWords ? std::string(CountWordText(n)) : std::to_string(n);
  };
  return word(notes) + MessageText("CAPOLCON") + word(beats);
}

std::string FeelWords(const MetronomeState& state) {
  if (state.Subdivisions == 3 && state.Shuffle) return MessageText("CASHULIG");
  if (state.Subdivisions == 2 && state.Swing > 0) {
    return MessageText("CASWING" + std::to_string(state.Swing));
  }
  return {};
}

std::optional<std::pair<int, int>> ParseRhythm(std::string_view text) {
  // The first and the last character are the digits; anything but a digit may stand between.
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.size() < 2) return std::nullopt;
  const auto digit = [](char c) { return c >= '2' && c <= '9'; };
  const bool between_ok = std::none_of(text.begin() + 1, text.end() - 1, [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
  if (!digit(text.front()) || !digit(text.back()) || !between_ok) return std::nullopt;
  return std::pair{text.front() - '0', text.back() - '0'};
}

const audio::Sound* LayerSound(audio::BeatChannel& beats, const MetronomeState& state) {
  // A layer sound that cannot be played gives way to the first-beat sound: the layer is heard.
  const std::string form = "camada" + std::to_string(state.LayerVolume);
  const float gain = BeatGain(state.LayerVolume);
  const audio::Sound* sound =
      state.LayerSound.empty() ? nullptr : beats.LoadScaled(state.LayerSound, gain, form);
  return sound != nullptr ? sound : beats.LoadScaled(state.TempoSound, gain, form);
}

void AddLayerAndFeel(audio::BeatRule& rule, const MetronomeState& state, audio::BeatChannel& beats,
                     const CountWords& words) {
  const auto step = static_cast<std::size_t>(
      std::clamp<int32_t>(state.Swing, 0, static_cast<int32_t>(kSwingSteps.size()) - 1));
  rule.swing_num = kSwingSteps[step].num;
  rule.swing_den = kSwingSteps[step].den;
  rule.shuffle = state.Shuffle;
  if (state.LayerNotes < 2 || state.LayerNotes > audio::kMaxLayerNotes) return;
  rule.layer_notes = state.LayerNotes;
  rule.layer_sound = LayerSound(beats, state);
  rule.count_layer = state.CountLayer;
  for (int note = 0; note < rule.layer_notes; ++note) {
    const audio::Sound* word = words.Word(note + 1);
    rule.layer_word[static_cast<std::size_t>(note)] = word;
    if (word != nullptr && rule.count_layer) {
      rule.longest_word = std::max(rule.longest_word, word->FrameCount());
    }
  }
}

}  // namespace cadencio::app
