// The practice features of the main loop: beat volume, notes per beat, tap tempo, counting
// aloud, the count-in, muted measures and the tempo trainer.
#include <algorithm>

#include "app/message_catalogue.hpp"
#include "app/metronome.hpp"
#include "base/whole_number.hpp"
#include "dialogs/front_end_review_voice.hpp"

namespace cadencio::app {

using base::Key;

std::string Metronome::AskText(const std::string& key, int capacity) {
  Say(key, 0);
  std::string text;
  dialogs::EditLine(field_, text, console_.CursorColumn(), console_.CursorRow(),
                    /*editable=*/true, /*width=*/80, capacity,
                    [this] { dialogs::ReviewScreen(console_, speech_); });
  console_.WriteLine();
  return text;
}

int32_t Metronome::AskNumber(const std::string& key, int32_t low, int32_t high) {
  const std::optional<int> value = base::ParseWholeNumber(AskText(key, 3));
  return value && *value >= low && *value <= high ? *value : -1;
}

void Metronome::ChangeMutedMeasures(Key) {
  if (state_.PlayedMeasures == 0 || state_.MutedMeasures == 0) {
    const int32_t played = AskNumber("CAINFTOC", 1, kMaxMeasureCount);
    const int32_t muted = played > 0 ? AskNumber("CAINFMUD", 1, kMaxMeasureCount) : -1;
    if (played > 0 && muted > 0) {
      state_.PlayedMeasures = played;
      state_.MutedMeasures = muted;
      beat_.RestartMutedCount();
      Say("CAMUDLIG", 1);
      return;
    }
  }
  state_.PlayedMeasures = state_.MutedMeasures = 0;
  Say("CAMUDDES", 1);
}

void Metronome::ChangeTrainer(Key) {
  if (!state_.TrainerOn()) {
    const int32_t target = AskNumber("CAINFFIN", link_.LowestBpm(kMinBpm), kMaxBpm);
    const int32_t step = target > 0 ? AskNumber("CAINFPAS", 1, kMaxBpm) : -1;
    const int32_t every = step > 0 ? AskNumber("CAINFCAD", 1, kMaxMeasureCount) : -1;
    if (every > 0 && target != state_.Bpm) {
      state_.TrainerTarget = target;
      state_.TrainerStep = step;
      state_.TrainerEvery = every;
      beat_.RestartTrainerCount();
      Say("CATRELIG", 1);
      listening_.NewTake();
      return;
    }
  }
  state_.StopTrainer();
  Say("CATREDES", 1);
}

void Metronome::PrepareCountWords() {
  const int rate = output_.GetMixer().SampleRate();
  if (state_.CountAloud || state_.CountIn || state_.CountMeasures) {
    count_words_.Prepare(console_, speech_, recorder_, beats_, rate);
  }
  // Counting measures says as many as the map's longest section has.
  int longest = 0;
  for (const PlayedSection& section : map_sections_) longest = std::max(longest, section.measures);
  if (state_.CountMeasures && longest > kCountWords) {
    count_words_.PrepareMeasures(console_, speech_, recorder_, beats_, rate, longest);
  }
}

void Metronome::Tap(Key) {
  taps_.Tap(clock_.NowMs());
}

bool Metronome::TakeTapTempo() {
  if (!taps_.Stopped(clock_.NowMs())) return false;
  state_.SetTempo(TempoIntoRange(taps_.TakeBpm()));
  SayValue("CAVALBPM", state_.Bpm);
  return true;
}

void Metronome::ChangeBeatVolume(Key key) {
  const int32_t step = key.code == base::key::kLeft ? -1 : 1;
  state_.BeatVolume = std::clamp(state_.BeatVolume + step, kMinBeatVolume, kMaxBeatVolume);
  output_.GetMixer().SetBeatGain(BeatGain(state_.BeatVolume));
  SayValue("CAVOLUME", state_.BeatVolume,
           RangeEnd(state_.BeatVolume, kMinBeatVolume, kMaxBeatVolume));
}

void Metronome::ToggleCountAloud(Key) {
  state_.CountAloud = !state_.CountAloud;
  Say(state_.CountAloud ? "CACONLIG" : "CACONDES", 1);
  PrepareCountWords();
}

void Metronome::ToggleCountIn(Key) {
  state_.CountIn = !state_.CountIn;
  Say(state_.CountIn ? "CAINILIG" : "CAINIDES", 1);
  PrepareCountWords();
}

void Metronome::CycleSubdivisions(Key) {
  state_.Subdivisions = state_.Subdivisions % kMaxSubdivisions + 1;
  SayValue("CASUBDIV", state_.Subdivisions, RangeEnd(state_.Subdivisions, 1, kMaxSubdivisions));
}

}  // namespace cadencio::app
