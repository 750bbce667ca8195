// Tests of the mixer's beat channel, rendered directly as an audio device would: which sound
// is heard at which stream frame, whatever the sizes of the blocks asked for.
#include "audio/mixer.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "audio/pcm_fade.hpp"

namespace cadencio::audio {
namespace {

// A sound whose every frame is recognisable: left = base + index, right = -(base + index).
Sound Ramp(const std::string& name, float base, int frames) {
  Sound s;
  s.name = name;
  for (int i = 0; i < frames; ++i) {
    s.samples.push_back(base + static_cast<float>(i));
    s.samples.push_back(-(base + static_cast<float>(i)));
  }
  return s;
}

// Renders `frames` frames in blocks of the given sizes (repeated), appending to `stream`.
void RenderInBlocks(Mixer& mixer, std::vector<float>& stream, int frames,
                    const std::vector<int>& blocks) {
  std::size_t b = 0;
  while (frames > 0) {
    const int n = std::min(frames, blocks[b++ % blocks.size()]);
    const std::size_t at = stream.size();
    stream.resize(at + static_cast<std::size_t>(n) * 2);
    mixer.Render(stream.data() + at, n);
    frames -= n;
  }
}

// A sound cut at the start of a span: it had reached its frame `offset` there, and goes on
// fading out over the first 2 ms of the span.
struct CutTail {
  const Sound* sound = nullptr;
  int64_t offset = 0;
};

// Expects frames [from, to) to hold `sound` from its frame `offset` on (null: silence), over
// the faded tail of a sound cut at `from`.
void ExpectSpan(const std::vector<float>& stream, int64_t from, int64_t to, const Sound* sound,
                int64_t offset = 0, CutTail cut = {}, int rate = 44100) {
  const auto fade = static_cast<int64_t>(CutFadeSamples(rate));
  for (int64_t f = from; f < to; ++f) {
    float expected[2] = {0, 0};
    for (int c = 0; c < 2; ++c) {
      if (sound)
        expected[c] = sound->samples[static_cast<std::size_t>(2 * (offset + f - from) + c)];
      const int64_t tail = cut.offset + f - from;
      if (cut.sound && f - from < fade && tail < cut.sound->FrameCount()) {
        expected[c] +=
            SmoothFadeOutGain(static_cast<std::size_t>(f - from), static_cast<std::size_t>(fade)) *
            cut.sound->samples[static_cast<std::size_t>(2 * tail + c)];
      }
    }
    ASSERT_EQ(stream[static_cast<std::size_t>(2 * f)], expected[0]) << "frame " << f;
    ASSERT_EQ(stream[static_cast<std::size_t>(2 * f + 1)], expected[1]) << "frame " << f;
  }
}

const std::vector<std::vector<int>> kBlockPatterns = {{1}, {7}, {13, 5}, {64}, {333}, {512}};

TEST(MixerBeat, StartsExactlyAtItsFrame) {
  const Sound click = Ramp("click", 1, 40);
  for (int64_t start : {0, 1, 6, 7, 100, 511, 512, 513}) {
    for (const auto& blocks : kBlockPatterns) {
      Mixer mixer(44100);
      mixer.StartBeat(&click, start);
      std::vector<float> stream;
      RenderInBlocks(mixer, stream, 700, blocks);
      SCOPED_TRACE("start " + std::to_string(start) + ", first block " + std::to_string(blocks[0]));
      ExpectSpan(stream, 0, start, nullptr);
      ExpectSpan(stream, start, start + 40, &click);
      ExpectSpan(stream, start + 40, 700, nullptr);
      EXPECT_EQ(mixer.FramesRendered(), 700);
    }
  }
}

TEST(MixerBeat, ReportsEachOnsetWithItsFrame) {
  const Sound a = Ramp("a", 1, 10);
  const Sound b = Ramp("b", 100, 10);
  Mixer mixer(44100);
  std::vector<std::pair<int64_t, std::string>> onsets;
  mixer.SetOnsetObserver(
      [&](int64_t frame, const Sound& s) { onsets.emplace_back(frame, s.name); });
  std::vector<float> stream;
  mixer.StartBeat(&a, 30);
  RenderInBlocks(mixer, stream, 50, {7});
  mixer.StartBeat(&b, 77);
  RenderInBlocks(mixer, stream, 100, {13});
  EXPECT_EQ(onsets, (std::vector<std::pair<int64_t, std::string>>{{30, "a"}, {77, "b"}}));
}

TEST(MixerBeat, NewBeatCutsTheOldOneAtItsOwnStart) {
  const Sound first = Ramp("first", 1, 300);
  const Sound second = Ramp("second", 1000, 100);
  for (const auto& blocks : kBlockPatterns) {
    Mixer mixer(44100);
    std::vector<float> stream;
    mixer.StartBeat(&first, 10);
    RenderInBlocks(mixer, stream, 60, blocks);  // the first sound is playing
    mixer.StartBeat(&second, 150);
    RenderInBlocks(mixer, stream, 340, blocks);
    SCOPED_TRACE("first block " + std::to_string(blocks[0]));
    ExpectSpan(stream, 0, 10, nullptr);
    ExpectSpan(stream, 10, 150, &first);  // not cut when the command arrives
    ExpectSpan(stream, 150, 250, &second, 0, {&first, 140});
    ExpectSpan(stream, 250, 400, nullptr);
  }
}

// Both beats handed over before the first has begun: each still plays at its own frame.
TEST(MixerBeat, BeatsQueuedAheadEachPlayAtTheirFrames) {
  const Sound first = Ramp("first", 1, 300);
  const Sound second = Ramp("second", 1000, 100);
  Mixer mixer(44100);
  std::vector<float> stream;
  mixer.StartBeat(&first, 100);
  mixer.StartBeat(&second, 250);
  RenderInBlocks(mixer, stream, 400, {37});
  ExpectSpan(stream, 0, 100, nullptr);
  ExpectSpan(stream, 100, 250, &first);
  ExpectSpan(stream, 250, 350, &second, 0, {&first, 150});
  ExpectSpan(stream, 350, 400, nullptr);
}

TEST(MixerBeat, StopSilencesPlayingAndPendingBeats) {
  const Sound a = Ramp("a", 1, 500);
  const Sound b = Ramp("b", 1000, 500);
  Mixer mixer(44100);
  std::vector<float> stream;
  mixer.StartBeat(&a, 0);
  RenderInBlocks(mixer, stream, 100, {9});
  mixer.StartBeat(&b, 200);
  mixer.StopBeat();
  RenderInBlocks(mixer, stream, 400, {9});
  ExpectSpan(stream, 0, 100, &a);
  ExpectSpan(stream, 100, 500, nullptr, 0, {&a, 100});
}

TEST(MixerBeat, StartFrameAlreadyPastStartsAtOnce) {
  const Sound a = Ramp("a", 1, 30);
  for (int64_t late : {-1, 0, 50, 99}) {
    Mixer mixer(44100);
    std::vector<float> stream;
    RenderInBlocks(mixer, stream, 100, {17});
    mixer.StartBeat(&a, late);
    RenderInBlocks(mixer, stream, 100, {17});
    SCOPED_TRACE("start " + std::to_string(late));
    // Heard from its first frame at the next frame rendered, not skipped into its middle.
    ExpectSpan(stream, 100, 130, &a);
    ExpectSpan(stream, 130, 200, nullptr);
  }
}

TEST(MixerBeat, ReplaysOfOneSoundEachStartFromTheTop) {
  const Sound a = Ramp("a", 1, 20);
  Mixer mixer(48000);
  std::vector<float> stream;
  for (int64_t start : {5, 40, 50}) mixer.StartBeat(&a, start);
  RenderInBlocks(mixer, stream, 100, {3, 11});
  ExpectSpan(stream, 0, 5, nullptr);
  ExpectSpan(stream, 5, 25, &a);
  ExpectSpan(stream, 25, 40, nullptr);
  ExpectSpan(stream, 40, 50, &a);  // cut after 10 frames by the replay at 50
  ExpectSpan(stream, 50, 70, &a, 0, {&a, 10}, 48000);
  ExpectSpan(stream, 70, 100, nullptr);
}

// A sound cut before its end, by the next start or by a stop, on either scheduled channel, is
// not dropped at once: it falls to silence over the 2 ms that follow the cut, in steps no larger
// than a smooth fade's, while the sound after it starts on its own frame.
TEST(MixerBeat, ACutSoundFadesOutOverTwoMilliseconds) {
  Sound steady;  // a held level: any step in it is the cut's
  steady.name = "steady";
  steady.samples.assign(2 * 2000, 0.5f);
  const Sound next = Ramp("next", 0.0f, 1);  // one silent frame: the stream is the tail alone

  enum class By { kNextBeat, kStop, kNextWord, kLoopStop };
  struct Case {
    By by;
    const char* why;
    int own_fade_ms = 0;  // the sound's own cut fade (a low drum's), 0 for none
  };
  const Case cases[] = {{By::kNextBeat, "cut by the next beat"},
                        {By::kStop, "stopped (Tab or a key)"},
                        {By::kNextWord, "a count word cut by the next"},
                        {By::kLoopStop, "a looped tone stopped"},
                        {By::kStop, "a low sound stopped, over its own fade", 10}};
  constexpr int64_t kCut = 300;
  for (const Case& c : cases) {
    for (int rate : {22050, 44100, 48000}) {
      SCOPED_TRACE(std::string(c.why) + " at " + std::to_string(rate) + " Hz");
      steady.cut_fade = int64_t{rate} * c.own_fade_ms / 1000;
      Mixer mixer(rate);
      std::vector<float> stream;
      if (c.by == By::kNextWord) {
        mixer.StartCount(&steady, 0);
        mixer.StartCount(&next, kCut);
      } else if (c.by == By::kLoopStop) {
        mixer.StartLoop(&steady);
      } else {
        mixer.StartBeat(&steady, 0);
        if (c.by == By::kNextBeat) mixer.StartBeat(&next, kCut);
      }
      RenderInBlocks(mixer, stream, kCut, {7});
      if (c.by == By::kStop || c.by == By::kLoopStop) mixer.StopBeat();
      RenderInBlocks(mixer, stream, 600, {13, 5});
      const int64_t fade = rate * (c.own_fade_ms > 0 ? c.own_fade_ms : 2) / 1000;
      ASSERT_EQ(stream[2 * (kCut - 1)], 0.5f);
      for (int64_t f = kCut; f < 900; ++f) {
        const float now = stream[static_cast<std::size_t>(2 * f)];
        const float before = stream[static_cast<std::size_t>(2 * f - 2)];
        ASSERT_LE(now, before) << "frame " << f;
        ASSERT_LE(before - now, 0.5f * 1.6f / static_cast<float>(fade)) << "frame " << f;
        if (f >= kCut + fade - 1) {
          ASSERT_EQ(now, 0.0f) << "frame " << f;
        }
      }
      EXPECT_GT(stream[2 * (kCut + fade / 2)], 0.1f);  // still sounding halfway through
    }
  }
}

// A sound's own cut fade is one period of its mean frequency, from 2 ms up to 20 ms.
TEST(CutFade, LowSoundsFadeOverOnePeriod) {
  const struct {
    double hz;
    double fade_ms;
  } cases[] = {{1000, 2}, {440, 2.3}, {100, 10}, {60, 16.7}, {20, 20}, {0, 2}};
  for (const auto& c : cases) {
    std::vector<float> stereo;
    for (int i = 0; i < 44100 / 4; ++i) {
      const float v = c.hz > 0 ? std::sin(2 * std::numbers::pi * c.hz * (i + 0.5) / 44100) : 0;
      stereo.insert(stereo.end(), {static_cast<float>(v), static_cast<float>(v)});
    }
    EXPECT_NEAR(static_cast<double>(CutFadeFor(stereo, 44100)) / 44.1, c.fade_ms, c.fade_ms / 20)
        << c.hz;
  }
}

// A newer command that starts earlier than a pending one replaces it (the schedule restarts).
TEST(MixerBeat, EarlierNewCommandDropsLaterPendingBeats) {
  const Sound a = Ramp("a", 1, 30);
  const Sound b = Ramp("b", 1000, 30);
  Mixer mixer(44100);
  std::vector<float> stream;
  mixer.StartBeat(&a, 200);
  mixer.StartBeat(&b, 50);
  RenderInBlocks(mixer, stream, 300, {64});
  ExpectSpan(stream, 0, 50, nullptr);
  ExpectSpan(stream, 50, 80, &b);
  ExpectSpan(stream, 80, 300, nullptr);
}

}  // namespace
}  // namespace cadencio::audio

namespace cadencio::audio {
namespace {

// However many commands come between two renders, the last beat and the last stop are kept.
TEST(MixerBeat, CommandsPilingUpBetweenRendersLoseNoBeatAndNoStop) {
  const Sound a = Ramp("a", 1, 30);
  const Sound b = Ramp("b", 1000, 30);
  for (bool stop_last : {false, true}) {
    Mixer mixer(44100);
    std::vector<float> stream;
    for (int i = 0; i < 500; ++i) mixer.StartBeat(&a, -1);
    mixer.StartBeat(&b, 100);
    if (stop_last) mixer.StopBeat();
    RenderInBlocks(mixer, stream, 200, {64});
    SCOPED_TRACE(stop_last ? "stop last" : "beat last");
    ExpectSpan(stream, 0, 30, stop_last ? nullptr : &a);
    ExpectSpan(stream, 100, 130, stop_last ? nullptr : &b);
  }
}

// The beat's gain scales the beat channel only; the output's limiter keeps every frame within
// the ceiling however loud the sum, and leaves quiet frames exactly as they were.
TEST(MixerOutput, BeatGainAndLimiter) {
  Sound loud;
  loud.name = "loud";
  Sound quiet;
  quiet.name = "quiet";
  for (int i = 0; i < 4000; ++i) {
    const float wave = (i % 20 < 10) ? 1.0f : -1.0f;
    loud.samples.insert(loud.samples.end(), {2.5f * wave, -2.5f * wave});
    quiet.samples.insert(quiet.samples.end(), {0.25f * wave, -0.25f * wave});
  }
  struct Case {
    const Sound* sound;
    float gain;
  };
  for (const Case& c : {Case{&quiet, 1.0f}, Case{&quiet, 0.5f}, Case{&loud, 1.0f}}) {
    SCOPED_TRACE(c.sound->name + " at gain " + std::to_string(c.gain));
    Mixer raw(44100);
    Mixer limited(44100);
    for (Mixer* mixer : {&raw, &limited}) {
      mixer->SetBeatGain(c.gain);
      mixer->StartBeat(c.sound, 0);
    }
    std::vector<float> plain(8000 * 2);
    std::vector<float> out(8000 * 2);
    raw.Render(plain.data(), 8000);
    for (int at = 0; at < 8000; at += 500) limited.RenderOutput(out.data() + 2 * at, 500);
    // The output runs the lookahead behind the mix.
    const std::size_t behind = 2 * static_cast<std::size_t>(limited.LookaheadFrames());
    for (std::size_t i = 0; i < out.size(); ++i) {
      const float expected = i < 8000 ? c.gain * c.sound->samples[i] : 0.0f;
      ASSERT_EQ(plain[i], expected) << "sample " << i;
      ASSERT_LE(std::abs(out[i]), Mixer::kCeiling) << "sample " << i;
      if (c.sound == &quiet) {
        ASSERT_EQ(out[i], i < behind ? 0.0f : plain[i - behind]) << "sample " << i;
      }
    }
  }
}

// A loud sound meets a gain already falling towards what it needs, wherever it begins in the
// pieces the device asks for: the gain moves by at most the 3 ms attack step from one frame to
// the next, so the limiter adds no step of its own.
TEST(MixerOutput, LimiterGainFallsAheadOfALoudFrame) {
  Sound sound;
  for (int i = 0; i < 2000; ++i) {
    const float level = i < 300 ? 0.1f : 1.6f;
    const float wave = level * std::sin(static_cast<float>(i) * 0.05f) + (i < 300 ? 0 : 0.01f);
    sound.samples.insert(sound.samples.end(), {wave, wave});
  }
  Mixer raw(44100);
  Mixer limited(44100);
  raw.StartBeat(&sound, 0);
  limited.StartBeat(&sound, 0);
  // Rendered in small pieces, as a device with short buffers asks for them.
  std::vector<float> plain(2000 * 2), out(2000 * 2);
  raw.Render(plain.data(), 2000);
  for (int at = 0; at < 2000; at += 100) limited.RenderOutput(out.data() + 2 * at, 100);
  const int behind = limited.LookaheadFrames();
  float previous = 1.0f;
  for (int i = 0; i + behind < 2000; ++i) {
    ASSERT_LE(std::abs(out[2 * (i + behind)]), Mixer::kCeiling) << i;
    if (std::abs(plain[2 * i]) < 1e-3f) continue;
    const float gain = out[2 * (i + behind)] / plain[2 * i];
    EXPECT_LE(previous - gain, 1.0f / static_cast<float>(behind) + 1e-4f) << "frame " << i;
    previous = gain;
  }
  EXPECT_LT(previous, 0.7f);  // the loud part was limited
}

}  // namespace
}  // namespace cadencio::audio

namespace cadencio::audio {
namespace {

// The onsets a mixer renders over `frames` frames in the given blocks, as "frame name".
std::vector<std::string> RenderedOnsets(Mixer& mixer, int frames, const std::vector<int>& blocks) {
  std::vector<std::string> onsets;
  mixer.SetOnsetObserver([&onsets](int64_t frame, const Sound& sound) {
    onsets.push_back(std::to_string(frame) + " " + sound.name);
  });
  std::vector<float> stream;
  RenderInBlocks(mixer, stream, frames, blocks);
  return onsets;
}

// A rule of two beats at `bpm` with two notes to the beat, from `start` at 44100 Hz: beat
// `beat`, the softer `note`, the word `word` on the first beat.
BeatRule TwoBeats(int32_t bpm, int64_t start, const Sound& beat, const Sound& note,
                  const Sound& word) {
  BeatRule rule;
  rule.playing = true;
  rule.from = rule.start = start;
  rule.bpm = bpm;
  rule.beats = 2;
  rule.parts = 2;
  rule.beat[0] = {&beat, &note, &word};
  rule.beat[1] = {&beat, &note, nullptr};
  rule.count_aloud = true;
  return rule;
}

// The audio thread plays the published rule on its frames, whatever the blocks; a newer rule
// takes over from its own `from`, the notes of the one before it up to there still heard.
TEST(MixerPattern, PlaysTheRuleAndHandsOverAtTheNextRulesFrame) {
  const Sound a = Ramp("a", 1, 10), n = Ramp("n", 2, 10), w = Ramp("w", 3, 10);
  const Sound b = Ramp("b", 4, 10);
  // 500 BPM with two notes to the beat: 2646 frames a note.
  const BeatRule first = TwoBeats(500, 100, a, n, w);
  BeatRule stop = first;
  stop.playing = false;
  stop.from = 100 + 3 * 2646 + 1;  // the fourth note (a beat) is still heard
  const BeatRule second = TwoBeats(250, 20000, b, n, w);
  struct Case {
    const char* why;
    std::vector<BeatRule> rules;
    std::vector<std::string> onsets;
  };
  const Case cases[] = {
      {"one rule",
       {first},
       {"100 a", "100 w", "2746 n", "5392 a", "8038 n", "10684 a", "10684 w", "13330 n", "15976 a",
        "18622 n", "21268 a", "21268 w"}},
      {"stopped after its fourth note",
       {first, stop},
       {"100 a", "100 w", "2746 n", "5392 a", "8038 n"}},
      {"stopped, then a new run at 250 BPM",
       {first, stop, second},
       {"100 a", "100 w", "2746 n", "5392 a", "8038 n", "20000 b", "20000 w"}},
      {"a new run cuts the first at its start",
       {first, second},
       {"100 a", "100 w", "2746 n", "5392 a", "8038 n", "10684 a", "10684 w", "13330 n", "15976 a",
        "18622 n", "20000 b", "20000 w"}},
  };
  for (const Case& c : cases) {
    for (const auto& blocks : kBlockPatterns) {
      Mixer mixer(44100);
      for (const BeatRule& rule : c.rules) mixer.SetBeatRule(rule);
      EXPECT_EQ(RenderedOnsets(mixer, 22000, blocks), c.onsets)
          << c.why << ", first block " << blocks[0];
    }
  }
}

// A rule published while the stream is already past its start plays from the next note on,
// never a burst of the notes it missed.
TEST(MixerPattern, ARuleTakenUpLateSkipsTheNotesAlreadyPast) {
  const Sound a = Ramp("a", 1, 10), n = Ramp("n", 2, 10), w = Ramp("w", 3, 10);
  Mixer mixer(44100);
  std::vector<float> stream;
  RenderInBlocks(mixer, stream, 6000, {500});
  mixer.SetBeatRule(TwoBeats(500, 100, a, n, w));
  EXPECT_EQ(RenderedOnsets(mixer, 5000, {333}),
            (std::vector<std::string>{"8038 n", "10684 a", "10684 w"}));
}

// A song's map as the audio thread plays it: each section's rule hands on to the next on the
// downbeat after its measures (the last to the first when it loops, or silence), and each cue
// starts its lead before its section's first downbeat, silencing the count words it covers.
TEST(MixerPattern, PlaysAMapsSectionsAndCuesOnTheirFrames) {
  const Sound a = Ramp("a", 1, 10), b = Ramp("b", 2, 10), w = Ramp("w", 3, 10);
  const Sound c0 = Ramp("c0", 4, 10), c1 = Ramp("c1", 5, 10);
  struct Part {
    int32_t bpm;
    int beats;
    int32_t measures;
    int64_t cue_lead;  // 0: no cue
  };
  struct Case {
    const char* why;
    std::vector<Part> parts;
    bool loop;
    bool count;  // a word on every beat
    int frames;
    std::vector<std::string> onsets;
  };
  // 441 BPM is 6000 frames a beat at 44100 Hz, 300 BPM 8820.
  const Case cases[] = {
      {"a tempo jump and a new measure, the cue after the last note before it, then the end",
       {{441, 2, 2, 0}, {300, 3, 1, 5410}},
       false,
       false,
       60000,
       {"100 a", "6100 b", "12100 a", "18100 b", "18690 c1", "24100 a", "32920 b", "41740 b"}},
      {"a loop: the first section's cue before it comes again",
       {{441, 2, 1, 3000}, {441, 1, 1, 2000}},
       true,
       false,
       32000,
       {"100 a", "6100 b", "10100 c1", "12100 a", "15100 c0", "18100 a", "24100 b", "28100 c1",
        "30100 a"}},
      {"the count word under the cue keeps silent",
       {{441, 4, 1, 0}, {441, 2, 1, 8000}},
       false,
       true,
       40000,
       {"100 a", "100 w", "6100 b", "6100 w", "12100 b", "12100 w", "16100 c1", "18100 b",
        "24100 a", "24100 w", "30100 b", "30100 w"}},
  };
  const Sound* cues[] = {&c0, &c1};
  for (const Case& c : cases) {
    std::vector<BeatRule> rules;
    for (std::size_t i = 0; i < c.parts.size(); ++i) {
      BeatRule rule;
      rule.playing = true;
      rule.from = rule.start = 100;
      rule.bpm = c.parts[i].bpm;
      rule.beats = c.parts[i].beats;
      rule.measures = c.parts[i].measures;
      for (int beat = 0; beat < rule.beats; ++beat) {
        rule.beat[static_cast<std::size_t>(beat)] = {beat == 0 ? &a : &b, nullptr,
                                                     c.count ? &w : nullptr};
      }
      rule.count_aloud = c.count;
      rule.section = static_cast<int>(i);
      rule.cue = c.parts[i].cue_lead > 0 ? cues[i] : nullptr;
      rule.cue_lead = c.parts[i].cue_lead;
      rules.push_back(rule);
    }
    for (std::size_t i = 0; i < rules.size(); ++i) {
      rules[i].then = i + 1 < rules.size() ? &rules[i + 1] : (c.loop ? &rules[0] : nullptr);
    }
    for (const auto& blocks : kBlockPatterns) {
      Mixer mixer(44100);
      mixer.SetBeatRule(rules[0]);
      EXPECT_EQ(RenderedOnsets(mixer, c.frames, blocks), c.onsets)
          << c.why << ", first block " << blocks[0];
    }
  }
}

// A session's view as the test sets it.
class FixedTimeline final : public SharedTimeline {
 public:
  void BeginBuffer(int64_t) override {}
  TimelineView View(int64_t, int) override { return view; }
  TimelineView view;
};

// A shared rule's note that a newer view places a little before the frames being rendered
// (the device's pace is measured anew every buffer) plays at once; one the session moved far
// back (a jump to a new phase) is not played late.
TEST(MixerPattern, ASharedNoteMovedJustBehindTheStreamPlaysAtOnce) {
  const Sound a = Ramp("a", 1, 10);
  struct Case {
    const char* why;
    double moved_back;  // frames, once the note at 10000 is due
    std::vector<std::string> onsets;
  };
  const Case cases[] = {
      {"not moved", 0, {"0 a", "10000 a", "20000 a"}},
      {"20 frames back: at once", 20, {"0 a", "10000 a", "19980 a"}},
      {"1000 frames back: skipped", 1000, {"0 a", "19000 a"}},
  };
  for (const Case& c : cases) {
    Mixer mixer(44100);
    auto owned = std::make_unique<FixedTimeline>();
    FixedTimeline& timeline = *owned;
    timeline.view = {0, 0, 10000};
    mixer.SetSharedTimeline(std::move(owned));
    BeatRule rule;
    rule.playing = rule.shared = true;
    rule.beat[0].sound = &a;
    mixer.SetBeatRule(rule);
    std::vector<std::string> onsets;
    mixer.SetOnsetObserver([&onsets](int64_t frame, const Sound& sound) {
      onsets.push_back(std::to_string(frame) + " " + sound.name);
    });
    std::vector<float> stream;
    RenderInBlocks(mixer, stream, 10000, {512});
    timeline.view.beat = c.moved_back / 10000;
    RenderInBlocks(mixer, stream, 15000, {512});
    EXPECT_EQ(onsets, c.onsets) << c.why;
  }
}

}  // namespace
}  // namespace cadencio::audio

namespace cadencio::audio {
namespace {

// The layer has a channel of its own: its notes start on their frames, and one that falls on a
// beat does not cut the beat's sound.
TEST(MixerPattern, TheLayerPlaysOnItsOwnChannelBesideTheBeat) {
  const Sound a = Ramp("a", 1, 6000), l = Ramp("l", 2, 10);
  BeatRule rule;
  rule.playing = true;
  rule.from = rule.start = 100;
  rule.bpm = 500;  // 5292 frames a beat, three layer notes over two beats
  rule.beats = 2;
  rule.beat[0] = rule.beat[1] = {&a, nullptr, nullptr};
  rule.layer_notes = 3;
  rule.layer_sound = &l;
  for (const auto& blocks : kBlockPatterns) {
    Mixer mixer(44100);
    mixer.SetBeatRule(rule);
    std::vector<float> stream;
    RenderInBlocks(mixer, stream, 11000, blocks);
    EXPECT_EQ(stream[2 * 104], 1 + 4 + 2 + 4) << "both sound at once, first block " << blocks[0];
    Mixer again(44100);
    again.SetBeatRule(rule);
    EXPECT_EQ(RenderedOnsets(again, 11000, blocks),
              (std::vector<std::string>{"100 a", "100 l", "3628 l", "5392 a", "7156 l", "10684 a",
                                        "10684 l"}))
        << "first block " << blocks[0];
  }
}

// A map's sections carry the layer and the feel their rules were made with: the layer's notes
// divide each section's own measure, the cue silences the layer's count word it covers, the
// swung note keeps its place across the switch, and nothing plays after the map's end.
TEST(MixerPattern, AMapsSectionsCarryTheLayerAndTheFeel) {
  const Sound a = Ramp("a", 1, 10), b = Ramp("b", 2, 10), n = Ramp("n", 3, 10);
  const Sound l = Ramp("l", 4, 10), c1 = Ramp("c1", 5, 10);
  const Sound x0 = Ramp("x0", 6, 10), x1 = Ramp("x1", 7, 10), x2 = Ramp("x2", 8, 10);
  struct Case {
    const char* why;
    int parts;
    int layer_notes;
    std::vector<std::string> onsets;
  };
  // 441 BPM is 6000 frames a beat; two sections of one measure, of 2 and then 3 beats.
  const Case cases[] = {
      {"three layer notes counted over each measure",
       1,
       3,
       {"100 a", "100 l", "100 x0", "4100 l", "4100 x1", "6100 b", "7100 c1", "8100 l", "12100 a",
        "12100 l", "12100 x0", "18100 b", "18100 l", "18100 x1", "24100 b", "24100 l", "24100 x2"}},
      {"a swing of 2/3 on two notes to the beat",
       2,
       0,
       {"100 a", "4100 n", "6100 b", "7100 c1", "10100 n", "12100 a", "16100 n", "18100 b",
        "22100 n", "24100 b", "28100 n"}},
  };
  for (const Case& c : cases) {
    BeatRule rules[2];
    for (int i = 0; i < 2; ++i) {
      BeatRule& rule = rules[i];
      rule.playing = true;
      rule.from = rule.start = 100;
      rule.bpm = 441;
      rule.beats = 2 + i;
      rule.parts = c.parts;
      rule.measures = 1;
      for (int beat = 0; beat < rule.beats; ++beat) {
        rule.beat[static_cast<std::size_t>(beat)] = {beat == 0 ? &a : &b, &n, nullptr};
      }
      rule.swing_num = 2;
      rule.swing_den = 3;
      rule.layer_notes = c.layer_notes;
      rule.layer_sound = &l;
      rule.count_aloud = rule.count_layer = true;
      rule.layer_word = {&x0, &x1, &x2};
      rule.section = i;
    }
    rules[0].then = &rules[1];
    rules[1].cue = &c1;
    rules[1].cue_lead = 5000;
    for (const auto& blocks : kBlockPatterns) {
      Mixer mixer(44100);
      mixer.SetBeatRule(rules[0]);
      EXPECT_EQ(RenderedOnsets(mixer, 40000, blocks), c.onsets)
          << c.why << ", first block " << blocks[0];
    }
  }
}

}  // namespace
}  // namespace cadencio::audio
