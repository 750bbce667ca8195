// Beat schedule arithmetic and the wait on the stream clock.
#include "app/beat_schedule.hpp"

#include "audio/beat_channel.hpp"

namespace cadencio::app {

int64_t BeatSchedule::OnsetOf(int64_t index, int32_t period_ms) const {
  const int64_t rate = output_.GetMixer().SampleRate();
  return start_frame_ + (index * period_ms * rate + 500) / 1000;
}

void BeatSchedule::ContinueFromNextBeat(int32_t period_ms) {
  if (restart_) return;
  start_frame_ = OnsetOf(index_, period_ms);
  index_ = 0;
}

int64_t BeatSchedule::NextOnset(int32_t period_ms) {
  const int64_t now = output_.GetMixer().FramesRendered();
  // A beat that would already lie in the past (the stream ran on while the program was held
  // up) starts a new run rather than a burst of late beats.
  if (!restart_ && OnsetOf(index_, period_ms) < now) restart_ = true;
  if (restart_) {
    restart_ = false;
    start_frame_ = now + output_.LeadFrames();
    index_ = 0;
  }
  return OnsetOf(index_, period_ms);
}

int64_t BeatSchedule::SubdivisionOnset(int k, int n, int32_t period_ms) const {
  const int64_t rate = output_.GetMixer().SampleRate();
  const int64_t parts = static_cast<int64_t>(n) * 1000;
  return start_frame_ + ((index_ * n + k) * period_ms * rate * 2 + parts) / (2 * parts);
}

void BeatSchedule::WaitForFollowingBeat(int32_t period_ms, console::Console& console) {
  ++index_;
  // A key ends the wait the moment it arrives, whatever the tempo: at 1 BPM a beat lasts a
  // minute. The schedule is absolute, so waking early or often shifts no beat.
  audio::WaitForStreamFrame(output_.GetMixer(), clock_,
                            OnsetOf(index_, period_ms) - output_.LeadFrames(),
                            [&console](int64_t ms) { return console.WaitForKey(ms); });
}

}  // namespace cadencio::app
