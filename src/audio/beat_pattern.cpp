// The beat pattern's arithmetic: the frames, sounds and tempo steps of a rule's notes.
#include "audio/beat_pattern.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace cadencio::audio {

int64_t ScheduleFrame(int64_t note, int parts, int32_t bpm, int64_t rate) {
  // Whole numbers only: at 500 BPM, four notes to the beat and 48 kHz, an hour is 120000 notes
  // and the numerator stays below 2^40.
  const int64_t per_minute = int64_t{std::max(bpm, 1)} * std::max(parts, 1);
  return (2 * note * 60 * rate + per_minute) / (2 * per_minute);
}

PatternCursor::PatternCursor(const BeatRule& rule)
    : rule_(rule), segment_start_(rule.start), bpm_(std::max(rule.bpm, 1)) {
  Settle();
}

PatternCursor::PatternCursor(const BeatRule& rule, int parts)
    : rule_(rule), segment_start_(rule.start), bpm_(std::max(rule.bpm, 1)), fixed_parts_(parts) {
  Settle();
}

void PatternCursor::Settle() {
  rule_.beats = std::clamp(rule_.beats, 1, kMaxPatternBeats);
  rule_.parts = std::max(fixed_parts_ > 0 ? fixed_parts_ : rule_.parts, 1);
  // A swing that would not keep its note within the beat plays straight.
  if (rule_.swing_den < 2 || rule_.swing_den > 100 || rule_.swing_num <= 0 ||
      rule_.swing_num >= rule_.swing_den) {
    rule_.swing_num = 1;
    rule_.swing_den = 2;
  }
  if (rule_.layer_notes < 2 || rule_.layer_notes > kMaxLayerNotes) rule_.layer_notes = 0;
}

bool PatternCursor::Swung(int64_t note) const {
  return rule_.parts == 2 && note % 2 == 1 && 2 * rule_.swing_num != rule_.swing_den;
}

int64_t PatternCursor::FrameAt(int64_t num, int den) const {
  if (FollowsTimeline()) {
    return std::llround(view_.FrameOf(SegmentBeat() + static_cast<double>(num) / den));
  }
  return segment_start_ + ScheduleFrame(num, den, bpm_, rule_.rate);
}

int64_t PatternCursor::FrameOfNote(int64_t note) const {
  // The swung note is placed from its beat as the others are: (beat + num / den) beats.
  if (Swung(note)) return FrameAt(note / 2 * rule_.swing_den + rule_.swing_num, rule_.swing_den);
  return FrameAt(note, rule_.parts);
}

int64_t PatternCursor::FrameAfter(int64_t num, int den) const {
  if (FollowsTimeline()) return FrameAt(note_ * den + num * rule_.parts, den * rule_.parts);
  return Frame() + ScheduleFrame(num, den, bpm_, rule_.rate);
}

double PatternCursor::SegmentBeat() const {
  return static_cast<double>(rule_.anchor + segment_measure_ * rule_.beats);
}

int64_t PatternCursor::Measure() const {
  return segment_measure_ + note_ / MeasureNotes();
}

const Sound* PatternCursor::Word(int beat) const {
  // The shortest interval of the schedule (the exact one or a frame less): a longer word would
  // run into the next.
  const int64_t period = FollowsTimeline() ? static_cast<int64_t>(view_.frames_per_beat)
                                           : int64_t{60} * rule_.rate / bpm_;
  if (beat > 0 && rule_.longest_word > period) return nullptr;
  return rule_.beat[static_cast<std::size_t>(beat)].word;
}

bool PatternCursor::Muted() const {
  const int64_t measure = Measure();
  const int64_t cycle = int64_t{rule_.played} + rule_.muted;
  return measure >= rule_.count_in && rule_.played > 0 && rule_.muted > 0 &&
         (rule_.muted_phase + measure - rule_.count_in) % cycle >= rule_.played;
}

PatternNote PatternCursor::Note() const {
  const int64_t measure = Measure();
  const auto in_measure = note_ % MeasureNotes();
  const auto beat = static_cast<int>(in_measure / rule_.parts);
  const bool on_beat = in_measure % rule_.parts == 0;
  if (measure < rule_.count_in) return {nullptr, on_beat ? Word(beat) : nullptr};
  if (Muted()) return {};
  const BeatRule::Beat& sounds = rule_.beat[static_cast<std::size_t>(beat)];
  // The shuffle leaves out the middle one of three notes to the beat.
  if (rule_.shuffle && rule_.parts == 3 && in_measure % 3 == 1) return {};
  if (!on_beat) return {sounds.note, nullptr};
  // Counting the layer's notes leaves the beats unsaid; the cue of the next section silences
  // the words it would cover.
  const bool says_beats = rule_.count_aloud && !(rule_.count_layer && rule_.layer_notes > 0);
  if (!says_beats || CueCovers(Frame())) return {sounds.sound, nullptr};
  if (!rule_.count_measures) return {sounds.sound, Word(beat)};
  const int64_t counted = SectionMeasure();
  const bool said = beat == 0 && counted < kMaxMeasureWords;
  return {sounds.sound, said ? rule_.measure_word[static_cast<std::size_t>(counted)] : nullptr};
}

int64_t PatternCursor::RunEndNote() const {
  if (rule_.measures <= 0) return std::numeric_limits<int64_t>::max();
  const int64_t run = std::max<int64_t>(1, rule_.measures - rule_.measure_offset);
  return (rule_.count_in + run - segment_measure_) * MeasureNotes();
}

int64_t PatternCursor::RunEndFrame() const {
  const int64_t note = RunEndNote();
  if (ended_ || note == std::numeric_limits<int64_t>::max()) {
    return std::numeric_limits<int64_t>::max();
  }
  return FrameOfNote(note);
}

PatternCursor::Cue PatternCursor::NextCue() const {
  if (ended_ || rule_.then == nullptr || rule_.then->cue == nullptr || rule_.measures <= 0) {
    return {};
  }
  return {std::max<int64_t>(0, RunEndFrame() - rule_.then->cue_lead), rule_.then->cue};
}

bool PatternCursor::CueCovers(int64_t frame) const {
  const int64_t cue = NextCue().frame;
  return cue >= 0 && frame >= cue;
}

void PatternCursor::TakeNextRule() {
  if (rule_.then == nullptr) {
    ended_ = true;
    return;
  }
  const int64_t downbeat = Frame();
  const int rate = rule_.rate;
  handed_cue_ = NextCue();
  // On a shared timeline the next run's first note is the session's beat after this run's last.
  const auto beat =
      static_cast<int64_t>(std::llround(SegmentBeat() + static_cast<double>(note_) / rule_.parts));
  rule_ = *rule_.then;
  rule_.rate = rate;
  rule_.start = downbeat;
  rule_.count_in = 0;
  rule_.measure_offset = 0;
  rule_.anchor = beat;
  Settle();
  segment_start_ = downbeat;
  segment_measure_ = 0;
  bpm_ = std::max(rule_.bpm, 1);
  note_ = 0;
}

int64_t PatternCursor::NextStepNote() const {
  const int32_t every = rule_.trainer_every;
  if (rule_.trainer_target <= 0 || every <= 0 || rule_.trainer_step <= 0 ||
      bpm_ == rule_.trainer_target) {
    return std::numeric_limits<int64_t>::max();
  }
  // The trainer steps after the measure of the beat that brings its count to a multiple of
  // `every`, on the first note of the measure after it.
  const int64_t done = std::max<int64_t>(0, Measure() - rule_.count_in);
  const int64_t to_step = (every - (rule_.trainer_phase + done + 1) % every) % every;
  return (done + to_step + rule_.count_in + 1 - segment_measure_) * MeasureNotes();
}

void PatternCursor::Advance() {
  if (ended_) return;
  const bool step = note_ + 1 == NextStepNote();
  ++note_;
  if (note_ == RunEndNote()) return TakeNextRule();
  if (!step) return;
  // The next measure keeps the frame it has at the old tempo and starts the new one.
  const int32_t target = rule_.trainer_target;
  segment_start_ = Frame();
  segment_measure_ = Measure();
  note_ = 0;
  bpm_ = bpm_ < target ? std::min(bpm_ + rule_.trainer_step, target)
                       : std::max(bpm_ - rule_.trainer_step, target);
}

void PatternCursor::SkipTo(int64_t frame) {
  while (Frame() < frame) {
    // Straight to the note before the frame, or before the next step when that comes first.
    const int64_t per_minute = int64_t{bpm_} * rule_.parts;
    // Two notes back, as a swung note lies later than its straight place.
    const int64_t before =
        FollowsTimeline() ? static_cast<int64_t>(
                                std::floor((view_.BeatAt(frame) - SegmentBeat()) * rule_.parts)) -
                                2
                          : (frame - segment_start_) * per_minute / (int64_t{60} * rule_.rate) - 2;
    note_ = std::max(note_, std::min({before, NextStepNote() - 1, RunEndNote() - 1}));
    Advance();
  }
}

int64_t PatternCursor::NextStepFrame() const {
  const int64_t note = NextStepNote();
  if (note == std::numeric_limits<int64_t>::max()) return -1;
  return FrameOfNote(note);
}

void PatternCursor::NextMeasure() {
  note_ = (note_ / MeasureNotes() + 1) * MeasureNotes() - 1;
  Advance();
}

int64_t LayerCursor::Frame() const {
  const BeatRule& rule = Rule();
  if (rule.layer_notes == 0 || measure_.Ended()) return std::numeric_limits<int64_t>::max();
  // k x measure / n from the measure's first frame: k x beats / n beats after it.
  return measure_.FrameAfter(int64_t{note_} * rule.beats, rule.layer_notes);
}

PatternNote LayerCursor::Note() const {
  const BeatRule& rule = Rule();
  if (measure_.Measure() < rule.count_in || measure_.Muted()) return {};
  const Sound* word = nullptr;
  if (rule.count_aloud && rule.count_layer && !measure_.CueCovers(Frame())) {
    // As with the beats, a word longer than the layer's shortest interval counts only the first.
    const int64_t period =
        int64_t{60} * rule.rate * rule.beats / (int64_t{measure_.Bpm()} * rule.layer_notes);
    if (note_ == 0 || rule.longest_word <= period) {
      word = rule.layer_word[static_cast<std::size_t>(note_)];
    }
  }
  return {rule.layer_sound, word};
}

void LayerCursor::Advance() {
  if (++note_ < Rule().layer_notes) return;
  note_ = 0;
  measure_.NextMeasure();
}

void LayerCursor::SkipTo(int64_t frame) {
  if (Rule().layer_notes == 0) return;
  // Measure by measure to the one that holds the frame, then note by note.
  for (PatternCursor next = measure_;;) {
    next.NextMeasure();
    if (next.Frame() > frame) break;
    measure_ = next;
    note_ = 0;
  }
  while (Frame() < frame) Advance();
}

int64_t MeasuresDoneBy(const BeatRule& rule, int64_t frame, const TimelineView& view) {
  PatternCursor cursor(rule);
  cursor.Follow(view);
  cursor.SkipTo(frame);
  // The measures begun by the frame; all but the last of them are done.
  const int64_t begun =
      cursor.Measure() + (!cursor.FirstOfMeasure() || cursor.Frame() == frame ? 1 : 0);
  return std::max<int64_t>(0, begun - 1 - rule.count_in);
}

}  // namespace cadencio::audio
