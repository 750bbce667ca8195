// Finding the program's own beat in what the microphone hears, and taking it out, on takes made
// by bench/measures/played_take.hpp: the delay must be the beat's direct sound, whatever the
// room's colouring or a player in time with it.
#include "app/listening/beat_echo.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "audio/wav_loader.hpp"
#include "measures/played_take.hpp"

namespace cadencio::app {
namespace {

using listening::Instrument;

constexpr int kRate = 44100;

struct Heard {
  std::vector<float> beat, mic;
};

// Four seconds of the beat at 100 BPM, heard in a room, with `player` playing on every beat
// 12 ms early (none: the beat alone).
Heard InRoom(const audio::Sound& sound, const listening::Room& room,
             std::optional<Instrument> player) {
  audio::BeatRule rule;
  rule.playing = true;
  rule.rate = kRate;
  rule.bpm = 100;
  rule.beats = 4;
  for (int b = 0; b < 4; ++b) rule.beat[static_cast<std::size_t>(b)].sound = &sound;
  const int64_t frames = 4 * kRate;
  listening::Playing playing;
  if (player) {
    playing.sound = listening::InstrumentNote(*player, kRate, 0.6);
    for (int64_t frame : listening::GridFrames(rule, frames)) {
      playing.frames.push_back(static_cast<double>(frame) - 0.012 * kRate);
    }
  }
  Heard heard{listening::RenderedBeat(rule, frames), {}};
  heard.mic = listening::MicrophoneHears(heard.beat, room, playing, 0, frames, kRate);
  return heard;
}

TEST(BeatEcho, FindsTheDirectSoundAndTakesTheBeatOut) {
  const auto sound = audio::LoadWavFile(
      std::string(CADENCIO_DATA_ROOT) + "/som/cadencio/efeitos/padrao1.wav", kRate);
  ASSERT_TRUE(sound.has_value());
  struct Case {
    const char* why;
    listening::Room room;
    std::optional<Instrument> player;
    std::optional<int64_t> delay;  // nothing: the beat is not heard
  };
  const int64_t max_delay = kRate * 4 / 10;
  const Case cases[] = {
      {"a plain delay", {2205, 0.4f, false, 0.002f}, std::nullopt, 2205},
      {"the room's colouring", {2205, 0.4f, true, 0.002f}, std::nullopt, 2205},
      {"a quiet beat", {800, 0.05f, true, 0.002f}, std::nullopt, 800},
      {"a bass in time with it", {2205, 0.4f, true, 0.002f}, Instrument::kBass, 2205},
      {"a stick in time with it", {1500, 0.4f, true, 0.002f}, Instrument::kStick, 1500},
      {"headphones: noise alone", {2205, 0.0f, true, 0.002f}, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    const Heard heard = InRoom(*sound, c.room, c.player);
    const auto beat =
        std::span(heard.beat).first(heard.beat.size() - static_cast<std::size_t>(max_delay));
    const auto found = FindBeatDelay(beat, heard.mic, max_delay);
    ASSERT_EQ(found.has_value(), c.delay.has_value()) << c.why;
    // Done a slice at a time, as the listener does, the search finds the very same.
    BeatDelaySearch search(beat, heard.mic, max_delay);
    while (!search.Step(100'000)) {
    }
    const auto sliced = search.Result();
    ASSERT_EQ(sliced.has_value(), found.has_value()) << c.why;
    if (!found) continue;
    EXPECT_EQ(sliced->frames, found->frames) << c.why;
    EXPECT_EQ(sliced->score, found->score) << c.why;
    EXPECT_EQ(sliced->gain, found->gain) << c.why;
    // The room's low-pass delays the sound by a few frames.
    EXPECT_NEAR(static_cast<double>(found->frames), static_cast<double>(*c.delay), 4) << c.why;
    if (c.player) continue;
    // Without a player, what is left after the first seconds is little more than the noise.
    BeatEchoRemover remover(*found, 44, 529);
    std::vector<float> clean(heard.mic.size());
    remover.Remove(heard.beat, heard.mic, clean);
    // Given the beat first and what is heard in slices, as the listener learns, it takes out the
    // very same.
    BeatEchoRemover in_slices(*found, 44, 529);
    in_slices.Remove(heard.beat, {}, {});
    std::vector<float> sliced_clean(heard.mic.size());
    for (std::size_t at = 0; at < heard.mic.size(); at += 5000) {
      const std::size_t n = std::min<std::size_t>(5000, heard.mic.size() - at);
      in_slices.Remove({}, std::span(heard.mic).subspan(at, n),
                       std::span(sliced_clean).subspan(at, n));
    }
    EXPECT_EQ(sliced_clean, clean) << c.why;
    double left = 0, before = 0;
    for (std::size_t i = heard.mic.size() / 2; i < heard.mic.size(); ++i) {
      left += double{clean[i]} * clean[i];
      before += double{heard.mic[i]} * heard.mic[i];
    }
    const double noise =
        double{c.room.noise} * c.room.noise * static_cast<double>(heard.mic.size() / 2);
    EXPECT_LT(left, 1.5 * noise + 0.05 * before) << c.why;
  }
}

}  // namespace
}  // namespace cadencio::app
