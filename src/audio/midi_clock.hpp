// MIDI clock from the beat's rules, so that a drum machine or a DAW follows the metronome: 24
// clocks to the beat on their exact frames (clock n of a run at round(n x 60 x rate / (Bpm x
// 24)), the tempo trainer's steps included), Start just before the clock of the first beat
// after the count-in, Continue when a rule takes up a run in the middle (a transport that rolls
// on), Stop where the beat stops. It also tells the bar, beat and tick at a frame, which the
// JACK transport's timebase master reports. Rendering thread: whole numbers, no allocation.
#pragma once

#include <cstdint>

#include "audio/beat_pattern.hpp"
#include "audio/mixer.hpp"

namespace cadencio::audio {

class MidiClock {
 public:
  static constexpr uint8_t kClock = 0xF8;
  static constexpr uint8_t kStart = 0xFA;
  static constexpr uint8_t kContinue = 0xFB;
  static constexpr uint8_t kStop = 0xFC;
  static constexpr int kClocksPerBeat = 24;

  // Calls emit(frame, status) for each message on a frame in [first, first + frames), in
  // order. The frames must follow on from the last call's.
  template <typename Emit>
  void Walk(const Mixer::RuleList& rules, int64_t first, int frames, Emit&& emit);

  // Where `frame` lies in the run, at or before the next clock still to be walked: bar and
  // beat from 1, the fraction of the beat, the tempo and beats to the bar. False while no run
  // plays (the tempo and the measure are then the last run's).
  struct Position {
    int64_t bar = 1;
    int beat = 1;
    double beat_fraction = 0;
    int32_t bpm = 120;
    int beats_per_bar = 4;
  };
  bool PositionAt(int64_t frame, Position& out) const;

 private:
  // A rule first reached at `frame`: what it starts, continues or stops there.
  template <typename Emit>
  void TakeUp(const BeatRule& rule, int64_t frame, Emit&& emit);

  uint64_t serial_ = 0;     // the rule being followed
  bool playing_ = false;    // it plays
  bool running_ = false;    // the follower was started and not stopped
  bool start_due_ = false;  // Start goes before the first clock after the count-in
  bool continue_due_ = false;
  PatternCursor cursor_;  // on the next clock
};

template <typename Emit>
void MidiClock::TakeUp(const BeatRule& rule, int64_t frame, Emit&& emit) {
  playing_ = rule.playing;
  start_due_ = continue_due_ = false;
  if (!playing_) {
    if (running_) emit(frame, kStop);
    running_ = false;
    return;
  }
  // The clocks keep their 24 to the beat through a song map's sections.
  cursor_ = PatternCursor(rule, kClocksPerBeat);
  cursor_.SkipTo(frame);
  if (cursor_.Frame() == rule.start) {
    // A run from its first note: the follower starts again with its first measure.
    if (running_) emit(frame, kStop);
    running_ = false;
    start_due_ = true;
  } else if (!running_) {
    continue_due_ = true;
  }
}

template <typename Emit>
void MidiClock::Walk(const Mixer::RuleList& rules, int64_t first, int frames, Emit&& emit) {
  const int64_t end = first + frames;
  int governing = -1;
  for (int64_t frame = first; frame < end;) {
    while (governing + 1 < rules.count && rules.rules[governing + 1].from <= frame) ++governing;
    const int64_t until =
        governing + 1 < rules.count ? std::min(end, rules.rules[governing + 1].from) : end;
    if (governing >= 0 && rules.serials[governing] != serial_) {
      serial_ = rules.serials[governing];
      TakeUp(rules.rules[governing], frame, emit);
    }
    if (!playing_ || cursor_.Frame() >= until) {
      frame = until;
      continue;
    }
    const int64_t clock = cursor_.Frame();
    if (start_due_ && cursor_.Measure() >= cursor_.Rule().count_in) {
      emit(clock, kStart);
      start_due_ = false;
      running_ = true;
    } else if (continue_due_) {
      emit(clock, kContinue);
      continue_due_ = false;
      running_ = true;
    }
    emit(clock, kClock);
    cursor_.Advance();
    frame = clock + 1;
  }
}

}  // namespace cadencio::audio
