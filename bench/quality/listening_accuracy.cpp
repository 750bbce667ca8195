// The listener's accuracy on takes made from known truth: for each instrument (the stick, muted
// guitar, piano and bass made by bench/measures/played_take.hpp, and the same four rendered from
// real instrument samples by fluidsynth with the General MIDI sound font, when both are
// installed), a player's notes placed around the beat's grid at a known mean offset and spread,
// heard by a microphone with the program's own beat (delayed, coloured by the room, with noise)
// or without it (headphones, with the calibrated latency). Printed per take: notes matched,
// extra onsets, the mean offset and spread found against the truth; then, with muted measures,
// the return after each silent stretch (the gap verdict) against its truth; then, with a second
// layer of three notes against two beats sounding through the room (in the beat's sound or a
// clave, at the layer's default volume), the player on the beats or on the layer's notes; then
// the beat shared with an Ableton Link session whose beats lie off the rule's own schedule (0.3
// of a beat later, 0.4 BPM faster), played and listened to on the session's beats. Each
// note's truth is where it is heard to begin: the onset the detector finds on the instrument's
// sample alone (`attack`, from the sample's first sound above 5 % of its peak).
//
// Usage: listening_accuracy [--methods | --notes INSTRUMENT]   (--methods: every aubio onset
// method and threshold; --notes: every note placed in that instrument's takes, with its truth)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/metronome_state.hpp"
#include "audio/wav_loader.hpp"
#include "measures/detuned_note.hpp"
#include "measures/played_take.hpp"

namespace {

using namespace cadencio;
using listening::Instrument;

constexpr int kRate = 44100;
constexpr int kBpm = 100;
constexpr int kNotes = 96;
constexpr double kMeanMs = -12;
constexpr double kSpreadMs = 15;
constexpr float kTruthShare = 0.05f;
constexpr int64_t kRoomDelay = 5 * kRate / 100;  // 50 ms round trip

struct Source {
  std::string name;
  std::vector<float> sound;
  double attack = 0;  // where the note is heard to begin, in samples from its first
};

// A one-note MIDI file: program `program`, note `key` held for `seconds`.
void WriteMidi(const std::string& path, int program, int key, int channel, double seconds) {
  const int division = 1000;  // ticks per quarter note, at 1 s a quarter: 1 ms a tick
  const auto ticks = static_cast<uint32_t>(seconds * 1000);
  std::vector<uint8_t> track = {0x00,
                                0xFF,
                                0x51,
                                0x03,
                                0x0F,
                                0x42,
                                0x40,  // 1 s a quarter
                                0x00,
                                static_cast<uint8_t>(0xC0 | channel),
                                static_cast<uint8_t>(program),
                                0x00,
                                static_cast<uint8_t>(0x90 | channel),
                                static_cast<uint8_t>(key),
                                100};
  std::vector<uint8_t> delta;
  for (uint32_t v = ticks, first = 1; first || v > 0; first = 0, v >>= 7) {
    delta.insert(delta.begin(), static_cast<uint8_t>((v & 0x7F) | (delta.empty() ? 0 : 0x80)));
  }
  track.insert(track.end(), delta.begin(), delta.end());
  track.insert(track.end(), {static_cast<uint8_t>(0x80 | channel), static_cast<uint8_t>(key), 0,
                             0x00, 0xFF, 0x2F, 0x00});
  std::ofstream out(path, std::ios::binary);
  const uint8_t head[] = {'M',
                          'T',
                          'h',
                          'd',
                          0,
                          0,
                          0,
                          6,
                          0,
                          0,
                          0,
                          1,
                          static_cast<uint8_t>(division >> 8),
                          static_cast<uint8_t>(division & 0xFF)};
  out.write(reinterpret_cast<const char*>(head), sizeof head);
  const auto size = static_cast<uint32_t>(track.size());
  const uint8_t track_head[] = {'M',
                                'T',
                                'r',
                                'k',
                                static_cast<uint8_t>(size >> 24),
                                static_cast<uint8_t>(size >> 16),
                                static_cast<uint8_t>(size >> 8),
                                static_cast<uint8_t>(size)};
  out.write(reinterpret_cast<const char*>(track_head), sizeof track_head);
  out.write(reinterpret_cast<const char*>(track.data()), static_cast<std::streamsize>(size));
}

// One note rendered by fluidsynth, mono, from its first sample above the noise; nothing when
// fluidsynth or the sound font is missing.
std::optional<std::vector<float>> FluidNote(int program, int key, int channel, double seconds) {
  const std::string font = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
  if (!std::filesystem::exists(font) || std::system("command -v fluidsynth >/dev/null") != 0) {
    return std::nullopt;
  }
  const std::string dir = std::filesystem::temp_directory_path() / "listening_accuracy";
  std::filesystem::create_directories(dir);
  const std::string mid = dir + "/note.mid", wav = dir + "/note.wav";
  WriteMidi(mid, program, key, channel, seconds);
  const std::string command = "fluidsynth -ni -q -g 1.0 -r " + std::to_string(kRate) + " -F " +
                              wav + " -T wav -O s16 " + font + " " + mid + " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return std::nullopt;
  int rate = 0;
  std::ifstream in(wav, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  auto pcm = audio::ParsePcmWav(bytes);
  if (!pcm || pcm->format.bits != 16) return std::nullopt;
  rate = static_cast<int>(pcm->format.sample_rate);
  const int channels = pcm->format.channels;
  std::vector<float> mono(pcm->bytes.size() / 2 / static_cast<std::size_t>(channels));
  for (std::size_t i = 0; i < mono.size(); ++i) {
    float sum = 0;
    for (int c = 0; c < channels; ++c) {
      const std::size_t at =
          2 * (i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c));
      sum += static_cast<int16_t>(pcm->bytes[at] | (pcm->bytes[at + 1] << 8)) / 32768.0f;
    }
    mono[i] = sum / static_cast<float>(channels);
  }
  if (rate != kRate) return std::nullopt;
  // The note's truth is where its attack first reaches kTruthShare of its peak: a sample's
  // lead-in (a soft start below that) is cut off.
  float peak = 0;
  for (float v : mono) peak = std::max(peak, std::abs(v));
  if (peak <= 0) return std::nullopt;
  std::size_t first = 0;
  while (first < mono.size() && std::abs(mono[first]) < kTruthShare * peak) ++first;
  mono.erase(mono.begin(), mono.begin() + static_cast<std::ptrdiff_t>(first));
  for (float& v : mono) v *= 0.8f / peak;
  return mono;
}

std::vector<Source> Sources() {
  std::vector<Source> sources;
  for (Instrument kind :
       {Instrument::kStick, Instrument::kMutedGuitar, Instrument::kPiano, Instrument::kBass}) {
    sources.push_back(
        {listening::InstrumentName(kind), listening::InstrumentNote(kind, kRate, 0.8)});
  }
  // The high wood block of the drum kit (channel 10), muted electric guitar 28, acoustic grand
  // piano 0, finger bass 33.
  const struct {
    const char* name;
    int program, key;
    int channel;
  } fluid[] = {{"GM woodblock", 0, 76, 9},
               {"GM muted guitar", 28, 55, 0},
               {"GM piano", 0, 60, 0},
               {"GM bass", 33, 40, 0}};
  bool any = false;
  for (const auto& f : fluid) {
    if (auto note = FluidNote(f.program, f.key, f.channel, 0.8)) {
      sources.push_back({f.name, std::move(*note)});
      any = true;
    }
  }
  if (!any) std::printf("fluidsynth or fluid-soundfont-gm missing: the GM instruments skipped\n");
  for (Source& source : sources) source.attack = listening::AttackOnset(source.sound, kRate);
  return sources;
}

// An effect of the program's data, scaled by `gain`.
audio::Sound Effect(const std::string& name, float gain = 1.0f) {
  const std::string path = std::string(CADENCIO_DATA_ROOT) + "/som/cadencio/efeitos/" + name;
  auto sound = audio::LoadWavFile(path, kRate);
  if (!sound) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    std::exit(1);
  }
  for (float& sample : sound->samples) sample *= gain;
  return *sound;
}

struct Figures {
  int matched = 0, extra = 0, missed = 0;
  double mean_ms = 0, spread_ms = 0;
  double latency_ms = -1;
  double longest_pass_ms = 0, verdict_ms = 0;
  // The returns after muted measures: how many, their mean offset found, and its truth.
  int returns = 0, true_returns = 0;
  double return_ms = NAN, true_return_ms = NAN;
};

// One take: the notes played at their offsets (on the beat's grid, or on the second layer's
// notes; a shared rule's on the beats of `view`), heard and judged; the notes counted against
// the truth from the verdict.
Figures RunTake(const audio::Sound& beat_sound, const Source& source, bool click_heard,
                const app::OnsetSettings& settings, audio::BeatRule rule, bool detail,
                bool on_layer = false, const audio::TimelineView& view = {}) {
  rule.beat[0].sound = &beat_sound;
  for (int b = 1; b < rule.beats; ++b) rule.beat[static_cast<std::size_t>(b)].sound = &beat_sound;
  const int64_t frames = audio::ScheduleFrame(kNotes + 6, 1, rule.bpm, kRate);
  const std::vector<int64_t> grid = on_layer ? listening::LayerFrames(rule, frames, view)
                                             : listening::GridFrames(rule, frames, view);
  const std::vector<double> offsets = listening::Offsets(kNotes, kMeanMs, kSpreadMs, 11);
  listening::Playing playing{{}, source.sound, 0.5f, true};
  // The player's notes are heard at their offsets: each sample starts its attack's lead earlier.
  for (int n = 0; n < kNotes; ++n) {
    playing.frames.push_back(static_cast<double>(grid[static_cast<std::size_t>(n + 2)]) +
                             offsets[static_cast<std::size_t>(n)] * kRate / 1000 - source.attack);
  }
  listening::Room room{kRoomDelay, click_heard ? 0.4f : 0.0f, true, 0.003f};
  const auto beat = listening::RenderedBeat(rule, frames + kRate, 1.0f, view);
  const int64_t first = listening::FirstHeardFrame(kRate);
  const auto heard = listening::MicrophoneHears(beat, room, playing, first, frames + kRate, kRate);
  const std::optional<double> stored =
      click_heard ? std::nullopt : std::optional<double>(1000.0 * kRoomDelay / kRate);
  const auto listened = listening::ListenTo(rule, heard, stored, settings, view);
  if (detail) {
    for (const app::PlacedNote& note : listened.notes) {
      const auto point = static_cast<int64_t>(std::lround(note.at_ms * kRate / 1000));
      const auto at = std::find(grid.begin(), grid.end(), point) - grid.begin() - 2;
      const double truth = at >= 0 && at < kNotes ? offsets[static_cast<std::size_t>(at)] : NAN;
      std::printf("  point %3ld  at %9.1f ms  found %+7.2f  truth %+7.2f  error %+6.2f%s\n",
                  static_cast<long>(at), note.at_ms, note.offset_ms, truth, note.offset_ms - truth,
                  note.on_grid ? "" : "  off grid");
    }
  }
  Figures figures;
  // The truth of the gap verdict: the mean offset of the notes on the first point the beat
  // sounds after each muted stretch.
  app::BeatTimeline timeline;
  timeline.FollowTimeline(view);
  timeline.Follow(rule);
  double return_sum = 0;
  for (int n = 0; n < kNotes; ++n) {
    const auto point = timeline.Nearest(static_cast<double>(grid[static_cast<std::size_t>(n + 2)]));
    if (!point || !point->after_silence) continue;
    ++figures.true_returns;
    return_sum += offsets[static_cast<std::size_t>(n)];
  }
  if (figures.true_returns > 0) figures.true_return_ms = return_sum / figures.true_returns;
  figures.returns = listened.verdict.returns;
  figures.return_ms = listened.verdict.return_ms.value_or(NAN);
  figures.matched = listened.verdict.notes + listened.verdict.returns;
  figures.extra = std::max(0, figures.matched + listened.verdict.off_grid - kNotes);
  figures.missed = std::max(0, kNotes - figures.matched);
  figures.mean_ms = listened.verdict.mean_ms;
  figures.spread_ms = listened.verdict.spread_ms;
  figures.latency_ms = listened.latency_ms.value_or(-1);
  figures.longest_pass_ms = listened.longest_pass_ms;
  figures.verdict_ms = listened.verdict_ms;
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  const bool methods = argc > 1 && std::string(argv[1]) == "--methods";
  const std::string detail = argc > 2 && std::string(argv[1]) == "--notes" ? argv[2] : "";
  const audio::Sound beat_sound = Effect("padrao1.wav");
  const std::vector<Source> sources = Sources();
  audio::BeatRule rule;
  rule.playing = true;
  rule.rate = kRate;
  rule.bpm = kBpm;
  rule.beats = 4;
  std::vector<app::OnsetSettings> settings_list = {app::OnsetSettings{}};
  if (methods) {
    settings_list.clear();
    for (const char* method : {"hfc", "energy", "complex", "specflux", "kl", "mkl", "specdiff"}) {
      for (double threshold : {0.2, 0.3, 0.5, 0.8}) {
        settings_list.push_back({method, threshold, -60.0, 60.0});
      }
    }
  }
  std::printf("truth: %d notes at %d BPM, mean %.1f ms, spread %.1f ms\n", kNotes, kBpm, kMeanMs,
              kSpreadMs);
  for (const auto& settings : settings_list) {
    std::printf("\nmethod %s, threshold %.2f\n", settings.method.c_str(), settings.threshold);
    std::printf("%-18s %-6s %7s %8s %6s %7s %9s %9s %8s %7s %8s\n", "instrument", "click", "attack",
                "matched", "extra", "missed", "mean", "spread", "latency", "pass", "verdict");
    for (const Source& source : sources) {
      for (bool heard : {true, false}) {
        if (!detail.empty() && source.name != detail) continue;
        const Figures f = RunTake(beat_sound, source, heard, settings, rule, !detail.empty());
        std::printf("%-18s %-6s %7.2f %7.1f%% %5.1f%% %7d %+8.2f %9.2f %8.2f %7.1f %8.2f\n",
                    source.name.c_str(), heard ? "heard" : "phones", source.attack * 1000 / kRate,
                    100.0 * f.matched / kNotes, 100.0 * f.extra / kNotes, f.missed, f.mean_ms,
                    f.spread_ms, f.latency_ms, f.longest_pass_ms, f.verdict_ms);
      }
    }
  }
  if (methods) return 0;
  // The gap verdict: two measures played, one muted; the player goes on through the silence.
  audio::BeatRule muted = rule;
  muted.played = 2;
  muted.muted = 1;
  // With --notes, only the takes of the second layer follow.
  const std::vector<Source> gap_sources = detail.empty() ? sources : std::vector<Source>{};
  if (detail.empty()) {
    std::printf("\ngap verdict: 2 measures played, 1 muted\n");
    std::printf("%-18s %-6s %8s %6s %8s %9s %9s %7s\n", "instrument", "click", "matched", "extra",
                "returns", "return", "truth", "error");
  }
  for (const Source& source : gap_sources) {
    for (bool heard : {true, false}) {
      const Figures f = RunTake(beat_sound, source, heard, app::OnsetSettings{}, muted, false);
      std::printf("%-18s %-6s %7.1f%% %5.1f%% %4d/%-3d %+9.2f %+9.2f %+7.2f\n", source.name.c_str(),
                  heard ? "heard" : "phones", 100.0 * f.matched / kNotes, 100.0 * f.extra / kNotes,
                  f.returns, f.true_returns, f.return_ms, f.true_return_ms,
                  f.return_ms - f.true_return_ms);
    }
  }
  // The second layer: three notes against two beats, heard with the beat in the room.
  const float layer_gain = app::BeatGain(app::MetronomeState{}.LayerVolume);
  const struct {
    const char* name;
    audio::Sound sound;
  } layer_sounds[] = {{"beat's", Effect("padrao1.wav", layer_gain)},
                      {"clave", Effect("clave.wav", layer_gain)}};
  audio::BeatRule layered = rule;
  layered.beats = 2;
  layered.layer_notes = 3;
  std::printf("\nsecond layer: 3 against 2, heard with the beat\n");
  std::printf("%-18s %-7s %-7s %8s %6s %7s %9s %9s\n", "instrument", "layer", "player", "matched",
              "extra", "missed", "mean", "spread");
  for (const auto& layer : layer_sounds) {
    layered.layer_sound = &layer.sound;
    for (const Source& source : sources) {
      for (bool on_layer : {false, true}) {
        if (!detail.empty() && source.name != detail) continue;
        const Figures f = RunTake(beat_sound, source, true, app::OnsetSettings{}, layered,
                                  !detail.empty(), on_layer);
        std::printf("%-18s %-7s %-7s %7.1f%% %5.1f%% %7d %+8.2f %9.2f\n", source.name.c_str(),
                    layer.name, on_layer ? "layer" : "beats", 100.0 * f.matched / kNotes,
                    100.0 * f.extra / kNotes, f.missed, f.mean_ms, f.spread_ms);
      }
    }
  }
  // With Link on: the rule shared, its beats where the session's fall.
  if (!detail.empty()) return 0;
  audio::BeatRule shared = rule;
  shared.shared = true;
  const audio::TimelineView session{0, -0.3, kRate * 60.0 / (kBpm + 0.4)};
  std::printf("\nshared with a Link session: 0.3 beat later, %.1f BPM\n", kBpm + 0.4);
  std::printf("%-18s %-6s %8s %6s %7s %9s %9s\n", "instrument", "click", "matched", "extra",
              "missed", "mean", "spread");
  for (const Source& source : sources) {
    for (bool heard : {true, false}) {
      const Figures f =
          RunTake(beat_sound, source, heard, app::OnsetSettings{}, shared, false, false, session);
      std::printf("%-18s %-6s %7.1f%% %5.1f%% %7d %+8.2f %9.2f\n", source.name.c_str(),
                  heard ? "heard" : "phones", 100.0 * f.matched / kNotes, 100.0 * f.extra / kNotes,
                  f.missed, f.mean_ms, f.spread_ms);
    }
  }
  return 0;
}
