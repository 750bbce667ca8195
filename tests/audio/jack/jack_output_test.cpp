// The JACK back end on a real server with no sound card (jackd -d dummy): the beat on its
// frames at 44100 and 48000 Hz with MIDI clock on the same frames (and so on PipeWire's JACK,
// on a private PipeWire daemon), the program going on through SDL when the server goes away
// (with Link's session still on its beats), the transport followed and led, and the capture
// port. Run under `pw-jack`, every test here runs on a private PipeWire daemon instead.
#include "audio/jack/jack_output.hpp"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#if CADENCIO_JACK

#include <ableton/Link.hpp>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "audio/beat_pattern.hpp"
#include "audio/link/link_session.hpp"
#include "audio/midi_clock.hpp"
#include "audio/sdl/sdl_audio.hpp"
#include "support/jack_server.hpp"
#include "support/private_network.hpp"
#include "support/wait_until.hpp"

namespace cadencio::audio {
namespace {

using testing::JackProbe;
using testing::JackServer;

// A click the onsets are found by: a step to half scale for 2 ms.
Sound Click(int rate) {
  Sound click;
  click.samples.assign(static_cast<std::size_t>(rate / 500) * 2, 0.5f);
  return click;
}

// The frames at which the recording rises above a quarter of full scale.
std::vector<int64_t> Onsets(const JackProbe& probe) {
  const std::vector<float> audio = probe.Audio();
  std::vector<int64_t> onsets;
  for (std::size_t i = 1; i < audio.size(); ++i) {
    if (audio[i] > 0.25f && audio[i - 1] <= 0.25f) {
      onsets.push_back(static_cast<int64_t>(i));
    }
  }
  return onsets;
}

// The beat's rule: every beat the click, `beats` to the measure.
BeatRule ClickRule(const Sound& click, int rate, int32_t bpm, int beats) {
  BeatRule rule;
  rule.playing = true;
  rule.rate = rate;
  rule.bpm = bpm;
  rule.beats = beats;
  for (int b = 0; b < beats; ++b) rule.beat[static_cast<std::size_t>(b)].sound = &click;
  return rule;
}

// Waits in real time for `done`, at most five seconds, looking at the loop's notices.
bool WaitFor(base::MessageLoop& loop, const std::function<bool()>& done) {
  return testing::WaitUntil(
      [&] {
        for (base::Message message; loop.Peek(message);) {
        }
        return done();
      },
      std::chrono::seconds(5), std::chrono::milliseconds(5));
}

// Link on the output at 240 BPM (250 ms a beat) and a peer of the test's own in its session.
struct LinkedPeer {
  LinkedPeer(AudioOutput& output, base::MessageLoop& loop)
      : output(output), link(AddLinkSession(output, 500)), peer(240) {
    link.SetTempo(240);
    link.Enable(true);
    peer.enable(true);
    met = WaitFor(loop, [&] { return link.Peers() == 1 && peer.numPeers() == 1; });
    // Link measures the peer's clock for a while after they meet.
    if (met) std::this_thread::sleep_for(std::chrono::seconds(2));
  }
  // How far the frame heard now lies from the session's beat now, in ms: the median of seven
  // readings 10 ms apart (a reading the scheduler splits is off by the split).
  double OffsetMs() {
    std::vector<double> offsets;
    for (int i = 0; i < 7; ++i) {
      const TimelineView view = link.AppView(4);
      const ableton::Link::SessionState state = peer.captureAppSessionState();
      const double session = state.beatAtTime(peer.clock().micros(), 4);
      offsets.push_back((view.BeatAt(output.HeardFrame()) - session) * 250);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::sort(offsets.begin(), offsets.end());
    return offsets[3];
  }
  AudioOutput& output;
  LinkSession& link;
  ableton::Link peer;
  bool met = false;
};

std::unique_ptr<JackOutput> Open(base::MessageLoop& loop, TransportMode transport,
                                 FallbackOpener fallback = {}, bool connect_system = false) {
  JackOptions options;
  options.connect_system = connect_system;
  options.transport = transport;
  std::string why;
  auto output = OpenJackOutput(options, loop, std::move(fallback), &why);
  EXPECT_NE(output, nullptr) << why;
  return output;
}

// How many of the system's physical ports (of `direction`) the program's port is connected to.
int SystemPortsOf(const std::string& port, unsigned long direction) {
  jack_status_t status{};
  jack_client_t* client = jack_client_open("connection-reader", JackNoStartServer, &status);
  if (client == nullptr) return -1;
  int count = 0;
  if (const char** connected =
          jack_port_get_all_connections(client, jack_port_by_name(client, port.c_str()))) {
    for (const char** name = connected; *name != nullptr; ++name) {
      const unsigned long physical = JackPortIsPhysical | direction;
      jack_port_t* other = jack_port_by_name(client, *name);
      count += other != nullptr && (jack_port_flags(other) & physical) == physical;
    }
    jack_free(connected);
  }
  jack_client_close(client);
  return count;
}

// Runs the current test again in its own test program under `pw-jack` (PipeWire's libjack) and
// passes on its outcome; skips when PipeWire's JACK is not installed.
void RerunTestUnderPwJack() {
  constexpr const char* kRerun = "CADENCIO_UNDER_PW_JACK";
  ASSERT_EQ(std::getenv(kRerun), nullptr) << "pw-jack did not load PipeWire's libjack";
  if (std::system("command -v pw-jack >/dev/null && command -v pipewire >/dev/null") != 0) {
    GTEST_SKIP() << "PipeWire's JACK is not installed (Debian's pipewire and pipewire-jack)";
  }
  // Under the address sanitizer: PipeWire 0.3.65's libjack keeps its ports and properties past
  // jack_client_close; that is no leak of this program.
  const std::filesystem::path leaks = std::filesystem::temp_directory_path() /
                                      ("cadencio-pw-jack-" + std::to_string(getpid()) + ".supp");
  std::ofstream(leaks) << "leak:pipewire-0.3/jack/libjack.so\nleak:libpipewire-0.3.so\n";
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string line = std::string(kRerun) + "=1 LSAN_OPTIONS=suppressions='" + leaks.string() +
                           "' timeout -k 10 240 pw-jack '" + program +
                           "' --gtest_filter=" + test->test_suite_name() + "." + test->name() +
                           " 2>&1";
  FILE* pipe = popen(line.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int status = pclose(pipe);
  std::filesystem::remove(leaks);
  if (output.find("[  SKIPPED ]") != std::string::npos) GTEST_SKIP() << output;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
}

struct BeatCase {
  int rate;
  int32_t bpm;
};

// Plays nine beats of the click on a server at the case's rate, recorded by the probe: every
// onset on its frame from the first, Start on the first beat, the clocks on theirs from it, Stop
// after the last. `connect_system` also connects the program to the system's ports, as it does
// for its user.
void ExpectTheBeatAndTheClockOnTheirFrames(const BeatCase& c, bool connect_system = false) {
  SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.bpm) + " BPM");
  JackServer server(c.rate);
  if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
  base::MessageLoop loop;
  auto output = Open(loop, TransportMode::kOff, {}, connect_system);
  ASSERT_NE(output, nullptr);
  JackProbe probe(60);
  ASSERT_TRUE(probe.Ready());
  probe.Connect();
  Mixer& mixer = output->GetMixer();
  ASSERT_EQ(mixer.SampleRate(), c.rate);
  const Sound click = Click(c.rate);
  BeatRule rule = ClickRule(click, c.rate, c.bpm, 4);
  rule.start = rule.from = mixer.FramesRendered() + output->LeadFrames();
  mixer.SetBeatRule(rule);
  constexpr int kBeats = 9;
  const int64_t beats_end = rule.start + ScheduleFrame(kBeats, 1, c.bpm, c.rate);
  ASSERT_TRUE(WaitFor(loop, [&] { return mixer.FramesRendered() > beats_end; }));
  rule.playing = false;
  rule.from = mixer.FramesRendered() + output->LeadFrames();
  mixer.SetBeatRule(rule);
  ASSERT_TRUE(probe.WaitFrames(rule.from - rule.start + c.rate / 2 + 4096));

  const std::vector<int64_t> onsets = Onsets(probe);
  ASSERT_GE(onsets.size(), static_cast<std::size_t>(kBeats));
  for (std::size_t k = 0; k < onsets.size(); ++k) {
    EXPECT_EQ(onsets[k] - onsets[0], ScheduleFrame(static_cast<int64_t>(k), 1, c.bpm, c.rate))
        << "beat " << k;
  }
  std::vector<int64_t> clocks;
  int64_t start = -1, stop = -1;
  for (const JackProbe::MidiEvent& event : probe.Midi()) {
    if (event.status == MidiClock::kStart) start = event.frame;
    if (event.status == MidiClock::kStop) stop = event.frame;
    if (event.status == MidiClock::kClock) {
      EXPECT_LT(stop, 0) << "a clock after Stop";
      clocks.push_back(event.frame);
    }
  }
  EXPECT_EQ(start, onsets[0]);
  ASSERT_GE(clocks.size(), static_cast<std::size_t>(kBeats * MidiClock::kClocksPerBeat));
  for (std::size_t n = 0; n < clocks.size(); ++n) {
    ASSERT_EQ(clocks[n] - onsets[0], ScheduleFrame(static_cast<int64_t>(n), 24, c.bpm, c.rate))
        << "clock " << n;
  }
  EXPECT_GT(stop, clocks.back());
  if (connect_system) {
    EXPECT_EQ(SystemPortsOf("cadencio:out_l", JackPortIsInput), 1);
    EXPECT_EQ(SystemPortsOf("cadencio:out_r", JackPortIsInput), 1);
    EXPECT_EQ(SystemPortsOf("cadencio:in", JackPortIsOutput), 1);
  }
}

TEST(JackOutput, TheBeatAndTheMidiClockLieOnTheirFramesAtTheServersRate) {
  const BeatCase cases[] = {{44100, 125}, {48000, 192}, {48000, 500}};
  for (const BeatCase& c : cases) ExpectTheBeatAndTheClockOnTheirFrames(c);
}

// The same through PipeWire's JACK API, on a private PipeWire daemon (support/pipewire_dummy.sh)
// at each rate, the program connected to its system ports as for its user: the test runs again
// in its own test program under `pw-jack`.
// On a loaded machine PipeWire can run the recording probe a cycle apart from the program, and
// the recording then loses a quantum: a case that fails is run again once, and a fault of the
// program's fails both times.
TEST(JackOutput, OnPipeWiresJackTheBeatAndTheClockLieOnTheirFrames) {
  if (!testing::PipeWireJackLoaded()) return RerunTestUnderPwJack();
  const BeatCase cases[] = {{48000, 192}, {44100, 125}};
  for (const BeatCase& c : cases) {
    ::testing::TestPartResultArray first;
    {
      const ::testing::ScopedFakeTestPartResultReporter quiet(
          ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &first);
      ExpectTheBeatAndTheClockOnTheirFrames(c, true);
    }
    bool failed = false;
    for (int i = 0; i < first.size(); ++i) {
      const ::testing::TestPartResult& result = first.GetTestPartResult(i);
      if (result.skipped()) GTEST_SKIP() << result.message();
      failed |= result.failed();
    }
    if (failed) ExpectTheBeatAndTheClockOnTheirFrames(c, true);
  }
}

// Plays the beat, stops the server, and hears the program say so once and play on through SDL.
void ExpectSdlToTakeOverFromAServerThatGoesAway() {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  JackServer server(48000);
  if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
  base::MessageLoop loop;
  auto output =
      Open(loop, TransportMode::kFollow, [](Mixer& mixer) { return OpenSdlAudioOn(mixer); });
  ASSERT_NE(output, nullptr);
  Mixer& mixer = output->GetMixer();
  std::atomic<int> beats{0};
  mixer.SetOnsetObserver([&beats](int64_t, const Sound&) { ++beats; });
  const Sound click = Click(48000);
  BeatRule rule = ClickRule(click, 48000, 500, 4);
  rule.start = rule.from = mixer.FramesRendered() + output->LeadFrames();
  mixer.SetBeatRule(rule);
  ASSERT_TRUE(WaitFor(loop, [&] { return beats.load() >= 2; }));
  EXPECT_EQ(output->DriverName(), "jack");
  EXPECT_FALSE(output->TakeServerStopped());

  server.Stop();
  ASSERT_TRUE(WaitFor(loop, [&] { return !output->ServerRunning(); }));
  EXPECT_TRUE(output->TakeServerStopped());
  EXPECT_FALSE(output->TakeServerStopped()) << "said once";
  EXPECT_EQ(output->DriverName(), "dummy");
  EXPECT_EQ(output->Transport(), nullptr);
  EXPECT_EQ(output->OpenCapture(), nullptr);
  EXPECT_EQ(mixer.SampleRate(), 48000);
  const int before = beats.load();
  EXPECT_TRUE(WaitFor(loop, [&] { return beats.load() >= before + 2; }))
      << "the rule published before goes on playing";
}

TEST(JackOutput, AServerThatGoesAwayHandsTheMixerToSdlWithTheBeatPlaying) {
  ExpectSdlToTakeOverFromAServerThatGoesAway();
}

// PipeWire's daemon going away is told to the plain shutdown callback alone.
TEST(JackOutput, OnPipeWiresJackADaemonThatGoesAwayHandsTheMixerToSdl) {
  if (!testing::PipeWireJackLoaded()) return RerunTestUnderPwJack();
  ExpectSdlToTakeOverFromAServerThatGoesAway();
}

TEST(JackOutput, AFollowedTransportPutsTheBeatOnTheMastersBeats) {
  JackServer server(48000);
  if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
  base::MessageLoop loop;
  auto output = Open(loop, TransportMode::kFollow);
  ASSERT_NE(output, nullptr);
  JackProbe probe(60);
  ASSERT_TRUE(probe.Ready());
  probe.Connect();
  probe.LeadTransport(100, 3);
  TransportTimeline* timeline = output->Transport();
  ASSERT_NE(timeline, nullptr);
  EXPECT_EQ(timeline->GetRole(), TransportTimeline::Role::kFollow);
  // Past the transport's Starting state (its frame stands still there).
  ASSERT_TRUE(WaitFor(loop, [&] { return timeline->Position().rolling; }));
  const TimelinePosition at = timeline->Position();
  EXPECT_TRUE(at.has_beats);
  EXPECT_DOUBLE_EQ(at.bpm, 100);
  EXPECT_EQ(at.beats_per_bar, 3);

  // A rule from the first beat of the bar the timeline gives, as the beat runner publishes it.
  // On a loaded machine a cycle missed by the output or the probe (an xrun) moves the stream or
  // the probe's recording a period against the transport; the beat runner then publishes
  // again, and so does the test, on a recording during which neither moved.
  Mixer& mixer = output->GetMixer();
  const Sound click = Click(48000);
  BeatRule rule = ClickRule(click, 48000, 100, 3);
  constexpr int64_t kBeatFrames = 28800;
  // How far the timeline's beats moved against the stream (to within a tick's rounding).
  const auto moved = [&](int64_t from, int64_t to) {
    return std::llabs(((to - from) % kBeatFrames + kBeatFrames + kBeatFrames / 2) % kBeatFrames -
                      kBeatFrames / 2) > 64;
  };
  std::vector<int64_t> onsets;
  int64_t zero = 0;
  for (int attempt = 0; attempt < 3 && onsets.empty(); ++attempt) {
    const TimelinePosition now = timeline->Position();
    zero = probe.TransportZero();
    rule.from = mixer.FramesRendered() + output->LeadFrames();
    rule.start = now.beat_frame - ScheduleFrame(now.beat - 1, 1, 100, 48000);
    mixer.SetBeatRule(rule);
    const int64_t recorded = probe.Audio().size();
    ASSERT_TRUE(probe.WaitFrames(recorded + 5 * kBeatFrames));
    if (probe.TransportZero() != zero || moved(now.beat_frame, timeline->Position().beat_frame)) {
      continue;
    }
    for (int64_t onset : Onsets(probe)) {
      if (onset > recorded + output->LeadFrames()) onsets.push_back(onset);
    }
  }
  ASSERT_GE(onsets.size(), 4u);
  for (int64_t onset : onsets) {
    const int64_t off = (onset - zero + kBeatFrames / 2) % kBeatFrames - kBeatFrames / 2;
    EXPECT_LE(std::llabs(off), 48) << "an onset " << off << " frames off the master's beat";
  }
  probe.StopTransport();
  EXPECT_TRUE(WaitFor(loop, [&] { return !timeline->Position().rolling; }));
}

TEST(JackOutput, AsTimebaseMasterTheTransportTakesTheBeatsTempoAndBars) {
  JackServer server(48000);
  if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
  base::MessageLoop loop;
  auto output = Open(loop, TransportMode::kLead);
  ASSERT_NE(output, nullptr);
  EXPECT_EQ(output->Transport()->GetRole(), TransportTimeline::Role::kLead);
  JackProbe probe(60);
  ASSERT_TRUE(probe.Ready());
  probe.Connect();
  Mixer& mixer = output->GetMixer();
  const Sound click = Click(48000);
  BeatRule rule = ClickRule(click, 48000, 90, 3);
  rule.start = rule.from = mixer.FramesRendered() + output->LeadFrames();
  mixer.SetBeatRule(rule);
  probe.StartTransport();
  ASSERT_TRUE(WaitFor(loop, [&] { return probe.SeenBpm() == 90; }));
  EXPECT_EQ(probe.SeenBeatsPerBar(), 3);
  // A bar of 3 beats at 90 BPM is 96000 frames: the bar moves on with the beat.
  ASSERT_TRUE(WaitFor(loop, [&] { return mixer.FramesRendered() > rule.start + 96000; }));
  ASSERT_TRUE(WaitFor(loop, [&] { return probe.SeenBar() >= 2; }));
}

// Link places the beats by the output's latency, the server's while JACK plays; when the server
// goes away late in the program thread's eyes (it was busy), SDL plays the same mixer and the
// session on, and the frame heard now still lies on the session's beat of now.
TEST(JackOutput, LinksSessionStaysOnItsBeatsWhenSdlTakesOver) {
  if (!testing::InPrivateNetwork()) return testing::RerunTestInPrivateNetwork();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  JackServer server(48000);
  if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
  base::MessageLoop loop;
  auto output = Open(loop, TransportMode::kOff, [](Mixer& mixer) { return OpenSdlAudioOn(mixer); });
  ASSERT_NE(output, nullptr);
  LinkedPeer linked(*output, loop);
  ASSERT_TRUE(linked.met);

  jack_status_t status{};
  jack_client_t* client = jack_client_open("latency-reader", JackNoStartServer, &status);
  ASSERT_NE(client, nullptr);
  jack_latency_range_t range{};
  jack_port_get_latency_range(jack_port_by_name(client, "cadencio:out_l"), JackPlaybackLatency,
                              &range);
  jack_client_close(client);
  EXPECT_EQ(output->OutputLatencyFrames(), static_cast<int>(range.max));

  // Once the filter has had a second of buffers.
  const auto offset_ms = [&] {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    return linked.OffsetMs();
  };
  EXPECT_NEAR(offset_ms(), 0, 15) << "through JACK";
  server.Stop();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_TRUE(WaitFor(loop, [&] { return !output->ServerRunning(); }));
  EXPECT_EQ(output->DriverName(), "dummy");
  // SDL's frame heard counts a buffer heard from when it is rendered, Link from when the buffer
  // before it has played: one buffer apart. (A filter kept across the stall is ~60 ms off.)
  const double buffer_ms = output->OutputLatencyFrames() / 48.0;
  EXPECT_NEAR(offset_ms(), buffer_ms, 15) << "through SDL, 300 ms after the server went away";
}

// Link places the stream by the server's clock. Cycles the program misses (its process thread
// held up, as on a busy machine without real-time scheduling, when the server does not wait
// for it) put the mix behind the server; the beats must stay on the session's at once, not
// drift back over the seconds Link's time filter takes to forget the step.
TEST(JackOutput, LinksBeatsStayOnTheSessionWhenTheProgramMissesCycles) {
  if (!testing::InPrivateNetwork()) return testing::RerunTestInPrivateNetwork();
  struct Case {
    int stall_ms;  // the process thread held up once for this long (the server's cycle: 5.3 ms)
  };
  const Case cases[] = {{0}, {30}, {60}};
  JackServer server(48000);
  if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
  base::MessageLoop loop;
  std::atomic<int> stall_ms{0};
  JackOptions options;  // on the server's playback ports, as the program plays: their latency
  options.process_probe = [&stall_ms](bool begins) {
    if (!begins) return;
    if (const int ms = stall_ms.exchange(0)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
  };
  std::string why;
  auto output = OpenJackOutput(options, loop, {}, &why);
  ASSERT_NE(output, nullptr) << why;
  ASSERT_GT(output->OutputLatencyFrames(), 0);
  LinkedPeer linked(*output, loop);
  ASSERT_TRUE(linked.met);
  for (const Case& c : cases) {
    SCOPED_TRACE("held up " + std::to_string(c.stall_ms) + " ms");
    stall_ms.store(c.stall_ms);
    // Well after the stall, and well before the time filter would have forgotten it (2.7 s).
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(stall_ms.load(), 0);
    EXPECT_NEAR(linked.OffsetMs(), 0, 3);
  }
}

TEST(JackOutput, TheCapturePortFeedsTheTunersInput) {
  JackServer server(44100);
  if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
  base::MessageLoop loop;
  auto output = Open(loop, TransportMode::kOff);
  ASSERT_NE(output, nullptr);
  JackProbe probe(10, 0.25f);
  ASSERT_TRUE(probe.Ready());
  probe.Connect();
  auto input = output->OpenCapture();
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(input->SampleRate(), 44100);
  std::vector<float> heard;
  ASSERT_TRUE(WaitFor(loop, [&] {
    input->Read(heard);
    return heard.size() > 4096;
  }));
  EXPECT_FLOAT_EQ(heard.back(), 0.25f);
}

}  // namespace
}  // namespace cadencio::audio

#else

TEST(JackOutput, ThisBuildHasNoJack) {
  EXPECT_FALSE(cadencio::audio::JackBuilt());
}

#endif
