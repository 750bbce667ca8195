// Following Ableton Link's session on the program thread: the tempo set in the metronome becomes
// the session's, a tempo set by a peer and the number of peers are taken once they have
// settled (a peer's tempo knob turned through many tempos is said once), and the session's
// start and stop, shared with the peers that share them, are seen. Link's changes come without
// a message: while it is on, the program thread looks at them at least every kLookMs.
#pragma once

#include <cstdint>

#include "audio/link/link_session.hpp"
#include "audio/shared_timeline.hpp"
#include "base/clock.hpp"

namespace cadencio::app {

class LinkFollower {
 public:
  // A change is taken once it has held this long.
  static constexpr int64_t kTempoSettleMs = 500;
  static constexpr int64_t kPeersSettleMs = 1000;
  static constexpr int64_t kLookMs = 100;

  // `session` null: the program has no Link (the capture rig of the tests), which stays off.
  LinkFollower(audio::LinkSession* session, base::Clock& clock)
      : session_(session), clock_(clock) {}

  // The program's session, set once before the main loop.
  void SetSession(audio::LinkSession* session) { session_ = session; }
  bool On() const { return session_ != nullptr && session_->Enabled(); }
  // Turns Link on: a session begun here takes the metronome's tempo `bpm`, one joined keeps
  // its own (and gives it to the metronome once it is seen). False when there is no Link.
  bool TurnOn(int32_t bpm);
  void TurnOff();
  int Peers() const { return session_ != nullptr ? session_->Peers() : 0; }
  // The lowest tempo the metronome plays: Link's lowest while it is on.
  int32_t LowestBpm(int32_t lowest) const;

  // The metronome's tempo, from a key, F6, a song, taps or the trainer: while Link is on, a
  // tempo other than the one last given or taken becomes the session's, from stream frame
  // `frame` on (-1: now).
  void OfferTempo(int32_t bpm, int64_t frame = -1);
  // The beat starts or stops, and the session with it (see audio::LinkSession::Start).
  void Start(int64_t frame, int beats, bool count_in);
  void Stop(int64_t frame);
  // Where the session's beats fall in the stream, for the program thread.
  audio::TimelineView View(int beats) const;

  struct News {
    int32_t tempo = 0;  // a peer's tempo, settled (0: none)
    int peers = -1;     // the number of peers, settled at a new count (-1: none)
    bool started = false;
    bool stopped = false;
  };
  // What has changed in the session since the last look.
  News Look();
  // The longest wait before the next look: kLookMs while Link is on, else -1 (no limit).
  int64_t LookWithinMs() const { return On() ? kLookMs : -1; }

 private:
  audio::LinkSession* session_;
  base::Clock& clock_;
  int32_t exchanged_ = 0;  // the tempo given to the session or taken from it last
  int32_t seen_ = 0;       // the session's tempo at the last look, and since when
  int64_t seen_since_ = 0;
  int peers_said_ = 0;  // the number of peers said last
  int peers_seen_ = 0;
  int64_t peers_since_ = 0;
  bool playing_ = false;  // the session's start and stop, as seen or set last
};

}  // namespace cadencio::app
