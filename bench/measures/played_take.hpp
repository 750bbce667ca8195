// Takes of a player against the beat, made from known truth: notes of an instrument placed at
// known offsets around the beat's grid, mixed with the program's own beat as a microphone in
// the room hears it (a delay, a level, the room's colouring and early reflections, noise). The
// instruments are sounds made here (a stick, a muted guitar, a piano, a bass, a low string whose
// wave rests for half of each cycle), or any sound given. `ListenTo` runs the listener over a
// take on virtual time, through the capture interface, as the program does. Shared by the
// listener's tests and its benchmark. A rule shared with a session (Ableton Link) is played,
// gridded and listened to on the beats of a fixed view of that session given with it.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/listening/listener.hpp"
#include "audio/audio_input.hpp"
#include "audio/audio_output.hpp"
#include "audio/beat_pattern.hpp"
#include "audio/shared_timeline.hpp"
#include "base/clock.hpp"

namespace cadencio::listening {

enum class Instrument { kStick, kMutedGuitar, kPiano, kBass, kLowString };

inline const char* InstrumentName(Instrument kind) {
  switch (kind) {
    case Instrument::kStick:
      return "stick";
    case Instrument::kMutedGuitar:
      return "muted guitar";
    case Instrument::kPiano:
      return "piano";
    case Instrument::kBass:
      return "bass";
    case Instrument::kLowString:
      return "low string";
  }
  return "?";
}

// One note of the instrument, `seconds` long (held: the piano and the bass sustain), starting
// at its first sample.
inline std::vector<float> InstrumentNote(Instrument kind, int rate, double seconds,
                                         uint32_t seed = 1) {
  std::vector<float> note(static_cast<std::size_t>(seconds * rate));
  std::mt19937 random(seed);
  std::normal_distribution<float> noise(0.0f, 1.0f);
  const double pi = 3.14159265358979;
  for (std::size_t i = 0; i < note.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    double v = 0;
    switch (kind) {
      case Instrument::kStick:  // a struck block: a click of noise and a ringing wood mode
        v = 0.5 * noise(random) * std::exp(-t / 0.002) +
            0.8 * std::sin(2 * pi * 1200 * t) * std::exp(-t / 0.025);
        break;
      case Instrument::kMutedGuitar:  // a damped string: harmonics dying within 80 ms
        for (int h = 1; h <= 6; ++h) v += std::sin(2 * pi * 196 * h * t) / h;
        v *= 0.5 * std::min(1.0, t / 0.001) * std::exp(-t / 0.06);
        break;
      case Instrument::kPiano:  // a held piano note: a quick hammer, a slow decay
        for (int h = 1; h <= 8; ++h) v += std::sin(2 * pi * 262 * h * t) * std::pow(0.6, h);
        v *= 0.6 * std::min(1.0, t / 0.002) * (0.3 + 0.7 * std::exp(-t / 0.3));
        break;
      case Instrument::kBass:  // a held bass note, low E's octave: slow waves, little decay
        for (int h = 1; h <= 4; ++h) v += std::sin(2 * pi * 82.4 * h * t) / (h * h);
        v *= 0.6 * std::min(1.0, t / 0.003) * (0.5 + 0.5 * std::exp(-t / 0.5));
        break;
      case Instrument::kLowString:  // a held low string whose wave rests for half of each cycle
        v = std::sin(4 * pi * 82.4 * t) * std::max(0.0, std::sin(2 * pi * 82.4 * t)) +
            0.07 * std::sin(2 * pi * 82.4 * 5 * t);
        v *= 0.8 * std::min(1.0, t / 0.001) * (0.3 + 0.7 * std::exp(-t / 0.3));
        break;
    }
    note[i] = static_cast<float>(v);
  }
  // A held note ends without a click.
  const std::size_t fade = std::min<std::size_t>(note.size(), rate / 100);
  for (std::size_t i = 0; i < fade; ++i) {
    note[note.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(fade);
  }
  return note;
}

// Where a listener hears `note` begin, in samples from its first: the onset the listener's own
// detector places on the note sounding alone, after silence. A recorded sample may begin with
// a soft lead-in (a pick's scrape, a hammer's thud) well before the attack that is heard as the
// note; the sounds made above begin with their attack. 0 when no onset is found.
inline double AttackOnset(const std::vector<float>& note, int rate) {
  const auto lead = static_cast<std::size_t>(rate / 5);
  std::vector<float> alone(lead + note.size() + static_cast<std::size_t>(rate / 10), 0.0f);
  std::copy(note.begin(), note.end(), alone.begin() + static_cast<std::ptrdiff_t>(lead));
  app::OnsetDetector detector(rate);
  std::vector<double> onsets;
  detector.Feed(alone, onsets);
  return onsets.empty() ? 0.0 : std::max(0.0, onsets.front() - static_cast<double>(lead));
}

// A session whose beats fall where a fixed view puts them.
class FixedTimeline final : public audio::SharedTimeline {
 public:
  explicit FixedTimeline(const audio::TimelineView& view) : view_(view) {}
  void BeginBuffer(int64_t) override {}
  audio::TimelineView View(int64_t, int) override { return view_; }

 private:
  audio::TimelineView view_;
};

// The mixer plays a shared rule on `view`'s beats (none: on the rule's own schedule).
inline void ShareTimeline(audio::Mixer& mixer, const audio::TimelineView& view) {
  if (view.Valid()) mixer.SetSharedTimeline(std::make_unique<FixedTimeline>(view));
}

// The beat as the mixer plays it from `rule` at `beat_gain`, mono, frames 0 .. `frames`.
inline std::vector<float> RenderedBeat(const audio::BeatRule& rule, int64_t frames,
                                       float beat_gain = 1.0f,
                                       const audio::TimelineView& view = {}) {
  audio::Mixer mixer(rule.rate);
  ShareTimeline(mixer, view);
  mixer.SetBeatRule(rule);
  mixer.SetBeatGain(beat_gain);
  std::vector<float> stereo(static_cast<std::size_t>(2 * frames));
  for (int64_t done = 0; done < frames;) {
    const int piece = static_cast<int>(std::min<int64_t>(4096, frames - done));
    mixer.Render(stereo.data() + 2 * done, piece);
    done += piece;
  }
  std::vector<float> mono(static_cast<std::size_t>(frames));
  for (std::size_t i = 0; i < mono.size(); ++i)
    mono[i] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
  return mono;
}

// How the room brings the beat to the microphone.
struct Room {
  int64_t delay = 0;     // frames from the rendered beat to the microphone
  float level = 0.3f;    // 0: the beat is not heard (headphones)
  bool coloured = true;  // a low-pass and two early reflections
  float noise = 0.002f;  // white noise, RMS
};

// What the player played: notes at frames of the stream (as the player hears the stream: the
// microphone hears them the room's delay later, with the beat), and their sound.
struct Playing {
  std::vector<double> frames;
  std::vector<float> sound;
  float level = 0.5f;
  // Each note ends where the next begins (a player re-striking a held note).
  bool cut_at_next = true;
};

// The frames of the notes a cursor of `rule` walks up to `frames`.
template <class Cursor>
std::vector<int64_t> CursorFrames(const audio::BeatRule& rule, int64_t frames,
                                  const audio::TimelineView& view) {
  std::vector<int64_t> notes;
  Cursor cursor(rule);
  cursor.Follow(view);
  for (; cursor.Frame() < frames; cursor.Advance()) notes.push_back(cursor.Frame());
  return notes;
}

// The grid's frames of every note of `rule` from its start up to `frames`.
inline std::vector<int64_t> GridFrames(const audio::BeatRule& rule, int64_t frames,
                                       const audio::TimelineView& view = {}) {
  return CursorFrames<audio::PatternCursor>(rule, frames, view);
}

// The frames of the second layer's notes of `rule` up to `frames`, the count-in's and muted
// measures' included (where a player on the layer's rhythm plays on).
inline std::vector<int64_t> LayerFrames(const audio::BeatRule& rule, int64_t frames,
                                        const audio::TimelineView& view = {}) {
  return CursorFrames<audio::LayerCursor>(rule, frames, view);
}

// Offsets of a take: `count` notes with mean `mean_ms` and standard deviation `spread_ms`
// exactly (drawn, then brought to them), and a drift added that grows over the take.
inline std::vector<double> Offsets(int count, double mean_ms, double spread_ms, uint32_t seed,
                                   double drift_ms = 0) {
  std::mt19937 random(seed);
  std::normal_distribution<double> draw(0.0, 1.0);
  std::vector<double> offsets(static_cast<std::size_t>(count));
  for (double& offset : offsets) offset = draw(random);
  double mean = 0, squares = 0;
  for (double offset : offsets) mean += offset / count;
  for (double offset : offsets) squares += (offset - mean) * (offset - mean);
  const double sd = count > 1 ? std::sqrt(squares / (count - 1)) : 1;
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    offsets[i] = mean_ms + (sd > 0 ? (offsets[i] - mean) / sd * spread_ms : 0) +
                 drift_ms * (static_cast<double>(i) / std::max(1, count - 1) - 0.5);
  }
  return offsets;
}

// The microphone's samples from stream frame `first` on, `frames` long.
inline std::vector<float> MicrophoneHears(const std::vector<float>& beat, const Room& room,
                                          const Playing& playing, int64_t first, int64_t frames,
                                          int rate, uint32_t seed = 7) {
  std::vector<float> mic(static_cast<std::size_t>(frames), 0.0f);
  if (room.level > 0) {
    // The beat delayed, then coloured: a one-pole low-pass near 5 kHz, reflections at 2.3 and
    // 5.1 ms.
    const double a = std::exp(-2 * 3.14159265358979 * 5000.0 / rate);
    double low = 0;
    const auto r1 = static_cast<int64_t>(0.0023 * rate), r2 = static_cast<int64_t>(0.0051 * rate);
    auto beat_at = [&](int64_t f) {
      return f >= 0 && f < static_cast<int64_t>(beat.size()) ? beat[static_cast<std::size_t>(f)]
                                                             : 0.0f;
    };
    for (int64_t i = 0; i < frames; ++i) {
      const int64_t f = first + i - room.delay;
      double v = beat_at(f);
      if (room.coloured) {
        v += 0.5 * beat_at(f - r1) - 0.3 * beat_at(f - r2);
        low = (1 - a) * v + a * low;
        v = low;
      }
      mic[static_cast<std::size_t>(i)] += static_cast<float>(room.level * v);
    }
  }
  // The player hears the beat as late as the microphone does.
  const double shift = static_cast<double>(first - room.delay);
  for (std::size_t n = 0; n < playing.frames.size(); ++n) {
    const double at = playing.frames[n] - shift;
    const double end = playing.cut_at_next && n + 1 < playing.frames.size()
                           ? playing.frames[n + 1] - shift
                           : at + static_cast<double>(playing.sound.size());
    const auto from = static_cast<int64_t>(std::ceil(at));
    const double frac = static_cast<double>(from) - at;  // the note starts between samples
    for (int64_t i = std::max<int64_t>(0, from); i < frames && static_cast<double>(i) < end; ++i) {
      const double k = static_cast<double>(i - from) + frac;
      const auto k0 = static_cast<std::size_t>(k);
      if (k0 + 1 >= playing.sound.size()) break;
      const double t = k - static_cast<double>(k0);
      // A short fade where the next note cuts this one.
      const double tail = std::min(1.0, (end - static_cast<double>(i)) / (0.003 * rate));
      mic[static_cast<std::size_t>(i)] += static_cast<float>(
          playing.level * tail * ((1 - t) * playing.sound[k0] + t * playing.sound[k0 + 1]));
    }
  }
  std::mt19937 random(seed);
  std::normal_distribution<float> noise(0.0f, room.noise);
  for (float& sample : mic) sample += noise(random);
  return mic;
}

// The stream frame that the microphone's first sample hears in `ListenTo`: the capture opens
// as the stream starts, while the output still holds its limiter's lookahead.
inline int64_t FirstHeardFrame(int rate) {
  return -audio::Mixer(rate).LookaheadFrames();
}

// Runs a listener over the microphone's `heard` (its sample 0 heard at FirstHeardFrame) while
// `rule` plays, in passes of 20 ms of virtual time (each given `view`, where a shared rule's
// beats fall), and answers what it judged.
struct Listened {
  app::Verdict verdict;
  std::optional<double> latency_ms;
  bool beat_heard = false;
  // Wall-clock time of the passes: the longest (the settling's work is spread over several),
  // and the last (what the key v waits for before the verdict is said), with the verdict's
  // words made.
  double longest_pass_ms = 0;
  double verdict_ms = 0;
  std::string words;                   // the verdict said
  std::vector<app::PlacedNote> notes;  // every note placed
};
inline Listened ListenTo(const audio::BeatRule& rule, const std::vector<float>& heard,
                         std::optional<double> stored_latency_ms = std::nullopt,
                         const app::OnsetSettings& onsets = {},
                         const audio::TimelineView& view = {}) {
  base::VirtualClock clock;
  audio::CaptureAudio output(clock, rule.rate);
  ShareTimeline(output.GetMixer(), view);
  output.GetMixer().SetBeatRule(rule);
  audio::ScriptedAudioInput input(clock, heard, rule.rate);
  app::Listener listener(input, output, stored_latency_ms, onsets);
  listener.Follow(rule);
  const int64_t end_ms = clock.NowMs() + static_cast<int64_t>(heard.size()) * 1000 / rule.rate;
  Listened listened;
  const auto ms_since = [](std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from)
        .count();
  };
  while (clock.NowMs() < end_ms) {
    clock.AdvanceTo(clock.NowMs() + 20);
    const auto start = std::chrono::steady_clock::now();
    listener.FollowTimeline(view);
    listener.Hear(false);
    listened.longest_pass_ms = std::max(listened.longest_pass_ms, ms_since(start));
  }
  clock.AdvanceTo(clock.NowMs() + 20);
  const auto start = std::chrono::steady_clock::now();
  listener.Hear(false);
  listened.verdict = listener.Result();
  listened.words = app::VerdictText(listened.verdict);
  listened.verdict_ms = ms_since(start);
  listened.latency_ms = listener.LatencyMs();
  listened.beat_heard = listener.BeatHeard();
  listened.notes = listener.Notes();
  return listened;
}

}  // namespace cadencio::listening
