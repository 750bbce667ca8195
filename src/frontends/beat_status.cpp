// The beat heard at a stream frame, found from the run's schedule, and what a status band
// shows of it.
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

namespace {

// A beat is lit this long, or half the beat when that is shorter.
constexpr int64_t kLitMs = 150;

}  // namespace

StatusBandState::View StatusBandState::Now(int64_t* ms_to_change) const {
  View view{run_.tempo, run_.measure, spoken_};
  if (ms_to_change != nullptr) *ms_to_change = -1;
  if (!run_.sounding || !run_.heard_frame || run_.rate <= 0) return view;
  const int64_t heard = run_.heard_frame();
  const BeatMoment moment = BeatAt(run_, heard);
  view.number = moment.number;
  int64_t change = moment.next_onset;
  if (moment.number > 0) {
    const int64_t beat = (moment.next_onset == kNoFrame ? moment.onset + run_.rate * 60 / run_.bpm
                                                        : moment.next_onset) -
                         moment.onset;
    const int64_t lit_until = moment.onset + std::min(run_.rate * kLitMs / 1000, beat / 2);
    view.lit = heard < lit_until;
    if (view.lit) change = lit_until;
  }
  if (ms_to_change != nullptr && change != kNoFrame) {
    *ms_to_change = std::max<int64_t>(1, ((change - heard) * 1000 + run_.rate - 1) / run_.rate);
  }
  return view;
}

}  // namespace cadencio::frontends
