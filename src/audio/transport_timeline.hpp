// A transport shared with other programs (the JACK transport): whether it rolls, and where its
// bars and beats fall on the mixer's stream, so that the metronome can publish a rule on them.
// The published rule stays the one source of what plays; the transport only tells where the
// shared beats are.
#pragma once

#include <cstdint>

namespace cadencio::audio {

// The transport as last seen by the audio thread.
struct TimelinePosition {
  bool rolling = false;
  double bpm = 120;
  int beats_per_bar = 4;
  int64_t bar = 1;  // 1-based, of the beat below
  int beat = 1;     // 1-based within its bar
  // The stream frame (of the mix) on which that beat began.
  int64_t beat_frame = 0;
  // False until the transport's master gives bars and beats: then only `rolling` holds.
  bool has_beats = false;
};

class TransportTimeline {
 public:
  enum class Role {
    kFollow,  // the beat plays while the transport rolls, on its tempo, bars and beats
    kLead,    // the beat's tempo, bars and beats are the transport's
  };
  virtual ~TransportTimeline() = default;
  virtual Role GetRole() const = 0;
  // Program thread: the latest position.
  virtual TimelinePosition Position() = 0;
};

}  // namespace cadencio::audio
