// MIDI clock from the beat's rules: where Start, Continue and Stop fall, and the bars and beats
// the timebase master reports, walked over the rules as the process callback walks them.
#include "audio/midi_clock.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cadencio::audio {
namespace {

struct Message {
  int64_t frame;
  uint8_t status;
  bool operator==(const Message&) const = default;
};

// The messages of every frame up to `end` (and the rest of its cycle), walked in cycles of 256
// frames over `rules`.
std::vector<Message> Walk(MidiClock& clock, const std::vector<BeatRule>& rules, int64_t end) {
  std::vector<uint64_t> serials;
  for (std::size_t i = 0; i < rules.size(); ++i) serials.push_back(i + 1);
  const Mixer::RuleList list{rules.data(), serials.data(), static_cast<int>(rules.size())};
  std::vector<Message> messages;
  for (int64_t first = 0; first < end; first += 256) {
    clock.Walk(list, first, 256, [&messages](int64_t frame, uint8_t status) {
      messages.push_back({frame, status});
    });
  }
  return messages;
}

BeatRule Rule(int64_t from, int64_t start, bool playing = true, int count_in = 0) {
  BeatRule rule;
  rule.playing = playing;
  rule.from = from;
  rule.start = start;
  rule.rate = 48000;
  rule.bpm = 120;  // a clock every 1000 frames
  rule.beats = 4;
  rule.count_in = count_in;
  return rule;
}

// The messages other than the clocks, and how many clocks came in all.
std::vector<Message> Transport(const std::vector<Message>& messages, int& clocks) {
  std::vector<Message> others;
  clocks = 0;
  for (const Message& m : messages) {
    if (m.status == MidiClock::kClock) {
      ++clocks;
    } else {
      others.push_back(m);
    }
  }
  return others;
}

TEST(MidiClock, StartContinueAndStopFallOnTheirFrames) {
  constexpr uint8_t kStart = MidiClock::kStart, kStop = MidiClock::kStop;
  struct Case {
    const char* why;
    std::vector<BeatRule> rules;
    int64_t end;
    std::vector<Message> expected;
    int clocks;
  };
  const Case cases[] = {
      {"a run starts on its first beat", {Rule(1000, 1000)}, 10000, {{1000, kStart}}, 10},
      {"after a count-in measure, on the first beat after it",
       {Rule(1000, 1000, true, 1)},
       100000,
       {{1000 + 4 * 24000, kStart}},
       100},
      {"a stop rule stops it where it begins",
       {Rule(1000, 1000), Rule(5500, 1000, false)},
       10000,
       {{1000, kStart}, {5500, kStop}},
       5},
      {"a new run while it plays: stopped, then started again",
       {Rule(1000, 1000), Rule(5500, 5500)},
       10000,
       {{1000, kStart}, {5500, kStop}, {5500, kStart}},
       10},
      {"a run taken up in the middle continues it",
       {Rule(50'500, 2000)},
       60000,
       {{51000, MidiClock::kContinue}},
       10},
      {"a later rule on the same beats adds nothing",
       {Rule(1000, 1000), Rule(5500, 1000)},
       10000,
       {{1000, kStart}},
       10},
  };
  for (const Case& c : cases) {
    MidiClock clock;
    int clocks = 0;
    EXPECT_EQ(Transport(Walk(clock, c.rules, c.end), clocks), c.expected) << c.why;
    EXPECT_EQ(clocks, c.clocks) << c.why;
  }
}

// A song map's sections: the clocks keep 24 to the beat at each section's tempo, and stop
// with the map.
TEST(MidiClock, ClocksFollowAMapsSectionsToItsEnd) {
  std::vector<BeatRule> rules = {Rule(1000, 1000)};
  BeatRule faster = Rule(0, 0);
  faster.bpm = 240;  // a clock every 500 frames
  faster.beats = 3;
  faster.measures = 1;
  rules[0].measures = 1;
  rules[0].then = &faster;
  MidiClock clock;
  std::vector<int64_t> frames;
  for (const Message& m : Walk(clock, rules, 200000)) {
    if (m.status == MidiClock::kClock) frames.push_back(m.frame);
  }
  ASSERT_EQ(frames.size(), 96u + 72u);
  EXPECT_EQ(frames[95], 96000);
  EXPECT_EQ(frames[96], 97000);
  EXPECT_EQ(frames.back(), 97000 + 71 * 500);
}

TEST(MidiClock, ThePositionIsTheBarBeatAndShareOfTheBeatPlaying) {
  MidiClock clock;
  MidiClock::Position at;
  EXPECT_FALSE(clock.PositionAt(0, at)) << "no run yet";
  Walk(clock, {Rule(1000, 1000, true, 1)}, 247'000);
  ASSERT_TRUE(clock.PositionAt(1000 + 4 * 24000 + 6 * 24000 + 6000, at));
  EXPECT_EQ(at.bar, 2);  // the count-in is no bar of the song
  EXPECT_EQ(at.beat, 3);
  EXPECT_NEAR(at.beat_fraction, 0.25, 1e-9);
  EXPECT_EQ(at.bpm, 120);
  EXPECT_EQ(at.beats_per_bar, 4);
}

}  // namespace
}  // namespace cadencio::audio
