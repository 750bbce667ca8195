// The beat while it plays: the rule the metronome publishes to the audio thread, the trainer's
// steps taken over from it, the count-in written in the screen-reader mode, what the front end
// shows of the run beside the screen, and, while Link is on, the session the rule follows.
#pragma once

#include <cstdint>
#include <string>

#include "app/count_words.hpp"
#include "app/link_follower.hpp"
#include "app/listening/listen_session.hpp"
#include "app/metronome_state.hpp"
#include "app/tap_tempo.hpp"
#include "audio/audio_output.hpp"
#include "audio/beat_channel.hpp"
#include "audio/beat_pattern.hpp"
#include "console/console.hpp"
#include "frontends/beat_status.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::app {

class BeatRunner {
 public:
  // Everything given must outlive the run.
  BeatRunner(console::Console& console, speech::SpeechFrontEnd& speech, audio::AudioOutput& output,
             audio::BeatChannel& beats, base::Clock& clock, MetronomeState& state,
             CountWords& count_words, TapTempo& taps, LinkFollower& link);

  // Plays the beat until a key waits or a run of taps has stopped (with a count-in first when
  // `count_in`): the audio thread plays the pattern, and this thread only says each step of the
  // tempo trainer and, in the screen-reader mode, writes the count-in as one line. While Link
  // is on the pattern follows the session, and what settles in it is said; true when the
  // session stopped, which stops the beat.
  bool PlayUntilKey(bool count_in);
  // The beat has been paused or silenced: its next run starts anew rather than going on with
  // the session's measures, and the session stops with it when `stop_session`.
  void Halt(bool stop_session);
  // Takes and says what has settled in Link's session: a peer's tempo, the number of peers.
  LinkFollower::News FollowLink();
  // The tempo and the measure shown follow a change at once, before the next beat.
  void ShowTempoAndMeasure();
  // Muted measures and the trainer count their measures again from the next one.
  void RestartMutedCount() { measures_done_ = 0; }
  void RestartTrainerCount() { trainer_measures_ = 0; }
  // The number said on beat `beat` (1-based) of the measure when it is counted.
  int CountNumber(int beat) const;
  // The listening session told of every rule and given its passes while the beat plays.
  void SetListening(ListenSession* listening) { listening_ = listening; }

 private:
  // The rule of the pattern the settings give now, its sounds loaded.
  audio::BeatRule MakeRule(bool count_in);
  // Starts the pattern on the first frame the stream can still reach.
  void StartBeat(bool count_in);
  // Stops the pattern there (what is heard already ends as it would), and takes over the
  // measures and tempo steps it played.
  void StopBeat();
  // Takes over every tempo step of the trainer that starts at or before `frame`, and says it.
  void FollowSteps(int64_t frame);
  // A new tempo, from the trainer or from Link's session, taken; and said: only the number, as
  // after Up and Down, while the screen keeps the whole line.
  void TakeTempo(int32_t bpm);
  void SayTempo();
  // Makes the rule about to start follow Link's session: a run that starts anew starts the
  // session too, any other goes on with the session's measures.
  void ShareRule(bool count_in);
  // The session's beats now, for the shared rule published last.
  audio::TimelineView RuleView() const;
  // The count-in's words, as the screen-reader mode writes them: "um, dois, tr\xEAs".
  std::string CountInLine() const;
  // Tells the front end of a run of the beat whose first measure starts at `start`.
  void ShowRun(int64_t start);
  // The run told of last places no beat at or after `frame`.
  void EndShownRun(int64_t frame);

  console::Console& console_;
  speech::SpeechFrontEnd& speech_;
  audio::AudioOutput& output_;
  audio::BeatChannel& beats_;
  base::Clock& clock_;
  MetronomeState& state_;
  CountWords& count_words_;
  TapTempo& taps_;
  LinkFollower& link_;
  bool halted_ = true;            // the next run starts anew
  audio::BeatRule rule_;          // the rule published last
  audio::PatternCursor steps_;    // the trainer's steps taken over from it so far
  int64_t measures_done_ = 0;     // whole measures since muted measures were set
  int32_t trainer_measures_ = 0;  // whole measures since the trainer's last step
  frontends::BeatRun shown_run_;  // as the front end was last told of it
  ListenSession* listening_ = nullptr;
};

}  // namespace cadencio::app
