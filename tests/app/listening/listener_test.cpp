// The listener on takes made from known truth (bench/measures/played_take.hpp): notes of the
// instruments made there, at known offsets around the beat's grid (or the second layer's notes),
// heard with the program's own beat (delayed, coloured by the room, with noise) or without it
// (headphones, with the stored latency), read through the capture interface on virtual time.
#include "app/listening/listener.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/message_catalogue.hpp"
#include "audio/wav_loader.hpp"
#include "measures/played_take.hpp"

namespace cadencio::app {
namespace {

using listening::Instrument;
using listening::Listened;

constexpr int kRate = 44100;
constexpr int64_t kRoomDelay = 2205;  // 50 ms from the rendered beat to the microphone
constexpr double kRoomDelayMs = 50.0;

const audio::Sound& BeatSound() {
  static const audio::Sound sound = [] {
    auto loaded = audio::LoadWavFile(
        std::string(CADENCIO_DATA_ROOT) + "/som/cadencio/efeitos/padrao1.wav", kRate);
    return loaded ? *loaded : audio::Sound{};
  }();
  return sound;
}

// The second layer's sound at its volume, as the program loads it.
const audio::Sound& LayerSound() {
  static const audio::Sound sound = [] {
    auto loaded = audio::LoadWavFile(
        std::string(CADENCIO_DATA_ROOT) + "/som/cadencio/efeitos/clave.wav", kRate);
    audio::Sound scaled = loaded ? *loaded : audio::Sound{};
    for (float& sample : scaled.samples) sample *= 0.7f;
    return scaled;
  }();
  return sound;
}

audio::BeatRule Rule(int32_t bpm, int32_t played = 0, int32_t muted = 0) {
  audio::BeatRule rule;
  rule.playing = true;
  rule.rate = kRate;
  rule.bpm = bpm;
  rule.beats = 4;
  rule.played = played;
  rule.muted = muted;
  for (int b = 0; b < 4; ++b) rule.beat[static_cast<std::size_t>(b)].sound = &BeatSound();
  return rule;
}

// A session shared with other programs at `tempo`, its beat 0 three tenths of a beat after the
// stream's frame 0: off a rule's own schedule (a rule of 120 BPM against 120.4, say).
audio::TimelineView SessionView(double tempo) {
  return {0, -0.3, kRate * 60.0 / tempo};
}

// `rule` played on a shared session's beats from its beat 0 on.
audio::BeatRule Shared(audio::BeatRule rule) {
  rule.shared = true;
  rule.anchor = 0;
  return rule;
}

// `rule` with `notes` of the second layer over each measure of `beats` (none: 0).
audio::BeatRule WithLayer(audio::BeatRule rule, int beats, int notes) {
  rule.beats = beats;
  rule.layer_notes = notes;
  rule.layer_sound = &LayerSound();
  return rule;
}

// The take: `offsets` played on the grid's points from the third on (or the second layer's
// notes), heard in the room; a shared rule's on the beats of `view`, which the listener follows.
Listened Take(const audio::BeatRule& rule, Instrument kind, const std::vector<double>& offsets,
              bool click_heard, bool on_layer = false, const audio::TimelineView& view = {}) {
  const int64_t frames =
      audio::ScheduleFrame(static_cast<int64_t>(offsets.size()) + 8, 1, rule.bpm, kRate);
  const std::vector<int64_t> grid = on_layer ? listening::LayerFrames(rule, frames, view)
                                             : listening::GridFrames(rule, frames, view);
  listening::Playing playing{{}, listening::InstrumentNote(kind, kRate, 0.6), 0.5f, true};
  for (std::size_t n = 0; n < offsets.size(); ++n) {
    playing.frames.push_back(static_cast<double>(grid[n + 2]) + offsets[n] * kRate / 1000);
  }
  const listening::Room room{kRoomDelay, click_heard ? 0.4f : 0.0f, true, 0.003f};
  const auto heard =
      listening::MicrophoneHears(listening::RenderedBeat(rule, frames, 1.0f, view), room, playing,
                                 listening::FirstHeardFrame(kRate), frames, kRate);
  return listening::ListenTo(
      rule, heard, click_heard ? std::nullopt : std::optional<double>(kRoomDelayMs), {}, view);
}

double Mean(const std::vector<double>& values) {
  double sum = 0;
  for (double v : values) sum += v;
  return sum / static_cast<double>(values.size());
}

double Spread(const std::vector<double>& values) {
  const double mean = Mean(values);
  double squares = 0;
  for (double v : values) squares += (v - mean) * (v - mean);
  return std::sqrt(squares / static_cast<double>(values.size() - 1));
}

TEST(Listener, JudgesTakesOfEveryInstrumentWithTheBeatHeardOrNot) {
  struct Case {
    Instrument kind;
    double mean_ms, spread_ms;
    bool click_heard;
    double drift_ms;  // added across the take, from -drift/2 to +drift/2
    int trend;        // -1 acelerando, +1 atrasando
    // Three notes of the second layer against two beats, heard with the beat; the player on
    // the layer's notes instead of the beats.
    bool layer = false, on_layer = false;
    // With Ableton Link on: the rule shared, its beat played on the session's (SessionView).
    bool shared = false;
  };
  const Case cases[] = {
      {Instrument::kStick, -12, 15, true, 0, 0},
      {Instrument::kMutedGuitar, 20, 8, false, 0, 0},
      {Instrument::kPiano, -5, 10, true, 0, 0},
      {Instrument::kBass, 8, 12, false, 0, 0},
      {Instrument::kBass, -12, 15, true, 0, 0},
      {Instrument::kMutedGuitar, -12, 15, true, 0, 0},
      {Instrument::kStick, 0, 4, true, -40, -1},
      {Instrument::kPiano, 0, 4, false, 40, 1},
      {Instrument::kStick, -12, 15, true, 0, 0, true, false},
      {Instrument::kMutedGuitar, 8, 10, true, 0, 0, true, false},
      {Instrument::kStick, -12, 15, true, 0, 0, true, true},
      {Instrument::kPiano, 10, 8, false, 0, 0, true, true},
      {Instrument::kStick, -12, 15, true, 0, 0, false, false, true},
      {Instrument::kBass, 8, 12, false, 0, 0, false, false, true},
      {Instrument::kMutedGuitar, 8, 10, true, 0, 0, true, false, true},
      {Instrument::kStick, -12, 15, true, 0, 0, true, true, true},
  };
  ASSERT_FALSE(BeatSound().samples.empty());
  for (const Case& c : cases) {
    const std::string why = std::string(listening::InstrumentName(c.kind)) +
                            (c.click_heard ? ", beat heard, mean " : ", headphones, mean ") +
                            std::to_string(c.mean_ms) + ", drift " + std::to_string(c.drift_ms) +
                            (c.layer ? c.on_layer ? ", on the layer" : ", layer heard" : "") +
                            (c.shared ? ", shared" : "");
    const auto offsets = listening::Offsets(24, c.mean_ms, c.spread_ms, 5, c.drift_ms);
    audio::BeatRule rule = c.layer ? WithLayer(Rule(120), 2, 3) : Rule(120);
    if (c.shared) rule = Shared(rule);
    const Listened listened = Take(rule, c.kind, offsets, c.click_heard, c.on_layer,
                                   c.shared ? SessionView(120.4) : audio::TimelineView{});
    EXPECT_EQ(listened.beat_heard, c.click_heard) << why;
    // A note more or less of 24, and within 3 ms: the benchmark measures how much closer.
    EXPECT_NEAR(listened.verdict.notes, 24, 1) << why;
    EXPECT_EQ(listened.verdict.off_grid, 0) << why;
    EXPECT_NEAR(listened.verdict.mean_ms, Mean(offsets), 3.0) << why;
    EXPECT_NEAR(listened.verdict.spread_ms, Spread(offsets), 3.0) << why;
    EXPECT_EQ(listened.verdict.trend, c.trend) << why;
  }
}

TEST(Listener, MeasuresTheReturnAfterMutedMeasuresApart) {
  // Two measures played, one muted: the player drifts late through each silent measure and
  // comes back 40 ms, then 20 ms, late.
  const audio::BeatRule rule = Rule(120, 2, 1);
  std::vector<double> offsets;
  const double returns[] = {40, 20};
  int returned = 0;
  // The take begins on the grid's third point (the third beat of the first measure).
  for (int point = 2; point < 28; ++point) {
    const int measure = point / 4, beat = point % 4;
    if (measure % 3 == 2) {
      offsets.push_back(8.0 * (beat + 1));
    } else if (beat == 0 && measure % 3 == 0 && measure > 0 && returned < 2) {
      offsets.push_back(returns[returned++]);
    } else {
      offsets.push_back(beat % 2 == 0 ? -4 : 4);
    }
  }
  const Listened listened = Take(rule, Instrument::kStick, offsets, true);
  EXPECT_EQ(listened.verdict.returns, 2);
  ASSERT_TRUE(listened.verdict.return_ms.has_value());
  EXPECT_NEAR(*listened.verdict.return_ms, 30.0, 2.0);
  EXPECT_EQ(listened.verdict.notes + listened.verdict.returns, static_cast<int>(offsets.size()));
}

TEST(Listener, ATakeOfSilenceHasNoNotes) {
  for (bool click_heard : {true, false}) {
    const Listened listened = Take(Rule(100), Instrument::kStick, {}, click_heard);
    EXPECT_EQ(listened.verdict.notes, 0) << click_heard;
    EXPECT_EQ(listened.verdict.off_grid, 0) << click_heard;
    EXPECT_EQ(VerdictText(listened.verdict), MessageText("CAESUNEN")) << click_heard;
  }
}

TEST(Listener, VerdictWordsRoundAndAgree) {
  struct Case {
    Verdict verdict;
    std::string text;
  };
  Verdict rushing{1, 2, 0.4, 0, -1, std::nullopt, 0};
  Verdict back{32, 0, 12.4, 8.5, 0, -40.2, 3};
  const Case cases[] = {
      {{32, 0, -12.4, 7.6, 0, std::nullopt, 0},
       "32 notas, 12 milissegundos adiantado, varia\xE7\xE3o 8, est\xE1vel"},
      {rushing, "1 nota, no tempo, varia\xE7\xE3o 0, acelerando, 2 fora do tempo"},
      {back,
       "32 notas, 12 milissegundos atrasado, varia\xE7\xE3o 9, est\xE1vel, voltou 40 "
       "milissegundos adiantado"},
  };
  for (const Case& c : cases) EXPECT_EQ(VerdictText(c.verdict), c.text);
}

TEST(BeatTimeline, FindsTheNearestPointOfEveryNoteOfTheRule) {
  struct Case {
    int parts, played, muted;
    double frame;
    int64_t point;
    bool after_silence;
    int layer = 0;  // the second layer's notes over the measure
    int swing_num = 1, swing_den = 2;
    int64_t spacing = 0;  // to the nearer point beside it (0: not looked at)
    // The tempo of the shared session the rule follows (0: none, the rule's own schedule); at
    // 120.4 BPM its beats fall every 21976.7 frames from 6593.
    double session = 0;
  };
  // 120 BPM at 44.1 kHz: a beat every 22050 frames, a measure of four every 88200; three notes
  // of the layer over it at 0, 29400 and 58800.
  const Case cases[] = {
      {1, 0, 0, 30000, 22050, false},                 // nearer the second beat than the third
      {2, 0, 0, 30000, 33075, false},                 // two notes to the beat: the part between
      {1, 1, 1, 176000, 176400, true},                // the first beat after a muted measure
      {1, 1, 1, 100000, 110250, false},               // inside the muted measure: still the grid
      {1, 0, 0, -3000, 0, false},                     // before the run: its first note
      {2, 0, 0, 14000, 14700, false, 0, 2, 3, 7350},  // the swung note where it is played
      {1, 0, 0, 30000, 29400, false, 3, 1, 2, 7350},  // the layer's note nearer than the beat
      {1, 0, 0, 21000, 22050, false, 3, 1, 2, 7350},  // a beat beside a layer note
      {1, 0, 0, 53000, 58800, false, 3, 1, 2, 7350},  // the layer's note: the beat after it
      {1, 1, 1, 120000, 117600, false, 3},            // the layer in a muted measure
      {1, 1, 1, 176000, 176400, true, 3},             // the layer's first after silence
      // On a shared session's beats: the second, not the rule's own second beat at 22050.
      {1, 0, 0, 30000, 28570, false, 0, 1, 2, 0, 120.4},
      {2, 0, 0, 40000, 39558, false, 0, 1, 2, 0, 120.4},     // the part between
      {2, 0, 0, 20000, 21244, false, 0, 2, 3, 7326, 120.4},  // the swung note
      {1, 0, 0, 36000, 35895, false, 3, 1, 2, 7325, 120.4},  // the layer's note
      {1, 1, 1, 182000, 182407, true, 0, 1, 2, 0, 120.4},    // after a muted measure
      {1, 0, 0, -3000, 6593, false, 0, 1, 2, 0, 120.4},      // before the run
      // A session far slower than the rule's tempo (not yet published anew): the point's
      // spacing is the session's beat, its neighbour a whole beat of it back.
      {1, 0, 0, 150000, 152145, false, 0, 1, 2, 66150, 40},
  };
  for (const Case& c : cases) {
    audio::BeatRule rule = Rule(120, c.played, c.muted);
    rule.parts = c.parts;
    rule.swing_num = c.swing_num;
    rule.swing_den = c.swing_den;
    if (c.layer > 0) rule = WithLayer(rule, 4, c.layer);
    BeatTimeline timeline;
    if (c.session > 0) {
      rule = Shared(rule);
      timeline.FollowTimeline(SessionView(c.session));
    }
    timeline.Follow(rule);
    const auto point = timeline.Nearest(c.frame);
    ASSERT_TRUE(point.has_value()) << c.frame;
    EXPECT_EQ(point->frame, c.point) << c.frame;
    EXPECT_EQ(point->after_silence, c.after_silence) << c.frame;
    if (c.spacing > 0) {
      EXPECT_EQ(point->spacing, c.spacing) << c.frame;
    }
  }
  // A rule that stops: nothing after it.
  BeatTimeline timeline;
  audio::BeatRule rule = Rule(120);
  timeline.Follow(rule);
  rule.playing = false;
  rule.from = 50000;
  timeline.Follow(rule);
  EXPECT_FALSE(timeline.Nearest(200000).has_value());
}

TEST(BeatTimeline, RendersTheLayerAsTheMixerPlaysIt) {
  struct Case {
    const char* why;
    int count_in = 0, played = 0, muted = 0;
    int32_t trainer_target = 0;
    float gain = 1.0f;
    bool counted = false;  // the layer's notes counted aloud, their words at their own level
    int parts = 1, swing_num = 1, swing_den = 2;
    bool shared = false;  // on the beats of a session at 100.4 BPM, as the mixer following it
    bool cued = false;    // a section of two measures, and the next one's cue before it
  };
  const Case cases[] = {
      {"three against four"},
      {"silent in the count-in", 1},
      {"silent in muted measures", 0, 1, 1},
      {"following the trainer's steps", 0, 0, 0, 150},
      {"at the beat volume", 0, 0, 0, 0, 0.4f},
      {"counted aloud", 0, 0, 0, 0, 0.4f, true},
      {"on a shared session's beats", 0, 0, 0, 0, 1.0f, false, 1, 1, 2, true},
      {"swung on a shared session's beats", 0, 0, 0, 0, 1.0f, false, 2, 2, 3, true},
      {"counted aloud on a shared session's beats", 0, 0, 0, 0, 0.4f, true, 1, 1, 2, true},
      {"muted measures on a shared session's beats", 0, 1, 1, 0, 1.0f, false, 1, 1, 2, true},
      {"a section's cue over the counted words", 0, 0, 0, 0, 1.0f, true, 1, 1, 2, false, true},
  };
  // A short sound stands for the counted words.
  const auto word = audio::LoadWavFile(
      std::string(CADENCIO_DATA_ROOT) + "/som/cadencio/efeitos/padrao2.wav", kRate);
  ASSERT_TRUE(word.has_value());
  for (const Case& c : cases) {
    audio::BeatRule rule = WithLayer(Rule(100, c.played, c.muted), 4, 3);
    rule.count_in = c.count_in;
    rule.trainer_target = c.trainer_target;
    rule.trainer_step = 10;
    rule.trainer_every = 1;
    rule.count_aloud = rule.count_layer = c.counted;
    for (auto& layer_word : rule.layer_word) layer_word = &*word;
    rule.parts = c.parts;
    rule.swing_num = c.swing_num;
    rule.swing_den = c.swing_den;
    const audio::TimelineView view = c.shared ? SessionView(100.4) : audio::TimelineView{};
    if (c.shared) rule = Shared(rule);
    audio::BeatRule next = rule;  // the section after, cued 0.7 s before its downbeat
    if (c.cued) {
      next.cue = &*word;
      next.cue_lead = kRate * 7 / 10;
      rule.measures = 2;
      rule.then = &next;
    }
    const int64_t frames = 8 * kRate;
    const std::vector<float> mixed = listening::RenderedBeat(rule, frames, c.gain, view);
    BeatTimeline timeline;
    timeline.FollowTimeline(view);
    timeline.Follow(rule);
    std::vector<float> rendered(static_cast<std::size_t>(frames));
    for (int64_t at = 0; at < frames; at += 1000) {
      const auto n = static_cast<std::size_t>(std::min<int64_t>(1000, frames - at));
      timeline.Render(at, std::span(rendered).subspan(static_cast<std::size_t>(at), n), c.gain);
    }
    float worst = 0.0f;
    for (std::size_t i = 0; i < mixed.size(); ++i) {
      worst = std::max(worst, std::abs(mixed[i] - rendered[i]));
    }
    EXPECT_LT(worst, 1e-5f) << c.why;
  }
}

// The session's beat measured anew between two passes: a note it moved just behind what was
// rendered starts at once, as the mixer plays it; one moved far back (the session jumped to a
// new phase) is not rendered late.
TEST(BeatTimeline, RendersASharedNoteMovedBehindItAsTheMixerPlaysIt) {
  struct Case {
    const char* why;
    double moved_back;  // frames, once the note at 33000 is near
    int64_t onset;      // where the click starts (-1: no click before 40000)
  };
  const Case cases[] = {
      {"not moved", 0, 33000},
      {"20 frames back: at once", 20, 32990},
      {"1000 frames back: skipped", 1000, -1},
  };
  for (const Case& c : cases) {
    const audio::BeatRule rule = Shared(Rule(120));
    BeatTimeline timeline;
    timeline.FollowTimeline({0, 0, 33000});
    timeline.Follow(rule);
    std::vector<float> rendered(40000);
    const std::span<float> all(rendered);
    timeline.Render(0, all.first(32990), 1.0f);
    timeline.FollowTimeline({0, c.moved_back / 33000, 33000});
    timeline.Render(32990, all.subspan(32990), 1.0f);
    // Where a click starts: its first sample that sounds, less the click's own lead (as the
    // downbeat at 0 shows it); the downbeat has died away by 30000.
    const auto sounding = [&](std::size_t from) -> int64_t {
      for (std::size_t i = from; i < rendered.size(); ++i) {
        if (rendered[i] != 0.0f) return static_cast<int64_t>(i);
      }
      return -1;
    };
    const int64_t lead = sounding(0);
    const int64_t heard = sounding(30000);
    const int64_t onset = heard < 0 ? -1 : heard - lead;
    EXPECT_EQ(onset, c.onset) << c.why;
  }
}

}  // namespace
}  // namespace cadencio::app
