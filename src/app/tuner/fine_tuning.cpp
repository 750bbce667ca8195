// The ticks and tone of fine tuning, and their schedule on the stream.
#include "app/tuner/fine_tuning.hpp"

#include <algorithm>
#include <cmath>

#include "app/tuner/tuner.hpp"

namespace cadencio::app {

namespace {

const double kPi = std::acos(-1.0);
// The in-tune tone is sounded in pieces of this length placed end to end; 880 Hz fills each
// with whole periods, so the pieces join without a click.
constexpr int kTonePieceMs = 100;

// A sine of `ms` milliseconds in the mixer's stereo format, optionally dying away quickly.
audio::Sound MakeTone(const char* name, int rate, double hz, int ms, bool tick) {
  audio::Sound sound{name, {}};
  const int frames = rate * ms / 1000;
  sound.samples.reserve(static_cast<std::size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double envelope = tick ? std::exp(-t / 0.006) : 1.0;
    const float s = static_cast<float>(0.35 * envelope * std::sin(2 * kPi * hz * t));
    sound.samples.push_back(s);
    sound.samples.push_back(s);
  }
  return sound;
}

}  // namespace

int TickIntervalMs(double cents) {
  const double off = std::abs(cents);
  if (off < Tuner::kInTuneCents + 0.5) return 0;
  // 4 cents off: one tick every 600 ms; 40 cents and beyond: one every 60 ms.
  return static_cast<int>(std::lround(std::clamp(2400.0 / off, 60.0, 600.0)));
}

FineTuningTicks::FineTuningTicks(audio::AudioOutput& output)
    : output_(output),
      sharp_tick_(MakeTone("tick-sharp", output.GetMixer().SampleRate(), 1760, 30, true)),
      flat_tick_(MakeTone("tick-flat", output.GetMixer().SampleRate(), 587, 30, true)),
      in_tune_tone_(MakeTone("in-tune", output.GetMixer().SampleRate(), 880, kTonePieceMs, false)) {
}

void FineTuningTicks::Update(std::optional<double> cents) {
  audio::Mixer& mixer = output_.GetMixer();
  if (!cents) {
    Stop();
    return;
  }
  const int64_t rate = mixer.SampleRate();
  const int64_t now = mixer.FramesRendered();
  const int64_t lead = output_.LeadFrames();
  // Sounds are handed over a little ahead of the stream, one at a time, so a new distance
  // takes effect within about 50 ms.
  const int64_t horizon = std::max<int64_t>(2 * lead, rate / 20);
  if (next_frame_ < now + lead) next_frame_ = now + lead;  // nothing planned, or planned late
  const int interval = TickIntervalMs(*cents);
  const audio::Sound* sound = interval == 0 ? &in_tune_tone_
                              : *cents > 0  ? &sharp_tick_
                                            : &flat_tick_;
  while (next_frame_ <= now + horizon) {
    mixer.StartBeat(sound, next_frame_);
    next_frame_ += (interval == 0 ? kTonePieceMs : interval) * rate / 1000;
  }
}

void FineTuningTicks::Stop() {
  if (next_frame_ < 0) return;
  output_.GetMixer().StopBeat();
  next_frame_ = -1;
}

}  // namespace cadencio::app
