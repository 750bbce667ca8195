// Following Link's session: the tempos given and taken, the peers, the start and stop.
#include "app/link_follower.hpp"

#include <algorithm>
#include <cmath>

namespace cadencio::app {

bool LinkFollower::TurnOn(int32_t bpm) {
  if (session_ == nullptr) return false;
  // Before joining: a session begun here plays the metronome's tempo.
  session_->SetTempo(bpm);
  session_->Enable(true);
  const int64_t now = clock_.NowMs();
  exchanged_ = seen_ = bpm;
  seen_since_ = now;
  peers_said_ = peers_seen_ = session_->Peers();
  peers_since_ = now;
  playing_ = session_->Playing();
  return true;
}

void LinkFollower::TurnOff() {
  if (session_ != nullptr) session_->Enable(false);
}

int32_t LinkFollower::LowestBpm(int32_t lowest) const {
  return On() ? std::max(lowest, audio::LinkSession::kLowestBpm) : lowest;
}

void LinkFollower::OfferTempo(int32_t bpm, int64_t frame) {
  if (!On() || bpm == exchanged_) return;
  session_->SetTempo(bpm, frame);
  exchanged_ = seen_ = bpm;
  seen_since_ = clock_.NowMs();
}

void LinkFollower::Start(int64_t frame, int beats, bool count_in) {
  if (!On()) return;
  session_->Start(frame, beats, count_in);
  playing_ = true;
}

void LinkFollower::Stop(int64_t frame) {
  if (!On()) return;
  session_->Stop(frame);
  playing_ = false;
}

audio::TimelineView LinkFollower::View(int beats) const {
  return On() ? session_->AppView(beats) : audio::TimelineView{};
}

LinkFollower::News LinkFollower::Look() {
  News news;
  if (!On()) return news;
  const int64_t now = clock_.NowMs();
  const auto tempo = static_cast<int32_t>(std::lround(session_->Tempo()));
  if (tempo != seen_) {
    seen_ = tempo;
    seen_since_ = now;
  }
  if (tempo != exchanged_ && now - seen_since_ >= kTempoSettleMs) news.tempo = exchanged_ = tempo;
  const int peers = session_->Peers();
  if (peers != peers_seen_) {
    peers_seen_ = peers;
    peers_since_ = now;
  }
  if (peers != peers_said_ && now - peers_since_ >= kPeersSettleMs)
    news.peers = peers_said_ = peers;
  const bool playing = session_->Playing();
  if (playing != playing_) {
    playing_ = playing;
    (playing ? news.started : news.stopped) = true;
  }
  return news;
}

}  // namespace cadencio::app
