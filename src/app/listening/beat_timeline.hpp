// The beat as the listener knows it: the rules the metronome published, in the stream's frames.
// From them it gives the grid point nearest to a note (every note of the pattern, the parts
// between beats, the second layer's notes, muted measures and the trainer's steps included) and
// the beat's own sound as the mixer plays it (the layer's too), so that it can be taken out of
// what the microphone hears (a song map's cues too). A rule shared with other programs (Ableton
// Link) has its notes where the session's beats fall, as the program thread's latest view of them
// places them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "audio/beat_pattern.hpp"
#include "audio/shared_timeline.hpp"

namespace cadencio::app {

struct GridPoint {
  int64_t frame = 0;
  // Frames to the nearer of the grid points beside it: how far a note may lie from this one.
  int64_t spacing = 0;
  // The first point the beat sounds after one or more muted measures.
  bool after_silence = false;
};

class BeatTimeline {
 public:
  // A rule published: from its `from` frame on it replaces the rules before it (as the mixer
  // takes it).
  void Follow(const audio::BeatRule& rule);
  // Where the shared timeline's beats fall in the stream now: the notes of a shared rule are
  // placed by it, as the mixer's cursors place them (without a view, on the rule's own
  // schedule). Rules that are not shared ignore it.
  void FollowTimeline(const audio::TimelineView& view) { view_ = view; }
  // The grid point nearest to `frame`, or nothing where no rule plays.
  std::optional<GridPoint> Nearest(double frame) const;
  // The beat's sound, mono, over `out.size()` frames from `first`: the beat, the second layer
  // and the counted words. `beat_gain` is the mixer's beat gain, which the layer takes too; the
  // counted words keep theirs. Rendering goes on from where it stopped; a
  // `first` elsewhere starts it again there, with what was sounding before it left out.
  void Render(int64_t first, std::span<float> out, float beat_gain);
  // Rules that end before `frame` are no longer needed.
  void ForgetBefore(int64_t frame);
  bool Empty() const { return rules_.empty(); }

 private:
  // The grid points of `rule` beside `frame`: the last at or before it and the first after it.
  std::optional<GridPoint> NearestIn(const audio::BeatRule& rule, double frame,
                                     int64_t until) const;
  struct Voice {
    const audio::Sound* sound = nullptr;
    int64_t start = 0;
  };
  // The notes of `cursor` (the beat's or the layer's) on `frame` start on `channel`, their words
  // on `words`; the cursor moves past them. A note that the latest view moved up to `late`
  // frames before `frame` starts on it, as the mixer starts it.
  template <class Cursor>
  static void StartNotes(Cursor& cursor, int64_t frame, int64_t late, Voice& channel, Voice& words);
  std::vector<audio::BeatRule> rules_;
  audio::TimelineView view_;
  // Rendering: the rule followed, its cursors, and what sounds on the beat, layer and count
  // channels.
  std::size_t render_rule_ = SIZE_MAX;
  audio::PatternCursor render_cursor_;
  audio::LayerCursor render_layer_;
  Voice beat_, layer_, word_;
  int64_t next_render_ = -1;
};

}  // namespace cadencio::app
