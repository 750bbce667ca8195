// Link benchmark: two of the program and LinkHut (the Link library's own example peer) in one
// Link session, in a private network namespace the benchmark makes for itself (it runs itself
// again under `unshare -rn`, loopback up with multicast). LinkHut plays on a JACK server with no
// sound card (`jackd -d dummy`), recorded by a JACK client of the benchmark's; each program runs
// whole (the metronome, its keys from a script, the screen-reader mode writing what it says) on
// SDL's `disk` driver, with the mixer's onsets taken in the process.
//
// The script: LinkHut starts its session at 120 BPM and plays; program a turns Link on (k) at
// 2 s, program b 1.5 s after a; a presses Up at 22 s, b Page Down at 42 s, LinkHut raises its
// tempo (e) at 62 s. The figures, over the window from 6 s to the end:
//   - when each tempo change reached the others (the said line "Valor BPM = N");
//   - the tempo each plays between the changes (median beat interval);
//   - how far the beats of a and b lie from each other, and from LinkHut's clicks.
//
// Time bases: every time is Link's clock (CLOCK_MONOTONIC_RAW). Each program notes the clock at
// every buffer its sound device renders (a stream added to its mixer that mixes nothing). By
// default the device is an in-process capture paced like a sound card, on a fixed schedule
// that a late buffer does not move: a least-squares line through the notes of the whole run is
// its clock, and a beat at stream frame f is heard at that line's time of f plus the limiter's
// lookahead and the device's buffer. With --disk the programs run on SDL's `disk` driver
// instead, which sleeps a buffer's length after writing each one, so that every late wake-up
// moves the rest of the stream later for good: there each frame is heard when the buffer that
// holds it was written. LinkHut's recording is placed by a line through the JACK cycles' frame
// times and the clock noted in each cycle (the dummy driver keeps a fixed schedule too), plus
// the playback latency JACK reports for LinkHut's port, which is what LinkHut compensates.
//
// Usage: link_sync [SECONDS] [--disk] [--keep DIR]
//          (default 120 s; --disk: the programs on SDL's disk driver; --keep keeps the logs)
#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/metronome_state.hpp"
#include "audio/link/link_session.hpp"
#include "audio/mixer.hpp"
#include "audio/sdl/sdl_audio.hpp"
#include "base/clock.hpp"
#include "base/message_loop.hpp"
#include "files/paths.hpp"
#include "program/program_parts.hpp"
#include "support/paced_audio.hpp"
#include "support/private_network.hpp"
#include "timing/timed_script.hpp"

namespace {

using namespace cadencio;

int64_t RawMicros() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC_RAW, &ts);
  return int64_t{ts.tv_sec} * 1'000'000 + ts.tv_nsec / 1000;
}

// The script's moments, in ms from the start of program a.
constexpr int64_t kLinkOnMs = 2000;
constexpr int64_t kSecondStartsMs = 1500;
constexpr int64_t kUpMs = 22000;
constexpr int64_t kPageDownMs = 42000;
constexpr int64_t kHutTempoMs = 62000;
constexpr int64_t kWindowMs = 6000;

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
// ended after `end_ms`, on SDL's audio (the driver SDL_AUDIODRIVER names) or a paced capture;
// its log goes to `log`.
int RunProgram(const std::string& log, int64_t link_ms, int64_t key_ms, uint8_t key, int64_t end_ms,
               bool sdl) {
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
  if (sdl) {
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

// A straight line t = a x + b through points, by least squares about their means.
struct Line {
  double a = 0, b = 0;
  double At(double x) const { return a * x + b; }
};
Line FitLine(const std::vector<double>& x, const std::vector<double>& t) {
  const double n = static_cast<double>(x.size());
  double mx = 0, mt = 0;
  for (std::size_t i = 0; i < x.size(); ++i) mx += x[i] / n, mt += t[i] / n;
  double sxx = 0, sxt = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    sxx += (x[i] - mx) * (x[i] - mx);
    sxt += (x[i] - mx) * (t[i] - mt);
  }
  const double a = sxx > 0 ? sxt / sxx : 0;
  return {a, mt - a * mx};
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

// LinkHut's output as recorded in the JACK process callback, into room made ahead: the samples,
// and for each cycle its first frame, where its samples begin and the clock.
struct HutRecording {
  jack_client_t* client = nullptr;
  jack_port_t* port = nullptr;
  std::vector<float> samples;
  std::vector<double> cycle_frames, cycle_times, cycle_starts;
  std::atomic<std::size_t> sample_count{0}, cycle_count{0};
  int rate = 48000;
};

int RecordCycle(jack_nframes_t frames, void* arg) {
  auto& rec = *static_cast<HutRecording*>(arg);
  const auto* in = static_cast<const float*>(jack_port_get_buffer(rec.port, frames));
  const std::size_t at = rec.sample_count.load(std::memory_order_relaxed);
  const std::size_t cycle = rec.cycle_count.load(std::memory_order_relaxed);
  if (at + frames > rec.samples.size() || cycle >= rec.cycle_times.size()) return 0;
  std::copy(in, in + frames, rec.samples.begin() + static_cast<std::ptrdiff_t>(at));
  rec.cycle_frames[cycle] = static_cast<double>(jack_last_frame_time(rec.client));
  rec.cycle_times[cycle] = static_cast<double>(RawMicros());
  rec.cycle_starts[cycle] = static_cast<double>(at);
  rec.cycle_count.store(cycle + 1, std::memory_order_release);
  rec.sample_count.store(at + frames, std::memory_order_release);
  return 0;
}

// The clicks of the recording, heard in Link's clock: the first sample above half scale after
// 50 ms of quiet, at its cycle's frame, placed by the cycles' line (or by the clock its own
// cycle noted, when `own_cycle`) plus LinkHut's playback latency.
std::vector<double> HutClicks(const HutRecording& rec, double latency_frames, bool own_cycle) {
  const std::size_t cycles = rec.cycle_count.load();
  const std::vector<double> frames(rec.cycle_frames.begin(), rec.cycle_frames.begin() + cycles);
  const std::vector<double> times(rec.cycle_times.begin(), rec.cycle_times.begin() + cycles);
  const std::vector<double> starts(rec.cycle_starts.begin(), rec.cycle_starts.begin() + cycles);
  std::vector<double> clicks;
  if (cycles < 2) return clicks;
  const Line line = FitLine(frames, times);
  const std::size_t quiet = static_cast<std::size_t>(rec.rate) / 20;
  std::size_t last_loud = 0;
  bool any = false;
  for (std::size_t i = 0; i < rec.sample_count.load(); ++i) {
    if (std::abs(rec.samples[i]) < 0.5f) continue;
    if (!any || i - last_loud > quiet) {
      const auto cycle = static_cast<std::size_t>(
          std::upper_bound(starts.begin(), starts.end(), static_cast<double>(i)) - starts.begin() -
          1);
      const double into = static_cast<double>(i) - starts[cycle] + latency_frames;
      clicks.push_back(own_cycle ? times[cycle] + into * 1e6 / rec.rate
                                 : line.At(frames[cycle] + into));
    }
    last_loud = i, any = true;
  }
  return clicks;
}

// The largest distance of a JACK cycle's clock from the line through them all.
double CycleJitterUs(const HutRecording& rec) {
  const std::size_t cycles = rec.cycle_count.load();
  const std::vector<double> frames(rec.cycle_frames.begin(), rec.cycle_frames.begin() + cycles);
  const std::vector<double> times(rec.cycle_times.begin(), rec.cycle_times.begin() + cycles);
  if (cycles < 2) return 0;
  const Line line = FitLine(frames, times);
  double largest = 0;
  for (std::size_t i = 0; i < cycles; ++i) {
    largest = std::max(largest, std::abs(times[i] - line.At(frames[i])));
  }
  return largest;
}

// Distances from each of `beats` in the window to the nearest of `other`, in ms.
std::vector<double> Offsets(const std::vector<double>& beats, const std::vector<double>& other,
                            double from, double to) {
  std::vector<double> offsets;
  for (double at : beats) {
    if (at < from || at > to || other.empty()) continue;
    const auto next = std::lower_bound(other.begin(), other.end(), at);
    double best = 1e18;
    if (next != other.end()) best = *next - at;
    if (next != other.begin() && std::abs(*std::prev(next) - at) < std::abs(best)) {
      best = *std::prev(next) - at;
    }
    offsets.push_back(best / 1000);
  }
  return offsets;
}

void PrintOffsets(const char* what, std::vector<double> offsets) {
  if (offsets.empty()) return (void)std::printf("%-26s no beats\n", what);
  double mean = 0;
  for (double d : offsets) mean += d / static_cast<double>(offsets.size());
  for (double& d : offsets) d = std::abs(d);
  std::sort(offsets.begin(), offsets.end());
  const auto at = [&offsets](double q) {
    return offsets[static_cast<std::size_t>(q * static_cast<double>(offsets.size() - 1))];
  };
  std::printf("%-26s %5zu beats  mean %+7.3f  |median| %6.3f  |p95| %6.3f  |max| %6.3f ms\n", what,
              offsets.size(), mean, at(0.5), at(0.95), offsets.back());
}

// The tempo of the beats between two moments: from the median interval.
double TempoBetween(const std::vector<double>& beats, double from, double to) {
  std::vector<double> intervals;
  for (std::size_t i = 1; i < beats.size(); ++i) {
    if (beats[i - 1] >= from && beats[i] <= to) intervals.push_back(beats[i] - beats[i - 1]);
  }
  if (intervals.empty()) return 0;
  std::nth_element(intervals.begin(), intervals.begin() + intervals.size() / 2, intervals.end());
  return 60e6 / intervals[intervals.size() / 2];
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

int Coordinate(int seconds, bool disk, const std::string& dir) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string server = "link-sync-" + std::to_string(getpid());
  setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
  const pid_t jackd = Spawn({"jackd", "-n", server, "-d", "dummy", "-r", "48000", "-p", "256"}, {});
  if (std::system(("jack_wait -w -t 10 -s " + server + " >/dev/null").c_str()) != 0) {
    std::fprintf(stderr, "link_sync: jackd -d dummy did not start\n");
    return 1;
  }
  // The recorder, then LinkHut: its session is the oldest, and it plays.
  HutRecording rec;
  const auto run_us = static_cast<std::size_t>(seconds + 80);
  rec.client = jack_client_open("link_sync", JackNoStartServer, nullptr);
  rec.port = jack_port_register(rec.client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  rec.rate = static_cast<int>(jack_get_sample_rate(rec.client));
  rec.samples.resize(run_us * static_cast<std::size_t>(rec.rate));
  for (auto* cycles : {&rec.cycle_frames, &rec.cycle_times, &rec.cycle_starts}) {
    cycles->resize(rec.samples.size() / 64);
  }
  jack_set_process_callback(rec.client, &RecordCycle, &rec);
  jack_activate(rec.client);
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
  bool connected = false;
  for (int i = 0; i < 50 && !connected; ++i) {
    connected = jack_connect(rec.client, "LinkHut:out_1", "link_sync:in") == 0;
    if (!connected) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  jack_latency_range_t latency{};
  jack_port_get_latency_range(jack_port_by_name(rec.client, "LinkHut:out_1"), JackPlaybackLatency,
                              &latency);
  std::this_thread::sleep_for(std::chrono::seconds(2));

  // The two programs, and LinkHut's tempo change.
  const int64_t end_ms = kWindowMs + seconds * int64_t{1000} + 2000;
  const auto program = [&](const char* name, int64_t offset, int64_t key_ms, const char* key) {
    std::filesystem::create_directories(dir + "/" + name);
    return Spawn({self, "--program", dir + "/" + name + ".log", std::to_string(kLinkOnMs),
                  std::to_string(key_ms - offset), key, std::to_string(end_ms - offset),
                  disk ? "sdl" : "paced"},
                 {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + dir + "/" + name + ".raw",
                  "AUDIRA_WINDIR=" + dir + "/" + name});
  };
  const double start_us = static_cast<double>(RawMicros());
  const pid_t a = program("a", 0, kUpMs, "^");
  std::this_thread::sleep_for(std::chrono::milliseconds(kSecondStartsMs));
  const pid_t b = program("b", kSecondStartsMs, kPageDownMs, "-");
  // A change the run is too short for comes after its end.
  double hut_key_us = start_us + static_cast<double>(end_ms) * 1000.0 + 1e9;
  if (kHutTempoMs < end_ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kHutTempoMs - kSecondStartsMs));
    hut_key_us = static_cast<double>(RawMicros());
    press('e');
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(end_ms);
  WaitOrKill(a, deadline);
  WaitOrKill(b, deadline);
  press('q');
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  jack_deactivate(rec.client);
  jack_client_close(rec.client);
  kill(hut, SIGKILL);
  waitpid(hut, nullptr, 0);
  kill(jackd, SIGTERM);
  waitpid(jackd, nullptr, 0);

  const ProgramRun run_a = ReadProgram(dir + "/a.log"), run_b = ReadProgram(dir + "/b.log");
  const std::vector<double> clicks = HutClicks(rec, latency.max, false);
  const std::vector<double> cycle_clicks = HutClicks(rec, latency.max, true);
  std::ofstream hut_log(dir + "/hut.log");
  hut_log.precision(17);
  for (std::size_t i = 0; i < rec.cycle_count.load(); ++i) {
    hut_log << "c " << rec.cycle_frames[i] << " " << rec.cycle_times[i] << "\n";
  }
  for (double at : clicks) hut_log << "k " << at << "\n";
  const double from = start_us + kWindowMs * 1000.0;
  const double to = start_us + static_cast<double>(end_ms - 1000) * 1000.0;
  std::printf(
      "Link: two programs (%s output, 44100 Hz) and LinkHut (JACK dummy, %d Hz, "
      "playback latency %u frames), %d s\n\n",
      run_a.driver.c_str(), rec.rate, latency.max, seconds);
  std::printf("device line: largest buffer note off it a %.3f ms, b %.3f ms, JACK %.3f ms\n\n",
              run_a.jitter_us / 1000, run_b.jitter_us / 1000, CycleJitterUs(rec) / 1000);
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
                TempoBetween(run_a.beats_us, marks[i], bounds[i]),
                TempoBetween(run_b.beats_us, marks[i], bounds[i]),
                TempoBetween(clicks, marks[i], bounds[i]));
  }
  std::printf("\nbeat onsets (nearest, in the window):\n");
  PrintOffsets("b from a", Offsets(run_a.beats_us, run_b.beats_us, from, to));
  PrintOffsets("LinkHut from a", Offsets(run_a.beats_us, clicks, from, to));
  PrintOffsets("LinkHut from b", Offsets(run_b.beats_us, clicks, from, to));
  PrintOffsets("LinkHut (own cycles) from a", Offsets(run_a.beats_us, cycle_clicks, from, to));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 8 && std::string(argv[1]) == "--program") {
    return RunProgram(argv[2], std::atoll(argv[3]), std::atoll(argv[4]),
                      static_cast<uint8_t>(argv[5][0]), std::atoll(argv[6]),
                      std::string(argv[7]) == "sdl");
  }
  int seconds = 120;
  bool disk = false;
  std::string keep;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--keep" && i + 1 < argc) {
      keep = argv[++i];
    } else if (std::string(argv[i]) == "--disk") {
      disk = true;
    } else {
      seconds = std::max(10, std::atoi(argv[i]));
    }
  }
  if (!cadencio::testing::InPrivateNetwork()) {
    std::string command = "'" + std::filesystem::read_symlink("/proc/self/exe").string() + "' " +
                          std::to_string(seconds);
    if (!keep.empty()) command += " --keep '" + keep + "'";
    if (disk) command += " --disk";
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
  const int status = Coordinate(seconds, disk, dir);
  if (keep.empty()) std::filesystem::remove_all(dir);
  return status;
}
