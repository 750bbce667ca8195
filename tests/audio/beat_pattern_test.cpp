// The frames of the beat schedule at every tempo: exact on average, each within half a frame of
// the exact position, every interval within a frame of the exact one, no drift over an hour.
#include "audio/beat_pattern.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

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
