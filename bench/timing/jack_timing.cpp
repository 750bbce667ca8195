// The beat and MIDI clock through JACK, on real `jackd -d dummy` servers (no sound card; the
// dummy driver keeps real time):
//
//   jack_timing tempo [BEATS [RATE BPM]]  (one run when RATE and BPM are given)
//                                 the exact tempo at 44100 and 48000 Hz (125, 192, 500 BPM):
//                                 the program's beat sound played from the metronome's rule,
//                                 recorded by a JACK client of our own and measured as the
//                                 disk-driver benchmark (beat_timing) measures its streams
//   jack_timing midi [MINUTES]    MIDI clock at 120 and 500 BPM (48000 Hz) over MINUTES of
//                                 stream (default 10): each interval against the ideal one,
//                                 and each clock against its exact frame
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/metronome_state.hpp"
#include "audio/audio_output.hpp"
#include "audio/beat_channel.hpp"
#include "audio/jack/jack_output.hpp"
#include "audio/midi_clock.hpp"
#include "base/clock.hpp"
#include "base/message_loop.hpp"
#include "measures/beat_figures.hpp"
#include "measures/onset_finder.hpp"
#include "support/jack_server.hpp"

namespace {

using namespace cadencio;

constexpr int kPeriod = 1024;

// The client on a dummy server (or PipeWire daemon) of 1024-frame cycles, and the probe recording
// it. No output when no server or client opens.
struct Run {
  Run(int rate, double seconds, std::size_t messages) : server(rate, kPeriod) {
    if (!server.Missing().empty()) {
      std::fprintf(stderr, "jack_timing: %s\n", server.Missing().c_str());
      return;
    }
    audio::JackOptions options;
    options.connect_system = false;
    std::string why;
    output = audio::OpenJackOutput(options, loop, {}, &why);
    if (!output) {
      std::fprintf(stderr, "jack_timing: %s\n", why.c_str());
      return;
    }
    probe.emplace(seconds, 0.0f, messages);
    probe->Connect();
  }
  // Publishes the beat at `bpm` and waits until `frames` more of the stream are recorded.
  void Play(const audio::Sound* sound, int bpm, int64_t frames) {
    audio::Mixer& mixer = output->GetMixer();
    audio::BeatRule rule;
    rule.playing = true;
    rule.rate = mixer.SampleRate();
    rule.bpm = bpm;
    rule.beats = 4;
    for (auto& beat : rule.beat) beat.sound = sound;
    rule.start = rule.from = mixer.FramesRendered() + output->LeadFrames();
    mixer.SetBeatRule(rule);
    const int64_t until = probe->Recorded() + frames;
    while (!probe->WaitFrames(until, 1000)) {
    }
  }
  testing::JackServer server;
  base::MessageLoop loop;
  std::unique_ptr<audio::JackOutput> output;
  std::optional<testing::JackProbe> probe;
};

int MeasureTempo(int beats, int only_rate, int only_bpm) {
  std::printf("%-6s %-5s %7s %8s %8s %6s %11s %9s\n", "rate", "BPM", "onsets", "max dev", "drift",
              "off", "heard BPM", "ratio");
  for (int rate : {44100, 48000}) {
    for (int bpm : {125, 192, 500}) {
      if (only_rate != 0 && (rate != only_rate || bpm != only_bpm)) continue;
      const double spacing = 60.0 * rate / bpm;
      const double seconds = (beats + 2) * 60.0 / bpm + 1;
      Run run(rate, seconds, 10);
      if (!run.output) return 1;
      base::VirtualClock clock;
      audio::BeatChannel channel(*run.output, clock);
      const audio::Sound* beat = channel.Load(std::string(app::kEffectsDir) + "padrao1.wav");
      if (beat == nullptr) {
        std::fprintf(stderr, "jack_timing: no beat sound in %s\n", app::kEffectsDir.c_str());
        return 1;
      }
      run.Play(beat, bpm, static_cast<int64_t>(seconds * rate));
      const std::vector<float> left = run.probe->Audio();
      bench::OnsetFinder finder({beat}, left);
      const auto rough = bench::ThresholdOnsets(left, static_cast<int64_t>(spacing / 3));
      const auto onsets =
          finder.LongestTrain(rough, spacing, std::max<int64_t>(8, std::llround(spacing / 100)));
      const bench::Figures figures = bench::FiguresOf(onsets, spacing);
      const double heard = bench::HeardBpm(onsets, rate, 1);
      std::printf("%-6d %-5d %7zu %8.2f %8.1f %6zu %11.6f %9.6f\n", rate, bpm, figures.onsets,
                  figures.max_deviation, figures.drift, bench::OffSchedule(onsets, bpm, rate, 1),
                  heard, heard / bpm);
    }
  }
  std::printf("(samples; as beat_timing measures the disk driver's streams)\n");
  return 0;
}

int MeasureMidi(int minutes) {
  constexpr int kRate = 48000;
  std::printf("%-5s %8s %10s %12s %12s %10s\n", "BPM", "clocks", "ideal", "max |dev|", "rms dev",
              "off grid");
  for (int bpm : {120, 500}) {
    const int64_t frames = int64_t{minutes} * 60 * kRate;
    const auto messages = static_cast<std::size_t>(minutes * bpm * 24 + 1000);
    const auto started = std::chrono::steady_clock::now();
    Run run(kRate, 1, messages);
    if (!run.output) return 1;
    run.Play(nullptr, bpm, frames);
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::vector<int64_t> clocks;
    for (const auto& message : run.probe->Midi()) {
      if (message.status == audio::MidiClock::kClock) clocks.push_back(message.frame);
    }
    const double ideal = 60.0 * kRate / (bpm * 24.0);
    double worst = 0, squares = 0;
    int64_t off = 0;
    for (std::size_t n = 1; n < clocks.size(); ++n) {
      const double deviation = static_cast<double>(clocks[n] - clocks[n - 1]) - ideal;
      worst = std::max(worst, std::fabs(deviation));
      squares += deviation * deviation;
      const int64_t exact =
          clocks[0] + audio::ScheduleFrame(static_cast<int64_t>(n), 24, bpm, kRate);
      off += clocks[n] != exact;
    }
    const double rms = clocks.size() > 1 ? std::sqrt(squares / (clocks.size() - 1)) : 0;
    std::printf("%-5d %8zu %10.4f %12.4f %12.4f %10lld   (%.0f s of stream in %.0f s)\n", bpm,
                clocks.size(), ideal, worst, rms, static_cast<long long>(off),
                static_cast<double>(frames) / kRate, took);
  }
  std::printf(
      "(frames; dev: a clock's interval against the ideal one; off grid: clocks not on "
      "round(n x 60 x rate / (BPM x 24)) from the first)\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "tempo") {
    return MeasureTempo(argc > 2 ? std::max(2, std::atoi(argv[2])) : 200,
                        argc > 4 ? std::atoi(argv[3]) : 0, argc > 4 ? std::atoi(argv[4]) : 0);
  }
  if (what == "midi") return MeasureMidi(argc > 2 ? std::max(1, std::atoi(argv[2])) : 10);
  std::fprintf(stderr, "usage: jack_timing tempo [BEATS] | midi [MINUTES]\n");
  return 2;
}
