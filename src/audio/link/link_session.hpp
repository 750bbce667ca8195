// Ableton Link: the session of tempo, beats and start and stop that the metronome shares with
// the programs and devices beside it on the local network. The program thread turns it on and
// off, gives it the metronome's tempo, and starts and stops it; the rendering thread reads, once
// every device buffer, where the session's beats fall in the stream, with Link's real-time
// calls only.
//
// Link's tempo runs from 20 to 999 BPM; the metronome's highest is lower. A session tempo above
// the metronome's highest is followed at half: one of the metronome's beats is two of the
// session's, and its measure of N beats is 2N of the session's.
#pragma once

#include <cstdint>
#include <memory>

#include "audio/audio_output.hpp"
#include "audio/shared_timeline.hpp"

namespace cadencio::audio {

class LinkSession final : public SharedTimeline {
 public:
  // Link's own range.
  static constexpr int32_t kLowestBpm = 20;
  static constexpr int32_t kHighestBpm = 999;

  // The session places its beats in the stream of `output`, whose latency it takes off. The
  // metronome plays tempos up to `highest_bpm`. Link itself (its threads and sockets) starts on
  // the first Enable(true).
  LinkSession(AudioOutput& output, int32_t highest_bpm);
  ~LinkSession() override;
  LinkSession(const LinkSession&) = delete;
  LinkSession& operator=(const LinkSession&) = delete;

  // Program thread from here on.
  // Joins the session of the peers on the network, or begins one at the tempo last set.
  void Enable(bool on);
  bool Enabled() const;
  int Peers() const;
  // The session's tempo as the metronome plays it (above its highest, at half).
  double Tempo() const;
  // The session's tempo becomes the metronome's `bpm` (twice it while the session is followed
  // at half and twice it is still above the highest), from stream frame `frame` on (-1: now).
  void SetTempo(int32_t bpm, int64_t frame = -1);
  // Whether the session is playing (start and stop are shared with the peers that share them).
  bool Playing() const;
  // The metronome's beat starts from stream frame `frame`, with `beats` to the measure: the
  // session plays, and its beat 0 (a measure's first) falls there when no peer is playing, or
  // on the session's next measure from there; when the session is already playing the beat
  // joins its measures where they are, except for a count-in, which counts the next one in.
  void Start(int64_t frame, int beats, bool count_in);
  // The metronome's beat stops at stream frame `frame`, and so does the session.
  void Stop(int64_t frame);
  // Where the session's beats fall in the stream now, as the program thread sees them.
  TimelineView AppView(int beats) const;

  // The rendering thread's view (SharedTimeline).
  void BeginBuffer(int64_t base) override;
  TimelineView View(int64_t base, int beats) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Makes the session of `output`'s stream and gives it to its mixer, which keeps it for its life
// (so that it outlives the rendering thread); the session, for the program thread.
LinkSession& AddLinkSession(AudioOutput& output, int32_t highest_bpm);

}  // namespace cadencio::audio
