// Beat schedule arithmetic and the wait on the stream clock.
#include "app/beat_schedule.hpp"

#include <algorithm>

#include "audio/beat_channel.hpp"

namespace cadencio::app {

int64_t ScheduleFrame(int64_t note, int parts, int32_t bpm, int64_t rate) {
  // Whole numbers only: at 500 BPM, four notes to the beat and 48 kHz, an hour is 120000 notes
  // and the numerator stays below 2^40.
  const int64_t per_minute = int64_t{std::max(bpm, 1)} * std::max(parts, 1);
  return (2 * note * 60 * rate + per_minute) / (2 * per_minute);
}

int64_t BeatSchedule::OnsetOf(int64_t index, int32_t bpm) const {
  return start_frame_ + ScheduleFrame(index, 1, bpm, output_.GetMixer().SampleRate());
}

void BeatSchedule::ContinueFromNextBeat(int32_t bpm) {
  if (restart_) return;
  start_frame_ = OnsetOf(index_, bpm);
  index_ = 0;
}

int64_t BeatSchedule::NextOnset(int32_t bpm) {
  const int64_t now = output_.GetMixer().FramesRendered();
  // A beat that would already lie in the past (the stream ran on while the program was held
  // up) starts a new run rather than a burst of late beats.
  if (!restart_ && OnsetOf(index_, bpm) < now) restart_ = true;
  if (restart_) {
    restart_ = false;
    start_frame_ = now + output_.LeadFrames();
    index_ = 0;
  }
  return OnsetOf(index_, bpm);
}

int64_t BeatSchedule::SubdivisionOnset(int k, int n, int32_t bpm) const {
  return start_frame_ + ScheduleFrame(index_ * n + k, n, bpm, output_.GetMixer().SampleRate());
}

void BeatSchedule::WaitForFollowingBeat(int32_t bpm, console::Console& console) {
  ++index_;
  // A key ends the wait the moment it arrives, whatever the tempo: at 1 BPM a beat lasts a
  // minute. The schedule is absolute, so waking early or often shifts no beat.
  audio::WaitForStreamFrame(output_.GetMixer(), clock_, OnsetOf(index_, bpm) - output_.LeadFrames(),
                            [&console](int64_t ms) { return console.WaitForKey(ms); });
}

}  // namespace cadencio::app
