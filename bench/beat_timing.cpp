// Beat-timing benchmark. Runs the real metronome loop on SDL's `disk` audio driver (paced in
// real time by SDL, with no sound card) at several tempos, finds the beat onsets in the written
// stream and prints, per tempo, the largest deviation of an interval from the beat period in
// samples and the total drift over the run. The same figures are printed for the plain "start
// the sound, then sleep" loop as a baseline. Every run is a child process, all run at once.
//
// Usage: beat_timing [beats-per-tempo]   (default 200)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/metronome.hpp"
#include "app/metronome_state.hpp"
#include "platform/audio_output.hpp"
#include "platform/beat_channel.hpp"
#include "platform/clock.hpp"
#include "platform/frontend.hpp"
#include "platform/headless_frontend.hpp"
#include "platform/message_loop.hpp"
#include "speech/program_parts.hpp"

namespace {

using namespace cadencio;

// Delivers scripted keys at real times and shows nothing.
class TimedScriptFrontend final : public platform::Frontend {
 public:
  TimedScriptFrontend(platform::Clock& clock, std::vector<platform::ScriptedMessage> script)
      : clock_(clock), script_(std::move(script)), start_(clock.NowMs()) {}
  void PollInput(platform::MessageLoop& loop) override {
    while (next_ < script_.size() && start_ + script_[next_].at_ms <= clock_.NowMs()) {
      loop.Post(script_[next_++].message);
    }
  }
  void WaitInput(platform::MessageLoop& loop) override { WaitInputFor(loop, 50); }
  void WaitInputFor(platform::MessageLoop& loop, int64_t timeout_ms) override {
    int64_t wait = next_ < script_.size() ? start_ + script_[next_].at_ms - clock_.NowMs() : 50;
    loop.Wait(std::clamp<int64_t>(wait, 0, timeout_ms));
    PollInput(loop);
  }
  void Present(const platform::ScreenCells&, int, int, bool) override {}

 private:
  platform::Clock& clock_;
  std::vector<platform::ScriptedMessage> script_;
  std::size_t next_ = 0;
  int64_t start_;
};

platform::ScriptedMessage Char(int64_t at_ms, uint8_t ch) {
  return {at_ms, {platform::MessageKind::kChar, ch}};
}

// The program itself: type the tempo, a measure of one beat, and end after `beats` beats.
void RunProgram(int bpm, int beats) {
  platform::RealClock clock;
  platform::MessageLoop loop;
  int64_t period = app::BeatPeriodMs(bpm);
  std::vector<platform::ScriptedMessage> script;
  int64_t t = 100;
  for (char digit : std::to_string(bpm)) script.push_back(Char(t, digit)), t += 10;
  script.push_back(Char(t, 13));
  script.push_back(Char(t + 50, '1'));
  // The spoken prompts before the first beat take a few seconds.
  int64_t end = t + 4000 + period * beats + period / 2;
  script.push_back(Char(end, 27));
  script.push_back(Char(end + period + 100, 's'));
  TimedScriptFrontend frontend(clock, script);
  auto audio = platform::OpenSdlAudio();
  speech::ProgramParts parts({frontend, loop, *audio, clock}, "/nonexistent");
  parts.RunToExit([&parts] { app::RunCadencio(parts); });
}

// The baseline: start the sound, then sleep the beat period, with no correction.
void RunBaseline(int bpm, int beats) {
  platform::RealClock clock;
  auto audio = platform::OpenSdlAudio();
  platform::BeatChannel channel(*audio, clock);
  const std::string sound = std::string(app::kEffectsDir) + "padrao1.wav";
  channel.Load(sound);
  int32_t period = app::BeatPeriodMs(bpm);
  clock.SleepMs(200);
  for (int i = 0; i < beats + 1; ++i) {
    channel.Play(sound);
    clock.SleepMs(period);
  }
}

// Onsets: the first sample above the threshold after at least `gap` quiet frames.
std::vector<int64_t> FindOnsets(const std::string& path, int64_t gap) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::streamsize bytes = in.tellg();
  in.seekg(0);
  std::vector<float> samples(static_cast<std::size_t>(std::max<std::streamsize>(bytes, 0)) /
                             sizeof(float));
  in.read(reinterpret_cast<char*>(samples.data()),
          static_cast<std::streamsize>(samples.size() * sizeof(float)));
  std::vector<int64_t> onsets;
  const float threshold = 0.02f;
  int64_t quiet = gap;
  for (std::size_t frame = 0; frame < samples.size() / 2; ++frame) {
    if (std::fabs(samples[2 * frame]) > threshold) {
      if (quiet >= gap) onsets.push_back(static_cast<int64_t>(frame));
      quiet = 0;
    } else {
      ++quiet;
    }
  }
  return onsets;
}

// The beats: the longest run of onsets spaced about one period apart. The program also speaks
// before the first beat and after the last, and those onsets fall outside the run.
std::vector<int64_t> BeatTrain(const std::vector<int64_t>& onsets, double period) {
  std::size_t best_start = 0, best_length = onsets.empty() ? 0 : 1;
  std::size_t start = 0;
  for (std::size_t i = 1; i <= onsets.size(); ++i) {
    bool regular =
        i < onsets.size() && std::fabs((onsets[i] - onsets[i - 1]) - period) < 0.01 * period;
    if (!regular) {
      if (i - start > best_length) best_start = start, best_length = i - start;
      start = i;
    }
  }
  return {onsets.begin() + static_cast<std::ptrdiff_t>(best_start),
          onsets.begin() + static_cast<std::ptrdiff_t>(best_start + best_length)};
}

struct Figures {
  std::size_t onsets = 0;
  double max_deviation = 0;  // samples
  double drift = 0;          // samples, last onset against first + n x period
};

Figures Measure(const std::string& path, int bpm, int rate, bool baseline) {
  Figures figures;
  const double period = app::BeatPeriodMs(bpm) * rate / 1000.0;
  auto onsets = FindOnsets(path, static_cast<int64_t>(std::min(2000.0, period / 3)));
  // The baseline loop only ticks; the program also speaks around its beats.
  if (!baseline) onsets = BeatTrain(onsets, period);
  figures.onsets = onsets.size();
  if (onsets.size() < 2) return figures;
  for (std::size_t i = 1; i < onsets.size(); ++i) {
    figures.max_deviation =
        std::max(figures.max_deviation, std::fabs((onsets[i] - onsets[i - 1]) - period));
  }
  figures.drift = (onsets.back() - onsets.front()) - period * (onsets.size() - 1);
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  const int beats = argc > 1 ? std::atoi(argv[1]) : 200;
  const int tempos[] = {60, 125, 192, 500};
  const int rate = 44100;
  std::string dir = "/tmp/cadencio-beat-timing-" + std::to_string(getpid());
  std::system(("mkdir -p " + dir).c_str());
  std::vector<pid_t> children;
  for (int bpm : tempos) {
    for (int baseline = 0; baseline < 2; ++baseline) {
      std::string file = dir + "/" + std::to_string(bpm) + (baseline ? "-baseline" : "") + ".raw";
      pid_t pid = fork();
      if (pid == 0) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        baseline ? RunBaseline(bpm, beats) : RunProgram(bpm, beats);
        _exit(0);
      }
      children.push_back(pid);
    }
  }
  for (pid_t pid : children) waitpid(pid, nullptr, 0);

  std::printf("%-6s %-9s %8s %16s %14s\n", "BPM", "loop", "onsets", "max dev (smp)", "drift (smp)");
  for (int bpm : tempos) {
    for (int baseline = 0; baseline < 2; ++baseline) {
      std::string file = dir + "/" + std::to_string(bpm) + (baseline ? "-baseline" : "") + ".raw";
      Figures f = Measure(file, bpm, rate, baseline != 0);
      std::printf("%-6d %-9s %8zu %16.2f %14.1f\n", bpm, baseline ? "baseline" : "cadencio",
                  f.onsets, f.max_deviation, f.drift);
    }
  }
  std::system(("rm -rf " + dir).c_str());
  return 0;
}
