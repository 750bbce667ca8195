// Listening in the whole program, on the headless front end with virtual time: what the player
// is told when the microphone is missing, stops, or hears nothing, and the beat going on through
// it all.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>

#include "audio/audio_input.hpp"
#include "support/scenario.hpp"

namespace cadencio::testing {
namespace {

// A microphone in a quiet room: faint noise as the clock goes, until `stop_ms` after it opens;
// then nothing more, as a device unplugged.
class QuietRoom final : public audio::AudioInput {
 public:
  QuietRoom(const base::Clock& clock, int64_t stop_ms)
      : clock_(clock), opened_ms_(clock.NowMs()), stop_ms_(stop_ms) {}
  int SampleRate() const override { return 44100; }
  void Read(std::vector<float>& out) override {
    const int64_t until = std::min(clock_.NowMs() - opened_ms_, stop_ms_) * 44100 / 1000;
    for (; delivered_ < until; ++delivered_) out.push_back(noise_(random_));
  }
  std::string DriverName() const override { return "quiet room"; }

 private:
  const base::Clock& clock_;
  int64_t opened_ms_, stop_ms_;
  int64_t delivered_ = 0;
  std::mt19937 random_{3};
  std::normal_distribution<float> noise_{0.0f, 0.001f};
};

TEST(Listening, TellsOfAMissingStoppedOrSilentMicrophoneAndTheBeatGoesOn) {
  constexpr int64_t kNever = INT64_MAX / 4;
  struct Case {
    const char* why;
    bool device;
    int64_t stop_ms;  // after the microphone opens
    std::string told;
  };
  const Case cases[] = {
      {"no capture device", false, 0, "Nenhum microfone encontrado"},
      {"a device that stops", true, 2000, "O microfone parou, escuta desligada"},
      {"a take of silence, then v", true, kNever, "Nenhuma nota ouvida"},
  };
  for (const Case& c : cases) {
    TempDataRoot data;
    Scenario scenario(Session("120", 'q', {TypeChar(1000, 'e'), TypeChar(9000, 'v')}, 12000), 500);
    scenario.Parts().open_capture = [&]() -> std::unique_ptr<audio::AudioInput> {
      if (!c.device) return nullptr;
      return std::make_unique<QuietRoom>(scenario.Clock(), c.stop_ms);
    };
    EXPECT_EQ(scenario.Run(), 0) << c.why;
    EXPECT_NE(scenario.Screen().Text().find(c.told + "\n"), std::string::npos)
        << c.why << "\n"
        << scenario.Screen().Text();
    // The beat plays on to the end: every half second after the key v.
    int late_beats = 0;
    for (const BeatOnset& onset : scenario.Onsets()) {
      if (onset.frame > int64_t{10} * scenario.SampleRate()) ++late_beats;
    }
    EXPECT_GE(late_beats, 3) << c.why;
  }
}

TEST(Listening, TheTunerPausesListeningAndWhereAmISaysIt) {
  // e listens; o says so; F4 and O open the tuner, which must not open the microphone a second
  // time; Esc twice closes it and the tuning fork, and listening starts again.
  TempDataRoot data;
  Scenario scenario(
      Session("120", 'q',
              {TypeChar(1000, 'e'), TypeChar(2000, 'o'), PressKey(3000, base::vk::F(4)),
               TypeChar(4000, 'O'), TypeChar(6000, 27), TypeChar(7000, 27), TypeChar(8000, 'o')},
              10000),
      500);
  int open = 0, most_open = 0, opened = 0;
  scenario.Parts().open_capture = [&]() -> std::unique_ptr<audio::AudioInput> {
    ++opened;
    most_open = std::max(most_open, ++open);
    class Counted final : public audio::AudioInput {
     public:
      Counted(const base::Clock& clock, int& open) : room_(clock, INT64_MAX / 4), open_(open) {}
      ~Counted() override { --open_; }
      int SampleRate() const override { return room_.SampleRate(); }
      void Read(std::vector<float>& out) override { room_.Read(out); }
      std::string DriverName() const override { return "counted"; }

     private:
      QuietRoom room_;
      int& open_;
    };
    return std::make_unique<Counted>(scenario.Clock(), open);
  };
  EXPECT_EQ(scenario.Run(), 0);
  const std::string screen = scenario.Screen().Text();
  EXPECT_EQ(most_open, 1) << screen;
  EXPECT_EQ(opened, 3) << screen;  // listening, the tuner, listening again
  const std::size_t paused = screen.find("Escuta em pausa enquanto o afinador ouve\n");
  ASSERT_NE(paused, std::string::npos) << screen;
  EXPECT_NE(screen.find("Escuta ligada\n", paused), std::string::npos) << screen;
  EXPECT_NE(screen.find(", escutando o m\xFAsico\n"), std::string::npos) << screen;
}

}  // namespace
}  // namespace cadencio::testing
