// The frames of the beat schedule at every tempo: exact on average, each within half a frame of
// the exact position, every interval within a frame of the exact one, no drift over an hour.
#include "audio/beat_pattern.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace cadencio::audio {
namespace {

struct Grid {
  int parts;  // notes to the beat
  int64_t rate;
};
constexpr Grid kGrids[] = {{1, 44100}, {1, 48000}, {3, 44100}, {4, 48000}, {2, 22050}};

// Twice the distance, in frames times bpm x parts, of a frame from the exact position of note n.
int64_t TwiceError(int64_t frame, int64_t n, int parts, int32_t bpm, int64_t rate) {
  return std::llabs(2 * frame * bpm * parts - 2 * n * 60 * rate);
}

TEST(ScheduleFrame, EveryNoteIsTheExactPositionRoundedToTheNearestFrame) {
  for (const Grid& grid : kGrids) {
    for (int32_t bpm = 1; bpm <= 500; ++bpm) {
      const int64_t per_minute = int64_t{bpm} * grid.parts;
      for (int64_t n : {int64_t{0}, int64_t{1}, int64_t{2}, int64_t{7}, int64_t{1001}}) {
        const int64_t frame = ScheduleFrame(n, grid.parts, bpm, grid.rate);
        EXPECT_LE(TwiceError(frame, n, grid.parts, bpm, grid.rate), per_minute)
            << bpm << " BPM, " << grid.parts << " notes, " << grid.rate << " Hz, note " << n;
      }
    }
  }
}

TEST(ScheduleFrame, EveryIntervalIsWithinOneFrameOfTheExactOne) {
  for (const Grid& grid : kGrids) {
    for (int32_t bpm = 1; bpm <= 500; ++bpm) {
      const int64_t per_minute = int64_t{bpm} * grid.parts;
      const int64_t exact_times = 60 * grid.rate;  // the exact interval x per_minute
      for (int64_t n = 0; n < 40; ++n) {
        const int64_t interval = ScheduleFrame(n + 1, grid.parts, bpm, grid.rate) -
                                 ScheduleFrame(n, grid.parts, bpm, grid.rate);
        EXPECT_LT(std::llabs(interval * per_minute - exact_times), per_minute)
            << bpm << " BPM, " << grid.parts << " notes, interval " << n;
      }
    }
  }
}

TEST(ScheduleFrame, AnHourOfBeatsEndsOnTheHoursFrame) {
  for (const Grid& grid : kGrids) {
    for (int32_t bpm = 1; bpm <= 500; ++bpm) {
      EXPECT_EQ(ScheduleFrame(int64_t{60} * bpm * grid.parts, grid.parts, bpm, grid.rate),
                3600 * grid.rate)
          << bpm << " BPM, " << grid.parts << " notes";
    }
  }
}

TEST(ScheduleFrame, TheNotesOfABeatFallOnTheBeatItself) {
  for (const Grid& grid : kGrids) {
    for (int32_t bpm = 1; bpm <= 500; ++bpm) {
      for (int64_t beat : {int64_t{1}, int64_t{3}, int64_t{999}}) {
        EXPECT_EQ(ScheduleFrame(beat * grid.parts, grid.parts, bpm, grid.rate),
                  ScheduleFrame(beat, 1, bpm, grid.rate))
            << bpm << " BPM, " << grid.parts << " notes, beat " << beat;
      }
    }
  }
}

}  // namespace
}  // namespace cadencio::audio

namespace cadencio::audio {
namespace {

// The sounds a test pattern plays, told apart by name.
const Sound kFirst{"first", {}}, kOther{"other", {}}, kNote{"note", {}};
const Sound kWords[] = {{"um", {}}, {"dois", {}}, {"tres", {}}, {"quatro", {}}};

// A rule of `beats` beats at `bpm` from frame 1000 at 44100 Hz: the first beat's sound, the
// others', the softer notes and a word on each of the first four beats.
BeatRule MakeRule(int32_t bpm, int beats, int parts) {
  BeatRule rule;
  rule.playing = true;
  rule.start = 1000;
  rule.bpm = bpm;
  rule.beats = beats;
  rule.parts = parts;
  for (int b = 0; b < beats; ++b) {
    rule.beat[b] = {b == 0 ? &kFirst : &kOther, &kNote, b < 4 ? &kWords[b] : nullptr};
  }
  rule.count_aloud = true;
  return rule;
}

// What the pattern should play, measure by measure, written as the metronome's beat loop once
// placed it: each measure's notes from the run's start, the muted cycle and the trainer's step
// counted after each measure of the beat, the new tempo starting on the next measure's frame.
std::vector<std::string> ExpectedNotes(const BeatRule& rule, int count) {
  std::vector<std::string> notes;
  int64_t start = rule.start, beat_index = 0;
  int32_t bpm = rule.bpm;
  for (int64_t measure = 0; static_cast<int>(notes.size()) < count; ++measure) {
    const bool count_in = measure < rule.count_in;
    const int64_t done = measure - rule.count_in;
    const bool muted = !count_in && rule.played > 0 && rule.muted > 0 &&
                       (rule.muted_phase + done) % (rule.played + rule.muted) >= rule.played;
    for (int b = 0; b < rule.beats; ++b, ++beat_index) {
      const bool fits = b == 0 || rule.longest_word <= 60 * rule.rate / bpm;
      for (int p = 0; p < rule.parts; ++p) {
        const int64_t frame =
            start + ScheduleFrame(beat_index * rule.parts + p, rule.parts, bpm, rule.rate);
        std::string note = std::to_string(frame);
        if (!muted && !count_in)
          note += " " + (p == 0 ? rule.beat[b].sound : rule.beat[b].note)->name;
        if (p == 0 && fits && (count_in || (!muted && rule.count_aloud))) {
          note += " " + rule.beat[b].word->name;
        }
        notes.push_back(note);
      }
    }
    const int32_t target = rule.trainer_target;
    if (!count_in && target > 0 && bpm != target &&
        (rule.trainer_phase + done + 1) % rule.trainer_every == 0) {
      start += ScheduleFrame(beat_index, 1, bpm, rule.rate);
      beat_index = 0;
      bpm = bpm < target ? std::min(bpm + rule.trainer_step, target)
                         : std::max(bpm - rule.trainer_step, target);
    }
  }
  notes.resize(static_cast<std::size_t>(count));
  return notes;
}

// The cursor's notes, written the same way (a shared rule's where `view` places them).
std::vector<std::string> CursorNotes(const BeatRule& rule, int count,
                                     const TimelineView& view = {}) {
  std::vector<std::string> notes;
  PatternCursor cursor(rule);
  cursor.Follow(view);
  for (; static_cast<int>(notes.size()) < count; cursor.Advance()) {
    const PatternNote note = cursor.Note();
    std::string text = std::to_string(cursor.Frame());
    if (note.sound) text += " " + note.sound->name;
    if (note.word) text += " " + note.word->name;
    notes.push_back(text);
  }
  return notes;
}

struct PatternCase {
  const char* why;
  BeatRule rule;
};

std::vector<PatternCase> PatternCases() {
  std::vector<PatternCase> cases;
  cases.push_back({"four beats, one note", MakeRule(120, 4, 1)});
  cases.push_back({"three beats, four notes at 500", MakeRule(500, 3, 4)});
  BeatRule muted = MakeRule(200, 2, 2);
  muted.played = 2, muted.muted = 1, muted.muted_phase = 1;
  cases.push_back({"two played, one muted, a measure in", muted});
  BeatRule count_in = MakeRule(90, 3, 3);
  count_in.count_in = 1;
  count_in.count_aloud = false;
  cases.push_back({"a count-in, then the beat without counting", count_in});
  BeatRule long_words = MakeRule(300, 4, 2);
  long_words.longest_word = 60 * 44100 / 300 + 1;
  cases.push_back({"words longer than a beat: only the first", long_words});
  BeatRule up = MakeRule(60, 2, 1);
  up.trainer_target = 80, up.trainer_step = 5, up.trainer_every = 2, up.trainer_phase = 1;
  up.count_in = 1;
  cases.push_back({"trainer up by 5 every 2 measures, after a count-in", up});
  BeatRule down = MakeRule(317, 3, 4);
  down.trainer_target = 300, down.trainer_step = 7, down.trainer_every = 1;
  down.played = 1, down.muted = 1;
  cases.push_back({"trainer down by 7 every measure to 300, muted measures", down});
  return cases;
}

TEST(PatternCursor, PlaysWhatTheBeatLoopPlacedNoteByNote) {
  for (const PatternCase& c : PatternCases()) {
    EXPECT_EQ(CursorNotes(c.rule, 120), ExpectedNotes(c.rule, 120)) << c.why;
  }
}

// Skipping to a frame lands on the note the walk reaches first at or after it, through trainer
// steps too, and the measures done by a frame are those the next measure began by.
TEST(PatternCursor, SkipToAndMeasuresDoneAgreeWithTheWalk) {
  for (const PatternCase& c : PatternCases()) {
    PatternCursor walk(c.rule);
    int64_t measures_begun = 0;
    for (int n = 0; n < 150; ++n, walk.Advance()) {
      if (walk.FirstOfMeasure()) ++measures_begun;
      for (int64_t before : {int64_t{0}, int64_t{1}}) {
        PatternCursor skipped(c.rule);
        skipped.SkipTo(walk.Frame() - before);
        ASSERT_EQ(skipped.Frame(), walk.Frame()) << c.why << ", note " << n;
        ASSERT_EQ(skipped.Bpm(), walk.Bpm()) << c.why << ", note " << n;
      }
      const int64_t done = std::max<int64_t>(0, measures_begun - 1 - c.rule.count_in);
      ASSERT_EQ(MeasuresDoneBy(c.rule, walk.Frame()), done) << c.why << ", note " << n;
    }
    EXPECT_EQ(MeasuresDoneBy(c.rule, 0), 0) << c.why;
  }
}

// A shared rule whose view is a session at the rule's own tempo, its beat 0 on the rule's
// start, plays just what the beat loop placed: only the frames come from the view.
TEST(PatternCursor, ASharedRuleOnASessionOfItsOwnTempoPlaysWhatTheBeatLoopPlaced) {
  for (const PatternCase& c : PatternCases()) {
    if (c.rule.trainer_target > 0) continue;  // a step changes the session's tempo, not the view
    BeatRule shared = c.rule;
    shared.shared = true;
    const TimelineView view{shared.start, 0, 60.0 * shared.rate / shared.bpm};
    EXPECT_EQ(CursorNotes(shared, 120, view), ExpectedNotes(c.rule, 120)) << c.why;
  }
}

// A shared rule's note n falls on the session's beat anchor + n / parts where the view puts
// it, its measures begin on the session's, a skip lands on the first note at or after its
// frame, and the measures done by a frame are counted on the same beats.
TEST(PatternCursor, ASharedRulesNotesFallOnTheSessionsBeats) {
  // 120 BPM at 44100 Hz, the session's beat 2.5 heard at frame 1000: beat 4 at 34075.
  const TimelineView view{1000, 2.5, 22050};
  const TimelineView half{1000, 2.5, 44100};
  struct Case {
    const char* why;
    TimelineView view;
    int64_t anchor;
    int parts;
    int64_t skip_to;
    int64_t frame;  // of the note reached
    bool first;     // of a measure
    int64_t done;   // measures done by that frame
  };
  const Case cases[] = {
      {"the first note, on the anchor", view, 4, 1, 0, 34075, true, 0},
      {"a frame past it: the next beat", view, 4, 1, 34076, 56125, false, 0},
      {"two notes a beat: the note between", view, 4, 2, 34076, 45100, false, 0},
      {"the next measure", view, 4, 1, 100226, 122275, true, 1},
      {"a view at half the pace", half, 4, 1, 0, 67150, true, 0},
      {"an anchor a measure back: the next beat", view, 0, 1, 1000, 12025, false, 0},
  };
  for (const Case& c : cases) {
    BeatRule rule = MakeRule(120, 4, c.parts);
    rule.shared = true;
    rule.anchor = c.anchor;
    PatternCursor cursor(rule);
    cursor.Follow(c.view);
    cursor.SkipTo(c.skip_to);
    EXPECT_EQ(cursor.Frame(), c.frame) << c.why;
    EXPECT_EQ(cursor.FirstOfMeasure(), c.first) << c.why;
    EXPECT_EQ(MeasuresDoneBy(rule, c.frame, c.view), c.done) << c.why;
  }
}

}  // namespace
}  // namespace cadencio::audio

namespace cadencio::audio {
namespace {

const Sound kLayer{"layer", {}};

// A layer note's frame from the definition: the measure's first frame, round(measure x beats x
// 60 x rate / bpm), plus round(k x measure_frames / n), each one division of whole numbers
// rounded once.
int64_t LayerFrame(int64_t start, int64_t measure, int k, int notes, int beats, int32_t bpm,
                   int64_t rate) {
  const auto round = [](int64_t num, int64_t den) {
    return std::llround(static_cast<long double>(num) / den);
  };
  return start + round(measure * beats * 60 * rate, bpm) +
         round(int64_t{k} * beats * 60 * rate, int64_t{bpm} * notes);
}

BeatRule LayerRule(int32_t bpm, int beats, int notes, int rate) {
  BeatRule rule = MakeRule(bpm, beats, 1);
  rule.rate = rate;
  rule.layer_notes = notes;
  rule.layer_sound = &kLayer;
  return rule;
}

// n against m at every tempo: each layer note on its frame, measure after measure, and still on
// it after ten minutes of measures (no drift), reached by walking or by skipping.
TEST(LayerCursor, EveryNoteIsOnItsFrameFromTheMeasuresFirst) {
  struct Rhythm {
    int notes, beats;
  };
  const Rhythm rhythms[] = {{3, 2}, {4, 3}, {5, 4}, {3, 4}, {7, 4}, {2, 9}, {9, 8}, {7, 5}};
  for (const Rhythm r : rhythms) {
    for (const int32_t bpm : {60, 120, 300, 317, 500}) {
      for (const int rate : {44100, 48000}) {
        const BeatRule rule = LayerRule(bpm, r.beats, r.notes, rate);
        const std::string why = std::to_string(r.notes) + " against " + std::to_string(r.beats) +
                                " at " + std::to_string(bpm) + " BPM, " + std::to_string(rate);
        LayerCursor walk(rule);
        for (int64_t measure = 0; measure < 40; ++measure) {
          for (int k = 0; k < r.notes; ++k, walk.Advance()) {
            ASSERT_EQ(walk.Frame(), LayerFrame(1000, measure, k, r.notes, r.beats, bpm, rate))
                << why << ", measure " << measure << ", note " << k;
            ASSERT_EQ(walk.Note().sound, &kLayer) << why;
          }
        }
        const int64_t ten_minutes = int64_t{10} * bpm / r.beats;
        for (int k = 0; k < r.notes; ++k) {
          const int64_t frame = LayerFrame(1000, ten_minutes, k, r.notes, r.beats, bpm, rate);
          LayerCursor skipped(rule);
          skipped.SkipTo(frame - 1);
          EXPECT_EQ(skipped.Frame(), frame) << why << ", ten minutes on, note " << k;
        }
      }
    }
  }
}

// The layer follows the beat's measures: its first note is each measure's first beat, and it is
// heard exactly when that beat is (silent in the count-in and in muted measures, on through the
// trainer's tempo steps); counting the layer moves the words from the beats to its notes.
TEST(LayerCursor, FollowsTheMeasuresOfTheBeat) {
  struct Case {
    const char* why;
    BeatRule rule;
  };
  std::vector<Case> cases;
  for (const PatternCase& c : PatternCases()) {
    BeatRule rule = c.rule;
    rule.layer_notes = 3;
    rule.layer_sound = &kLayer;
    cases.push_back({c.why, rule});
  }
  for (const Case& c : cases) {
    PatternCursor beat(c.rule);
    LayerCursor layer(c.rule);
    for (int measure = 0; measure < 30; ++measure) {
      while (!beat.FirstOfMeasure()) beat.Advance();
      ASSERT_EQ(layer.Frame(), beat.Frame()) << c.why << ", measure " << measure;
      EXPECT_EQ(layer.Note().sound != nullptr, beat.Note().sound != nullptr)
          << c.why << ", measure " << measure;
      for (int k = 0; k < 3; ++k) layer.Advance();
      beat.Advance();
    }
  }
  BeatRule counted = LayerRule(60, 2, 3, 44100);
  counted.count_layer = true;
  counted.layer_word = {&kWords[0], &kWords[1], &kWords[2]};
  PatternCursor beat(counted);
  LayerCursor layer(counted);
  EXPECT_EQ(beat.Note().word, nullptr);
  for (const Sound& word : {kWords[0], kWords[1], kWords[2], kWords[0]}) {
    EXPECT_EQ(layer.Note().word->name, word.name);
    layer.Advance();
  }
}

// The feels: with two notes to the beat the second lies num/den of the beat late, within half a
// frame of its exact place (so the swing ratio within a frame); with three the shuffle leaves the
// middle note out. Skipping lands on the swung notes as the walk does.
TEST(PatternCursor, FeelsPlaceAndLeaveOutTheSubdivisions) {
  struct Feel {
    const char* why;
    int parts, num, den;
    bool shuffle;
  };
  const Feel feels[] = {
      {"straight", 2, 1, 2, false},        {"light swing", 2, 7, 12, false},
      {"triplet swing", 2, 2, 3, false},   {"dotted swing", 2, 3, 4, false},
      {"shuffle", 3, 1, 2, true},          {"shuffle needs three", 2, 1, 2, true},
      {"swing needs two", 3, 2, 3, false}, {"a bad swing plays straight", 2, 5, 4, false}};
  for (const Feel& f : feels) {
    for (const int32_t bpm : {60, 120, 300, 317, 500}) {
      BeatRule rule = MakeRule(bpm, 3, f.parts);
      rule.swing_num = f.num, rule.swing_den = f.den, rule.shuffle = f.shuffle;
      const bool swung = f.parts == 2 && f.num < f.den;
      const long double late = swung ? static_cast<long double>(f.num) / f.den : 1.0L / f.parts;
      const long double beat = 60.0L * rule.rate / bpm;
      PatternCursor walk(rule);
      for (int n = 0; n < 60; ++n, walk.Advance()) {
        const int part = n % f.parts;
        const long double exact = 1000 + beat * (n / f.parts + (part == 0 ? 0 : late * part));
        ASSERT_LE(std::abs(walk.Frame() - exact), 0.5L) << f.why << " at " << bpm << ", note " << n;
        const bool left_out = f.shuffle && f.parts == 3 && part == 1;
        EXPECT_EQ(walk.Note().sound == nullptr, left_out) << f.why << ", note " << n;
        PatternCursor skipped(rule);
        skipped.SkipTo(walk.Frame());
        ASSERT_EQ(skipped.Frame(), walk.Frame()) << f.why << " at " << bpm << ", note " << n;
      }
    }
  }
}

}  // namespace
}  // namespace cadencio::audio
