// A timeline of beats shared with other programs (Ableton Link's session, audio/link): where its
// beats fall in the stream. The mixer asks it once every device buffer, on the rendering thread,
// and plays a rule that follows it on the session's beats instead of its own whole-number
// schedule; the program thread asks it the same to count the measures such a rule has played.
#pragma once

#include <cstdint>

namespace cadencio::audio {

// The session's beats about a stream frame, counted in the metronome's beats (when it follows
// the session at half tempo, one of its beats is two of the session's): a measure of `beats`
// begins on every multiple of `beats`.
struct TimelineView {
  int64_t base = 0;            // a stream frame
  double beat = 0;             // the beat heard at `base`
  double frames_per_beat = 0;  // 0: there is no view

  bool Valid() const { return frames_per_beat > 0; }
  double FrameOf(double at_beat) const {
    return static_cast<double>(base) + (at_beat - beat) * frames_per_beat;
  }
  double BeatAt(int64_t frame) const {
    return beat + static_cast<double>(frame - base) / frames_per_beat;
  }
};

class SharedTimeline {
 public:
  virtual ~SharedTimeline() = default;
  // Rendering thread, at the top of every device buffer, whose mix begins at stream frame
  // `base`. Never locks, allocates or blocks.
  virtual void BeginBuffer(int64_t base) = 0;
  // Rendering thread: the session about `base`, with `beats` to the measure. Never locks,
  // allocates or blocks.
  virtual TimelineView View(int64_t base, int beats) = 0;
};

}  // namespace cadencio::audio
