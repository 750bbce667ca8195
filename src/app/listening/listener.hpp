// Listening to the player while the beat plays. The capture device's samples (copied into a
// ring by its own thread) are read on the program thread, placed on the stream's frames, rid of
// the program's own beat, searched for onsets, and each onset is placed on the beat's grid and
// judged. Nothing here touches the audio thread: the beat is known from the rules the metronome
// publishes, and the stream's position from the output.
//
// Where the microphone's samples lie on the stream: the capture count and the heard frame are
// read together at every pass; the largest difference seen (the pass nearest after a capture
// buffer arrived) is the capture's place. The delay and level at which the beat comes back are
// found from the beat itself in the first seconds heard; without it heard (headphones), the
// latency stored by the calibration stands.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "app/listening/beat_echo.hpp"
#include "app/listening/beat_timeline.hpp"
#include "app/listening/onset_detector.hpp"
#include "app/listening/timing_judge.hpp"
#include "audio/audio_input.hpp"
#include "audio/audio_output.hpp"
#include "audio/resampler.hpp"

namespace cadencio::app {

class Listener {
 public:
  // The seconds heard before the beat's delay is looked for, and the longest delay looked at.
  static constexpr int64_t kSearchMs = 3000;
  static constexpr int64_t kMaxDelayMs = 400;
  // A note after this long without one begins a new take.
  static constexpr int64_t kNewTakeMs = 4000;
  // No sample for this long: the capture device has stopped.
  static constexpr int64_t kStoppedMs = 1500;

  // `latency_ms`: the round trip stored by the calibration, if any. Both must outlive it.
  Listener(audio::AudioInput& input, audio::AudioOutput& output, std::optional<double> latency_ms,
           const OnsetSettings& onsets = {});

  // A rule the metronome published.
  void Follow(const audio::BeatRule& rule) { timeline_.Follow(rule); }
  // Where the shared timeline's beats fall now (Ableton Link's session, as the program thread
  // sees it): a shared rule's beat is placed by it. Given before each pass while one is followed.
  void FollowTimeline(const audio::TimelineView& view) { timeline_.FollowTimeline(view); }
  // Reads what the microphone heard since the last pass and judges it. `voice_busy`: the
  // program is speaking, and what is heard meanwhile is not the player.
  void Hear(bool voice_busy);
  // Starts a new take: the results so far are dropped.
  void NewTake();

  Verdict Result() const { return judge_.Judge(); }
  // The notes of the take so far, as placed.
  const std::vector<PlacedNote>& Notes() const { return judge_.Notes(); }
  // The round trip in use: found from the beat, or stored; nothing before it is known.
  std::optional<double> LatencyMs() const;
  // The beat was found in what the microphone hears.
  bool BeatHeard() const { return delay_.has_value(); }
  // Nothing has come from the capture device for kStoppedMs.
  bool Stopped() const { return stopped_; }

 private:
  // Samples read, at the stream's rate, appended to `pending_`.
  void ReadInput();
  // Once enough is heard: finds the beat's delay and lets the filter learn the room from what
  // waited, a slice a pass; then what waited is judged, a slice a pass too.
  void Settle();
  void StartLearning();
  void Learn();
  void Settled();
  bool Settling() const { return search_ != nullptr || learning_pass_ >= 0; }
  // Removes the beat from the samples from capture sample `first` on and judges their onsets.
  void Judge(int64_t first, std::span<const float> heard);
  void Place(double capture_sample);
  // An onset where what is left of the beat outweighs the note: the beat's remains, no note.
  bool BeatRemains(double capture_sample) const;

  audio::AudioInput& input_;
  audio::AudioOutput& output_;
  const int rate_;
  std::optional<double> stored_latency_ms_;
  OnsetSettings onset_settings_;
  std::unique_ptr<audio::StreamResampler> resampler_;  // when the capture's rate differs
  BeatTimeline timeline_;
  TimingJudge judge_;
  std::unique_ptr<OnsetDetector> onsets_;
  std::optional<BeatDelay> delay_;
  std::unique_ptr<BeatEchoRemover> remover_;
  bool settled_ = false;
  // The settling under way: the search for the beat's delay, then the filter's learning passes
  // (learning_pass_, -1 when none) over the first settle_size_ samples that waited, with the
  // beat rendered for them; learnt_ of them done in this pass.
  std::unique_ptr<BeatDelaySearch> search_;
  int learning_pass_ = -1;
  std::size_t settle_size_ = 0, learnt_ = 0;
  std::vector<float> settle_beat_;
  // Capture samples (at the stream's rate) read so far, and the largest of their count less the
  // heard frame: capture sample n was heard at stream frame n - place_.
  int64_t captured_ = 0;
  std::optional<int64_t> place_;
  // Samples not judged yet: pending_[0] is capture sample pending_start_.
  std::vector<float> pending_;
  int64_t pending_start_ = 0;
  // Onsets in samples heard while the program spoke are not the player's.
  std::vector<std::pair<int64_t, int64_t>> deaf_;
  int64_t onset_base_ = 0;  // the capture sample the onset detector counts from
  // The last note placed, in stream frames; when the samples last came.
  std::optional<double> last_note_frame_;
  int64_t last_sample_frame_ = 0;
  bool stopped_ = false;
  std::vector<float> scratch_, beat_, clean_;
  // The latest samples judged, with the beat taken out and the beat taken: recent_clean_[i] is
  // capture sample recent_start_ + i.
  std::vector<float> recent_clean_, recent_echo_;
  int64_t recent_start_ = 0;
  std::vector<double> found_;
};

}  // namespace cadencio::app
