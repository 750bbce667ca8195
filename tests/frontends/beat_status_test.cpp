// The beat heard at a stream frame, against every onset of long runs.
#include "frontends/beat_status.hpp"

#include <gtest/gtest.h>

namespace cadencio::frontends {
namespace {

// A schedule that rounds halves up, as the metronome's does.
int64_t Rounded(int64_t note, int parts, int32_t bpm, int64_t rate) {
  const int64_t per_minute = int64_t{bpm} * parts;
  return (2 * note * 60 * rate + per_minute) / (2 * per_minute);
}

BeatRun MakeRun(int32_t bpm, int beats, int first_beat, int64_t rate = 44100) {
  BeatRun run;
  run.sounding = true;
  run.bpm = bpm;
  run.beats_per_measure = beats;
  run.first_beat = first_beat;
  run.start_frame = 123457;
  run.rate = rate;
  run.beat_frame = &Rounded;
  return run;
}

TEST(BeatAt, EveryOnsetStartsItsBeatAndTheFrameBeforeEndsThePrevious) {
  struct Case {
    int32_t bpm;
    int beats, first_beat;
    int64_t rate;
    int64_t count;  // beats checked
  };
  const Case cases[] = {
      {192, 4, 0, 44100, 3000},  // 13781.25 frames a beat
      {317, 5, 2, 48000, 3000},  // a run that starts on the third beat of its measure
      {500, 1, 0, 48000, 30000}, {1, 3, 0, 44100, 50},  // a minute a beat
      {125, 0, 0, 22050, 500},
  };
  for (const Case& c : cases) {
    const BeatRun run = MakeRun(c.bpm, c.beats, c.first_beat, c.rate);
    const std::string name = std::to_string(c.bpm) + " BPM";
    EXPECT_EQ(BeatAt(run, run.start_frame - 1).number, 0) << name;
    EXPECT_EQ(BeatAt(run, run.start_frame - 1).next_onset, run.start_frame) << name;
    for (int64_t n = 0; n < c.count; ++n) {
      const int64_t onset = run.start_frame + Rounded(n, 1, c.bpm, c.rate);
      const int64_t next = run.start_frame + Rounded(n + 1, 1, c.bpm, c.rate);
      const int number = static_cast<int>((c.first_beat + n) % std::max(c.beats, 1)) + 1;
      for (int64_t frame : {onset, (onset + next) / 2, next - 1}) {
        const BeatMoment moment = BeatAt(run, frame);
        ASSERT_EQ(moment.number, number) << name << ", beat " << n << ", frame " << frame;
        ASSERT_EQ(moment.onset, onset) << name << ", beat " << n;
        ASSERT_EQ(moment.next_onset, next) << name << ", beat " << n;
      }
    }
  }
}

TEST(BeatAt, AfterTheRunsEndTheLastBeatStays) {
  BeatRun run = MakeRun(120, 4, 0);
  run.end_frame = run.start_frame + 3 * 22050 + 10;  // after beat 3's onset
  for (int64_t frame : {run.end_frame - 1, run.end_frame, run.end_frame + 10 * 44100}) {
    const BeatMoment moment = BeatAt(run, frame);
    EXPECT_EQ(moment.number, 4) << frame;
    EXPECT_EQ(moment.next_onset, kNoFrame) << frame;
  }
  run.end_frame = run.start_frame;  // ended before its first beat
  EXPECT_EQ(BeatAt(run, run.start_frame + 44100).number, 0);
  EXPECT_EQ(BeatAt(run, run.start_frame + 44100).next_onset, kNoFrame);
  run.beat_frame = nullptr;  // no schedule: nothing to show
  EXPECT_EQ(BeatAt(run, run.start_frame + 44100).number, 0);
}

}  // namespace
}  // namespace cadencio::frontends
