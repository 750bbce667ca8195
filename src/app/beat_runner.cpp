// The beat while it plays: publishing its rule, following the trainer's steps and Link's
// session, writing the count-in in the screen-reader mode and telling the front end of the run.
#include "app/beat_runner.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/accent_sounds.hpp"
#include "app/message_catalogue.hpp"
#include "app/polyrhythm.hpp"
#include "app/settings_store.hpp"
#include "app/transport_follow.hpp"

namespace cadencio::app {

namespace {

// The measure as the status band shows it.
std::string MeasureShown(int beats) {
  if (beats >= 2 && beats <= 4) return MeasureWord(beats);
  return beats > 1 ? std::to_string(beats) + " tempos" : "1 tempo";
}

}  // namespace

BeatRunner::BeatRunner(console::Console& console, speech::SpeechFrontEnd& speech,
                       audio::AudioOutput& output, audio::BeatChannel& beats, base::Clock& clock,
                       MetronomeState& state, CountWords& count_words, TapTempo& taps,
                       LinkFollower& link)
    : console_(console),
      speech_(speech),
      output_(output),
      beats_(beats),
      clock_(clock),
      state_(state),
      count_words_(count_words),
      taps_(taps),
      link_(link) {}

audio::BeatRule BeatRunner::MakeRule(const MetronomeState& state, bool count_in) {
  audio::BeatRule rule;
  rule.playing = true;
  rule.rate = output_.GetMixer().SampleRate();
  rule.bpm = state.Bpm;
  rule.beats = std::clamp(state.BeatsPerMeasure, 1, audio::kMaxPatternBeats);
  rule.parts = std::max(1, state.Subdivisions);
  // Each beat plays the sound of its accent (by default the tempo sound on the first beat, the
  // measure sound on the others), and a silent beat has no extra notes; the extra notes between
  // beats are a shorter, softer form of normal.
  const AccentPattern accents = PatternFor(state);
  const AccentSounds levels = LoadAccentSounds(beats_, state);
  const audio::Sound* note = rule.parts > 1 ? levels.extra_note : nullptr;
  for (int beat = 0; beat < rule.beats; ++beat) {
    audio::BeatRule::Beat& sounds = rule.beat[static_cast<std::size_t>(beat)];
    const Accent level = accents.level[static_cast<std::size_t>(std::min(beat, accents.beats - 1))];
    // Counting by groups starts again at each group's first beat.
    const int number = state.CountByGroups ? GroupCount(accents, beat + 1) : beat + 1;
    sounds = {levels.Of(level), level == Accent::kSilent ? nullptr : note,
              count_words_.Word(number)};
    if (sounds.word != nullptr) {
      rule.longest_word = std::max(rule.longest_word, sounds.word->FrameCount());
    }
  }
  // A map's sections keep the song's layer and feel (the state they are made from).
  AddLayerAndFeel(rule, state, beats_, count_words_);
  rule.count_aloud = state.CountAloud;
  rule.count_in = count_in ? 1 : 0;
  rule.played = state.PlayedMeasures;
  rule.muted = state.MutedMeasures;
  rule.muted_phase = measures_done_;
  if (state.TrainerOn()) {
    rule.trainer_target = state.TrainerTarget;
    rule.trainer_step = state.TrainerStep;
    rule.trainer_every = state.TrainerEvery;
    rule.trainer_phase = trainer_measures_;
  }
  return rule;
}

MetronomeState BeatRunner::SectionState(const PlayedSection& section) const {
  MetronomeState state = state_;
  state.SetTempo(section.bpm);
  state.BeatsPerMeasure = section.beats;
  state.Accents = section.accents;
  state.Subdivisions = section.notes_per_beat;
  state.StopTrainer();
  return state;
}

audio::BeatRule BeatRunner::MakeMapRule(bool count_in) {
  // The chain before this one is followed up to the frame its run was stopped at.
  const int64_t rendered = output_.GetMixer().FramesRendered();
  std::erase_if(retired_, [rendered](const auto& chain) { return chain.second <= rendered; });
  if (!chain_.empty()) retired_.emplace_back(std::move(chain_), stopped_at_);
  chain_.clear();
  for (const PlayedSection& section : sections_) {
    audio::BeatRule rule = MakeRule(SectionState(section), false);
    rule.count_measures = state_.CountMeasures;
    rule.count_aloud = rule.count_aloud || state_.CountMeasures;
    // Counting the measures says them in place of the layer's notes as of the beats.
    rule.count_layer = rule.count_layer && !state_.CountMeasures;
    for (std::size_t n = 0; n < rule.measure_word.size(); ++n) {
      rule.measure_word[n] = count_words_.MeasureNumber(static_cast<int>(n) + 1);
    }
    chain_.push_back(rule);
  }
  LinkMapRules(chain_, sections_, cues_, loop_);
  audio::BeatRule rule = chain_[place_.section];
  rule.count_in = count_in ? 1 : 0;
  rule.measure_offset = place_.measure;
  state_ = SectionState(sections_[place_.section]);
  return rule;
}

void BeatRunner::SetMap(std::vector<PlayedSection> sections, std::vector<SectionCue> cues,
                        bool loop, bool keep_place) {
  sections_ = std::move(sections);
  cues_ = std::move(cues);
  loop_ = loop;
  if (!keep_place || place_.section >= static_cast<int>(sections_.size())) place_ = {};
}

bool BeatRunner::JumpSection(int delta) {
  const int section = place_.section + delta;
  if (sections_.empty() || section < 0 || section >= static_cast<int>(sections_.size())) {
    return false;
  }
  place_ = {section, 0, false};
  state_ = SectionState(sections_[section]);
  return true;
}

bool BeatRunner::FollowSections(int64_t frame) {
  if (sections_.empty()) return false;
  while (sections_run_.RunEndFrame() <= frame) {
    const int64_t start = sections_run_.RunEndFrame();
    sections_run_.SkipTo(start);
    if (sections_run_.Ended()) {
      map_ended_ = true;
      place_ = {};
      state_ = SectionState(sections_.front());
      SayMessage(console_, speech_, "CAMAPFIM", 1);
      return true;
    }
    state_ = SectionState(sections_[sections_run_.Section()]);
    ShowRun(start);
  }
  return false;
}

int64_t BeatRunner::CueLineFrame() const {
  if (sections_.empty() || sections_run_.Ended()) return -1;
  const audio::BeatRule& rule = sections_run_.Rule();
  const int64_t end = sections_run_.RunEndFrame();
  if (rule.then == nullptr || end == std::numeric_limits<int64_t>::max() || end == cue_line_for_) {
    return -1;
  }
  const audio::PatternCursor::Cue cue = sections_run_.NextCue();
  if (cue.sound != nullptr) return cue.frame;
  return std::max<int64_t>(0, end - audio::ScheduleFrame(rule.beats, 1, rule.bpm, rule.rate));
}

void BeatRunner::FollowCueLine(int64_t frame) {
  const int64_t at = CueLineFrame();
  if (at < 0 || at > frame) return;
  cue_line_for_ = sections_run_.RunEndFrame();
  const audio::BeatRule& rule = sections_run_.Rule();
  const std::string text = CueText(sections_[static_cast<std::size_t>(rule.then->section)],
                                   sections_[static_cast<std::size_t>(rule.section)]);
  if (sections_run_.NextCue().sound != nullptr) {
    console_.Write(text);
    console_.WriteLine();
  } else {
    speech_.WriteSpeakLine(text);
  }
}

int64_t BeatRunner::NextEventFrame() const {
  int64_t next = steps_.NextStepFrame();
  const auto take = [&next](int64_t frame) {
    if (frame >= 0 && frame != std::numeric_limits<int64_t>::max()) {
      next = next < 0 ? frame : std::min(next, frame);
    }
  };
  if (!sections_.empty() && !sections_run_.Ended()) {
    take(sections_run_.RunEndFrame());
    take(CueLineFrame());
  }
  return next;
}

void BeatRunner::StartBeat(bool count_in) {
  rule_ = sections_.empty() ? MakeRule(state_, count_in) : MakeMapRule(count_in);
  rule_.start = rule_.from = output_.GetMixer().FramesRendered() + output_.LeadFrames();
  if (link_.On()) ShareRule(count_in);
  halted_ = false;
  output_.GetMixer().SetBeatRule(rule_);
  if (listening_ != nullptr) listening_->Follow(rule_);
  steps_ = audio::PatternCursor(rule_);
  sections_run_ = audio::PatternCursor(rule_);
  map_ended_ = false;
  cue_line_for_ = -1;
  ShowRun(rule_.start);
}

void BeatRunner::ShareRule(bool count_in) {
  rule_.shared = true;
  link_.OfferTempo(state_.Bpm);
  // A run that starts anew puts the session's beat 0 on its first measure (see
  // audio::LinkSession::Start); the run goes on from the measure the session is in, never
  // before that beat 0, so that a start waiting for the session's next measure waits, and the
  // trainer and muted measures count from here even in a session that began long ago.
  if (halted_ || count_in) link_.Start(rule_.from, rule_.beats, count_in);
  const audio::TimelineView view = RuleView();
  if (!view.Valid()) return;
  const auto measure = static_cast<int64_t>(std::floor(view.BeatAt(rule_.from) / rule_.beats));
  rule_.anchor = std::max<int64_t>(0, measure * rule_.beats);
  rule_.start = std::llround(view.FrameOf(static_cast<double>(rule_.anchor)));
}

audio::TimelineView BeatRunner::RuleView() const {
  return rule_.shared ? link_.View(rule_.beats) : audio::TimelineView{};
}

void BeatRunner::Halt(bool stop_session) {
  halted_ = true;
  if (stop_session) link_.Stop(output_.GetMixer().FramesRendered() + output_.LeadFrames());
}

void BeatRunner::StopBeat() {
  if (!rule_.playing) return;
  // Notes up to the first frame the stream can still reach are heard; none after.
  const int64_t last = output_.GetMixer().FramesRendered() + output_.LeadFrames();
  audio::BeatRule stop = rule_;
  stop.playing = false;
  stop.from = last + 1;
  output_.GetMixer().SetBeatRule(stop);
  if (listening_ != nullptr) listening_->Follow(stop);
  EndShownRun(last + 1);
  FollowSteps(last);
  if (!sections_.empty()) {
    // The next run starts again the measure the key cut (or the section that follows).
    place_ = PlaceAt(rule_, last + 1);
    if (place_.ended) place_ = {};
  }
  stopped_at_ = last + 1;
  const int64_t done = audio::MeasuresDoneBy(rule_, last, RuleView());
  measures_done_ = rule_.muted_phase + done;
  trainer_measures_ = rule_.trainer_phase + done;
  rule_.playing = false;
}

void BeatRunner::FollowSteps(int64_t frame) {
  steps_.Follow(RuleView());
  for (int64_t step = steps_.NextStepFrame(); step >= 0 && step <= frame;
       step = steps_.NextStepFrame()) {
    steps_.SkipTo(step);
    // The session takes each step on the frame of its measure.
    link_.OfferTempo(steps_.Bpm(), step);
    TakeTempo(steps_.Bpm());
    ShowRun(step);
    SayTempo();
    if (state_.Bpm == state_.TrainerTarget) {
      state_.StopTrainer();
      SayMessage(console_, speech_, "CATREFIM", 1);
      if (listening_ != nullptr) listening_->EndOfRun();
    }
  }
}

void BeatRunner::TakeTempo(int32_t bpm) {
  state_.SetTempo(bpm);
}

void BeatRunner::SayTempo() {
  // The whole line would cover most of a measure at a step every measure.
  console_.Write(MessageText("CAVALBPM"));
  speech_.WriteSpeak(state_.BpmText);
  console_.WriteLine();
}

LinkFollower::News BeatRunner::FollowLink() {
  const LinkFollower::News news = link_.Look();
  if (news.tempo > 0) {
    // The trainer's steps would carry the session away from the peer's tempo.
    if (state_.TrainerOn()) {
      state_.StopTrainer();
      SayMessage(console_, speech_, "CATREDES", 1);
    }
    TakeTempo(news.tempo);
    ShowTempoAndMeasure();
    SayTempo();
  }
  if (news.peers >= 0) SayPeers(console_, speech_, news.peers);
  return news;
}

int BeatRunner::CountNumber(int beat) const {
  // Counting by groups starts again at each group's first beat.
  return state_.CountByGroups ? GroupCount(PatternFor(state_), beat) : beat;
}

std::string BeatRunner::CountInLine() const {
  std::string line;
  for (int beat = 1; beat <= std::max(rule_.beats, 1); ++beat) {
    const int number = CountNumber(beat);
    if (number > kCountWords) break;
    if (!line.empty()) line += ", ";
    line += CountWordText(number);
  }
  return line;
}

void BeatRunner::SayServerStopped() {
  if (output_.TakeServerStopped()) SayMessage(console_, speech_, "CAJCKPAR", 1);
}

void BeatRunner::TakeTimelineTempo(int32_t bpm, int beats) {
  if (bpm != state_.Bpm) {
    TakeTempo(bpm);
    SayTempo();
  }
  if (beats != state_.BeatsPerMeasure) {
    state_.BeatsPerMeasure = beats;
    SayMeasure(console_, speech_, beats);
    console_.WriteLine();
  }
  ShowTempoAndMeasure();
}

void BeatRunner::FollowUntilKey() {
  audio::Mixer& mixer = output_.GetMixer();
  while (!console_.KeyPressed() && !taps_.Stopped(clock_.NowMs())) {
    SayServerStopped();
    audio::TransportTimeline* timeline = output_.Transport();
    if (timeline == nullptr) break;
    const FollowStep step = FollowTimeline(timeline->Position(), rule_, mixer.SampleRate(),
                                           state_.Bpm, state_.BeatsPerMeasure);
    if (step.kind == FollowStep::Kind::kStop) StopBeat();
    if (step.kind == FollowStep::Kind::kStart) {
      StopBeat();
      TakeTimelineTempo(step.bpm, step.beats);
      // The master's tempo rules: no count-in, no trainer.
      rule_ = MakeRule(state_, false);
      rule_.trainer_target = 0;
      rule_.from = mixer.FramesRendered() + output_.LeadFrames();
      rule_.start = step.start < 0 ? rule_.from : std::min(step.start, rule_.from);
      mixer.SetBeatRule(rule_);
      if (listening_ != nullptr) listening_->Follow(rule_);
      steps_ = audio::PatternCursor(rule_);
      ShowRun(rule_.start);
    }
    console_.WaitMessage();
  }
  StopBeat();
}

bool BeatRunner::PlayUntilKey(bool count_in) {
  // A transport followed rules the beat; Link's session is not followed then.
  if (const audio::TransportTimeline* timeline = output_.Transport();
      timeline != nullptr && timeline->GetRole() == audio::TransportTimeline::Role::kFollow) {
    FollowUntilKey();
    return false;
  }
  StartBeat(count_in);
  // The count words are part of the beat and write nothing; in the screen-reader mode the
  // count-in writes its words once, as one line, while they sound.
  if (count_in && speech_.WritesSpeech()) speech_.SpeakText(CountInLine());
  audio::Mixer& mixer = output_.GetMixer();
  // Waits for a key, for the end of a run of taps and, with the trainer on, for each new tempo
  // to come near: it is said as its first beat starts. While listening, the listener has a pass
  // at least every ListenSession::kPassMs; while Link is on, its session is looked at between
  // waits.
  const auto listening = [this] { return listening_ != nullptr && listening_->Listening(); };
  const auto key_or_taps = [this, &listening](int64_t ms) {
    const int64_t stops_at = taps_.StopsAtMs();
    if (stops_at >= 0) ms = std::clamp<int64_t>(stops_at - clock_.NowMs(), 0, ms);
    if (listening()) ms = std::min(ms, ListenSession::kPassMs);
    const int64_t look = link_.LookWithinMs();
    if (look >= 0) ms = std::min(ms, look);
    const bool key = console_.WaitForKey(ms) || taps_.Stopped(clock_.NowMs());
    if (listening()) listening_->Pass(RuleView());
    return key || look >= 0;
  };
  bool stopped = false;
  while (!stopped && !console_.KeyPressed() && !taps_.Stopped(clock_.NowMs())) {
    SayServerStopped();
    if (link_.On() && FollowLink().stopped) {
      stopped = true;
      break;
    }
    steps_.Follow(RuleView());
    sections_run_.Follow(RuleView());
    const int64_t step = NextEventFrame();
    if (step < 0) {
      if (taps_.StopsAtMs() < 0 && !listening() && !link_.On()) {
        console_.WaitMessage();
      } else {
        key_or_taps(std::numeric_limits<int32_t>::max());
      }
    } else if (audio::WaitForStreamFrame(mixer, clock_, step - output_.LeadFrames(), key_or_taps)) {
      FollowSteps(mixer.FramesRendered() + output_.LeadFrames());
      stopped = FollowSections(mixer.FramesRendered() + output_.LeadFrames());
      if (!stopped) FollowCueLine(mixer.FramesRendered() + output_.LeadFrames());
    }
  }
  StopBeat();
  return stopped;
}

void BeatRunner::ShowRun(int64_t start) {
  frontends::BeatRun& run = shown_run_;
  run.tempo = std::to_string(state_.Bpm) + " BPM";
  run.measure = MeasureShown(state_.BeatsPerMeasure);
  run.sounding = true;
  run.bpm = state_.Bpm;
  run.beats_per_measure = std::max(state_.BeatsPerMeasure, 1);
  run.first_beat = 0;
  run.start_frame = start;
  run.end_frame = frontends::kNoFrame;
  run.rate = output_.GetMixer().SampleRate();
  run.beat_frame = &audio::ScheduleFrame;
  run.heard_frame = [&output = output_] { return output.HeardFrame(); };
  console_.Status().ShowBeat(run);
}

void BeatRunner::ShowTempoAndMeasure() {
  std::string tempo = std::to_string(state_.Bpm) + " BPM";
  std::string measure = MeasureShown(state_.BeatsPerMeasure);
  if (tempo == shown_run_.tempo && measure == shown_run_.measure) return;
  shown_run_.tempo = std::move(tempo);
  shown_run_.measure = std::move(measure);
  console_.Status().ShowBeat(shown_run_);
}

void BeatRunner::EndShownRun(int64_t frame) {
  if (!shown_run_.sounding || shown_run_.end_frame <= frame) return;
  shown_run_.end_frame = frame;
  console_.Status().ShowBeat(shown_run_);
}

}  // namespace cadencio::app
