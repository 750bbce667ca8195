// Beat-timing benchmark. Runs the real metronome loop on SDL's `disk` audio driver (paced in
// real time by SDL, with no sound card) at several tempos, finds the onsets in the written stream
// and prints, per tempo, the largest deviation of an interval from the exact (fractional) beat
// period in samples, the total drift over the run, and the tempo heard (from the least-squares
// spacing of the onsets) against the tempo asked for. The same figures are printed for the plain
// "start the sound, then sleep" loop as a baseline, and for the program with two or three notes
// per beat and counting aloud, and for tempos reached by a tempo key (Up, Down, PgUp, PgDn) or
// by the tempo trainer, and for the program listening to a player (e) through SDL's disk
// capture. Every run is a child process, all run at once.
//
// Two measurements stand side by side: the first sample above a threshold (whose latency
// depends on the sound's level and on what is mixed over it), and the onset matched to the
// known waveform of the beat sound or the softer note, followed along the expected spacing. For
// the program, the matched onsets are also checked against the frames its schedule gives.
//
// The loaded run (--loaded) plays the program for some minutes at 500 BPM with four notes to
// the beat and counting aloud while two busy processes load both cores, and follows the exact
// grid of notes through the whole stream: notes expected, found, off the grid (found more than
// a frame from their frame) and missing. Beside it run the second layer (3:2, 4:3, 5:4 and 7:4
// at 60, 120 and 300 BPM) and the three swing steps, each layer note or swung note checked
// against its frame by definition, and the swing against its fraction of the beat.
//
// Usage: beat_timing [beats-per-tempo] [--keep] [--tempo]
//          (default 200; --keep keeps the raw streams; --tempo runs only the program's plain
//          loop and the tempo keys, the runs the tempo table needs)
//        beat_timing --loaded [MINUTES]              (default 10)
//        beat_timing --measure DIR                  (measures the streams kept in DIR again)
//        beat_timing --self-test                    (the onset finder on a synthetic stream)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/metronome.hpp"
#include "app/metronome_state.hpp"
#include "audio/beat_channel.hpp"
#include "audio/sdl/sdl_audio.hpp"
#include "base/clock.hpp"
#include "base/keys.hpp"
#include "base/message_loop.hpp"
#include "files/paths.hpp"
#include "frontends/frontend.hpp"
#include "frontends/headless_frontend.hpp"
#include "measures/beat_figures.hpp"
#include "measures/beat_sounds.hpp"
#include "measures/onset_finder.hpp"
#include "measures/played_take.hpp"
#include "program/program_parts.hpp"
#include "timing/layer_grid.hpp"
#include "timing/timed_script.hpp"

namespace {

using namespace cadencio;
using bench::BeatSounds;
using bench::Char;
using bench::Figures;
using bench::FiguresOf;
using bench::HeardBpm;
using bench::LeftChannel;
using bench::OffSchedule;
using bench::OnsetFinder;
using bench::OnsetMatch;
using bench::ReadRawLeft;
using bench::ThresholdOnsets;
using bench::TimedScriptFrontend;

// When the extra keys have all been typed, in ms from the start of the script.
int64_t KeysDoneMs(int bpm, const std::string& extra_keys) {
  return 100 + 10 * static_cast<int64_t>(std::to_string(bpm).size()) +
         1500 * static_cast<int64_t>(extra_keys.size());
}

// What the microphone hears while listening: a stick played about every beat for `ms`, with
// noise, as raw mono float (the capture's own format).
void WritePlayerTake(const std::string& path, int rate, int bpm, int64_t ms) {
  listening::Playing playing{
      {}, listening::InstrumentNote(listening::Instrument::kStick, rate, 0.3), 0.5f, true};
  const int64_t frames = ms * rate / 1000;
  for (int64_t n = 1; audio::ScheduleFrame(n, 1, bpm, rate) < frames; ++n) {
    playing.frames.push_back(static_cast<double>(audio::ScheduleFrame(n, 1, bpm, rate)) +
                             (n % 3 - 1) * 0.01 * rate);
  }
  const listening::Room room{0, 0.0f, false, 0.003f};
  const auto heard = listening::MicrophoneHears({}, room, playing, 0, frames, rate);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  std::fwrite(heard.data(), sizeof(float), heard.size(), file);
  std::fclose(file);
}

// The program itself: type the tempo, a measure of one beat, the extra keys (e: listening, s: notes
// per beat, c: counting aloud, ^ v + -: Up, Down, PgUp, PgDn, \n: Enter), and end after `beats`
// beats.
void RunProgram(int bpm, int beats, const std::string& extra_keys) {
  base::RealClock clock;
  base::MessageLoop loop;
  int64_t period = 60000 / bpm + 1;
  std::vector<frontends::ScriptedMessage> script;
  int64_t t = 100;
  for (char digit : std::to_string(bpm)) script.push_back(Char(t, digit)), t += 10;
  script.push_back(Char(t, 13));
  script.push_back(Char(t + 50, '1'));
  for (char key : extra_keys) script.push_back(Char(t += 1500, key));
  // The spoken prompts before the first beat take a few seconds.
  int64_t end = t + 4000 + period * beats + period / 2;
  script.push_back(Char(end, 27));
  script.push_back(Char(end + period + 100, 's'));
  TimedScriptFrontend frontend(clock, script);
  auto audio = audio::OpenSdlAudio();
  // The shipped settings, as a new user has them (the caller points AUDIRA_WINDIR at an empty
  // folder, so settings stored on this machine do not count): they name the prompt folder
  // that holds the count words.
  program::ProgramParts parts({frontend, loop, *audio, clock}, files::DataRoot());
  // Listening (e) hears a player through SDL's disk capture: a take written beside the stream.
  if (extra_keys.find('e') != std::string::npos) {
    const int rate = audio->GetMixer().SampleRate();
    const std::string take = std::string(getenv("SDL_DISKAUDIOFILE")) + ".in";
    WritePlayerTake(take, rate, bpm, end + 10000);
    setenv("SDL_DISKAUDIOFILEIN", take.c_str(), 1);
    parts.open_capture = [rate] { return audio::OpenSdlCapture(rate); };
  }
  parts.RunToExit([&parts] { program::RunCadencio(parts); });
}

// The baseline: start the sound, then sleep the beat period, with no correction.
void RunBaseline(int bpm, int beats) {
  base::RealClock clock;
  auto audio = audio::OpenSdlAudio();
  audio::BeatChannel channel(*audio, clock);
  const std::string sound = std::string(app::kEffectsDir) + "padrao1.wav";
  channel.Load(sound);
  int32_t period = app::BeatPeriodMs(bpm);
  clock.SleepMs(200);
  for (int i = 0; i < beats + 1; ++i) {
    channel.Play(sound);
    clock.SleepMs(period);
  }
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

// The loops measured: the program, the baseline, and the program with two or three notes per
// beat and counting aloud (the onsets are then the beats and the notes between them; the count
// word starts with its beat).
struct Loop {
  const char* name;
  const char* keys;  // typed once the beat runs
  int parts;         // onsets per beat
  bool baseline;
  int start_bpm = 0;  // for a tempo reached by keys: the tempo typed at the start (else the tempo)
};
constexpr Loop kLoops[] = {{"cadencio", "", 1, false},
                           {"baseline", "", 1, true},
                           {"s2+count", "sc", 2, false},
                           {"s3+count", "ssc", 3, false},
                           {"listening", "e", 1, false}};
constexpr int kLoopCount = static_cast<int>(std::size(kLoops));

// Tempos reached by a key or by the trainer (r: to 317 by 5 every 2 measures of one beat),
// each run at the one tempo it ends on.
struct TempoRun {
  int bpm;
  Loop loop;
};
const TempoRun kTempoRuns[] = {
    {125, {"Up", "^", 1, false, 124}},
    {192, {"Down", "v", 1, false, 193}},
    {317, {"PgUp", "+", 1, false, 307}},
    {125, {"PgDn", "-", 1, false, 135}},
    {317, {"trainer", "r317\n5\n2\n", 1, false, 307}},
};

// Both measurements of one stream.
void PrintMeasure(const std::string& path, int bpm, int rate, const Loop& loop,
                  const BeatSounds& sounds) {
  const bool baseline = loop.baseline;
  const int parts = loop.parts;
  std::vector<float> left = ReadRawLeft(path);
  if (left.empty()) return;  // a run this measure did not make
  // A run that reaches its tempo by keys is measured from a second after the last key.
  if (loop.start_bpm != 0) {
    const auto from =
        static_cast<std::size_t>((KeysDoneMs(loop.start_bpm, loop.keys) + 1000) * rate / 1000);
    std::fill(left.begin(), left.begin() + static_cast<std::ptrdiff_t>(std::min(from, left.size())),
              0.0f);
  }
  const double spacing = 60.0 * rate / bpm / parts;
  const auto rough = ThresholdOnsets(left, static_cast<int64_t>(std::min(2000.0, spacing / 3)));
  // The baseline loop only ticks; the program also speaks around its beats.
  Figures before = FiguresOf(baseline ? rough : BeatTrain(rough, spacing), spacing);

  std::vector<const audio::Sound*> starts{sounds.beat};
  if (parts > 1) starts.push_back(sounds.note);
  OnsetFinder finder(starts, left);
  // The baseline's intervals stray by whole device buffers, so each onset is refined on its
  // own; the program's onsets are followed along the spacing.
  const int64_t radius = std::max<int64_t>(8, std::llround(spacing / 100));
  const auto onsets =
      baseline ? finder.RefineAll(rough, 32) : finder.LongestTrain(rough, spacing, radius);
  Figures after = FiguresOf(onsets, spacing);
  std::string off = baseline ? "-" : std::to_string(OffSchedule(onsets, bpm, rate, parts));
  const double heard = HeardBpm(onsets, rate, parts);
  std::printf("%-5d %-9s %7zu %8.2f %8.1f   %7zu %8.2f %8.1f %6s %11.6f %9.6f\n", bpm, loop.name,
              before.onsets, before.max_deviation, before.drift, after.onsets, after.max_deviation,
              after.drift, off.c_str(), heard, heard / bpm);
}

// A word-like burst of about `level` RMS, made as a voice is: a 140 Hz pulse train and some
// breath noise through two formant resonators (700 and 1200 Hz), rising over 5 ms.
audio::Sound WordLikeBurst(int rate, float level, uint32_t seed) {
  struct Resonator {
    double b1, b2, y1 = 0, y2 = 0;
    Resonator(double hz, double bandwidth, int rate) {
      const double r = std::exp(-M_PI * bandwidth / rate);
      b1 = 2 * r * std::cos(2 * M_PI * hz / rate);
      b2 = -r * r;
    }
    double operator()(double x) {
      const double y = x + b1 * y1 + b2 * y2;
      y2 = y1;
      y1 = y;
      return y;
    }
  };
  Resonator first(700, 130, rate), second(1200, 150, rate);
  std::vector<double> wave(static_cast<std::size_t>(rate * 3 / 10));
  double energy = 0;
  for (std::size_t i = 0; i < wave.size(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    const double noise = (seed >> 8) / double(1 << 24) - 0.5;
    const double pulse = i % static_cast<std::size_t>(rate / 140) == 0 ? 1.0 : 0.0;
    const double source = pulse + 0.05 * noise;
    wave[i] = first(source) + 0.5 * second(source);
    energy += wave[i] * wave[i];
  }
  const double gain = level / std::sqrt(energy / static_cast<double>(wave.size()));
  audio::Sound word;
  word.samples.resize(wave.size() * 2);
  for (std::size_t i = 0; i < wave.size(); ++i) {
    const double rise = std::min(1.0, static_cast<double>(i) / (0.005 * rate));
    word.samples[2 * i] = word.samples[2 * i + 1] = static_cast<float>(gain * rise * wave[i]);
  }
  return word;
}

// The onset finder on streams made by the mixer from the program's own sounds, at known frames
// a few samples off a 500 BPM grid of two notes per beat: word-like bursts before the first
// beat, on most beats, just before some notes and after the last, at several beat and word
// levels. Every onset must be found on its exact frame, and nothing else.
int SelfTest() {
  const struct {
    float beat_gain, word_level;
  } levels[] = {{1.0f, 0.0f}, {1.0f, 0.1f}, {1.0f, 0.25f}, {0.5f, 0.1f}, {0.3f, 0.1f}};
  const int jitter[] = {0, 1, -1, 3, 0, -2, 2, 0, -3, 1, 0, 0, 2, -1};
  int failures = 0;
  for (const auto& level : levels) {
    BeatSounds run;
    if (run.beat == nullptr || run.note == nullptr) {
      std::fprintf(stderr, "self-test: the beat sounds are missing in %s\n",
                   app::kEffectsDir.c_str());
      return 1;
    }
    audio::Mixer& mixer = run.output.GetMixer();
    const int rate = mixer.SampleRate();
    const double spacing = 60.0 * rate / 500 / 2;
    mixer.SetBeatGain(level.beat_gain);
    const audio::Sound word = WordLikeBurst(rate, level.word_level, 7);
    auto say_at = [&](int64_t frame) {
      if (level.word_level > 0) mixer.StartCount(&word, frame);
    };
    say_at(rate / 10);
    const int64_t start = rate;
    std::vector<int64_t> known;
    for (int i = 0; i < 48; ++i) {
      const int64_t frame = start + std::llround(i * spacing) + jitter[i % std::size(jitter)];
      const bool beat = i % 2 == 0;
      run.channel.PlaySound(beat ? run.beat : run.note, frame);
      if (beat && i % 6 != 4) say_at(frame);
      if (!beat && i % 6 == 3) say_at(frame - 300);
      // The output runs the limiter's lookahead behind the mix.
      known.push_back(frame + mixer.LookaheadFrames());
      run.clock.AdvanceTo((frame + rate / 20) * 1000 / rate);
    }
    say_at(known.back() - mixer.LookaheadFrames() + rate / 10);
    run.clock.SleepMs(1000);
    const auto left = LeftChannel(run.output.Stream());
    OnsetFinder finder({run.beat, run.note}, left);
    const auto found =
        finder.LongestTrain(ThresholdOnsets(left, 800), spacing, std::llround(spacing / 100));
    if (found != known) {
      ++failures;
      std::printf("beat gain %.1f, word level %.2f: %zu onsets found of %zu, first wrong: ",
                  level.beat_gain, level.word_level, found.size(), known.size());
      auto wrong = std::mismatch(found.begin(), found.end(), known.begin(), known.end());
      std::printf("%lld instead of %lld\n",
                  wrong.first == found.end() ? -1LL : (long long)*wrong.first,
                  wrong.second == known.end() ? -1LL : (long long)*wrong.second);
    }
  }
  std::printf("onset finder: %d passed, %d failed\n", int(std::size(levels)) - failures, failures);
  return failures == 0 ? 0 : 1;
}

// The runs beside the loaded one: the second layer, n against m at three tempos, and the three
// swing steps of w at 120 BPM (w: two notes per beat in light swing, then triplet, then dotted).
struct GridRun {
  int bpm;
  int notes, beats;  // the layer, n against m (0: a swing run)
  int num, den;      // the swing's fraction of the beat
  std::string keys;
};
std::vector<GridRun> GridRuns() {
  std::vector<GridRun> runs;
  for (const int bpm : {60, 120, 300}) {
    for (const auto& [notes, beats] : {std::pair{3, 2}, {4, 3}, {5, 4}, {7, 4}}) {
      // j, the rhythm as two digits, Enter.
      const std::string keys{'j', static_cast<char>('0' + notes), static_cast<char>('0' + beats),
                             '\n'};
      runs.push_back({bpm, notes, beats, 0, 1, keys});
    }
  }
  runs.push_back({120, 0, 1, 7, 12, "w"});
  runs.push_back({120, 0, 1, 2, 3, "ww"});
  runs.push_back({120, 0, 1, 3, 4, "www"});
  return runs;
}

std::string GridFile(const std::string& dir, const GridRun& run) {
  return dir + "/grid-" + std::to_string(run.bpm) + "-" + std::to_string(run.notes) + "-" +
         std::to_string(run.beats) + "-" + std::to_string(run.num) + ".raw";
}

// Every layer note (or swung note) of a grid run against its frame.
void PrintGridRun(const std::string& file, const GridRun& run, int minutes,
                  const BeatSounds& sounds) {
  constexpr int kRate = 44100;
  const std::vector<float> left = ReadRawLeft(file);
  OnsetFinder finder({sounds.beat, sounds.measure, sounds.note}, left);
  const bool layer = run.notes > 0;
  const bench::MeasureGrid grid = layer ? bench::LayerGrid(run.notes, run.beats, run.bpm, kRate)
                                        : bench::SwingGrid(run.num, run.den, run.bpm, kRate);
  const double late = layer ? 0 : 60.0 * kRate * run.num / (run.den * run.bpm);
  const int64_t from = (KeysDoneMs(run.bpm, run.keys) + 1000) * kRate / 1000;
  const int64_t to = std::min<int64_t>(
      static_cast<int64_t>(left.size()) - kRate / 10,
      (KeysDoneMs(run.bpm, run.keys) + 4000 + int64_t{minutes} * 60000 - 500) * kRate / 1000);
  const bench::GridCount count = bench::FollowGrid(finder, grid, late, from, to);
  char what[32];
  if (layer) {
    std::snprintf(what, sizeof what, "%d:%d", run.notes, run.beats);
  } else {
    std::snprintf(what, sizeof what, "swing %d/%d", run.num, run.den);
  }
  std::printf("%-5d %-11s %9lld %9lld %6lld %8lld", run.bpm, what, (long long)count.expected,
              (long long)count.on_frame, (long long)count.off, (long long)count.missing);
  if (!layer) std::printf("   swing off its ratio by at most %.1f samples", count.max_ratio_error);
  std::printf("\n");
}

// The loaded run: the program at 500 BPM, one beat to the measure, four notes to the beat and
// counting, for `minutes` with both cores busy; then the grid of notes is followed through the
// stream. Beside it, at the same time, the grid runs: the second layer and the swing.
int RunLoaded(int minutes) {
  constexpr int kBpm = 500, kParts = 4, kRate = 44100;
  const std::string keys = "sssc";
  const std::string dir = "/tmp/cadencio-beat-loaded-" + std::to_string(getpid());
  const std::string file = dir + "/loaded.raw";
  std::system(("mkdir -p " + dir).c_str());
  std::vector<pid_t> busy;
  for (int core = 0; core < 2; ++core) {
    const pid_t pid = fork();
    if (pid == 0) {
      // A busy loop the compiler keeps: every pass stores to a volatile.
      volatile uint64_t spin = 0;
      for (;;) spin = spin + 1;
    }
    busy.push_back(pid);
  }
  std::vector<pid_t> programs;
  const auto spawn = [&](const std::string& stream, int bpm, const std::string& extra) {
    const pid_t program = fork();
    if (program == 0) {
      setenv("SDL_AUDIODRIVER", "disk", 1);
      setenv("SDL_DISKAUDIOFILE", stream.c_str(), 1);
      setenv("AUDIRA_WINDIR", dir.c_str(), 1);
      RunProgram(bpm, minutes * bpm, extra);
      _exit(0);
    }
    programs.push_back(program);
  };
  spawn(file, kBpm, keys);
  const std::vector<GridRun> grid_runs = GridRuns();
  for (const GridRun& run : grid_runs) spawn(GridFile(dir, run), run.bpm, run.keys);
  for (const pid_t program : programs) waitpid(program, nullptr, 0);
  for (pid_t pid : busy) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);

  BeatSounds grid_sounds;
  std::printf("%d min, two cores busy: the second layer's notes and the swung notes\n", minutes);
  std::printf("%-5s %-11s %9s %9s %6s %8s\n", "BPM", "rhythm", "expected", "on frame", "off",
              "missing");
  for (const GridRun& run : grid_runs) PrintGridRun(GridFile(dir, run), run, minutes, grid_sounds);
  const std::vector<float> left = ReadRawLeft(file);
  std::system(("rm -rf " + dir).c_str());
  BeatSounds sounds;
  if (left.empty() || sounds.beat == nullptr || sounds.note == nullptr) {
    std::fprintf(stderr, "beat_timing: no stream or no beat sounds\n");
    return 1;
  }
  const double spacing = 60.0 * kRate / kBpm / kParts;
  // From a second after the last key to half a second before the end of the beats.
  const auto from = static_cast<int64_t>((KeysDoneMs(kBpm, keys) + 1000) * kRate / 1000);
  const auto to = static_cast<int64_t>(
      (KeysDoneMs(kBpm, keys) + 4000 + int64_t{minutes} * 60000 - 500) * kRate / 1000);
  OnsetFinder finder({sounds.beat, sounds.note}, left);
  // The notes follow each other too closely for a threshold: the best match within a note's
  // spacing of the first frame measured starts the grid.
  const int64_t t0 = finder.Refine(from, static_cast<int64_t>(spacing)).frame;
  if (t0 < 0) {
    std::fprintf(stderr, "beat_timing: no note found after the keys (%zu frames written)\n",
                 left.size());
    return 1;
  }
  // The stream runs behind real time on busy cores, so the beats end before the planned end:
  // the grid is followed to the last note found, and every grid frame before it is expected.
  int64_t expected = 0, found = 0, off = 0;
  std::vector<int64_t> missing;
  const int64_t end = std::min<int64_t>(to, static_cast<int64_t>(left.size()) - kRate / 10);
  for (int64_t n = 0;; ++n) {
    const int64_t frame = t0 + std::llround(static_cast<double>(n) * spacing);
    if (frame >= end) break;
    OnsetMatch match = finder.Refine(frame, 4);
    if (match.frame < 0) match = finder.Refine(frame, static_cast<int64_t>(spacing / 3));
    if (match.frame < 0) {
      missing.push_back(frame);
      continue;
    }
    ++found;
    off += std::llabs(match.frame - frame) > 1;
    expected = n + 1;
  }
  while (!missing.empty() && missing.back() >= t0 + std::llround(expected * spacing)) {
    missing.pop_back();
  }
  std::printf("%d min at %d BPM, %d notes to the beat, counting, two cores busy\n", minutes, kBpm,
              kParts);
  std::printf("notes expected %lld, found %lld, missing %lld, off the grid %lld\n",
              (long long)expected, (long long)found, (long long)(expected - found), (long long)off);
  for (std::size_t k = 0; k < missing.size() && k < 10; ++k) {
    std::printf("  missing at %.3f s of the stream\n", static_cast<double>(missing[k]) / kRate);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int beats = 200;
  bool keep = false;
  bool tempo_only = false;
  std::string dir;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--self-test") return SelfTest();
    if (arg == "--loaded")
      return RunLoaded(i + 1 < argc ? std::max(1, std::atoi(argv[i + 1])) : 10);
    if (arg == "--keep") {
      keep = true;
    } else if (arg == "--tempo") {
      tempo_only = true;
    } else if (arg == "--measure" && i + 1 < argc) {
      dir = argv[++i];
    } else {
      beats = std::atoi(argv[i]);
    }
  }
  const int rate = 44100;
  const bool run = dir.empty();
  if (run) dir = "/tmp/cadencio-beat-timing-" + std::to_string(getpid());

  // Every run: a tempo, the loop, and its stream file (named as earlier versions named theirs,
  // so that their kept streams can be measured again).
  struct Run {
    int bpm;
    Loop loop;
    std::string file;
  };
  std::vector<Run> runs;
  for (int bpm : {60, 125, 192, 317, 500}) {
    for (int loop = 0; loop < kLoopCount; ++loop) {
      if (tempo_only && loop != 0) continue;
      runs.push_back({bpm, kLoops[loop],
                      dir + "/" + std::to_string(bpm) + "-" + std::to_string(loop) + ".raw"});
    }
  }
  for (const TempoRun& tempo : kTempoRuns) {
    runs.push_back({tempo.bpm, tempo.loop,
                    dir + "/" + std::to_string(tempo.bpm) + "-" + tempo.loop.name + ".raw"});
  }

  if (run) {
    std::system(("mkdir -p " + dir).c_str());
    std::vector<pid_t> children;
    for (const Run& each : runs) {
      pid_t pid = fork();
      if (pid == 0) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", each.file.c_str(), 1);
        setenv("AUDIRA_WINDIR", dir.c_str(), 1);
        if (each.loop.baseline) {
          RunBaseline(each.bpm, beats);
        } else {
          RunProgram(each.loop.start_bpm != 0 ? each.loop.start_bpm : each.bpm, beats,
                     each.loop.keys);
        }
        _exit(0);
      }
      children.push_back(pid);
    }
    for (pid_t pid : children) waitpid(pid, nullptr, 0);
  }

  BeatSounds sounds;
  std::printf("%-15s %-26s   %-32s\n", "", "threshold onsets", "matched onsets");
  std::printf("%-5s %-9s %7s %8s %8s   %7s %8s %8s %6s %11s %9s\n", "BPM", "loop", "onsets",
              "max dev", "drift", "onsets", "max dev", "drift", "off", "heard BPM", "ratio");
  for (const Run& each : runs) PrintMeasure(each.file, each.bpm, rate, each.loop, sounds);
  std::printf(
      "(samples; max dev: largest |interval - exact beat / notes per beat|; drift: last onset "
      "against first + n x that; off: onsets more than a frame off the exact grid; heard BPM: "
      "from the least-squares spacing of the matched onsets; ratio: heard / asked)\n");
  if (run && !keep) std::system(("rm -rf " + dir).c_str());
  if (run && keep) std::printf("streams kept in %s\n", dir.c_str());
  return 0;
}
