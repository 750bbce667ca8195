// What the audio thread spends rendering the metronome: the mixer's output (beat pattern, cut
// fades and limiter) is rendered in device buffers of 1024 frames for ten minutes of stream, at
// a few tempos, and the thread's CPU time is reported per second of stream (the share of one
// core the rendering takes) and per buffer.
//
// Usage: mixer_render
#include <time.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/metronome.hpp"
#include "audio/beat_channel.hpp"
#include "files/paths.hpp"

namespace {

using namespace cadencio;

constexpr int kRate = 44100;
constexpr int kBufferFrames = 1024;
constexpr int64_t kStreamSeconds = 600;

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Case {
  const char* name;
  bool playing;
  int32_t bpm;
  int parts;
};

}  // namespace

int main() {
  base::VirtualClock clock;
  audio::CaptureAudio output(clock, kRate);
  audio::BeatChannel channel(output, clock);
  const std::string dir = app::kEffectsDir;
  const audio::Sound* first = channel.Load(dir + "padrao1.wav");
  const audio::Sound* other = channel.Load(dir + "padrao2.wav");
  const audio::Sound* softer = channel.LoadSofter(dir + "padrao2.wav");
  if (first == nullptr || other == nullptr || softer == nullptr) {
    std::fprintf(stderr, "mixer_render: the default beat sounds are missing from %s\n",
                 files::MapWindowsPath(app::kEffectsDir).c_str());
    return 1;
  }
  const Case cases[] = {{"stopped", false, 60, 1},
                        {"60 BPM, 4 beats", true, 60, 1},
                        {"120 BPM, 4 beats", true, 120, 1},
                        {"500 BPM, 4 notes a beat", true, 500, 4}};
  std::printf("%-26s %12s %14s\n", "case", "% of a core", "us per buffer");
  std::vector<float> buffer(2 * kBufferFrames);
  for (const Case& c : cases) {
    audio::Mixer mixer(kRate);
    audio::BeatRule rule;
    rule.playing = c.playing;
    rule.rate = kRate;
    rule.bpm = c.bpm;
    rule.beats = 4;
    rule.parts = c.parts;
    for (int beat = 0; beat < rule.beats; ++beat) {
      rule.beat[static_cast<std::size_t>(beat)] = {beat == 0 ? first : other,
                                                   c.parts > 1 ? softer : nullptr, nullptr};
    }
    mixer.SetBeatRule(rule);
    const int64_t buffers = kStreamSeconds * kRate / kBufferFrames;
    const double start = ThreadSeconds();
    for (int64_t i = 0; i < buffers; ++i) mixer.RenderOutput(buffer.data(), kBufferFrames);
    const double spent = ThreadSeconds() - start;
    const double stream = static_cast<double>(buffers * kBufferFrames) / kRate;
    std::printf("%-26s %11.3f%% %14.1f\n", c.name, 100.0 * spent / stream,
                1e6 * spent / static_cast<double>(buffers));
  }
  return 0;
}
