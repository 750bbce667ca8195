// The listening session of the main loop.
#include "app/listening/listen_session.hpp"

#include "app/message_catalogue.hpp"

namespace cadencio::app {

ListenSession::ListenSession(console::Console& console, speech::SpeechFrontEnd& speech,
                             audio::AudioOutput& output)
    : console_(console), speech_(speech), output_(output) {}

bool ListenSession::Start(std::optional<double> latency_ms) {
  Stop();
  if (open_) input_ = open_();
  if (!input_) return false;
  listener_ = std::make_unique<Listener>(*input_, output_, latency_ms);
  kept_.reset();
  return true;
}

void ListenSession::Stop() {
  if (listener_) {
    kept_ = listener_->Result();
    latency_unknown_ = !listener_->LatencyMs();
  }
  listener_.reset();
  input_.reset();
}

void ListenSession::Follow(const audio::BeatRule& rule) {
  if (listener_) listener_->Follow(rule);
}

void ListenSession::Pass(const audio::TimelineView& view) {
  if (!listener_) return;
  listener_->FollowTimeline(view);
  listener_->Hear(speech_.SpeechBusy());
  if (listener_->Stopped()) {
    Stop();
    SayMessage(console_, speech_, "CAESUPAR", 1);
  }
}

std::optional<Verdict> ListenSession::Result() const {
  if (listener_) return listener_->Result();
  return kept_;
}

bool ListenSession::LatencyUnknown() const {
  return listener_ ? !listener_->LatencyMs() : latency_unknown_;
}

void ListenSession::SayVerdict() {
  if (listener_) listener_->Hear(speech_.SpeechBusy());
  const std::optional<Verdict> verdict = Result();
  if (!verdict) {
    SayMessage(console_, speech_, "CAESUDES", 1);
    return;
  }
  speech_.WriteSpeakLine(VerdictText(*verdict));
  if (verdict->notes > 0 && LatencyUnknown()) SayMessage(console_, speech_, "CAESULAT", 1);
}

void ListenSession::EndOfRun() {
  if (!listener_) return;
  listener_->Hear(speech_.SpeechBusy());
  const Verdict verdict = listener_->Result();
  if (verdict.notes + verdict.returns > 0) speech_.WriteSpeakLine(VerdictText(verdict));
  listener_->NewTake();
}

}  // namespace cadencio::app
