// The Link benchmark's JACK recording client.
#include "link/jack_recorder.hpp"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace cadencio::bench {

int64_t RawMicros() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC_RAW, &ts);
  return int64_t{ts.tv_sec} * 1'000'000 + ts.tv_nsec / 1000;
}

JackRecorder::JackRecorder(const std::string& name, const std::vector<std::string>& ports,
                           double seconds) {
  client_ = jack_client_open(name.c_str(), JackNoStartServer, nullptr);
  if (client_ == nullptr) return;
  rate_ = static_cast<int>(jack_get_sample_rate(client_));
  const auto room = static_cast<std::size_t>(seconds * rate_);
  for (const std::string& port : ports) {
    ports_.push_back(
        jack_port_register(client_, port.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0));
    samples_.emplace_back(room);
  }
  // Cycles of 16 frames at the fewest.
  cycles_.resize(room / 16);
  jack_set_process_callback(client_, &JackRecorder::Process, this);
  jack_set_xrun_callback(client_, &JackRecorder::Xrun, this);
  jack_activate(client_);
}

JackRecorder::~JackRecorder() {
  Stop();
}

void JackRecorder::Stop() {
  if (client_ == nullptr) return;
  jack_deactivate(client_);
  jack_client_close(client_);
  client_ = nullptr;
}

int JackRecorder::Process(jack_nframes_t frames, void* self) {
  auto& rec = *static_cast<JackRecorder*>(self);
  const std::size_t at = rec.frames_.load(std::memory_order_relaxed);
  const std::size_t cycle = rec.cycle_count_.load(std::memory_order_relaxed);
  if (rec.samples_.empty() || at + frames > rec.samples_[0].size() || cycle >= rec.cycles_.size()) {
    return 0;
  }
  rec.cycles_[cycle] = {static_cast<double>(jack_last_frame_time(rec.client_)),
                        static_cast<double>(RawMicros()), static_cast<double>(at)};
  for (std::size_t p = 0; p < rec.ports_.size(); ++p) {
    const auto* in = static_cast<const float*>(jack_port_get_buffer(rec.ports_[p], frames));
    std::copy(in, in + frames, rec.samples_[p].begin() + static_cast<std::ptrdiff_t>(at));
  }
  rec.cycle_count_.store(cycle + 1, std::memory_order_release);
  rec.frames_.store(at + frames, std::memory_order_release);
  return 0;
}

int JackRecorder::Xrun(void* self) {
  ++static_cast<JackRecorder*>(self)->xruns_;
  return 0;
}

bool JackRecorder::Connect(const std::string& source, std::size_t port) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (jack_connect(client_, source.c_str(), jack_port_name(ports_[port])) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

std::vector<std::string> JackRecorder::OutputPorts(const std::string& pattern) const {
  std::vector<std::string> names;
  if (const char** found =
          jack_get_ports(client_, pattern.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput)) {
    for (const char** name = found; *name != nullptr; ++name) names.emplace_back(*name);
    jack_free(found);
  }
  return names;
}

unsigned JackRecorder::PlaybackLatency(const std::string& name) const {
  jack_latency_range_t range{};
  if (jack_port_t* port = jack_port_by_name(client_, name.c_str())) {
    jack_port_get_latency_range(port, JackPlaybackLatency, &range);
  }
  return range.max;
}

std::vector<float> JackRecorder::Take(std::size_t port) const {
  const auto end = samples_[port].begin() + static_cast<std::ptrdiff_t>(Frames());
  return {samples_[port].begin(), end};
}

std::vector<JackRecorder::Cycle> JackRecorder::Cycles() const {
  const auto count = static_cast<std::ptrdiff_t>(cycle_count_.load(std::memory_order_acquire));
  return {cycles_.begin(), cycles_.begin() + count};
}

}  // namespace cadencio::bench
