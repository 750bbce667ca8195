// The tuner's judgement on the tuning fork's generated notes, detuned by known amounts and with
// noise added: the note and its whole cents on every open string, a bass's E1 and a high E5,
// silence and noise, the rule that speaks again only when the cents move, the wait for a busy
// voice, and the words and ticks it answers with.
#include "app/tuner/tuner.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "app/tuner/fine_tuning.hpp"
#include "app/tuner/note_pitch.hpp"
#include "measures/detuned_note.hpp"

namespace cadencio::app {
namespace {

constexpr int kRate = 44100;
constexpr int kPassMs = 20;

struct Heard {
  int64_t at_ms;
  Tuner::Spoken spoken;
  std::optional<Tuner::Reading> reading;
};

// Feeds `samples` to a new tuner 20 ms at a time, as the tuner's loop does; the voice is busy
// until `busy_until_ms`. The first read takes `first_read_ms` at once (a message that held the
// loop up).
std::vector<Heard> Listen(const std::vector<float>& samples, int64_t busy_until_ms = 0,
                          int first_read_ms = kPassMs) {
  Tuner tuner(kRate, 0);
  std::vector<Heard> heard;
  std::size_t per_pass = kRate * first_read_ms / 1000;
  for (std::size_t at = 0; at + per_pass <= samples.size();
       at += per_pass, per_pass = kRate * kPassMs / 1000) {
    const std::vector<float> chunk(samples.begin() + static_cast<long>(at),
                                   samples.begin() + static_cast<long>(at + per_pass));
    const int64_t now = static_cast<int64_t>(at + per_pass) * 1000 / kRate;
    tuner.Hear(chunk, now);
    if (auto spoken = tuner.Answer(now, now < busy_until_ms)) {
      heard.push_back({now, *spoken, tuner.Current()});
    }
  }
  return heard;
}

std::vector<float> Note(const char* file, double cents, double noise = 0.01) {
  auto samples = tuning::ReadMonoWav(
      std::string(CADENCIO_DATA_ROOT) + "/som/cadencio/" + file + ".wav", nullptr);
  if (!samples) return {};
  auto detuned = tuning::Detune(*samples, cents);
  tuning::AddNoise(detuned, noise);
  return tuning::AfterSilence(detuned, kRate, 300);
}

// The texts that say `cents` off `midi` to within a cent (at 50 cents, the note above may be
// named instead).
std::set<std::string> RightAnswers(int midi, int cents) {
  std::set<std::string> texts;
  for (int c = cents - 1; c <= cents + 1; ++c) {
    texts.insert(AnswerText(midi, c));
    if (c <= -49) texts.insert(AnswerText(midi - 1, c + 100));
  }
  return texts;
}

TEST(Tuner, NamesEveryOpenStringAndItsCentsOnce) {
  const struct {
    const char* file;
    int midi;
  } strings[] = {{"E", 40}, {"A", 45}, {"D", 50}, {"G", 55}, {"B", 59}, {"X", 64}};
  for (const auto& string : strings) {
    for (int cents : {-50, -12, -3, 0, 7, 25}) {
      const auto samples = Note(string.file, cents);
      ASSERT_FALSE(samples.empty()) << string.file << " is missing";
      const auto heard = Listen(samples);
      // One answer while the string rings: its cents hold.
      std::string said;
      for (const auto& h : heard) said += std::to_string(h.at_ms) + " " + h.spoken.text + "; ";
      ASSERT_EQ(heard.size(), 1u) << string.file << " " << cents << ": " << said;
      const auto right = RightAnswers(string.midi, cents);
      EXPECT_TRUE(right.count(heard[0].spoken.text))
          << string.file << " " << cents << ": " << heard[0].spoken.text;
      // About half a second of steady note after the pluck at 300 ms.
      EXPECT_GE(heard[0].at_ms, 700) << string.file << " " << cents;
      EXPECT_LE(heard[0].at_ms, 300 + 600) << string.file << " " << cents;
    }
  }
}

TEST(Tuner, FindsABassLowEAndAHighE) {
  // E1 (41 Hz) and E5 (659 Hz): the low and high E played an octave lower and higher.
  for (const auto& [file, octaves, midi] : {std::tuple{"E", -1, 28}, std::tuple{"X", 1, 76}}) {
    const auto heard = Listen(Note(file, 1200 * octaves + 7));
    ASSERT_FALSE(heard.empty()) << midi;
    ASSERT_TRUE(heard[0].reading.has_value());
    EXPECT_EQ(heard[0].reading->midi, midi);
    EXPECT_NEAR(heard[0].reading->cents, 7, 1) << midi;
    EXPECT_EQ(heard[0].spoken.text, "Mi, 7 acima");
  }
}

TEST(Tuner, SilenceAndNoiseGiveNoNoteOnceAfterFiveSeconds) {
  std::vector<float> noise(12 * kRate, 0.0f);
  tuning::AddNoise(noise, 0.3);
  for (const auto& [name, samples] :
       {std::pair{"silence", std::vector<float>(12 * kRate, 0.0f)}, std::pair{"noise", noise}}) {
    const auto heard = Listen(samples);
    ASSERT_EQ(heard.size(), 1u) << name;
    EXPECT_TRUE(heard[0].spoken.no_note) << name << ": " << heard[0].spoken.text;
    EXPECT_GE(heard[0].at_ms, 5000) << name;
    EXPECT_LT(heard[0].at_ms, 5100) << name;
  }
}

TEST(Tuner, SpeaksAgainOnlyWhenTheCentsMoveByThree) {
  // +7, then +9 (2 cents: not said), then +12 (5 from what was said), then +10 (2 again).
  const auto heard =
      Listen(tuning::SteppedTone(110, {{7, 1.5}, {9, 1.5}, {12, 1.5}, {10, 1.5}}, kRate));
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[0].spoken.text, "L\xE1, 7 acima");
  EXPECT_EQ(heard[1].spoken.text, "L\xE1, 12 acima");
  // The new answer once the new pitch fills the measure's window.
  EXPECT_GT(heard[1].at_ms, 3000);
  EXPECT_LT(heard[1].at_ms, 3000 + 600);
}

TEST(Tuner, HoldsItsAnswerWhileAWordIsStillSaid) {
  const auto heard = Listen(Note("A", 12), 2000);
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].at_ms, 2000);
  EXPECT_TRUE(RightAnswers(45, 12).count(heard[0].spoken.text)) << heard[0].spoken.text;
}

// A pluck that rings out while the voice speaks (the tuner's introduction) is answered once the
// voice is free, whether the loop ran meanwhile or was held up and reads it all at once.
TEST(Tuner, AnswersAPluckHeardWhileTheVoiceSpoke) {
  struct Case {
    int first_read_ms;
    const char* why;
  };
  std::vector<float> pluck = Note("A", 12);
  pluck.resize(static_cast<std::size_t>(kRate) * 13 / 10);  // 300 ms of silence, 1 s of string
  pluck.resize(static_cast<std::size_t>(kRate) * 4, 0.0f);
  for (const Case& c : {Case{kPassMs, "the loop ran"}, Case{3000, "the loop was held up"}}) {
    const auto heard = Listen(pluck, 3000, c.first_read_ms);
    ASSERT_EQ(heard.size(), 1u) << c.why;
    EXPECT_EQ(heard[0].at_ms, 3000) << c.why;
    EXPECT_TRUE(RightAnswers(45, 12).count(heard[0].spoken.text)) << heard[0].spoken.text;
  }
}

TEST(Tuner, AnswerWords) {
  const struct {
    int midi, cents;
    const char* text;
  } cases[] = {
      {69, 12, "L\xE1, 12 acima"},
      {64, -7, "Mi, 7 abaixo"},
      {62, 0, "R\xE9, afinado"},
      {62, 3, "R\xE9, afinado"},
      {62, -3, "R\xE9, afinado"},
      {62, 4, "R\xE9, 4 acima"},
      {66, -50, "F\xE1 sustenido, 50 abaixo"},
      {60, 1, "D\xF3, afinado"},
      {71, 25, "Si, 25 acima"},
      {28, -4, "Mi, 4 abaixo"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AnswerText(c.midi, c.cents), c.text) << c.midi << " " << c.cents;
}

TEST(FineTuning, TicksFasterTheFurtherOffAndAToneInTune) {
  EXPECT_EQ(TickIntervalMs(0), 0);
  EXPECT_EQ(TickIntervalMs(-3.2), 0);
  int previous = 10000;
  for (double cents : {4.0, 7.0, 12.0, 25.0, 50.0}) {
    const int interval = TickIntervalMs(cents);
    EXPECT_GT(interval, 0) << cents;
    EXPECT_LT(interval, previous) << cents;
    EXPECT_EQ(TickIntervalMs(-cents), interval)
        << cents;  // the side changes the tick, not its rate
    previous = interval;
  }
}

}  // namespace
}  // namespace cadencio::app
