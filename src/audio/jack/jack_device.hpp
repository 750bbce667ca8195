// The JACK client behind JackOutput: its ports, its callbacks and what they share with the
// program thread. Only audio/jack includes this header.
#pragma once

#include <jack/jack.h>
#include <jack/transport.h>

#include <array>
#include <atomic>
#include <optional>
#include <vector>

#include "audio/jack/jack_output.hpp"
#include "audio/midi_clock.hpp"
#include "base/sequenced_pair.hpp"
#include "base/triple_buffer.hpp"

namespace cadencio::audio {

class JackDevice final : public JackOutput, public TransportTimeline, public base::NoticeSource {
 public:
  JackDevice(jack_client_t* client, const JackOptions& options, base::MessageLoop& loop,
             FallbackOpener fallback);
  JackDevice(const JackDevice&) = delete;
  JackDevice& operator=(const JackDevice&) = delete;
  ~JackDevice() override;
  // Registers the ports and callbacks, activates the client and connects it; false, with the
  // reason, when the server refuses.
  bool Start(std::string* why);

  // AudioOutput.
  Mixer& GetMixer() override { return *mixer_; }
  int LeadFrames() const override;
  int OutputLatencyFrames() const override;
  int64_t MissedFrames() const override { return missed_.load(std::memory_order_relaxed); }
  int64_t HeardFrame() override;
  std::string DriverName() const override;
  bool TakeServerStopped() override;
  TransportTimeline* Transport() override;
  // JackOutput.
  std::unique_ptr<AudioInput> OpenCapture() override;
  bool ServerRunning() const override { return client_ != nullptr; }
  // TransportTimeline.
  Role GetRole() const override;
  TimelinePosition Position() override { return timeline_.Latest(); }
  // NoticeSource: a server gone away hands the mixer to the fallback.
  void DrainNotices() override;
  void LoopGone() override { loop_ = nullptr; }

  // The capture ring, read by the capture input on the program thread.
  const std::vector<float>& CaptureRing() const { return ring_; }
  uint64_t CaptureWritten() const { return written_.load(std::memory_order_acquire); }
  void SetCaptureOpen(bool open) { capture_open_.store(open, std::memory_order_release); }

 private:
  static int Process(jack_nframes_t frames, void* self);
  static void Shutdown(void* self);
  static void InfoShutdown(jack_status_t code, const char* reason, void* self);
  static void Latency(jack_latency_callback_mode_t mode, void* self);
  static int BufferSize(jack_nframes_t frames, void* self);
  static void Timebase(jack_transport_state_t state, jack_nframes_t frames, jack_position_t* pos,
                       int new_pos, void* self);
  void Render(jack_nframes_t frames);
  void SendMidi(jack_nframes_t frames, int64_t heard);
  void KeepCapture(jack_nframes_t frames);
  void ReadTransport(int64_t heard);
  void NoteCycle(int64_t heard);
  void CountMissed(jack_nframes_t frames);
  void ReadLatency();
  void ConnectSystem();

  jack_client_t* client_;
  JackOptions options_;
  base::MessageLoop* loop_;
  FallbackOpener open_fallback_;
  std::optional<Mixer> mixer_;
  std::array<jack_port_t*, 2> out_{};
  jack_port_t* capture_ = nullptr;
  jack_port_t* midi_ = nullptr;
  // The mixer renders interleaved stereo in pieces of this many frames, split to the ports.
  static constexpr int kPieceFrames = 1024;
  std::vector<float> interleaved_;
  std::atomic<int> buffer_frames_{1024};
  std::atomic<int> latency_frames_{0};
  // The last cycle: the mix frame at the start of its buffer and the server's frame time there.
  base::SequencedPair cycle_;
  int64_t next_heard_ = 0;  // process thread: the mix frame the next cycle begins with
  // The server's frames of the cycles missed so far (kept while the fallback plays); the
  // process thread's server frame time the next cycle begins with, once there was a cycle.
  std::atomic<int64_t> missed_{0};
  std::optional<jack_nframes_t> next_frame_time_;
  // The capture port's samples, four seconds of them, while a capture is open.
  std::vector<float> ring_;
  std::atomic<uint64_t> written_{0};
  std::atomic<bool> capture_open_{false};
  MidiClock clock_;  // process thread
  base::TripleBuffer<TimelinePosition> timeline_;
  TimelinePosition told_;  // process thread: the position the loop was last woken for
  std::atomic<bool> server_gone_{false};
  std::unique_ptr<AudioOutput> fallback_;  // plays the mixer once the server has gone
  // The fallback once it plays, for the rendering thread (Link asks the latency every buffer).
  std::atomic<const AudioOutput*> playing_fallback_{nullptr};
  bool stopped_said_ = true;  // program thread: the stop was taken
};

}  // namespace cadencio::audio
