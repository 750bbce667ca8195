// Clicks where the beat channel cuts its own sounds. Every beat sound the program ships is
// played through the mixer and cut, at each tempo, by the next beat (when the sound outlasts the
// beat) and by a stop (Tab or a key) at a few points inside it. At every cut the cut sound alone
// is taken from the stream (the stream less the same stream without it) and the cut is a click
// when the waveform's second difference in the 1 ms around it stands more than 10 dB above the
// sound's own around it (bench::StandOutDb): a sound dropped at once is a step there, one faded
// out is not.
//
// Usage: beat_clicks [--list]   (--list names every click)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/metronome.hpp"
#include "audio/beat_channel.hpp"
#include "files/paths.hpp"
#include "measures/speech_measures.hpp"

namespace {

using namespace cadencio;

constexpr int kRate = 44100;
constexpr double kClickDb = bench::kClickOverNeighboursDb;

// The left channel of `frames` frames of the mixer after the given starts, with a stop at
// `stop_at` (-1: none), as 16-bit samples.
std::vector<int16_t> Rendered(const std::vector<std::pair<const audio::Sound*, int64_t>>& starts,
                              int64_t stop_at, int64_t frames) {
  audio::Mixer mixer(kRate);
  for (const auto& [sound, frame] : starts) mixer.StartBeat(sound, frame);
  std::vector<float> stream(static_cast<std::size_t>(frames) * 2);
  const int64_t first = stop_at < 0 ? frames : stop_at;
  mixer.Render(stream.data(), static_cast<int>(first));
  if (stop_at >= 0) {
    mixer.StopBeat();
    mixer.Render(stream.data() + 2 * first, static_cast<int>(frames - first));
  }
  std::vector<int16_t> left(static_cast<std::size_t>(frames));
  for (std::size_t i = 0; i < left.size(); ++i) {
    left[i] = static_cast<int16_t>(std::clamp(stream[2 * i], -1.0f, 1.0f) * 32767);
  }
  return left;
}

// Whether cutting `sound` at `cut` (by `next`, or by a stop when null) is heard as a click.
bool ClickAt(const audio::Sound& sound, const audio::Sound* next, int64_t cut) {
  const int64_t frames = cut + kRate / 50;
  std::vector<int16_t> alone;
  if (next == nullptr) {
    alone = Rendered({{&sound, 0}}, cut, frames);
  } else {
    alone = Rendered({{&sound, 0}, {next, cut}}, -1, frames);
    const std::vector<int16_t> without = Rendered({{next, cut}}, -1, frames);
    for (std::size_t i = 0; i < alone.size(); ++i) alone[i] -= without[i];
  }
  return bench::StandOutDb(alone, cut, kRate) > kClickDb;
}

}  // namespace

int main(int argc, char** argv) {
  const bool list = argc > 1 && std::strcmp(argv[1], "--list") == 0;
  base::VirtualClock clock;
  audio::CaptureAudio output(clock, kRate);
  audio::BeatChannel channel(output, clock);
  std::vector<const audio::Sound*> sounds;
  const std::string dir = files::MapWindowsPath(app::kEffectsDir);
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
    if (entry.path().extension() != ".wav") continue;
    const std::string path = std::string(app::kEffectsDir) + entry.path().filename().string();
    if (const audio::Sound* sound = channel.Load(path)) sounds.push_back(sound);
  }
  if (sounds.empty()) {
    std::fprintf(stderr, "beat_clicks: no beat sounds in %s\n", dir.c_str());
    return 1;
  }
  std::sort(sounds.begin(), sounds.end(),
            [](const audio::Sound* a, const audio::Sound* b) { return a->name < b->name; });
  std::printf("%zu beat sounds; a click: the cut stands more than %.0f dB above the sound\n",
              sounds.size(), kClickDb);
  std::printf("%-8s %12s %12s %12s %12s\n", "BPM", "beat cuts", "clicks", "stop cuts", "clicks");
  for (int bpm : {60, 120, 200, 300, 400, 500}) {
    const int64_t period = int64_t{60} * kRate / bpm;
    int beat_cuts = 0, beat_clicks = 0, stop_cuts = 0, stop_clicks = 0;
    for (const audio::Sound* sound : sounds) {
      const int64_t length = sound->FrameCount();
      // Cut by the next beat, the same sound, when it outlasts the beat.
      if (period < length) {
        ++beat_cuts;
        if (ClickAt(*sound, sound, period)) {
          ++beat_clicks;
          if (list) std::printf("  %s cut by the next beat at %d BPM\n", sound->name.c_str(), bpm);
        }
      }
      // Stopped at an eighth, a quarter and half of the beat, where it still sounds.
      for (int64_t at : {period / 8, period / 4, period / 2}) {
        if (at >= length || at < kRate / 100) continue;
        ++stop_cuts;
        if (ClickAt(*sound, nullptr, at)) {
          ++stop_clicks;
          if (list) {
            std::printf("  %s stopped %lld frames in\n", sound->name.c_str(), (long long)at);
          }
        }
      }
    }
    std::printf("%-8d %12d %12d %12d %12d\n", bpm, beat_cuts, beat_clicks, stop_cuts, stop_clicks);
  }
  return 0;
}
