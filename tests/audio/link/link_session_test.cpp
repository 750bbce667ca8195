// Two of the program's Link sessions, each under the mixer of a sound device paced in real time
// (at two rates), and a plain Link peer of the library's own: in a private network namespace
// they find each other, start together and play their beats and measures on the session's; a
// session above the metronome's highest tempo plays at half. (The program's tempo and start
// and stop both ways are the scenarios' in tests/scenarios/link_test.cpp.)
#include "audio/link/link_session.hpp"

#include <gtest/gtest.h>

#include <ableton/Link.hpp>
#include <chrono>
#include <cmath>
#include <thread>

#include "support/paced_audio.hpp"
#include "support/private_network.hpp"
#include "support/wait_until.hpp"

namespace cadencio::audio {
namespace {

using testing::PacedAudio;
using testing::WaitUntil;

// One of the program's devices with its Link session, playing a measure of four beats that
// follows the session: the first beat's sound on each measure, the other's on the rest.
struct Player {
  explicit Player(int rate) : audio(rate), link(AddLinkSession(audio, 500)) {}

  void Play() {
    BeatRule rule;
    rule.playing = rule.shared = true;
    rule.rate = audio.GetMixer().SampleRate();
    rule.beats = 4;
    rule.beat = {{{&first, nullptr, nullptr},
                  {&other, nullptr, nullptr},
                  {&other, nullptr, nullptr},
                  {&other, nullptr, nullptr}}};
    rule.from = rule.start = audio.GetMixer().FramesRendered() + audio.LeadFrames();
    link.Start(rule.from, rule.beats, false);
    audio.GetMixer().SetBeatRule(rule);
  }
  // The onsets heard from `after_us` on: when, in Link's clock, and whether each begins a
  // measure.
  std::vector<std::pair<double, bool>> Heard(double after_us, double to_link_clock) {
    std::vector<std::pair<double, bool>> heard;
    for (const PacedAudio::Onset& onset : audio.Onsets()) {
      const double at = audio.HeardMicros(onset.frame);
      if (at >= after_us) heard.push_back({at + to_link_clock, onset.sound == &first});
    }
    return heard;
  }

  Sound first{"first", std::vector<float>(200, 0.5f)};
  Sound other{"other", std::vector<float>(200, 0.25f)};
  PacedAudio audio;
  LinkSession& link;
};

// Every onset lies on a beat of `peer`'s session (within `tolerance_ms`), `apart` of its beats
// after the one before, and begins a measure exactly where the session's measure of `quantum`
// beats begins.
void ExpectOnTheSessionsBeats(const std::vector<std::pair<double, bool>>& heard,
                              const ableton::Link& peer, double quantum, int apart,
                              const char* why) {
  constexpr double kToleranceMs = 3;
  ASSERT_GE(heard.size(), 4u) << why;
  const ableton::Link::SessionState state = peer.captureAppSessionState();
  const double ms_per_beat = 60000.0 / state.tempo();
  double last = NAN;
  for (const auto& [at, first] : heard) {
    const double beat = state.beatAtTime(std::chrono::microseconds(std::llround(at)), quantum);
    const double whole = std::round(beat);
    EXPECT_LT(std::abs(beat - whole) * ms_per_beat, kToleranceMs) << why << ": beat " << beat;
    if (!std::isnan(last)) {
      EXPECT_EQ(whole - last, apart) << why << ": beat " << beat;
    }
    last = whole;
    const double phase = std::fmod(std::fmod(whole, quantum) + quantum, quantum);
    EXPECT_EQ(first, phase == 0) << why << ": beat " << beat << " in a measure of " << quantum;
  }
}

TEST(LinkSession, PeersPlayTheSessionsBeatsAndMeasures) {
  if (!testing::InPrivateNetwork()) return testing::RerunTestInPrivateNetwork();
  Player a(44100), b(48000);
  ableton::Link peer(120);
  peer.enableStartStopSync(true);
  peer.enable(true);
  a.link.Enable(true);
  b.link.Enable(true);
  ASSERT_TRUE(WaitUntil([&] { return a.link.Peers() == 2 && b.link.Peers() == 2; }))
      << a.link.Peers() << " and " << b.link.Peers() << " peers";
  // Link sends the tempo as whole microseconds a beat.
  const auto tempo_is = [&](double bpm) {
    return std::abs(a.link.Tempo() - bpm) < 1e-3 && std::abs(b.link.Tempo() - bpm) < 1e-3;
  };
  a.link.SetTempo(140);
  ASSERT_TRUE(WaitUntil([&] { return tempo_is(140); })) << b.link.Tempo();
  // a starts the session; b sees it and starts too, each on the session's next measure.
  a.Play();
  ASSERT_TRUE(WaitUntil([&] { return b.link.Playing(); }));
  b.Play();
  const double to_link_clock =
      static_cast<double>(peer.clock().micros().count()) - PacedAudio::NowMicros();
  const double settled = PacedAudio::NowMicros() + 2e6;
  std::this_thread::sleep_for(std::chrono::seconds(4));
  ExpectOnTheSessionsBeats(a.Heard(settled, to_link_clock), peer, 4, 1, "a at 140 BPM");
  ExpectOnTheSessionsBeats(b.Heard(settled, to_link_clock), peer, 4, 1, "b at 140 BPM");

  // Above the highest tempo the measure is played at half: eight of the session's beats; and
  // the metronome's tempo set there is doubled (330 is 660 in the session).
  auto state = peer.captureAppSessionState();
  state.setTempo(640, peer.clock().micros());
  peer.commitAppSessionState(state);
  ASSERT_TRUE(WaitUntil([&] { return tempo_is(320); })) << a.link.Tempo();
  // The change reaches the beat within about a second, sooner on an idle machine.
  const double halved = PacedAudio::NowMicros() + 1.5e6;
  std::this_thread::sleep_for(std::chrono::seconds(3));
  ExpectOnTheSessionsBeats(a.Heard(halved, to_link_clock), peer, 8, 2, "a at 640 BPM");
  b.link.SetTempo(330);
  EXPECT_TRUE(WaitUntil([&] { return tempo_is(330); })) << a.link.Tempo();
}

}  // namespace
}  // namespace cadencio::audio
