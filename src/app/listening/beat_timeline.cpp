// The grid and the sound of the published beat, walked with the pattern's own cursors.
#include "app/listening/beat_timeline.hpp"

#include <algorithm>
#include <cmath>

namespace cadencio::app {

namespace {

// The longest spacing of a rule's notes: at its slowest tempo, or the shared timeline's when
// the rule follows it and that is slower.
int64_t LongestSpacing(const audio::BeatRule& rule, const audio::TimelineView& view) {
  int32_t slowest = std::max(rule.bpm, 1);
  if (rule.trainer_target > 0) slowest = std::min(slowest, rule.trainer_target);
  const int parts = std::max(rule.parts, 1);
  int64_t longest = audio::ScheduleFrame(1, parts, slowest, rule.rate) + 1;
  if (rule.shared && view.Valid()) {
    longest = std::max(longest, static_cast<int64_t>(std::ceil(view.frames_per_beat / parts)) + 1);
  }
  return longest;
}

// Frame `frame` of a stereo sound, mono; 0 past its end.
float MonoAt(const audio::Sound& sound, int64_t frame) {
  if (frame < 0 || frame >= sound.FrameCount()) return 0.0f;
  const auto at = static_cast<std::size_t>(2 * frame);
  return 0.5f * (sound.samples[at] + sound.samples[at + 1]);
}

// The grid points of a rule in order from the first beat note at or after a frame: the beat's
// notes and the second layer's (one point where the two meet). A layer note lies in the measure
// of the beat note before it (the layer's first note is the measure's first), so it is muted
// with it, and the first point after a silent stretch is a downbeat.
class GridWalk {
 public:
  GridWalk(const audio::BeatRule& rule, int64_t from, const audio::TimelineView& view)
      : beats_(rule), layer_(rule) {
    beats_.Follow(view);
    layer_.Follow(view);
    beats_.SkipTo(from);
    // A song's map that ended before the frame has no layer after it either.
    if (beats_.Ended()) {
      layer_ = {};
    } else {
      layer_.SkipTo(beats_.Frame());
    }
  }
  int64_t Frame() const { return std::min(beats_.Frame(), layer_.Frame()); }
  bool Muted() const { return beats_.Frame() == Frame() ? beats_.Muted() : muted_; }
  void Advance() {
    const int64_t at = Frame();
    if (beats_.Frame() == at) {
      muted_ = beats_.Muted();
      beats_.Advance();
    }
    if (layer_.Frame() == at) layer_.Advance();
  }

 private:
  audio::PatternCursor beats_;
  audio::LayerCursor layer_;
  bool muted_ = false;  // the beat note walked last lies in a muted measure
};

}  // namespace

void BeatTimeline::Follow(const audio::BeatRule& rule) {
  std::erase_if(rules_, [&](const audio::BeatRule& kept) { return kept.from >= rule.from; });
  rules_.push_back(rule);
  if (render_rule_ != SIZE_MAX && render_rule_ >= rules_.size() - 1) render_rule_ = SIZE_MAX;
}

void BeatTimeline::ForgetBefore(int64_t frame) {
  // A rule is still needed while the one after it begins at or after `frame`.
  std::size_t drop = 0;
  while (drop + 1 < rules_.size() && rules_[drop + 1].from <= frame) ++drop;
  if (drop == 0) return;
  rules_.erase(rules_.begin(), rules_.begin() + static_cast<std::ptrdiff_t>(drop));
  render_rule_ = render_rule_ == SIZE_MAX || render_rule_ < drop ? SIZE_MAX : render_rule_ - drop;
}

std::optional<GridPoint> BeatTimeline::NearestIn(const audio::BeatRule& rule, double frame,
                                                 int64_t until) const {
  if (!rule.playing) return std::nullopt;
  const int64_t longest = LongestSpacing(rule, view_);
  GridWalk walk(rule, static_cast<int64_t>(std::floor(frame)) - 2 * longest, view_);
  // Walks to the first point after the frame, keeping the two before it, and the one after that.
  std::optional<GridPoint> before;
  int64_t before_that = INT64_MIN;
  bool muted = false;  // the point walked last lies in a muted measure
  while (walk.Frame() <= frame && walk.Frame() < until) {
    before_that = before ? before->frame : INT64_MIN;
    before = GridPoint{walk.Frame(), 0, !walk.Muted() && muted};
    muted = walk.Muted();
    walk.Advance();
  }
  std::optional<GridPoint> after;
  int64_t after_that = INT64_MAX;
  if (walk.Frame() < until) {
    after = GridPoint{walk.Frame(), 0, !walk.Muted() && muted};
    walk.Advance();
    if (walk.Frame() < until) after_that = walk.Frame();
  }
  // Each point's spacing: to the nearer of its neighbours known here (the beat's and the layer's
  // points lie unevenly, and so do a swing's).
  if (after) {
    after->spacing = before ? after->frame - before->frame : longest;
    if (after_that != INT64_MAX)
      after->spacing = std::min(after->spacing, after_that - after->frame);
  }
  if (before) {
    before->spacing = after ? after->frame - before->frame : longest;
    if (before_that != INT64_MIN)
      before->spacing = std::min(before->spacing, before->frame - before_that);
  }
  if (!before) return after;
  if (!after) return before;
  return frame - static_cast<double>(before->frame) <= static_cast<double>(after->frame) - frame
             ? before
             : after;
}

std::optional<GridPoint> BeatTimeline::Nearest(double frame) const {
  // The rule that governs the frame, and the one after it, whose first note may be nearer.
  std::size_t governing = rules_.size();
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    if (static_cast<double>(rules_[i].from) <= frame) governing = i;
  }
  std::optional<GridPoint> best;
  auto consider = [&](std::optional<GridPoint> point) {
    if (!point) return;
    if (!best || std::abs(static_cast<double>(point->frame) - frame) <
                     std::abs(static_cast<double>(best->frame) - frame)) {
      best = point;
    }
  };
  const std::size_t next = governing == rules_.size() ? 0 : governing + 1;
  if (governing < rules_.size()) {
    const int64_t until = next < rules_.size() ? rules_[next].from : INT64_MAX;
    consider(NearestIn(rules_[governing], frame, until));
  }
  if (next < rules_.size()) {
    const int64_t until = next + 1 < rules_.size() ? rules_[next + 1].from : INT64_MAX;
    consider(NearestIn(rules_[next], frame, until));
  }
  return best;
}

template <class Cursor>
void BeatTimeline::StartNotes(Cursor& cursor, int64_t frame, int64_t late, Voice& channel,
                              Voice& words) {
  for (; cursor.Frame() <= frame; cursor.Advance()) {
    const bool moved = cursor.FollowsTimeline() && cursor.Frame() >= frame - late;
    if (cursor.Frame() < frame && !moved) continue;
    const audio::PatternNote note = cursor.Note();
    if (note.sound != nullptr) channel = {note.sound, frame};
    if (note.word != nullptr) words = {note.word, frame};
  }
}

void BeatTimeline::Render(int64_t first, std::span<float> out, float beat_gain) {
  if (first != next_render_) {
    render_rule_ = SIZE_MAX;
    beat_ = layer_ = word_ = {};
  }
  next_render_ = first + static_cast<int64_t>(out.size());
  // A shared rule's cursors follow the latest view, as the mixer's do every device buffer.
  render_cursor_.Follow(view_);
  render_layer_.Follow(view_);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const int64_t frame = first + static_cast<int64_t>(i);
    // The rule that governs this frame; a new one starts its cursors here.
    std::size_t governing = SIZE_MAX;
    for (std::size_t r = 0; r < rules_.size(); ++r) {
      if (rules_[r].from <= frame) governing = r;
    }
    if (governing != render_rule_) {
      render_rule_ = governing;
      if (governing != SIZE_MAX) {
        render_cursor_ = audio::PatternCursor(rules_[governing]);
        render_cursor_.Follow(view_);
        render_cursor_.SkipTo(frame);
        render_layer_ = audio::LayerCursor(rules_[governing]);
        render_layer_.Follow(view_);
        render_layer_.SkipTo(frame);
      }
    }
    if (governing != SIZE_MAX && rules_[governing].playing) {
      // As the mixer walks them: the beat's notes, then the layer's, whose word (the two never
      // share a frame) is counted on the same channel.
      // 10 ms, as the mixer allows a note the session moved behind it.
      const int64_t late = rules_[governing].rate / 100;
      // A song map's cue for the next section starts on the count channel between notes (or
      // on a note whose word it silences), as the mixer starts it.
      for (const audio::PatternCursor::Cue& cue :
           {render_cursor_.HandedCue(), render_cursor_.NextCue()}) {
        if (cue.frame == frame && cue.sound != nullptr) word_ = {cue.sound, frame};
      }
      StartNotes(render_cursor_, frame, late, beat_, word_);
      StartNotes(render_layer_, frame, late, layer_, word_);
    }
    float sample = 0.0f;
    if (beat_.sound != nullptr) sample += beat_gain * MonoAt(*beat_.sound, frame - beat_.start);
    if (layer_.sound != nullptr) sample += beat_gain * MonoAt(*layer_.sound, frame - layer_.start);
    if (word_.sound != nullptr) sample += MonoAt(*word_.sound, frame - word_.start);
    out[i] = sample;
  }
}

}  // namespace cadencio::app
