// Link benchmark: two of the program and LinkHut (the Link library's own example peer) in one
// Link session, in a private network namespace the benchmark makes for itself (it runs itself
// again under `unshare -rn`, loopback up with multicast). LinkHut plays on a JACK server with no
// sound card (`jackd -d dummy`, 48000 Hz, cycles of 256 frames), recorded by a JACK client of
// the benchmark's; each program runs whole (the metronome, its keys from a script, the
// screen-reader mode writing what it says), on the sound device the mode gives.
//
// The script: LinkHut starts its session at 120 BPM and plays; program a turns Link on (k) at
// 2 s, program b 1.5 s after a; a presses Up at 22 s, b Page Down at 42 s, LinkHut raises its
// tempo (e) at 62 s. The figures, over the window from 6 s to the end:
//   - when each tempo change reached the others (the said line "Valor BPM = N");
//   - the tempo each plays between the changes (median beat interval);
//   - how far the beats of a and b lie from each other, and from LinkHut's clicks.
//
// The modes, and how the beats are placed:
//   - By default the programs play on an in-process capture at 44100 Hz, paced like a sound
//     card on a fixed schedule that a late buffer does not move. Every time is then Link's
//     clock (CLOCK_MONOTONIC_RAW): each program notes the clock at every buffer its device
//     renders (a stream added to its mixer that mixes nothing), a least-squares line through
//     the notes of the whole run is its device's clock, and a beat at stream frame f (the
//     mixer's onset) is heard at that line's time of f plus the limiter's lookahead and the
//     device's buffer. LinkHut's clicks are placed by a line through the JACK cycles' frame
//     times and the clock noted in each cycle (the dummy driver keeps a fixed schedule too),
//     plus the playback latency JACK reports for LinkHut's port.
//   - With --disk the programs run on SDL's `disk` driver instead, which sleeps a buffer's
//     length after writing each one, so that every late wake-up moves the rest of the stream
//     later for good: there each frame is heard when the buffer that holds it was written.
//   - With --jack the programs play through their JACK back end on LinkHut's server, each its
//     own client: both ask for the name `cadencio`, as two of the program would, the server
//     names the second `cadencio-01`, and the benchmark takes each program's out_l as it
//     appears. All three are connected to the server's playback ports, as they connect
//     themselves, and so have one playback latency to compensate. The recording client
//     records LinkHut's out_1 and both programs' out_l in the same process cycles, so that
//     every onset is a frame of one time line and no clock is fitted: the programs' beats are
//     matched to their beat sounds by the onset finder, LinkHut's clicks start at full scale.
//     Times are frames at the server's rate from the first cycle recorded.
// A beat with none of the other train within 250 ms (a click LinkHut did not play) is counted
// apart. No thread gets real-time scheduling in the namespace: on a busy machine the server's
// cycles come late and a client may miss one (the xruns are counted).
//
// Usage: link_sync [SECONDS] [--disk | --jack] [--keep DIR]
//          (default 120 s; --keep keeps the logs, and with --jack the recordings as raw floats)
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/metronome_state.hpp"
#include "audio/jack/jack_output.hpp"
#include "audio/link/link_session.hpp"
#include "audio/mixer.hpp"
#include "audio/sdl/sdl_audio.hpp"
#include "base/clock.hpp"
#include "base/message_loop.hpp"
#include "files/paths.hpp"
#include "link/jack_recorder.hpp"
#include "measures/beat_offsets.hpp"
#include "measures/beat_sounds.hpp"
#include "measures/onset_finder.hpp"
#include "program/program_parts.hpp"
#include "support/jack_server.hpp"
#include "support/paced_audio.hpp"
#include "support/private_network.hpp"
#include "timing/timed_script.hpp"

namespace {

using namespace cadencio;
using bench::FitLine;
using bench::Line;
using bench::RawMicros;

// The script's moments, in ms from the start of program a.
constexpr int64_t kLinkOnMs = 2000;
constexpr int64_t kSecondStartsMs = 1500;
constexpr int64_t kUpMs = 22000;
constexpr int64_t kPageDownMs = 42000;
constexpr int64_t kHutTempoMs = 62000;
constexpr int64_t kWindowMs = 6000;

// Where the programs play.
enum class Mode { kPaced, kDisk, kJack };
const char* const kModeWords[] = {"paced", "sdl", "jack"};

// A stream added to the mixer that mixes nothing and notes, on the audio thread, the stream
// frame and the clock at every buffer, into room made ahead.
class BufferClock final : public audio::MixedStream {
 public:
  BufferClock(const audio::Mixer& mixer, std::size_t room)
      : mixer_(mixer), frames_(room), times_(room) {}
  void MixInto(float*, int) override {
    const std::size_t i = count_.load(std::memory_order_relaxed);
    if (i >= frames_.size()) return;
    frames_[i] = mixer_.FramesRendered();
    times_[i] = RawMicros();
    count_.store(i + 1, std::memory_order_release);
  }
  std::size_t Count() const { return count_.load(std::memory_order_acquire); }
  const std::vector<int64_t>& Frames() const { return frames_; }
  const std::vector<int64_t>& Times() const { return times_; }

 private:
  const audio::Mixer& mixer_;
  std::vector<int64_t> frames_, times_;
  std::atomic<std::size_t> count_{0};
};

// One program: the metronome at 120 BPM, four beats, Link on at `link_ms` and the keys given,
// ended after `end_ms`, on a paced capture, SDL's audio (the driver SDL_AUDIODRIVER names) or
// the JACK server; its log goes to `log`.
int RunProgram(const std::string& log, int64_t link_ms, int64_t key_ms, uint8_t key, int64_t end_ms,
               Mode mode) {
  base::RealClock clock;
  base::MessageLoop loop;
  std::vector<frontends::ScriptedMessage> script;
  for (uint8_t ch : std::string("120\n")) script.push_back(bench::Char(300, ch));
  script.push_back(bench::Char(600, 'q'));
  script.push_back(bench::Char(link_ms, 'k'));
  if (key_ms < end_ms) script.push_back(bench::Char(key_ms, key));
  script.push_back(bench::Char(end_ms, 27));
  script.push_back(bench::Char(end_ms + 1000, 's'));
  std::vector<std::pair<int64_t, std::string>> said;
  said.reserve(10000);
  bench::TimedScriptFrontend frontend(clock, script, [&said](const std::string& line) {
    said.push_back({RawMicros(), line});
  });
  std::unique_ptr<audio::AudioOutput> audio;
  if (mode == Mode::kJack) {
    // As the program opens it with --jack: the client `cadencio`, on the system's ports.
    std::string why;
    audio = audio::OpenJackOutput(audio::JackOptions{}, loop, {}, &why);
    if (!audio) {
      std::fprintf(stderr, "link_sync: %s\n", why.c_str());
      return 1;
    }
  } else if (mode == Mode::kDisk) {
    audio = audio::OpenSdlAudio(44100);
  } else {
    audio = std::make_unique<cadencio::testing::PacedAudio>(44100, 1024);
  }
  audio::Mixer& mixer = audio->GetMixer();
  audio::LinkSession& link = audio::AddLinkSession(*audio, app::kMaxBpm);
  const auto room = static_cast<std::size_t>(end_ms / 5 + 10000);
  auto buffers_owned = std::make_unique<BufferClock>(mixer, room);
  const BufferClock& buffers = *buffers_owned;
  mixer.AddStream(std::move(buffers_owned));
  std::vector<int64_t> onsets(room);
  std::atomic<std::size_t> onset_count{0};
  mixer.SetOnsetObserver([&](int64_t frame, const audio::Sound&) {
    const std::size_t i = onset_count.load(std::memory_order_relaxed);
    if (i < onsets.size()) onsets[i] = frame;
    onset_count.store(i + 1, std::memory_order_release);
  });
  {
    program::ProgramParts parts({frontend, loop, *audio, clock, &link}, files::DataRoot(), nullptr,
                                /*screen_reader=*/true);
    parts.jack_wanted = mode == Mode::kJack;
    parts.RunToExit([&parts] { program::RunCadencio(parts); });
  }
  std::ofstream out(log);
  out << "rate " << mixer.SampleRate() << "\n";
  out << "lookahead " << mixer.LookaheadFrames() << "\n";
  out << "latency " << audio->OutputLatencyFrames() << "\n";
  out << "driver " << audio->DriverName() << "\n";
  for (std::size_t i = 0; i < buffers.Count(); ++i) {
    out << "b " << buffers.Frames()[i] << " " << buffers.Times()[i] << "\n";
  }
  const std::size_t count = std::min(onset_count.load(), onsets.size());
  for (std::size_t i = 0; i < count; ++i) out << "o " << onsets[i] << "\n";
  for (const auto& [at, text] : said) out << "s " << at << " " << text << "\n";
  return 0;
}

// What one program did: its beats as heard, and what it said when.
struct ProgramRun {
  std::string driver;
  std::vector<double> beats_us;  // heard, in Link's clock
  std::vector<std::pair<double, std::string>> said;
  double jitter_us = 0;  // the largest distance of a buffer's note from the device's line
};

ProgramRun ReadProgram(const std::string& log) {
  ProgramRun run;
  std::ifstream in(log);
  std::string kind;
  double rate = 44100, lookahead = 0, latency = 0;
  std::vector<double> frames, times, onsets;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    words >> kind;
    if (kind == "rate") words >> rate;
    if (kind == "lookahead") words >> lookahead;
    if (kind == "latency") words >> latency;
    if (kind == "driver") words >> run.driver;
    if (kind == "b") {
      double frame, time;
      words >> frame >> time;
      frames.push_back(frame), times.push_back(time);
    }
    if (kind == "o") {
      double frame;
      words >> frame;
      onsets.push_back(frame);
    }
    if (kind == "s") {
      double at;
      words >> at;
      std::string text;
      std::getline(words >> std::ws, text);
      run.said.push_back({at, text});
    }
  }
  if (frames.size() < 2) return run;
  const Line device = FitLine(frames, times);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    run.jitter_us = std::max(run.jitter_us, std::abs(times[i] - device.At(frames[i])));
  }
  for (double frame : onsets) {
    // The output runs the lookahead behind the mix, and a buffer is heard a buffer after it is
    // rendered.
    const double out = frame + lookahead;
    if (run.driver != "disk") {
      run.beats_us.push_back(device.At(out + latency));
      continue;
    }
    const auto next = std::upper_bound(frames.begin(), frames.end(), out);
    if (next == frames.begin()) continue;
    const std::size_t buffer = static_cast<std::size_t>(next - frames.begin()) - 1;
    run.beats_us.push_back(times[buffer] + (out - frames[buffer] + latency) * 1e6 / rate);
  }
  return run;
}

// When a program first said `text` after `after`, in ms from `after`; -1 when it never did.
double SaidAfter(const ProgramRun& run, const std::string& text, double after) {
  for (const auto& [at, line] : run.said) {
    if (at >= after && line.find(text) != std::string::npos) return (at - after) / 1000;
  }
  return -1;
}

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env,
            int in_fd = -1) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
  if (in_fd >= 0) dup2(in_fd, 0);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  dup2(null, 2);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

// Waits for a program to end, until `deadline` and 20 s more; then ends it.
void WaitOrKill(pid_t pid, std::chrono::steady_clock::time_point deadline) {
  const auto last = deadline + std::chrono::seconds(20);
  while (waitpid(pid, nullptr, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > last) {
      std::fprintf(stderr, "link_sync: a program did not end; it is stopped\n");
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

// LinkHut's clicks (frames of its recording) heard in Link's clock: at their cycle's frame
// time, placed by the line through all cycles (or by the clock their own cycle noted, when
// `own_cycle`), plus LinkHut's playback latency.
std::vector<double> HutClicks(const std::vector<bench::JackRecorder::Cycle>& cycles,
                              const std::vector<int64_t>& starts, int rate, double latency,
                              bool own_cycle) {
  std::vector<double> clicks, frames, times, firsts;
  if (cycles.size() < 2) return clicks;
  for (const auto& cycle : cycles) {
    frames.push_back(cycle.frame_time), times.push_back(cycle.clock_us);
    firsts.push_back(cycle.start);
  }
  const bench::Line line = bench::FitLine(frames, times);
  for (int64_t start : starts) {
    const auto at = static_cast<double>(start);
    const auto cycle = static_cast<std::size_t>(std::upper_bound(firsts.begin(), firsts.end(), at) -
                                                firsts.begin() - 1);
    const double into = at - firsts[cycle] + latency;
    clicks.push_back(own_cycle ? times[cycle] + into * 1e6 / rate : line.At(frames[cycle] + into));
  }
  return clicks;
}

// The largest distance of a JACK cycle's clock from the line through them all.
double CycleJitterUs(const std::vector<bench::JackRecorder::Cycle>& cycles) {
  std::vector<double> frames, times;
  for (const auto& cycle : cycles) {
    frames.push_back(cycle.frame_time), times.push_back(cycle.clock_us);
  }
  if (cycles.size() < 2) return 0;
  const bench::Line line = bench::FitLine(frames, times);
  double largest = 0;
  for (std::size_t i = 0; i < cycles.size(); ++i) {
    largest = std::max(largest, std::abs(times[i] - line.At(frames[i])));
  }
  return largest;
}

// The beats of a program's recording: its beat sounds' onsets, each matched where the stream
// first rises after 125 ms of quiet.
std::vector<int64_t> RecordedBeats(const std::vector<float>& take, const bench::BeatSounds& sounds,
                                   int rate) {
  const bench::OnsetFinder finder({sounds.beat, sounds.measure}, take);
  return finder.RefineAll(bench::ThresholdOnsets(take, rate / 8), 32);
}

// The output port of a program's JACK client that is not among `known`, waiting five seconds
// for it to appear; empty when none did.
std::string NewProgramPort(const bench::JackRecorder& rec, const std::vector<std::string>& known) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    for (const std::string& port : rec.OutputPorts("^cadencio.*:out_l$")) {
      if (std::find(known.begin(), known.end(), port) == known.end()) return port;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return {};
}

void WriteRaw(const std::string& path, const std::vector<float>& samples) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(samples.data()),
             static_cast<std::streamsize>(samples.size() * sizeof(float)));
}

int Coordinate(int seconds, Mode mode, const std::string& dir, bool keep) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  cadencio::testing::JackServer server(48000, 256);
  if (!server.Missing().empty()) {
    std::fprintf(stderr, "link_sync: %s\n", server.Missing().c_str());
    return 1;
  }
  const bool jack = mode == Mode::kJack;
  // The recorder, then LinkHut: its session is the oldest, and it plays.
  std::vector<std::string> inputs{"hut"};
  if (jack) inputs.insert(inputs.end(), {"a", "b"});
  bench::JackRecorder rec("link_sync", inputs, seconds + 80);
  if (!rec.Ready()) {
    std::fprintf(stderr, "link_sync: the recording client did not open\n");
    return 1;
  }
  const int rate = rec.Rate();
  int hut_in[2];
  if (pipe(hut_in) != 0) return 1;
  const pid_t hut = Spawn({"LinkHut"}, {}, hut_in[0]);
  close(hut_in[0]);
  const auto press = [&hut_in](char key) {
    if (write(hut_in[1], &key, 1) != 1) std::fprintf(stderr, "link_sync: LinkHut is gone\n");
  };
  std::this_thread::sleep_for(std::chrono::seconds(1));
  press('a');
  press(' ');
  rec.Connect("LinkHut:out_1", 0);
  std::this_thread::sleep_for(std::chrono::seconds(2));

  // The two programs (with --jack, each program's port recorded as its client appears), and
  // LinkHut's tempo change.
  const int64_t end_ms = kWindowMs + seconds * int64_t{1000} + 2000;
  const auto program = [&](const char* name, int64_t offset, int64_t key_ms, const char* key) {
    std::filesystem::create_directories(dir + "/" + name);
    return Spawn({self, "--program", dir + "/" + name + ".log", std::to_string(kLinkOnMs),
                  std::to_string(key_ms - offset), key, std::to_string(end_ms - offset),
                  kModeWords[static_cast<int>(mode)]},
                 {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + dir + "/" + name + ".raw",
                  "AUDIRA_WINDIR=" + dir + "/" + name});
  };
  std::vector<std::string> ports;
  const auto record = [&](std::size_t input) {
    if (!jack) return true;
    const std::string port = NewProgramPort(rec, ports);
    ports.push_back(port);
    return !port.empty() && rec.Connect(port, input);
  };
  const auto started = std::chrono::steady_clock::now();
  const double start_us = static_cast<double>(RawMicros());
  const pid_t a = program("a", 0, kUpMs, "^");
  bool recorded = record(1);
  std::this_thread::sleep_until(started + std::chrono::milliseconds(kSecondStartsMs));
  const pid_t b = program("b", kSecondStartsMs, kPageDownMs, "-");
  recorded = record(2) && recorded;
  const auto deadline = started + std::chrono::milliseconds(end_ms);
  if (!recorded) {
    std::fprintf(stderr, "link_sync: a program's JACK client did not appear; it is stopped\n");
    kill(a, SIGKILL), kill(b, SIGKILL);
  }
  // The latencies once every client has connected itself, as the window begins.
  std::this_thread::sleep_until(started + std::chrono::milliseconds(kWindowMs));
  const unsigned hut_latency = rec.PlaybackLatency("LinkHut:out_1");
  std::vector<unsigned> latencies;
  for (const std::string& port : ports) latencies.push_back(rec.PlaybackLatency(port));
  // A change the run is too short for comes after its end.
  double hut_key_us = start_us + static_cast<double>(end_ms) * 1000.0 + 1e9;
  if (recorded && kHutTempoMs < end_ms) {
    std::this_thread::sleep_until(started + std::chrono::milliseconds(kHutTempoMs));
    hut_key_us = static_cast<double>(RawMicros());
    press('e');
  }
  WaitOrKill(a, deadline);
  WaitOrKill(b, deadline);
  press('q');
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  rec.Stop();
  kill(hut, SIGKILL);
  waitpid(hut, nullptr, 0);
  server.Stop();
  if (!recorded) return 1;

  ProgramRun run_a = ReadProgram(dir + "/a.log"), run_b = ReadProgram(dir + "/b.log");
  const std::vector<bench::JackRecorder::Cycle> cycles = rec.Cycles();
  const std::vector<float> hut_take = rec.Take(0);
  const std::vector<int64_t> hut_starts = bench::LoudStarts(hut_take, rate);
  std::vector<double> clicks, cycle_clicks;
  if (jack && !cycles.empty()) {
    // One frame line: frame i of every recording was played in the same cycle.
    const double origin = cycles.front().clock_us;
    const auto on_line = [&](const std::vector<int64_t>& frames) {
      std::vector<double> times;
      for (int64_t frame : frames)
        times.push_back(origin + static_cast<double>(frame) * 1e6 / rate);
      return times;
    };
    const bench::BeatSounds sounds(rate);
    clicks = on_line(hut_starts);
    const std::vector<float> take_a = rec.Take(1), take_b = rec.Take(2);
    run_a.beats_us = on_line(RecordedBeats(take_a, sounds, rate));
    run_b.beats_us = on_line(RecordedBeats(take_b, sounds, rate));
    if (keep) {
      WriteRaw(dir + "/hut.f32", hut_take);
      WriteRaw(dir + "/a.f32", take_a);
      WriteRaw(dir + "/b.f32", take_b);
    }
  } else {
    clicks = HutClicks(cycles, hut_starts, rate, hut_latency, false);
    cycle_clicks = HutClicks(cycles, hut_starts, rate, hut_latency, true);
  }
  // The JACK cycles (frame time, clock) and every beat, in microseconds.
  std::ofstream onsets(dir + "/onsets.log");
  onsets.precision(17);
  for (const auto& cycle : cycles) {
    onsets << "c " << cycle.frame_time << " " << cycle.clock_us << "\n";
  }
  const auto write = [&onsets](const char* who, const std::vector<double>& beats) {
    for (double at : beats) onsets << who << " " << at << "\n";
  };
  write("k", clicks), write("a", run_a.beats_us), write("b", run_b.beats_us);
  const double from = start_us + kWindowMs * 1000.0;
  const double to = start_us + static_cast<double>(end_ms - 1000) * 1000.0;
  if (jack) {
    std::printf(
        "Link: two programs (JACK clients %s and %s) and LinkHut on one dummy JACK server at "
        "%d Hz, recorded in the same cycles, %d s\n",
        ports[0].substr(0, ports[0].find(':')).c_str(),
        ports[1].substr(0, ports[1].find(':')).c_str(), rate, seconds);
    std::printf("playback latency: a %u, b %u, LinkHut %u frames; xruns %d\n\n", latencies[0],
                latencies[1], hut_latency, rec.Xruns());
  } else {
    std::printf(
        "Link: two programs (%s output, 44100 Hz) and LinkHut (JACK dummy, %d Hz, "
        "playback latency %u frames), %d s\n\n",
        run_a.driver.c_str(), rate, hut_latency, seconds);
    std::printf("device line: largest buffer note off it a %.3f ms, b %.3f ms, JACK %.3f ms\n\n",
                run_a.jitter_us / 1000, run_b.jitter_us / 1000, CycleJitterUs(cycles) / 1000);
  }
  std::printf("tempo changes, reached (said) after:\n");
  const double up_us = start_us + kUpMs * 1000.0, down_us = start_us + kPageDownMs * 1000.0;
  std::printf("  a Up to 121:        b %8.0f ms\n", SaidAfter(run_b, "Valor BPM = 121", up_us));
  std::printf("  b Page Down to 111: a %8.0f ms\n", SaidAfter(run_a, "Valor BPM = 111", down_us));
  std::printf("  LinkHut e to 112:   a %8.0f ms, b %8.0f ms\n\n",
              SaidAfter(run_a, "Valor BPM = 112", hut_key_us),
              SaidAfter(run_b, "Valor BPM = 112", hut_key_us));
  std::printf("tempo played (median interval), BPM:   a        b        LinkHut\n");
  const double marks[] = {from, up_us + 2e6, down_us + 2e6, hut_key_us + 2e6};
  const double bounds[] = {std::min(up_us, to), std::min(down_us, to), std::min(hut_key_us, to),
                           to};
  for (int i = 0; i < 4 && marks[i] < to; ++i) {
    std::printf("  segment %d                          %8.3f %8.3f %8.3f\n", i + 1,
                bench::TempoBetween(run_a.beats_us, marks[i], bounds[i]),
                bench::TempoBetween(run_b.beats_us, marks[i], bounds[i]),
                bench::TempoBetween(clicks, marks[i], bounds[i]));
  }
  std::printf("\nbeat onsets (nearest, in the window%s):\n", jack ? ", as recorded" : "");
  bench::PrintOffsets("b from a", bench::Offsets(run_a.beats_us, run_b.beats_us, from, to));
  bench::PrintOffsets("LinkHut from a", bench::Offsets(run_a.beats_us, clicks, from, to));
  bench::PrintOffsets("LinkHut from b", bench::Offsets(run_b.beats_us, clicks, from, to));
  if (!jack) {
    bench::PrintOffsets("LinkHut (own cycles) from a",
                        bench::Offsets(run_a.beats_us, cycle_clicks, from, to));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 8 && std::string(argv[1]) == "--program") {
    const auto word = std::find(std::begin(kModeWords), std::end(kModeWords), std::string(argv[7]));
    if (word == std::end(kModeWords)) return 2;
    return RunProgram(argv[2], std::atoll(argv[3]), std::atoll(argv[4]),
                      static_cast<uint8_t>(argv[5][0]), std::atoll(argv[6]),
                      static_cast<Mode>(word - std::begin(kModeWords)));
  }
  int seconds = 120;
  Mode mode = Mode::kPaced;
  std::string keep;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--keep" && i + 1 < argc) {
      keep = argv[++i];
    } else if (arg == "--disk" || arg == "--jack") {
      mode = arg == "--disk" ? Mode::kDisk : Mode::kJack;
    } else if (!arg.empty() && std::isdigit(static_cast<unsigned char>(arg[0]))) {
      seconds = std::max(10, std::atoi(argv[i]));
    } else {
      std::fprintf(stderr, "usage: link_sync [SECONDS] [--disk | --jack] [--keep DIR]\n");
      return 2;
    }
  }
  if (!cadencio::testing::InPrivateNetwork()) {
    std::string command = "'" + std::filesystem::read_symlink("/proc/self/exe").string() + "' " +
                          std::to_string(seconds);
    if (!keep.empty()) command += " --keep '" + keep + "'";
    if (mode == Mode::kDisk) command += " --disk";
    if (mode == Mode::kJack) command += " --jack";
    const cadencio::testing::NetworkRun run = cadencio::testing::RunInPrivateNetwork(command);
    std::fputs(run.output.c_str(), stdout);
    return run.made ? run.status : 1;
  }
  std::string dir = keep;
  if (dir.empty()) {
    char pattern[] = "/tmp/link-sync-XXXXXX";
    dir = mkdtemp(pattern);
  }
  std::filesystem::create_directories(dir);
  const int status = Coordinate(seconds, mode, dir, !keep.empty());
  if (keep.empty()) std::filesystem::remove_all(dir);
  return status;
}
