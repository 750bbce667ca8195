// The beat heard at a stream frame, found from the run's schedule.
#include "frontends/beat_status.hpp"

#include <algorithm>

namespace cadencio::frontends {

BeatMoment BeatAt(const BeatRun& run, int64_t frame) {
  BeatMoment moment;
  if (run.beat_frame == nullptr || run.rate <= 0) return moment;
  auto onset = [&run](int64_t beat) {
    return run.start_frame + run.beat_frame(beat, 1, run.bpm, run.rate);
  };
  auto within_run = [&run](int64_t at) { return at < run.end_frame ? at : kNoFrame; };
  const int64_t at = std::min(frame, run.end_frame - 1);
  if (at < run.start_frame) {
    moment.next_onset = within_run(onset(0));
    return moment;
  }
  // The exact beat length gives the beat to within one; the schedule's rounding decides.
  const int32_t bpm = std::max(run.bpm, 1);
  int64_t beat = (at - run.start_frame) * bpm / (60 * run.rate);
  while (beat > 0 && onset(beat) > at) --beat;
  while (onset(beat + 1) <= at) ++beat;
  const int64_t per_measure = std::max(run.beats_per_measure, 1);
  moment.number = static_cast<int>((run.first_beat + beat) % per_measure) + 1;
  moment.onset = onset(beat);
  moment.next_onset = within_run(onset(beat + 1));
  return moment;
}

}  // namespace cadencio::frontends
