// Ableton Link through its header-only library: the program thread uses its application session
// state, the rendering thread only its real-time audio session state. The stream's frames are
// placed on Link's clock by Link's own host time filter, fed once every device buffer: the
// device's pace, measured against the clock, rather than the rate it is asked for.
#include "audio/link/link_session.hpp"

#include <ableton/Link.hpp>
#include <ableton/link/HostTimeFilter.hpp>
#include <atomic>
#include <chrono>
#include <cmath>

namespace cadencio::audio {

namespace {

using Micros = std::chrono::microseconds;
using SessionState = ableton::Link::SessionState;

// A buffer that comes this much later than the filter expects it follows a stall.
constexpr double kStallUs = 100e3;

// Where the stream is heard on Link's clock: the time frame `frame` is heard, and how long a
// frame lasts.
struct HostAnchor {
  int64_t frame = 0;
  double host_us = 0;
  double us_per_frame = 0;  // 0: none yet

  double HostOf(int64_t at) const {
    return host_us + static_cast<double>(at - frame) * us_per_frame;
  }
};

// The session's beats to one of the metronome's: two above its highest tempo.
int Multiple(double session_bpm, int32_t highest_bpm) {
  return session_bpm > highest_bpm ? 2 : 1;
}

TimelineView ViewOf(const SessionState& state, const HostAnchor& anchor, int64_t base, int beats,
                    int32_t highest_bpm) {
  const double tempo = state.tempo();
  const int multiple = Multiple(tempo, highest_bpm);
  const double host = anchor.HostOf(base);
  const double whole = std::round(host);
  // Link's clock counts whole microseconds; the beat at the exact time adds the rest.
  const double beat =
      state.beatAtTime(Micros(static_cast<int64_t>(whole)), static_cast<double>(beats) * multiple) +
      (host - whole) * tempo / 60e6;
  return {base, beat / multiple, 60e6 * multiple / (tempo * anchor.us_per_frame)};
}

}  // namespace

struct LinkSession::Impl {
  Impl(AudioOutput& output, int32_t highest) : output(output), highest(highest) {}

  AudioOutput& output;
  const int32_t highest;
  int32_t bpm = 120;  // the tempo set before Link was made
  // Made on the first Enable(true) and kept, since the rendering thread may be using it.
  std::unique_ptr<ableton::Link> link;
  std::atomic<ableton::Link*> live{nullptr};

  // The rendering thread's.
  ableton::link::HostTimeFilter<ableton::link::platform::Clock> filter;
  ableton::link::platform::Clock link_clock;  // the clock the filter reads
  HostAnchor anchor;
  // The anchor as the program thread reads it, under a sequence count that is odd while it is
  // written: the rendering thread never waits, and a reader tries again.
  std::atomic<uint32_t> sequence{0};
  std::atomic<int64_t> shared_frame{0};
  std::atomic<double> shared_host{0};
  std::atomic<double> shared_per_frame{0};

  double NominalPerFrame() const { return 1e6 / output.GetMixer().SampleRate(); }
  // Frames from the mix's position to the speaker: the device's latency and the limiter's.
  int64_t DelayFrames() const {
    return output.OutputLatencyFrames() + output.GetMixer().LookaheadFrames();
  }
  void Publish(const HostAnchor& next);
  // The anchor the rendering thread published last; before its first, the mix's position
  // heard after the delay from now.
  HostAnchor AppAnchor() const;
  Micros HostOf(int64_t frame) const { return Micros(std::llround(AppAnchor().HostOf(frame))); }
  SessionState AppState() const { return link->captureAppSessionState(); }
};

void LinkSession::Impl::Publish(const HostAnchor& next) {
  const uint32_t count = sequence.load(std::memory_order_relaxed);
  sequence.store(count + 1, std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_release);
  shared_frame.store(next.frame, std::memory_order_relaxed);
  shared_host.store(next.host_us, std::memory_order_relaxed);
  shared_per_frame.store(next.us_per_frame, std::memory_order_relaxed);
  sequence.store(count + 2, std::memory_order_release);
}

HostAnchor LinkSession::Impl::AppAnchor() const {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const uint32_t before = sequence.load(std::memory_order_acquire);
    const HostAnchor read{shared_frame.load(std::memory_order_relaxed),
                          shared_host.load(std::memory_order_relaxed),
                          shared_per_frame.load(std::memory_order_relaxed)};
    std::atomic_thread_fence(std::memory_order_acquire);
    if ((before & 1) != 0 || sequence.load(std::memory_order_relaxed) != before) continue;
    if (read.us_per_frame > 0) return read;
    break;
  }
  const double now = static_cast<double>(link->clock().micros().count());
  return {output.GetMixer().FramesRendered(),
          now + static_cast<double>(DelayFrames()) * NominalPerFrame(), NominalPerFrame()};
}

LinkSession::LinkSession(AudioOutput& output, int32_t highest_bpm)
    : impl_(std::make_unique<Impl>(output, highest_bpm)) {}

LinkSession::~LinkSession() = default;

void LinkSession::Enable(bool on) {
  Impl& s = *impl_;
  if (on && !s.link) {
    s.link = std::make_unique<ableton::Link>(s.bpm);
    s.link->enableStartStopSync(true);
    s.live.store(s.link.get(), std::memory_order_release);
  }
  if (s.link) s.link->enable(on);
}

bool LinkSession::Enabled() const {
  return impl_->link && impl_->link->isEnabled();
}

int LinkSession::Peers() const {
  return impl_->link ? static_cast<int>(impl_->link->numPeers()) : 0;
}

double LinkSession::Tempo() const {
  const Impl& s = *impl_;
  if (!s.link) return s.bpm;
  const double tempo = s.AppState().tempo();
  return tempo / Multiple(tempo, s.highest);
}

void LinkSession::SetTempo(int32_t bpm, int64_t frame) {
  Impl& s = *impl_;
  if (!s.link) {
    s.bpm = bpm;
    return;
  }
  SessionState state = s.AppState();
  const double twice = 2.0 * bpm;
  const double tempo = state.tempo() > s.highest && twice > s.highest ? twice : bpm;
  state.setTempo(tempo, frame < 0 ? s.link->clock().micros() : s.HostOf(frame));
  s.link->commitAppSessionState(state);
}

bool LinkSession::Playing() const {
  return impl_->link && impl_->AppState().isPlaying();
}

void LinkSession::Start(int64_t frame, int beats, bool count_in) {
  Impl& s = *impl_;
  if (!s.link) return;
  SessionState state = s.AppState();
  const double quantum = static_cast<double>(beats) * Multiple(state.tempo(), s.highest);
  if (state.isPlaying() && !count_in) {
    state.requestBeatAtStartPlayingTime(0, quantum);
  } else {
    state.setIsPlayingAndRequestBeatAtTime(true, s.HostOf(frame), 0, quantum);
  }
  s.link->commitAppSessionState(state);
}

void LinkSession::Stop(int64_t frame) {
  Impl& s = *impl_;
  if (!s.link) return;
  SessionState state = s.AppState();
  state.setIsPlaying(false, s.HostOf(frame));
  s.link->commitAppSessionState(state);
}

TimelineView LinkSession::AppView(int beats) const {
  const Impl& s = *impl_;
  if (!s.link) return {};
  const HostAnchor anchor = s.AppAnchor();
  return ViewOf(s.AppState(), anchor, anchor.frame, beats, s.highest);
}

void LinkSession::BeginBuffer(int64_t base) {
  Impl& s = *impl_;
  if (s.live.load(std::memory_order_acquire) == nullptr) return;
  const double nominal = s.NominalPerFrame();
  // The filter follows the device's clock, which the mix falls behind when the device plays
  // frames without it (a JACK cycle the program missed): fed the mix's frames, it would take
  // its whole window of buffers to move the stream by the frames missed.
  const auto clock_frame = static_cast<double>(base + s.output.MissedFrames());
  // A stream that stalled (a device that stopped, and another that took its mixer over) starts
  // the filter anew: the frames before the stall would place the new ones too early.
  const auto now = static_cast<double>(s.link_clock.micros().count());
  double filtered = static_cast<double>(s.filter.sampleTimeToHostTime(clock_frame).count());
  if (now - filtered > kStallUs) {
    s.filter.reset();
    s.anchor = {};
    filtered = static_cast<double>(s.filter.sampleTimeToHostTime(clock_frame).count());
  }
  const double host = filtered + static_cast<double>(s.DelayFrames()) * nominal;
  // The device's pace since the buffer before; a wild one (the first buffers, or a stream
  // rendered ahead of time) gives way to the rate asked for.
  double per_frame = nominal;
  if (s.anchor.us_per_frame > 0 && base > s.anchor.frame) {
    const double measured = (host - s.anchor.host_us) / static_cast<double>(base - s.anchor.frame);
    if (std::abs(measured - nominal) < 0.05 * nominal) per_frame = measured;
  }
  s.anchor = {base, host, per_frame};
  s.Publish(s.anchor);
}

TimelineView LinkSession::View(int64_t base, int beats) {
  Impl& s = *impl_;
  ableton::Link* link = s.live.load(std::memory_order_acquire);
  if (link == nullptr || s.anchor.us_per_frame <= 0) return {};
  return ViewOf(link->captureAudioSessionState(), s.anchor, base, beats, s.highest);
}

LinkSession& AddLinkSession(AudioOutput& output, int32_t highest_bpm) {
  auto session = std::make_unique<LinkSession>(output, highest_bpm);
  LinkSession& kept = *session;
  output.GetMixer().SetSharedTimeline(std::move(session));
  return kept;
}

}  // namespace cadencio::audio
