// Following the JACK transport: what the beat does for each state of the timeline.
#include "app/transport_follow.hpp"

#include <gtest/gtest.h>

namespace cadencio::app {
namespace {

using Kind = FollowStep::Kind;

audio::TimelinePosition Rolling(double bpm, int beats, int64_t bar, int beat, int64_t frame) {
  audio::TimelinePosition at;
  at.rolling = at.has_beats = true;
  at.bpm = bpm;
  at.beats_per_bar = beats;
  at.bar = bar;
  at.beat = beat;
  at.beat_frame = frame;
  return at;
}

// A rule playing 100 BPM (28800 frames a beat at 48000 Hz), three beats a bar from frame 0.
audio::BeatRule Playing(int32_t bpm = 100, int beats = 3) {
  audio::BeatRule rule;
  rule.playing = true;
  rule.rate = 48000;
  rule.bpm = bpm;
  rule.beats = beats;
  return rule;
}

TEST(FollowTimeline, TheBeatKeepsToTheTimeline) {
  audio::TimelinePosition stopped;
  audio::TimelinePosition no_beats;
  no_beats.rolling = true;
  audio::BeatRule silent;
  struct Case {
    const char* why;
    audio::TimelinePosition at;
    audio::BeatRule playing;
    FollowStep expected;
  };
  const Case cases[] = {
      {"stopped and silent", stopped, silent, {Kind::kKeep, 0, 0, -1}},
      {"the transport stops", stopped, Playing(), {Kind::kStop, 0, 0, -1}},
      {"rolling without a master: the own tempo, at once",
       no_beats,
       silent,
       {Kind::kStart, 90, 4, -1}},
      {"rolling without a master, already playing", no_beats, Playing(), {Kind::kKeep, 90, 4, -1}},
      {"a master's beat 3: the bar began two beats before it",
       Rolling(100, 3, 5, 3, 1'000'000),
       silent,
       {Kind::kStart, 100, 3, 1'000'000 - 57600}},
      {"on the rule's own bars",
       Rolling(100, 3, 12, 1, 11 * 86400),
       Playing(),
       {Kind::kKeep, 100, 3, 11 * 86400}},
      {"within a millisecond of them",
       Rolling(100, 3, 12, 2, 11 * 86400 + 28800 + 40),
       Playing(),
       {Kind::kKeep, 100, 3, 11 * 86400 + 40}},
      {"the transport moved by half a beat",
       Rolling(100, 3, 12, 1, 11 * 86400 + 14400),
       Playing(),
       {Kind::kStart, 100, 3, 11 * 86400 + 14400}},
      {"a new tempo, to the nearest whole BPM",
       Rolling(120.4, 3, 2, 1, 86400),
       Playing(),
       {Kind::kStart, 120, 3, 86400}},
      {"a new measure", Rolling(100, 4, 2, 1, 86400), Playing(), {Kind::kStart, 100, 4, 86400}},
      {"a tempo beyond the metronome's is its highest",
       Rolling(900, 3, 1, 1, 0),
       silent,
       {Kind::kStart, 500, 3, 0}},
  };
  for (const Case& c : cases) {
    const FollowStep step = FollowTimeline(c.at, c.playing, 48000, 90, 4);
    EXPECT_EQ(step.kind, c.expected.kind) << c.why;
    EXPECT_EQ(step.bpm, c.expected.bpm) << c.why;
    EXPECT_EQ(step.beats, c.expected.beats) << c.why;
    EXPECT_EQ(step.start, c.expected.start) << c.why;
  }
}

}  // namespace
}  // namespace cadencio::app
