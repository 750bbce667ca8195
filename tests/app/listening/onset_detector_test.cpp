// The onsets of the instruments made by bench/measures/played_take.hpp: each note found once,
// held notes included, and placed within a millisecond of where it starts.
#include "app/listening/onset_detector.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "measures/played_take.hpp"

namespace cadencio::app {
namespace {

using listening::Instrument;

constexpr int kRate = 44100;

TEST(OnsetDetector, FindsEachNoteOnceAndPlacesItsStart) {
  struct Case {
    Instrument kind;
    double held_s;     // how long each note sounds: the piano and bass hold theirs
    double spacing_s;  // between the notes
    std::size_t feed;  // samples fed at a time: 20 ms as the listener does, or all at once
  };
  const std::size_t all = SIZE_MAX;
  const Case cases[] = {
      {Instrument::kStick, 0.3, 0.5, 882},
      {Instrument::kMutedGuitar, 0.3, 0.4, 882},
      {Instrument::kPiano, 2.0, 2.5, 882},
      {Instrument::kBass, 2.0, 2.5, 882},
      {Instrument::kMutedGuitar, 0.3, 0.4, all},
      {Instrument::kPiano, 2.0, 2.5, all},
      // Each cut where its wave is loud, after resting below a tenth of the next note's peak.
      {Instrument::kLowString, 0.8, 0.6, 882},
  };
  for (const Case& c : cases) {
    listening::Playing playing{{}, listening::InstrumentNote(c.kind, kRate, c.held_s), 0.5f, true};
    for (int n = 0; n < 6; ++n) playing.frames.push_back((0.2 + n * c.spacing_s) * kRate + 0.4);
    const int64_t frames = static_cast<int64_t>((0.5 + 6 * c.spacing_s) * kRate);
    const auto heard =
        listening::MicrophoneHears({}, {0, 0.0f, false, 0.002f}, playing, 0, frames, kRate);
    OnsetDetector detector(kRate);
    std::vector<double> onsets;
    for (std::size_t at = 0; at < heard.size(); at += std::min(c.feed, heard.size())) {
      detector.Feed(std::span(heard).subspan(at, std::min(c.feed, heard.size() - at)), onsets);
    }
    const char* why = listening::InstrumentName(c.kind);
    ASSERT_EQ(onsets.size(), playing.frames.size()) << why;
    for (std::size_t n = 0; n < onsets.size(); ++n) {
      EXPECT_NEAR(onsets[n], playing.frames[n], 0.001 * kRate) << why << ", note " << n;
    }
  }
}

TEST(OnsetDetector, AnOnsetTurnedDownKeepsNoNoteAway) {
  // Two strokes 40 ms apart, closer than the gap between notes: the first is turned down (as the
  // beat's remains are), and the second is then found; taken, the first keeps the second away.
  listening::Playing playing{
      {}, listening::InstrumentNote(Instrument::kStick, kRate, 0.2), 0.5f, false};
  playing.frames = {0.2 * kRate, 0.24 * kRate};
  const auto heard =
      listening::MicrophoneHears({}, {0, 0.0f, false, 0.002f}, playing, 0, kRate / 2, kRate);
  for (bool turn_down_first : {true, false}) {
    OnsetDetector detector(kRate);
    std::vector<double> onsets;
    for (std::size_t at = 0; at < heard.size(); at += 882) {
      detector.Feed(std::span(heard).subspan(at, std::min<std::size_t>(882, heard.size() - at)),
                    onsets, [&](double onset) {
                      return !turn_down_first ||
                             std::abs(onset - playing.frames[0]) > 0.005 * kRate;
                    });
    }
    ASSERT_EQ(onsets.size(), 1u) << turn_down_first;
    EXPECT_NEAR(onsets[0], playing.frames[turn_down_first ? 1 : 0], 0.001 * kRate)
        << turn_down_first;
  }
}

}  // namespace
}  // namespace cadencio::app
