// The beat while it plays: the rule the metronome publishes to the audio thread, the trainer's
// steps taken over from it, the count-in written in the screen-reader mode, what the front end
// shows of the run beside the screen, and, while Link is on, the session the rule follows.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/count_words.hpp"
#include "app/link_follower.hpp"
#include "app/listening/listen_session.hpp"
#include "app/map_rules.hpp"
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
  // is on the pattern follows the session, and what settles in it is said. True when the
  // session stopped, or a song's map came to its end (said): the beat stopped there.
  bool PlayUntilKey(bool count_in);
  // The beat has been paused or silenced: its next run starts anew rather than going on with
  // the session's measures, and the session stops with it when `stop_session`.
  void Halt(bool stop_session);
  // Takes and says what has settled in Link's session: a peer's tempo, the number of peers.
  LinkFollower::News FollowLink();
  // A song's map, played from its first section by the next run (none: the settings' beat),
  // or from the place it had when `keep_place`. The cues are those of the sections, or none.
  void SetMap(std::vector<PlayedSection> sections, std::vector<SectionCue> cues, bool loop,
              bool keep_place = false);
  bool HasMap() const { return !sections_.empty(); }
  // The last run stopped at the end of the map.
  bool MapEnded() const { return map_ended_; }
  // Where the map is: the section the next run starts, and its measure (0-based).
  const MapPlace& Place() const { return place_; }
  const PlayedSection& PlaceSection() const { return sections_[place_.section]; }
  // The next run starts the section `delta` away at its first measure; false past an end.
  bool JumpSection(int delta);
  // The settings with a section's tempo, measure, accents and notes per beat.
  MetronomeState SectionState(const PlayedSection& section) const;
  // The tempo and the measure shown follow a change at once, before the next beat.
  void ShowTempoAndMeasure();
  // Muted measures and the trainer count their measures again from the next one.
  void RestartMutedCount() { measures_done_ = 0; }
  void RestartTrainerCount() { trainer_measures_ = 0; }
  // The number said on beat `beat` (1-based) of the measure when it is counted.
  int CountNumber(int beat) const;
  // Says "Servidor JACK parou" once the JACK server the beat played through went away (the
  // sound goes on through SDL).
  void SayServerStopped();
  // The listening session told of every rule and given its passes while the beat plays.
  void SetListening(ListenSession* listening) { listening_ = listening; }

 private:
  // The rule of the pattern the settings give, its sounds loaded.
  audio::BeatRule MakeRule(const MetronomeState& state, bool count_in);
  // The rule of the map's run from its place: the chain of the sections' rules made anew (the
  // settings' sounds may have changed), the one before kept while the stream may still reach it.
  audio::BeatRule MakeMapRule(bool count_in);
  // Follows the map's runs that start at or before `frame` into the settings shown; true when
  // the map ended there (said).
  bool FollowSections(int64_t frame);
  // The frame from which the next section's cue is written: its rendered sound's first, else
  // the first downbeat of the section's last measure; -1 for none (or written already).
  int64_t CueLineFrame() const;
  // Writes the next section's cue once `frame` reaches it, and says it too when no rendered
  // sound says it (the screen-reader mode, a speech service's voice).
  void FollowCueLine(int64_t frame);
  // The frame of the next step of the trainer, cue line or start of a section, or -1 for none.
  int64_t NextEventFrame() const;
  // Starts the pattern on the first frame the stream can still reach.
  void StartBeat(bool count_in);
  // Plays the beat while the shared timeline rolls, on its tempo, bars and beats, until a key
  // waits (or the timeline is gone).
  void FollowUntilKey();
  // Takes the tempo and measure a followed timeline gives, saying what changed.
  void TakeTimelineTempo(int32_t bpm, int beats);
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
  // The song's map: its sections, their cues, the place of the next run, the chain of rules
  // published last (and those before it with the frame after which the stream cannot reach
  // them), and the sections the run has come to so far.
  std::vector<PlayedSection> sections_;
  std::vector<SectionCue> cues_;
  bool loop_ = false;
  MapPlace place_;
  std::vector<audio::BeatRule> chain_;
  std::vector<std::pair<std::vector<audio::BeatRule>, int64_t>> retired_;
  int64_t stopped_at_ = 0;  // the frame from which the last run was stopped
  bool map_ended_ = false;
  int64_t cue_line_for_ = -1;  // the end of the run whose next section's cue was written
  audio::PatternCursor sections_run_;
};

}  // namespace cadencio::app
