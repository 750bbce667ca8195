// The beat pattern: the rule by which the audio thread plays the metronome's beat by itself, and
// the cursor that walks the rule's notes. The program thread publishes a rule when a key or a
// dialog changes it; every note's frame and sound follow from the rule alone, so no note waits
// for the program thread to be on time.
//
// Note n of a run of one tempo starts at round(n x 60 x rate / (Bpm x parts)) frames from the
// run's start, computed from n in whole numbers: the tempo heard is the tempo asked for, every
// interval is within a frame of the exact one, and nothing drifts. The tempo trainer's step
// starts a new run of the new tempo on the frame the next measure had at the old one.
//
// A rule may instead follow a timeline shared with other programs (Ableton Link): its notes
// then fall on the session's beats, wherever the session's tempo and phase put them.
#pragma once

#include <array>
#include <cstdint>
#include <limits>

#include "audio/shared_timeline.hpp"
#include "audio/sound.hpp"

namespace cadencio::audio {

// The frame, from a run's start, of note `note` of a run with `parts` notes to the beat (beat n
// is note n x parts) at `bpm`: note x 60 x rate / (bpm x parts), rounded once to the nearest
// frame (halves up).
int64_t ScheduleFrame(int64_t note, int parts, int32_t bpm, int64_t rate);

// Beats a measure of the pattern can hold, and notes of the second layer.
inline constexpr int kMaxPatternBeats = 16;
// Measures of a section that counting the measures aloud can say.
inline constexpr int kMaxMeasureWords = 32;
inline constexpr int kMaxLayerNotes = 9;

struct BeatRule {
  // What one beat of the measure plays: its sound on the beat (null: silent), the softer note
  // on the parts between it and the next beat, and the word that counts it.
  struct Beat {
    const Sound* sound = nullptr;
    const Sound* note = nullptr;
    const Sound* word = nullptr;
  };
  bool playing = false;  // false: nothing from `from` on
  int64_t from = 0;      // the stream frame from which this rule replaces the one before it
  int64_t start = 0;     // the stream frame of the run's first note
  int rate = 44100;
  int32_t bpm = 60;
  int beats = 1;  // per measure, 1 to kMaxPatternBeats
  int parts = 1;  // notes to the beat: the beat and parts - 1 softer notes
  std::array<Beat, kMaxPatternBeats> beat{};
  bool count_aloud = false;
  // The longest word of the measure, in frames: while it is longer than a beat, only the first
  // beat of a measure is counted.
  int64_t longest_word = 0;
  // Measures of counted words alone before the first measure of the beat.
  int count_in = 0;
  // Muted measures: of every `played` + `muted` measures the last `muted` are silent (off while
  // either is 0); `muted_phase` measures of the cycle went by before the run.
  int32_t played = 0;
  int32_t muted = 0;
  int64_t muted_phase = 0;
  // The tempo trainer: every `trainer_every` measures the tempo moves by `trainer_step` toward
  // `trainer_target` (off while the target is 0); `trainer_phase` measures of the count went by
  // before the run.
  int32_t trainer_target = 0;
  int32_t trainer_step = 0;
  int32_t trainer_every = 0;
  int64_t trainer_phase = 0;
  // A section of a song's map: after `measures` measures of the beat (0: no end; the count-in
  // aside) the run ends on the next downbeat, where the rule `then` starts a run of its own
  // (null: silence from there). `measure_offset` measures of the section were played before the
  // run. A rule taken up so has its `cue` said before that downbeat, starting `cue_lead` frames
  // ahead of it, on the count channel; the count words it would cover keep silent. `section`
  // is the map's own index of the section (-1: no map). Every rule of the chain must outlive
  // its playing.
  int32_t measures = 0;
  int32_t measure_offset = 0;
  const BeatRule* then = nullptr;
  const Sound* cue = nullptr;
  int64_t cue_lead = 0;
  int section = -1;
  // Counting the measures of the section instead of the beats: the n-th word on the first beat
  // of its n-th measure (none past the last word).
  bool count_measures = false;
  std::array<const Sound*, kMaxMeasureWords> measure_word{};
  // The feel: with 2 notes to the beat, the second lies swing_num / swing_den of the beat after
  // the beat (1/2: straight); with 3, `shuffle` leaves the middle one out.
  int swing_num = 1;
  int swing_den = 2;
  bool shuffle = false;
  // The second layer: `layer_notes` notes over each measure (off below 2), note k on
  // round(k x measure / layer_notes) frames from the measure's first, each playing
  // `layer_sound`. With `count_layer`, counting aloud counts the layer's notes with
  // `layer_word` instead of the beats.
  int layer_notes = 0;
  const Sound* layer_sound = nullptr;
  bool count_layer = false;
  std::array<const Sound*, kMaxLayerNotes> layer_word{};
  // Following a shared timeline: note n of the run falls on the session's beat `anchor` +
  // n / parts (`anchor` begins a measure) where the view the cursor follows puts it; `start` is
  // only where the first note was expected, and `bpm` where the trainer's steps begin.
  bool shared = false;
  int64_t anchor = 0;
};

// One note of the pattern: the beat channel's sound and the counted word that start on its
// frame (either may be null).
struct PatternNote {
  const Sound* sound = nullptr;
  const Sound* word = nullptr;
};

// Walks the notes of a rule in order, from its first. Whole numbers only, no allocation: the
// audio thread renders from it.
class PatternCursor {
 public:
  PatternCursor() = default;
  explicit PatternCursor(const BeatRule& rule);
  // A cursor of `parts` notes to every beat, of the rule and of each rule it hands on to (the
  // MIDI clock's ticks).
  PatternCursor(const BeatRule& rule, int parts);

  const BeatRule& Rule() const { return rule_; }
  // The stream frame of the note at the cursor, and what it plays.
  int64_t Frame() const {
    return ended_ ? std::numeric_limits<int64_t>::max() : FrameOfNote(note_);
  }
  PatternNote Note() const;
  // The tempo of the note at the cursor.
  int32_t Bpm() const { return bpm_; }
  // The measure of the note at the cursor, counted from the run's first (count-in included).
  int64_t Measure() const;
  bool FirstOfMeasure() const { return note_ % MeasureNotes() == 0; }
  // The note at the cursor within its measure, from 0.
  int64_t NoteOfMeasure() const { return note_ % MeasureNotes(); }
  // The note at the cursor lies in a muted measure: the beat keeps silent there.
  bool Muted() const;
  // The next note, the first of a new tempo when the trainer steps there.
  void Advance();
  // Moves on to the first note at or after `frame`.
  void SkipTo(int64_t frame);
  // The frame of the next note after the cursor that starts a new tempo, or -1 for none.
  int64_t NextStepFrame() const;
  // The section at the cursor (the rule's `section`), and the measure of it (0-based, the
  // measures played before the run included); the run's count-in is measure -1.
  int Section() const { return rule_.section; }
  int64_t SectionMeasure() const { return rule_.measure_offset + Measure() - rule_.count_in; }
  // A section's cue: the frame it starts on, and its sound (-1 and null: none).
  struct Cue {
    int64_t frame = -1;
    const Sound* sound = nullptr;
  };
  // The cue of the section after this run, and that of this run's own section when the run
  // before handed on to it (its frame lies before the run's start, after the last note).
  Cue NextCue() const;
  Cue HandedCue() const { return handed_cue_; }
  // The downbeat after the run's last measure (INT64_MAX for a run without end).
  int64_t RunEndFrame() const;
  // The map ended here: no note follows.
  bool Ended() const { return ended_; }
  // The next section's cue has begun by `frame`: the count words from there keep silent.
  bool CueCovers(int64_t frame) const;
  // On to the first note of the next measure.
  void NextMeasure();
  // The frame `num` / `den` beats after the note at the cursor: the note's frame and the interval
  // rounded once (a shared rule's where the timeline puts it).
  int64_t FrameAfter(int64_t num, int den) const;
  // The shared timeline as it falls in the stream now, which the notes of a shared rule follow
  // (without one they keep the rule's own schedule).
  void Follow(const TimelineView& view) { view_ = view; }
  bool FollowsTimeline() const { return rule_.shared && view_.Valid(); }

 private:
  // Note `note` is the second of a beat of two that the swing moves.
  bool Swung(int64_t note) const;
  // The stream frame `num` / `den` beats into this tempo's run.
  int64_t FrameAt(int64_t num, int den) const;
  int64_t MeasureNotes() const { return int64_t{rule_.parts} * rule_.beats; }
  // The session's beat of the first note of this tempo's run, for a shared rule.
  double SegmentBeat() const;
  // The stream frame of note `note` of this tempo's run.
  int64_t FrameOfNote(int64_t note) const;
  // The note of this tempo's run on which the trainer next steps (none: INT64_MAX).
  int64_t NextStepNote() const;
  const Sound* Word(int beat) const;
  // Brings the rule's beats, notes, feel and layer within what the cursor plays.
  void Settle();
  // The note of this tempo's run after which the run ends (none: INT64_MAX).
  int64_t RunEndNote() const;
  // Starts the rule the run hands on to on its end's frame, or ends the pattern.
  void TakeNextRule();

  BeatRule rule_;
  int64_t segment_start_ = 0;    // the frame of the first note of this tempo's run
  int64_t segment_measure_ = 0;  // the measure it begins
  int32_t bpm_ = 60;
  int64_t note_ = 0;  // the note at the cursor, in this tempo's run
  bool ended_ = false;
  Cue handed_cue_;
  int fixed_parts_ = 0;  // the notes to the beat through the chain (0: each rule's own)
  TimelineView view_;
};

// Walks the second layer's notes of a rule in order, from its first. Its notes follow the
// measures of the beat (tempo steps, count-in and muted measures included): the layer keeps
// silent in the count-in and in muted measures. Frame() is INT64_MAX while the layer is off.
class LayerCursor {
 public:
  LayerCursor() = default;
  explicit LayerCursor(const BeatRule& rule) : measure_(rule) {}

  int64_t Frame() const;
  PatternNote Note() const;
  void Advance();
  // Moves on to the first note at or after `frame`.
  void SkipTo(int64_t frame);
  // As PatternCursor's: the layer follows a shared timeline as the beat does.
  void Follow(const TimelineView& view) { measure_.Follow(view); }
  bool FollowsTimeline() const { return measure_.FollowsTimeline(); }

 private:
  const BeatRule& Rule() const { return measure_.Rule(); }

  PatternCursor measure_;  // at the first note of the layer note's measure
  int note_ = 0;           // the layer's note in that measure
};

// The measures of the beat (not the count-in) a rule has finished by `frame`: those whose
// following measure begins at or before it (a shared rule's as `view` places them).
int64_t MeasuresDoneBy(const BeatRule& rule, int64_t frame, const TimelineView& view = {});

}  // namespace cadencio::audio
