// The JACK client: the process callback that plays the mixer, sends MIDI clock, keeps the
// capture port's samples and reads the transport; the server's latency; the hand-over to the
// fallback when the server goes away. Built only with JACK's development files.
#if CADENCIO_JACK
#include "audio/jack/jack_device.hpp"

#include <jack/midiport.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace cadencio::audio {

namespace {

// Four seconds of the microphone: the program thread may be busy speaking for that long.
constexpr int kRingSeconds = 4;
// The transport's ticks to the beat that cadencio reports as the timebase master.
constexpr double kTicksPerBeat = 1920;

}  // namespace

JackDevice::JackDevice(jack_client_t* client, const JackOptions& options, base::MessageLoop& loop,
                       FallbackOpener fallback)
    : client_(client),
      options_(options),
      loop_(&loop),
      open_fallback_(std::move(fallback)),
      interleaved_(2 * kPieceFrames) {
  const auto rate = static_cast<int>(jack_get_sample_rate(client_));
  mixer_.emplace(rate);
  ring_.assign(static_cast<std::size_t>(kRingSeconds * rate), 0.0f);
  buffer_frames_.store(static_cast<int>(jack_get_buffer_size(client_)));
  loop_->AddNoticeSource(this);
}

JackDevice::~JackDevice() {
  if (loop_ != nullptr) loop_->RemoveNoticeSource(this);
  if (client_ != nullptr) {
    jack_deactivate(client_);
    jack_client_close(client_);
  }
}

bool JackDevice::Start(std::string* why) {
  const char* audio = JACK_DEFAULT_AUDIO_TYPE;
  out_[0] = jack_port_register(client_, "out_l", audio, JackPortIsOutput, 0);
  out_[1] = jack_port_register(client_, "out_r", audio, JackPortIsOutput, 0);
  capture_ = jack_port_register(client_, "in", audio, JackPortIsInput, 0);
  midi_ = jack_port_register(client_, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  if (out_[0] == nullptr || out_[1] == nullptr || capture_ == nullptr || midi_ == nullptr) {
    if (why != nullptr) *why = "the JACK server refused the ports";
    return false;
  }
  jack_set_process_callback(client_, &JackDevice::Process, this);
  // jackd2 tells a server that went away to both, PipeWire's JACK only to the plain one.
  jack_on_shutdown(client_, &JackDevice::Shutdown, this);
  jack_on_info_shutdown(client_, &JackDevice::InfoShutdown, this);
  jack_set_latency_callback(client_, &JackDevice::Latency, this);
  jack_set_buffer_size_callback(client_, &JackDevice::BufferSize, this);
  if (jack_activate(client_) != 0) {
    if (why != nullptr) *why = "the JACK server refused to start the client";
    return false;
  }
  if (options_.transport == TransportMode::kLead) {
    jack_set_timebase_callback(client_, 0, &JackDevice::Timebase, this);
  }
  if (options_.connect_system) ConnectSystem();
  ReadLatency();
  return true;
}

void JackDevice::ConnectSystem() {
  const char* audio = JACK_DEFAULT_AUDIO_TYPE;
  if (const char** playback =
          jack_get_ports(client_, nullptr, audio, JackPortIsPhysical | JackPortIsInput)) {
    for (int i = 0; i < 2 && playback[0] != nullptr; ++i) {
      // A single playback port takes both sides.
      const char* to =
          playback[i] != nullptr && (i == 0 || playback[1] != nullptr) ? playback[i] : playback[0];
      jack_connect(client_, jack_port_name(out_[static_cast<std::size_t>(i)]), to);
    }
    jack_free(playback);
  }
  if (const char** capture =
          jack_get_ports(client_, nullptr, audio, JackPortIsPhysical | JackPortIsOutput)) {
    if (capture[0] != nullptr) jack_connect(client_, capture[0], jack_port_name(capture_));
    jack_free(capture);
  }
}

int JackDevice::Process(jack_nframes_t frames, void* self) {
  auto* device = static_cast<JackDevice*>(self);
  if (device->options_.process_probe) device->options_.process_probe(true);
  // The output runs the limiter's lookahead behind the mix: the buffer's first frame is this
  // frame of the mix.
  const int64_t heard = device->mixer_->FramesRendered() - device->mixer_->LookaheadFrames();
  device->CountMissed(frames);
  device->Render(frames);
  device->SendMidi(frames, heard);
  device->KeepCapture(frames);
  device->ReadTransport(heard);
  device->NoteCycle(heard);
  device->next_heard_ = heard + frames;
  if (device->options_.process_probe) device->options_.process_probe(false);
  return 0;
}

void JackDevice::Render(jack_nframes_t frames) {
  auto* left = static_cast<float*>(jack_port_get_buffer(out_[0], frames));
  auto* right = static_cast<float*>(jack_port_get_buffer(out_[1], frames));
  const int total = static_cast<int>(frames);
  for (int done = 0; done < total; done += kPieceFrames) {
    const int count = std::min(kPieceFrames, total - done);
    mixer_->RenderOutput(interleaved_.data(), count);
    for (int i = 0; i < count; ++i) {
      left[done + i] = interleaved_[static_cast<std::size_t>(2 * i)];
      right[done + i] = interleaved_[static_cast<std::size_t>(2 * i + 1)];
    }
  }
}

void JackDevice::SendMidi(jack_nframes_t frames, int64_t heard) {
  void* buffer = jack_port_get_buffer(midi_, frames);
  jack_midi_clear_buffer(buffer);
  clock_.Walk(mixer_->PublishedRules(), heard, static_cast<int>(frames),
              [buffer, heard](int64_t frame, uint8_t status) {
                jack_midi_event_write(buffer, static_cast<jack_nframes_t>(frame - heard), &status,
                                      1);
              });
}

void JackDevice::KeepCapture(jack_nframes_t frames) {
  if (!capture_open_.load(std::memory_order_acquire)) return;
  const auto* in = static_cast<const float*>(jack_port_get_buffer(capture_, frames));
  const uint64_t at = written_.load(std::memory_order_relaxed);
  for (jack_nframes_t i = 0; i < frames; ++i) ring_[(at + i) % ring_.size()] = in[i];
  written_.store(at + frames, std::memory_order_release);
}

void JackDevice::ReadTransport(int64_t heard) {
  if (options_.transport == TransportMode::kOff) return;
  jack_position_t pos;
  const jack_transport_state_t state = jack_transport_query(client_, &pos);
  TimelinePosition& now = timeline_.Back();
  now = {};
  now.rolling = state == JackTransportRolling;
  if ((pos.valid & JackPositionBBT) != 0 && pos.beats_per_minute > 0 && pos.ticks_per_beat > 0) {
    now.has_beats = true;
    now.bpm = pos.beats_per_minute;
    now.beats_per_bar = std::max(1, static_cast<int>(std::lround(pos.beats_per_bar)));
    now.bar = pos.bar;
    now.beat = pos.beat;
    // The beat began the tick's share of a beat before the buffer's first frame (and the
    // offset before that, when the master gives one).
    double into = pos.tick / pos.ticks_per_beat * 60.0 * mixer_->SampleRate() / now.bpm;
    if ((pos.valid & JackBBTFrameOffset) != 0) into += pos.bbt_offset;
    now.beat_frame = heard - std::llround(into);
  }
  const TimelinePosition told = now;
  timeline_.Publish();
  // The follower's program thread wakes when the transport starts, stops, changes its tempo or
  // measure, or reaches a new beat (so that a relocation is seen within a beat).
  if (options_.transport != TransportMode::kFollow) return;
  if (told.rolling != told_.rolling || told.has_beats != told_.has_beats || told.bpm != told_.bpm ||
      told.beats_per_bar != told_.beats_per_bar || told.bar != told_.bar ||
      told.beat != told_.beat) {
    told_ = told;
    if (loop_ != nullptr) loop_->Ring();
  }
}

void JackDevice::NoteCycle(int64_t heard) {
  cycle_.Write(heard, jack_last_frame_time(client_));
}

// The server goes on without a client that is late for a cycle: the cycle's frames are
// missing from the mix, and its next cycle begins that much later than the one before ended.
// A callback held up past its own cycle reads the server's cycle of now, and the next callback
// is for that same cycle (overwriting what the late one wrote): the gap then closes by a cycle.
void JackDevice::CountMissed(jack_nframes_t frames) {
  const jack_nframes_t now = jack_last_frame_time(client_);
  if (next_frame_time_) {
    const auto gap = static_cast<int32_t>(now - *next_frame_time_);
    missed_.store(missed_.load(std::memory_order_relaxed) + gap, std::memory_order_relaxed);
  }
  next_frame_time_ = now + frames;
}

void JackDevice::Timebase(jack_transport_state_t, jack_nframes_t, jack_position_t* pos, int,
                          void* self) {
  auto* device = static_cast<JackDevice*>(self);
  if (device->options_.process_probe) device->options_.process_probe(true);
  // The position of the next cycle's first frame, in the beat cadencio plays.
  MidiClock::Position at;
  device->clock_.PositionAt(device->next_heard_, at);
  pos->valid = JackPositionBBT;
  pos->bar = static_cast<int32_t>(at.bar);
  pos->beat = at.beat;
  pos->ticks_per_beat = kTicksPerBeat;
  pos->tick = std::clamp(static_cast<int32_t>(at.beat_fraction * kTicksPerBeat), 0,
                         static_cast<int32_t>(kTicksPerBeat) - 1);
  pos->beats_per_bar = static_cast<float>(at.beats_per_bar);
  pos->beat_type = 4;
  pos->bar_start_tick = static_cast<double>(at.bar - 1) * at.beats_per_bar * kTicksPerBeat;
  pos->beats_per_minute = at.bpm;
  if (device->options_.process_probe) device->options_.process_probe(false);
}

void JackDevice::InfoShutdown(jack_status_t, const char*, void* self) {
  Shutdown(self);
}

void JackDevice::Shutdown(void* self) {
  // As a signal handler would: a flag and the doorbell (one write to an event counter).
  auto* device = static_cast<JackDevice*>(self);
  device->server_gone_.store(true, std::memory_order_release);
  if (device->loop_ != nullptr) device->loop_->Ring();
}

void JackDevice::Latency(jack_latency_callback_mode_t mode, void* self) {
  if (mode == JackPlaybackLatency) static_cast<JackDevice*>(self)->ReadLatency();
}

void JackDevice::ReadLatency() {
  jack_latency_range_t range{};
  jack_port_get_latency_range(out_[0], JackPlaybackLatency, &range);
  latency_frames_.store(static_cast<int>(range.max), std::memory_order_relaxed);
}

int JackDevice::BufferSize(jack_nframes_t frames, void* self) {
  static_cast<JackDevice*>(self)->buffer_frames_.store(static_cast<int>(frames));
  return 0;
}

void JackDevice::DrainNotices() {
  if (client_ == nullptr || !server_gone_.load(std::memory_order_acquire)) return;
  // The server has stopped calling: the mixer goes on through the fallback, from where it was.
  jack_client_close(client_);
  client_ = nullptr;
  if (open_fallback_) fallback_ = open_fallback_(*mixer_);
  playing_fallback_.store(fallback_.get(), std::memory_order_release);
  stopped_said_ = false;
}

bool JackDevice::TakeServerStopped() {
  return !std::exchange(stopped_said_, true);
}

int JackDevice::LeadFrames() const {
  if (fallback_) return fallback_->LeadFrames();
  // The cycle being rendered now and the next, and 5 ms to spare.
  return 2 * buffer_frames_.load(std::memory_order_relaxed) + mixer_->SampleRate() / 200;
}

// Also called on the rendering thread (by Link's session, once every buffer), which may be the
// fallback's own while the program thread hands the mixer over: hence the atomic pointer.
int JackDevice::OutputLatencyFrames() const {
  if (const AudioOutput* fallback = playing_fallback_.load(std::memory_order_acquire)) {
    return fallback->OutputLatencyFrames();
  }
  return latency_frames_.load(std::memory_order_relaxed);
}

std::string JackDevice::DriverName() const {
  if (fallback_) return fallback_->DriverName();
  return client_ != nullptr ? "jack" : "none";
}

TransportTimeline* JackDevice::Transport() {
  if (client_ == nullptr || options_.transport == TransportMode::kOff) return nullptr;
  return this;
}

TransportTimeline::Role JackDevice::GetRole() const {
  return options_.transport == TransportMode::kLead ? Role::kLead : Role::kFollow;
}

// The frame heard moves on with the server's clock from the last cycle's start, behind by the
// latency the server reports.
int64_t JackDevice::HeardFrame() {
  if (fallback_) return fallback_->HeardFrame();
  if (client_ == nullptr) return mixer_->FramesRendered() - mixer_->LookaheadFrames();
  const int buffer = buffer_frames_.load(std::memory_order_relaxed);
  const int latency = latency_frames_.load(std::memory_order_relaxed);
  int64_t heard = 0, time = 0;
  if (cycle_.Read(heard, time)) {
    const auto since = static_cast<int32_t>(jack_frame_time(client_) - static_cast<uint32_t>(time));
    return heard + std::clamp(since, 0, buffer) - latency;
  }
  return mixer_->FramesRendered() - mixer_->LookaheadFrames() - latency;
}

}  // namespace cadencio::audio
#endif
