// A real JACK server with no sound card for the tests of the JACK back end: `jackd -d dummy`
// under a name of its own (so that parallel tests and other servers on the machine do not
// meet), made the default server of this process while it lives, and killed at the end. A
// process run under `pw-jack` (PipeWire's libjack) gets a private PipeWire daemon instead, from
// support/pipewire_dummy.sh, in a directory of its own. Beside it, a probe client that records
// what reaches its audio and MIDI inputs with the server's frame times, plays a level into the
// program's capture port, and can roll the transport as its timebase master.
#pragma once

#if CADENCIO_JACK

#include <dlfcn.h>
#include <fcntl.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/transport.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace cadencio::testing {

// Whether this process's libjack is PipeWire's (the program was started by `pw-jack`).
inline bool PipeWireJackLoaded() {
  Dl_info info{};
  void* open = dlsym(RTLD_DEFAULT, "jack_client_open");
  return open != nullptr && dladdr(open, &info) != 0 && info.dli_fname != nullptr &&
         std::strstr(info.dli_fname, "pipewire") != nullptr;
}

class JackServer {
 public:
  explicit JackServer(int rate, int period = 256) : pipewire_(PipeWireJackLoaded()) {
    const std::string r = std::to_string(rate), p = std::to_string(period);
    std::vector<std::string> args;
    if (pipewire_) {
      // The daemon's socket in a directory of its own, which its clients are pointed to.
      std::string dir = "/tmp/cadencio-pipewire-XXXXXX";
      if (mkdtemp(dir.data()) == nullptr) return;
      dir_ = dir;
      args = {"sh", CADENCIO_SOURCE_DIR "/tests/support/pipewire_dummy.sh", "serve", dir, r, p};
    } else {
      static std::atomic<int> count{0};
      name_ = "cadencio-test-" + std::to_string(getpid()) + "-" + std::to_string(++count);
      args = {"jackd", "-n", name_, "-d", "dummy", "-r", r, "-p", p};
      setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
    }
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    // Two servers starting at once (tests run in parallel) can lose each other in JACK's
    // shared table of servers: one starts at a time, across the test programs.
    StartLock lock;
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
      // The server ends, cleanly, with the test program however that ends: a server killed
      // outright keeps its place in JACK's table of servers, which holds only eight.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent) _exit(1);
      const int null_fd = open("/dev/null", O_WRONLY);
      dup2(null_fd, 1);
      dup2(null_fd, 2);
      execvp(argv[0], argv.data());
      _exit(127);
    }
    if (pid_ < 0) return;
    if (pipewire_) {
      setenv("PIPEWIRE_RUNTIME_DIR", dir_.c_str(), 1);
    } else {
      setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    }
    // Up when a client can join it.
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    for (int attempt = 0; attempt < 200 && !running_; ++attempt) {
      int ended = 0;
      if (waitpid(pid_, &ended, WNOHANG) == pid_) {
        exit_code_ = WIFEXITED(ended) ? WEXITSTATUS(ended) : -1;
        pid_ = 0;
        break;
      }
      jack_status_t status{};
      if (jack_client_t* client = jack_client_open("cadencio-up", JackNoStartServer, &status)) {
        jack_client_close(client);
        running_ = true;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    }
  }
  JackServer(const JackServer&) = delete;
  JackServer& operator=(const JackServer&) = delete;
  ~JackServer() {
    Stop();
    unsetenv(pipewire_ ? "PIPEWIRE_RUNTIME_DIR" : "JACK_DEFAULT_SERVER");
    if (!dir_.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(dir_, ignored);
    }
  }

  // Why the test cannot run, or empty when the server is up.
  std::string Missing() const {
    if (pipewire_) {
      if (pid_ < 0) return "the PipeWire daemon could not be started";
      if (!running_ && exit_code_ == 127) {
        return "pipewire is not installed (Debian's pipewire package)";
      }
      return running_ ? "" : "the private PipeWire daemon (pipewire_dummy.sh) did not start";
    }
    if (pid_ < 0) return "jackd could not be started";
    if (!running_ && exit_code_ == 127) return "jackd is not installed (Debian's jackd2 package)";
    return running_ ? "" : "jackd -d dummy did not start";
  }
  // Ends the server as its user would (it closes cleanly, and its clients hear of it); one
  // that has not ended after three seconds is killed.
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    for (int waited = 0; waitpid(pid_, &status, WNOHANG) == 0; waited += 10) {
      if (waited == 3000) kill(pid_, SIGKILL);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = 0;
  }

 private:
  // A lock on a file of the temporary directory, held while it lives.
  struct StartLock {
    StartLock() : fd(open("/tmp/cadencio-jackd-start.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
      if (fd >= 0) flock(fd, LOCK_EX);
    }
    ~StartLock() {
      if (fd >= 0) close(fd);
    }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;
    int fd;
  };

  bool pipewire_;
  pid_t pid_ = -1;
  int exit_code_ = 0;
  std::string name_;
  std::string dir_;  // PipeWire's: the daemon's configuration and socket
  bool running_ = false;
};

// A client that records its inputs, the MIDI messages with their frames in the recording (the
// server's own frame time jumps when a cycle comes late). Connect it with Connect().
class JackProbe {
 public:
  struct MidiEvent {
    int64_t frame;
    uint8_t status;
  };
  // Keeps up to `seconds` of audio at the server's rate and `messages` MIDI messages.
  explicit JackProbe(double seconds, float level = 0.0f, std::size_t messages = 100000)
      : level_(level) {
    jack_status_t status{};
    client_ = jack_client_open("cadencio-probe", JackNoStartServer, &status);
    if (client_ == nullptr) return;
    rate_ = static_cast<int>(jack_get_sample_rate(client_));
    audio_.assign(static_cast<std::size_t>(seconds * rate_), 0.0f);
    midi_.resize(messages);
    in_ = jack_port_register(client_, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    out_ = jack_port_register(client_, "out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    midi_in_ = jack_port_register(client_, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client_, &JackProbe::Process, this);
  }
  ~JackProbe() {
    if (client_ != nullptr) jack_client_close(client_);
  }
  bool Ready() const { return client_ != nullptr; }
  int Rate() const { return rate_; }
  // Activates the client and connects the program's ports to it (and it to the program's input
  // when it plays a level).
  void Connect(const std::string& program = "cadencio") {
    jack_activate(client_);
    jack_connect(client_, (program + ":out_l").c_str(), jack_port_name(in_));
    jack_connect(client_, (program + ":midi_out").c_str(), jack_port_name(midi_in_));
    // Only a probe that plays a level feeds the program back: PipeWire schedules a loop of
    // links in an order it may change while they play, and a recording then loses a cycle.
    if (level_ != 0.0f) jack_connect(client_, jack_port_name(out_), (program + ":in").c_str());
  }
  // Becomes the timebase master at `bpm` with `beats` to the bar, and rolls the transport.
  void LeadTransport(double bpm, int beats) {
    bpm_ = bpm;
    beats_ = beats;
    jack_set_timebase_callback(client_, 0, &JackProbe::Timebase, this);
    jack_transport_locate(client_, 0);
    jack_transport_start(client_);
  }
  void StartTransport() { jack_transport_start(client_); }
  void StopTransport() { jack_transport_stop(client_); }
  // The transport's tempo and bars as last seen in a cycle (0 without bars and beats).
  double SeenBpm() const { return seen_bpm_.load(); }
  int SeenBeatsPerBar() const { return seen_beats_.load(); }
  int64_t SeenBar() const { return seen_bar_.load(); }
  // The frame of the recording at which transport frame 0 went by (while it rolled).
  int64_t TransportZero() const { return transport_zero_.load(); }
  // The recording so far, and the MIDI messages with their frames in it.
  std::vector<float> Audio() const {
    const auto n = std::min<std::size_t>(audio_.size(), recorded_.load());
    return {audio_.begin(), audio_.begin() + static_cast<std::ptrdiff_t>(n)};
  }
  std::vector<MidiEvent> Midi() const {
    return {midi_.begin(), midi_.begin() + static_cast<std::ptrdiff_t>(midi_count_.load())};
  }
  // Frames gone by since the client started (the recording keeps the first of them).
  int64_t Recorded() const { return static_cast<int64_t>(recorded_.load()); }
  // Waits (in real time) until `frames` have been recorded, at most `limit_ms`.
  bool WaitFrames(int64_t frames, int limit_ms = 20000) const {
    for (int waited = 0; waited < limit_ms; waited += 5) {
      if (static_cast<int64_t>(recorded_.load()) >= frames) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }

 private:
  static int Process(jack_nframes_t frames, void* arg) {
    auto* probe = static_cast<JackProbe*>(arg);
    const auto now = static_cast<int64_t>(probe->recorded_.load());
    auto* out = static_cast<float*>(jack_port_get_buffer(probe->out_, frames));
    for (jack_nframes_t i = 0; i < frames; ++i) out[i] = probe->level_;
    const auto* in = static_cast<const float*>(jack_port_get_buffer(probe->in_, frames));
    const auto at = static_cast<std::size_t>(now);
    for (jack_nframes_t i = 0; i < frames && at + i < probe->audio_.size(); ++i) {
      probe->audio_[at + i] = in[i];
    }
    probe->recorded_.store(at + frames);
    void* midi = jack_port_get_buffer(probe->midi_in_, frames);
    for (uint32_t i = 0; i < jack_midi_get_event_count(midi); ++i) {
      jack_midi_event_t event;
      const std::size_t n = probe->midi_count_.load();
      if (jack_midi_event_get(&event, midi, i) == 0 && event.size > 0 && n < probe->midi_.size()) {
        probe->midi_[n] = {now + event.time, event.buffer[0]};
        probe->midi_count_.store(n + 1);
      }
    }
    jack_position_t pos;
    if (jack_transport_query(probe->client_, &pos) == JackTransportRolling) {
      probe->transport_zero_.store(now - pos.frame);
    }
    const bool bbt = (pos.valid & JackPositionBBT) != 0;
    probe->seen_bpm_.store(bbt ? pos.beats_per_minute : 0);
    probe->seen_beats_.store(bbt ? static_cast<int>(pos.beats_per_bar) : 0);
    probe->seen_bar_.store(bbt ? pos.bar : 0);
    return 0;
  }
  // Bars and beats from transport frame 0 at a steady tempo.
  static void Timebase(jack_transport_state_t, jack_nframes_t, jack_position_t* pos, int,
                       void* arg) {
    auto* probe = static_cast<JackProbe*>(arg);
    const double beats = pos->frame * probe->bpm_ / (60.0 * pos->frame_rate);
    const auto whole = static_cast<int64_t>(beats);
    pos->valid = JackPositionBBT;
    pos->beats_per_minute = probe->bpm_;
    pos->beats_per_bar = static_cast<float>(probe->beats_);
    pos->beat_type = 4;
    pos->ticks_per_beat = 1920;
    pos->bar = static_cast<int32_t>(whole / probe->beats_ + 1);
    pos->beat = static_cast<int32_t>(whole % probe->beats_ + 1);
    pos->tick = static_cast<int32_t>((beats - static_cast<double>(whole)) * 1920);
    pos->bar_start_tick = 0;
  }

  jack_client_t* client_ = nullptr;
  jack_port_t* in_ = nullptr;
  jack_port_t* out_ = nullptr;
  jack_port_t* midi_in_ = nullptr;
  int rate_ = 0;
  float level_;
  double bpm_ = 120;
  int beats_ = 4;
  std::vector<float> audio_;
  std::atomic<std::size_t> recorded_{0};
  std::vector<MidiEvent> midi_;
  std::atomic<std::size_t> midi_count_{0};
  std::atomic<double> seen_bpm_{0};
  std::atomic<int> seen_beats_{0};
  std::atomic<int64_t> seen_bar_{0};
  std::atomic<int64_t> transport_zero_{0};
};

}  // namespace cadencio::testing

#endif
