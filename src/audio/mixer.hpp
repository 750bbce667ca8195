// The mixer: sums the program's sound channels into the output stream. The audio thread (or
// the capture output in tests) calls Render; the program thread keeps the beat channel's
// schedule and publishes it whole through a lock-free triple buffer, so no beat and no stop is
// ever lost to a full queue. The count of frames rendered is the stream's clock, by which
// beats are timed.
//
// Channels: the beat channel (one sound at a time, a new sound cuts the old one at its own
// start frame), the count channel over it, and the streams added to the mix (the wave-out
// channel of audio/wave_out, for speech and prompts). The metronome's beat is not scheduled
// sound by sound: the program thread publishes the rule of its pattern (audio/beat_pattern),
// and the rendering thread starts each note on the beat and count channels itself. A rule that
// follows a shared timeline (audio/shared_timeline) has its notes placed by the timeline's view,
// taken anew every device buffer.
//
// A sound cut before its end, by the next one or by a stop, is not dropped at once, which would
// be heard as a click: its next 2 ms are still mixed, faded out, over the start of the new one.
// The new sound keeps its exact start frame, and the fade needs nothing known ahead (a stop or a
// late start comes without warning), so it overlaps the new sound rather than ending at it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "audio/beat_pattern.hpp"
#include "audio/pcm_fade.hpp"
#include "audio/shared_timeline.hpp"
#include "audio/sound.hpp"
#include "base/triple_buffer.hpp"

namespace cadencio::audio {

// A stream of its own that the mixer adds to the sum of its channels.
class MixedStream {
 public:
  virtual ~MixedStream() = default;
  // Rendering thread: adds the next `frames` interleaved stereo frames into `out`. Never
  // locks, allocates or blocks.
  virtual void MixInto(float* out, int frames) = 0;
};

class Mixer {
 public:
  explicit Mixer(int sample_rate) : sample_rate_(sample_rate) {}
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  int SampleRate() const { return sample_rate_; }
  // Frames rendered so far: the position of the stream.
  int64_t FramesRendered() const { return rendered_.load(std::memory_order_acquire); }

  // Program thread. The sound must outlive its playing (sounds are kept in a bank for the
  // program's life). A start frame already rendered means "as soon as possible".
  void StartBeat(const Sound* sound, int64_t start_frame) { Start(kBeat, sound, start_frame); }
  // Starts a sound at once on the beat channel and repeats it until it is stopped or cut.
  void StartLoop(const Sound* sound) { Start(kBeat, sound, FramesRendered(), true); }
  void StopBeat() { Stop(kBeat); }
  // The count channel: words counted aloud, scheduled like the beat and mixed over it (each
  // word cuts the one before it, never the beat).
  void StartCount(const Sound* sound, int64_t start_frame) { Start(kCount, sound, start_frame); }
  // From `rule.from` on, the beat and count channels play the pattern of `rule` (a rule that
  // does not play keeps them silent): the notes of the rule before it up to that frame are still
  // heard. `rule.from` must not lie before what the device may be rendering (the position plus
  // the lead). Program thread; every sound of the rule must outlive its playing.
  void SetBeatRule(const BeatRule& rule);

  // Program thread: adds `stream` to the mix, after the channels, for the rest of the mixer's
  // life (the mixer keeps it, so it outlives the rendering thread). At most kMaxStreams; one
  // more is a fault (std::length_error).
  static constexpr int kMaxStreams = 4;
  void AddStream(std::unique_ptr<MixedStream> stream);
  // Program thread, once, before a rule that follows it is published: the shared timeline the
  // rules that follow one follow. The mixer keeps it, so it outlives the rendering thread.
  void SetSharedTimeline(std::unique_ptr<SharedTimeline> timeline);

  // The beat channel's gain (1 = as recorded); speech keeps its own level. Any thread.
  void SetBeatGain(float gain) { beat_gain_.store(gain, std::memory_order_relaxed); }
  float BeatGain() const { return beat_gain_.load(std::memory_order_relaxed); }

  // Rendering thread: fills `frames` stereo frames with the plain sum of the channels.
  void Render(float* out, int frames);
  // Rendering thread: what a device plays, Render through a peak limiter that keeps the sum of
  // beat and speech within kCeiling, so the two together never clip. The output runs
  // LookaheadFrames() behind the mix, so that the limiter's gain falls smoothly ahead of every
  // loud frame instead of at once.
  void RenderOutput(float* out, int frames);
  static constexpr float kCeiling = 0.98f;
  // 3 ms of the stream: a gain that falls over less would still be heard as a faint click on
  // loud speech with much sound above 7 kHz.
  int LookaheadFrames() const { return lookahead_; }

  // Rendering thread, after Render: the rules the pattern follows, oldest first, for what keeps
  // in step with the beat beside the sound (MIDI clock, the transport's bars and beats).
  struct RuleList {
    const BeatRule* rules;
    const uint64_t* serials;  // tell the rules apart
    int count;
  };
  RuleList PublishedRules() {
    const Rules& rules = published_rules_.Latest();
    return {rules.rules.data(), rules.serials.data(), rules.count};
  }

  // Tests: hears every sound start with its exact stream frame (on the rendering thread).
  using OnsetObserver = std::function<void(int64_t frame, const Sound& sound)>;
  void SetOnsetObserver(OnsetObserver observer) { onset_observer_ = std::move(observer); }

 private:
  // One start of a sound on the beat channel; `serial` tells starts of the same sound apart.
  struct Voice {
    const Sound* sound = nullptr;
    int64_t start = 0;
    uint64_t serial = 0;
    bool loop = false;
  };
  // The beat channel's starts in order of start frame. The sound heard at a frame is the one
  // of the latest start at or before it, from its start on: each start cuts the sound before
  // it at its own frame, so a beat scheduled ahead is not lost to the next one. Each stop
  // counts one up in `stops`, which cuts whatever is playing.
  static constexpr int kMaxStarts = 16;
  struct Schedule {
    std::array<Voice, kMaxStarts> starts{};
    int count = 0;
    uint64_t stops = 0;
  };
  // The rules published: each governs the frames from its own `from` to the next one's, and
  // `serial` tells them apart. Rules no frame still to be rendered follows are dropped.
  static constexpr int kMaxRules = 4;
  struct Rules {
    std::array<BeatRule, kMaxRules> rules{};
    std::array<uint64_t, kMaxRules> serials{};
    int count = 0;
  };
  // The rendering thread works in pieces of at most kPieceFrames, for which it first finds the
  // pattern's notes (the sound starting on each frame of the piece, or null).
  static constexpr int kPieceFrames = 256;
  using PieceStarts = std::array<const Sound*, kPieceFrames>;
  // The scheduled channels: the beat (its gain is the beat volume), the counted words, and the
  // second layer over the beat (at the beat volume too).
  enum ChannelIndex { kBeat = 0, kCount = 1, kLayer = 2, kChannels = 3 };
  struct Channel {
    // Program-thread state.
    Schedule schedule;
    uint64_t next_serial = 1;
    base::TripleBuffer<Schedule> published;
    // Rendering-thread state: the start being heard (its start is the frame it began at), the
    // latest start and stop taken from the schedule, and the sound cut last with the frame its
    // fade began.
    Voice playing;
    uint64_t taken_serial = 0;
    uint64_t taken_stops = 0;
    Voice fading;
    int64_t fade_from = 0;
  };
  void Start(int channel, const Sound* sound, int64_t start_frame, bool loop = false);
  void Stop(int channel);
  // Program thread: drops the starts at or after `frame`.
  static void DropFrom(Schedule& schedule, int64_t frame);
  // Program thread: hands the channel's schedule to the rendering thread whole.
  static void Publish(Channel& channel);
  // Program thread: drops the starts that a later start, already reached, has cut.
  void PruneSchedule(Channel& channel);
  // Rendering thread: the pattern's notes in the piece of `frames` frames from `base`: the
  // beat's, the layer's and the words of either.
  struct PiecePattern {
    PieceStarts beats, layer, words;
  };
  void FindPatternNotes(int frames, int64_t base, PiecePattern& pattern);
  // Rendering thread: the notes of one cursor (the beat's or the layer's) over the piece;
  // `serial` is that of the rule it follows.
  template <class Cursor>
  void WalkNotes(Cursor& cursor, uint64_t& serial, int frames, int64_t base, PieceStarts& sounds,
                 PieceStarts& words);
  // Rendering thread: the frame at or after `frame` at which the note at the cursor plays.
  // A shared rule's note that the timeline's newest view places a little before the piece
  // (the device's pace is measured anew every buffer) plays at once instead of never.
  template <class Cursor>
  int64_t PlayingFrame(const Cursor& cursor, int64_t frame) const;
  // Rendering thread: adds one channel's sounds over a piece, the pattern's starts among them.
  void MixChannel(Channel& channel, float gain, float* out, int frames, int64_t base,
                  const PieceStarts& pattern);
  // Rendering thread: `voice` from `frame` on cuts what the channel plays there.
  void Cut(Channel& channel, const Voice& voice, int64_t frame);
  // The frame of `voice` heard at `frame`, or -1 when it has ended.
  static int64_t OffsetAt(const Voice& voice, int64_t frame);

  const int sample_rate_;
  std::atomic<int64_t> rendered_{0};
  std::array<Channel, kChannels> channels_;
  // The beat pattern: the rules kept by the program thread, and the rendering thread's cursor
  // on the rule it follows.
  Rules rules_;
  uint64_t next_rule_serial_ = 1;
  base::TripleBuffer<Rules> published_rules_;
  uint64_t cursor_serial_ = 0;
  PatternCursor cursor_;
  uint64_t layer_serial_ = 0;
  LayerCursor layer_;
  float limiter_gain_ = 1.0f;
  // The limiter works in pieces of at most kLimiterFrames new frames, behind the mix by the
  // lookahead: `limited_` holds the frames of the mix not yet played and the new piece, and
  // `limiter_needs_` the gain each of them needs.
  static constexpr int kLimiterFrames = 1024;
  static constexpr int kMaxLookahead = 1024;
  const int lookahead_ = std::min(kMaxLookahead, std::max(1, sample_rate_ * 3 / 1000));
  const std::size_t cut_fade_ = CutFadeSamples(sample_rate_);
  std::array<float, 2 * (kLimiterFrames + kMaxLookahead)> limited_{};
  std::array<float, kLimiterFrames + kMaxLookahead> limiter_needs_{};
  std::atomic<float> beat_gain_{1.0f};
  OnsetObserver onset_observer_;
  // The streams added: the rendering thread mixes the first `stream_count_` of them.
  std::array<std::unique_ptr<MixedStream>, kMaxStreams> streams_;
  std::atomic<int> stream_count_{0};
  std::unique_ptr<SharedTimeline> timeline_owned_;
  std::atomic<SharedTimeline*> timeline_{nullptr};
};

}  // namespace cadencio::audio
