// The Link benchmark's JACK client: it records its input ports in its process callback, every
// port in the same cycles, so that all of them lie on one frame line (frame i of one port was
// played in the same cycle as frame i of another). Room is made ahead; the callback only copies.
// For each cycle it also notes the server's frame time there, the clock (CLOCK_MONOTONIC_RAW,
// Link's) and where the cycle's samples begin; and it counts the server's xruns.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace cadencio::bench {

// Link's clock, in microseconds.
int64_t RawMicros();

class JackRecorder {
 public:
  struct Cycle {
    double frame_time = 0;  // the server's frame time at the cycle's start
    double clock_us = 0;    // the clock as the callback began
    double start = 0;       // the index of the cycle's first frame in the recording
  };

  // A client named `name` on the default server, with one input port for each of `ports`,
  // room for `seconds`, started.
  JackRecorder(const std::string& name, const std::vector<std::string>& ports, double seconds);
  ~JackRecorder();
  JackRecorder(const JackRecorder&) = delete;
  JackRecorder& operator=(const JackRecorder&) = delete;

  bool Ready() const { return client_ != nullptr; }
  int Rate() const { return rate_; }
  // Connects the output port `source` to our port `port`, trying for five seconds.
  bool Connect(const std::string& source, std::size_t port);
  // The output ports of the server whose names match the regular expression `pattern`.
  std::vector<std::string> OutputPorts(const std::string& pattern) const;
  // The playback latency the server reports for the port `name` (the largest), in frames.
  unsigned PlaybackLatency(const std::string& name) const;
  // Ends the recording: the client leaves the server.
  void Stop();

  std::size_t Frames() const { return frames_.load(std::memory_order_acquire); }
  // The recording of our port `port` (of Frames() frames).
  std::vector<float> Take(std::size_t port) const;
  std::vector<Cycle> Cycles() const;
  int Xruns() const { return xruns_.load(); }

 private:
  static int Process(jack_nframes_t frames, void* self);
  static int Xrun(void* self);

  jack_client_t* client_ = nullptr;
  std::vector<jack_port_t*> ports_;
  int rate_ = 48000;
  std::vector<std::vector<float>> samples_;
  std::vector<Cycle> cycles_;
  std::atomic<std::size_t> frames_{0}, cycle_count_{0};
  std::atomic<int> xruns_{0};
};

}  // namespace cadencio::bench
