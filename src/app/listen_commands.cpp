// Listening to the player from the main loop: listening on and off, the verdict, and the
// calibration of the round trip for headphones.
#include <cmath>

#include "app/accent_sounds.hpp"
#include "app/listening/listener.hpp"
#include "app/message_catalogue.hpp"
#include "app/metronome.hpp"
#include "app/settings_store.hpp"

namespace cadencio::app {

namespace {

// The calibration's clicks: two a second, for the listener's search and a little more.
constexpr int32_t kCalibrationBpm = 120;
constexpr int64_t kCalibrationMs = Listener::kSearchMs + 1000;

}  // namespace

using base::Key;

void Metronome::ToggleListening(Key) {
  if (listening_.Listening()) {
    listening_.Stop();
    Say("CAESUDES", 1);
    return;
  }
  const std::optional<double> latency =
      state_.LatencyMs >= 0 ? std::optional<double>(state_.LatencyMs) : std::nullopt;
  Say(listening_.Start(latency) ? "CAESULIG" : "CASEMMIC", 1);
}

void Metronome::SayVerdict(Key) {
  listening_.SayVerdict();
}

void Metronome::CalibrateLatency(Key) {
  const bool was_listening = listening_.Listening();
  listening_.Stop();
  Say("CACALINI", 1);
  std::unique_ptr<audio::AudioInput> input = tuner_.open_input ? tuner_.open_input() : nullptr;
  if (!input) {
    Say("CASEMMIC", 1);
    return;
  }
  Say("CACALOUV", 1);
  // The clicks play from a rule of their own while the listener looks for them.
  audio::Mixer& mixer = output_.GetMixer();
  audio::BeatRule rule;
  rule.playing = true;
  rule.rate = mixer.SampleRate();
  rule.bpm = kCalibrationBpm;
  rule.beat[0].sound = LoadAccentSounds(beats_, state_).Of(Accent::kStrong);
  rule.start = rule.from = mixer.FramesRendered() + output_.LeadFrames();
  Listener listener(*input, output_, std::nullopt);
  mixer.SetBeatRule(rule);
  listener.Follow(rule);
  const int64_t until = clock_.NowMs() + kCalibrationMs;
  while (clock_.NowMs() < until && !listener.BeatHeard()) {
    console_.Delay(static_cast<int>(ListenSession::kPassMs));
    listener.Hear(false);
  }
  rule.playing = false;
  rule.from = mixer.FramesRendered() + output_.LeadFrames();
  mixer.SetBeatRule(rule);
  input.reset();
  if (!listener.BeatHeard()) {
    Say("CACALNAO", 1);
  } else {
    state_.LatencyMs = *listener.LatencyMs();
    Say("CACALLAT", 0);
    speech_.WriteSpeak(std::to_string(std::lround(state_.LatencyMs)));
    Say("CACALMS", 1);
    Say(StoreLatency(settings_, state_.LatencyMs) ? "CACALGRV" : "CAERRGRV", 1);
  }
  if (was_listening) ToggleListening(Key{});
}

}  // namespace cadencio::app
