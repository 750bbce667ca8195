// Ableton Link in the main loop: the k key, the lowest tempo while Link is on, and the beat
// stopped and started by the session as by Tab, with the waits that look at the session.
#include <algorithm>

#include "app/message_catalogue.hpp"
#include "app/metronome.hpp"

namespace cadencio::app {

using base::Key;

void Metronome::ToggleLink(Key) {
  if (link_.On()) {
    link_.TurnOff();
    state_.LinkOn = false;
    Say("CALNKDES", 1);
  } else {
    TurnLinkOn();
  }
  // The next run starts anew: on the session's beats, or on the program's own.
  beat_.Halt(/*stop_session=*/false);
}

void Metronome::TurnLinkOn() {
  state_.Bpm = TempoIntoRange(state_.Bpm);
  if (!link_.TurnOn(state_.Bpm)) {
    state_.LinkOn = false;
    Say("CALNKDES", 1);
    return;
  }
  state_.LinkOn = true;
  Say("CALNKLIG", 0);
  SayPeers(console_, speech_, link_.Peers());
}

int32_t Metronome::TempoIntoRange(int32_t bpm) const {
  return std::max(BpmIntoRange(bpm), link_.LowestBpm(kMinBpm));
}

void Metronome::SetPlaying(bool playing, bool by_session) {
  playing_ = playing;
  if (!playing_) beat_.Halt(/*stop_session=*/!by_session);
  const char* said = playing_ ? "Batida retomada" : "Batida silenciada";
  speech_.ShowSpoken(said);
  // A screen reader has no status band to read it from: the line says it. A change the
  // session made is said aloud too, since no key of the user's asked for it.
  if (speech_.WritesSpeech() || by_session) speech_.SpeakText(said);
  if (!playing_ && !by_session) speech_.PlayBeep();
}

void Metronome::WaitSilently() {
  int64_t wait = -1;
  const int64_t stops_at = taps_.StopsAtMs();
  if (stops_at >= 0) wait = std::max<int64_t>(0, stops_at - clock_.NowMs());
  const int64_t look = link_.LookWithinMs();
  if (look >= 0) wait = wait < 0 ? look : std::min(wait, look);
  // Sleeps until a key comes instead of spinning.
  if (wait < 0) {
    console_.WaitMessage();
  } else {
    console_.WaitForKey(wait);
  }
  if (link_.On() && beat_.FollowLink().started) SetPlaying(true, /*by_session=*/true);
}

void Metronome::WaitForPauseEnd() {
  for (;;) {
    if (console_.KeyPressed() || !link_.On()) {
      if (console_.ReadKey() == ' ') return;
      continue;
    }
    if (beat_.FollowLink().started) return;
    console_.WaitForKey(link_.LookWithinMs());
  }
}

}  // namespace cadencio::app
