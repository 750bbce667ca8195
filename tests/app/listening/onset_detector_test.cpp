// The onsets of the instruments made by bench/measures/played_take.hpp: each note found once,
// held notes included, and placed within a millisecond of where it starts.
#include "app/listening/onset_detector.hpp"

#include <gtest/gtest.h>

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
  };
  const Case cases[] = {
      {Instrument::kStick, 0.3, 0.5},
      {Instrument::kMutedGuitar, 0.3, 0.4},
      {Instrument::kPiano, 2.0, 2.5},
      {Instrument::kBass, 2.0, 2.5},
  };
  for (const Case& c : cases) {
    listening::Playing playing{{}, listening::InstrumentNote(c.kind, kRate, c.held_s), 0.5f, true};
    for (int n = 0; n < 6; ++n) playing.frames.push_back((0.2 + n * c.spacing_s) * kRate + 0.4);
    const int64_t frames = static_cast<int64_t>((0.5 + 6 * c.spacing_s) * kRate);
    const auto heard =
        listening::MicrophoneHears({}, {0, 0.0f, false, 0.002f}, playing, 0, frames, kRate);
    OnsetDetector detector(kRate);
    std::vector<double> onsets;
    // In passes of 20 ms, as the listener feeds it.
    for (std::size_t at = 0; at < heard.size(); at += 882) {
      detector.Feed(std::span(heard).subspan(at, std::min<std::size_t>(882, heard.size() - at)),
                    onsets);
    }
    const char* why = listening::InstrumentName(c.kind);
    ASSERT_EQ(onsets.size(), playing.frames.size()) << why;
    for (std::size_t n = 0; n < onsets.size(); ++n) {
      EXPECT_NEAR(onsets[n], playing.frames[n], 0.001 * kRate) << why << ", note " << n;
    }
  }
}

}  // namespace
}  // namespace cadencio::app
