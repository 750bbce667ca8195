// The voice builder: carriers, stop closures, the alignment of marks at joins, and the voice
// and diphone list that the build made.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <set>

#include "lib/diphone_cutter.hpp"
#include "lib/diphone_phones.hpp"
#include "lib/mark_alignment.hpp"
#include "synth/diphone_voice.hpp"

namespace cadencio::voicegen {
namespace {

TEST(VoiceBuilderTest, CarriersSayEachPairInContext) {
  struct Case {
    const char* first;
    const char* second;
    bool separated;
    const char* input;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"_", "a", false, "[[_'ata]]", {"_", "a", "t", "a"}},
      {"a", "_", false, "[[t'a_]]", {"t", "a", "_"}},
      {"t", "i", false, "[[atS'ita]]", {"a", "tS", "i", "t", "a"}},  // Brazilian t before i
      {"x", "j", false, "[['aSZa]]", {"a", "S", "Z", "a"}},
      {"s2", "_", false, "[['as_]]", {"a", "s", "_"}},
      {"r", "r2", true, "[['a* rta]]", {"a", "*", "r", "t", "a"}},  // coda before t a
      {"l", "n", false, "[['al/na]]", {"a", "l", "n", "a"}},        // an l that stays an l
      {"@", "w", false, "[[t'&~wa]]", {"t", "&~", "w", "a"}},       // the nasal a of -ão
  };
  for (const Case& c : cases) {
    Carrier carrier = DiphoneCarrier(c.first, c.second, c.separated);
    EXPECT_EQ(carrier.input, c.input) << c.first << "-" << c.second;
    EXPECT_EQ(carrier.expected, c.expected) << c.first << "-" << c.second;
    const std::size_t first = c.first == std::string("_") ? 0 : 1;
    EXPECT_EQ(carrier.first, first) << c.first << "-" << c.second;
    EXPECT_EQ(carrier.second, first + 1) << c.first << "-" << c.second;
  }
}

TEST(VoiceBuilderTest, FindsTheClosureBeforeABurst) {
  // 100 ms of vowel, then `gap` ms of silence, then the burst at 150 ms (espeak-ng's event),
  // which may begin `lead` ms before the event.
  struct Case {
    double gap_ms;
    double lead_ms;
    double expected_ms;  // closure start; 150 when there is none
  };
  const Case cases[] = {
      {40, 0, 110}, {40, 2, 110}, {0, 0, 150},
      {0, 2, 150},  {140, 0, 3},  // the phone before keeps 30 % of its 10 ms
  };
  for (const Case& c : cases) {
    std::vector<int16_t> x(16 * 200, 0);
    const std::size_t vowel_end = static_cast<std::size_t>(16 * (150 - c.gap_ms));
    for (std::size_t i = 0; i < vowel_end; ++i)
      x[i] = static_cast<int16_t>(8000 * std::sin(i * 0.08));
    for (std::size_t i = static_cast<std::size_t>(16 * (150 - c.lead_ms)); i < x.size(); ++i) {
      x[i] = static_cast<int16_t>(i % 7 * 900 - 2700);
    }
    const std::size_t before = c.gap_ms > 100 ? 16 * 140 : 0;
    const double got = ClosureStart(x, before, 16 * 150) / 16.0;
    EXPECT_NEAR(got, c.gap_ms > 100 ? 140 + 3 : c.expected_ms, 1.01)
        << "gap " << c.gap_ms << " ms, lead " << c.lead_ms << " ms";
  }
}

TEST(VoiceBuilderTest, FindsTheBurstAfterAVoicedClosure) {
  // espeak-ng's event at 50 ms; from there `closure` ms of closure (a quiet 200 Hz voice bar, or
  // silence), then a burst of noise up to 150 ms, where the next phone begins.
  struct Case {
    double closure_ms;
    bool voiced;
    double expected_ms;  // the burst; 50 when the event is taken as the burst
  };
  const Case cases[] = {
      {40, true, 90},
      {20, true, 70},
      {0, true, 50},    // the event on the burst itself
      {40, false, 50},  // a silent closure has no level to leave
  };
  for (const Case& c : cases) {
    std::vector<int16_t> x(16 * 160, 0);
    const std::size_t burst = static_cast<std::size_t>(16 * (50 + c.closure_ms));
    std::minstd_rand noise(7);
    for (std::size_t i = 0; i < x.size(); ++i) {
      if (i < 16 * 50 || (i < burst && c.voiced)) {
        x[i] = static_cast<int16_t>((i < 16 * 50 ? 8000 : 600) * std::sin(i * 2 * M_PI / 80));
      } else if (i >= burst) {
        x[i] = static_cast<int16_t>(noise() % 4001) - 2000;
      }
    }
    const double got = BurstAfter(x, 16 * 50, 16 * 150) / 16.0;
    EXPECT_NEAR(got, c.expected_ms, 1.01)
        << c.closure_ms << " ms of " << (c.voiced ? "voiced" : "silent") << " closure";
  }
}

TEST(VoiceBuilderTest, AlignsTheMarksOfAPhoneAtItsJoins) {
  // Two diphones a-a of the same periodic sound; in the second every mark sits 7 samples late.
  // After alignment the marks at its ends match the first one's.
  synth::DiphoneVoice voice;
  voice.phones = {"_", "a"};
  for (double offset : {0.0, 7.0}) {
    synth::Diphone d;
    d.first = d.second = 1;
    for (int n = 0; n < 1600; ++n) {
      d.samples.push_back(static_cast<int16_t>(5000 * std::cos(2 * M_PI * n / 80) +
                                               2000 * std::cos(4 * M_PI * n / 80 + 1)));
    }
    d.begin = 400, d.boundary = 800, d.end = 1200;
    for (double m = 80 + offset; m < 1560; m += 80) d.marks.push_back({m, true});
    voice.diphones.push_back(d);
  }
  AlignMarksAtJoins(voice);
  const auto& ref = voice.diphones[0].marks;
  const auto& moved = voice.diphones[1].marks;
  ASSERT_EQ(ref.size(), moved.size());
  for (std::size_t i = 0; i < ref.size(); ++i) {
    const double apart = std::fmod(moved[i].position - ref[i].position + 800, 80);  // by periods
    EXPECT_LT(std::min(apart, 80 - apart), 0.5) << "mark " << i << " at " << moved[i].position;
  }
}

// The voice holds every pair, so it says whatever the diphone list (that of br4) allows.
TEST(VoiceBuilderTest, BuiltVoiceHoldsEveryPairWithTwoHalvesAndEveryListedOne) {
  const std::string dir = std::string(CADENCIO_DATA_ROOT) + "/sivratts/";
  std::optional<synth::DiphoneVoice> voice = synth::LoadVoiceFile(dir + "br4.cdv");
  ASSERT_TRUE(voice);
  EXPECT_EQ(voice->phones, DiphonePhoneSet());
  const std::size_t n = voice->phones.size();
  EXPECT_EQ(voice->diphones.size(), n * n);
  std::set<std::string> listed;
  std::ifstream list(dir + "portug.dfn");
  for (std::string line; std::getline(list, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != ';') listed.insert(line);
  }
  EXPECT_GT(listed.size(), n * n / 2);
  for (const synth::Diphone& d : voice->diphones) {
    const std::string name = voice->phones[d.first] + "-" + voice->phones[d.second];
    listed.erase(name);
    EXPECT_LT(d.begin, d.boundary) << name;
    EXPECT_LT(d.boundary, d.end) << name;
    EXPECT_FALSE(d.marks.empty()) << name;
  }
  EXPECT_TRUE(listed.empty()) << *listed.begin() << " is listed but not in the voice";
}

// Mean square of the first difference in the 4 ms around `at`: the level of what is heard there.
double EdgeLevel(const synth::Diphone& d, std::size_t at) {
  double sum = 0;
  const std::size_t from = std::max<std::size_t>(at, 33) - 32;
  const std::size_t to = std::min(d.samples.size(), at + 32);
  for (std::size_t i = from; i < to; ++i) {
    const double step = double(d.samples[i]) - d.samples[i - 1];
    sum += step * step;
  }
  return std::sqrt(sum / static_cast<double>(to - from)) + 1;
}

TEST(VoiceBuilderTest, StopsAreJoinedInsideTheirClosure) {
  // After a vowel, the half of a stop that ends one diphone and the half that begins the next
  // meet in the closure, at one level: a cut after the burst would start the noise of the
  // release there, without its burst.
  const std::string path = std::string(CADENCIO_DATA_ROOT) + "/sivratts/br4.cdv";
  std::optional<synth::DiphoneVoice> voice = synth::LoadVoiceFile(path);
  ASSERT_TRUE(voice);
  const auto& phones = voice->phones;
  for (const char* stop : {"b", "d", "g", "p", "t", "k"}) {
    const int s = voice->PhoneIndex(stop);
    for (int x = 0; x < static_cast<int>(phones.size()); ++x) {
      if (!IsVowelPhone(phones[x])) continue;
      const synth::Diphone* before = voice->Find(x, s);
      for (int y = 0; y < static_cast<int>(phones.size()); ++y) {
        const synth::Diphone* after = voice->Find(s, y);
        ASSERT_TRUE(before && after);
        const double end = EdgeLevel(*before, before->end);
        const double begin = EdgeLevel(*after, after->begin);
        if (std::max(end, begin) < 300) continue;  // a quiet closure on both sides
        EXPECT_LT(std::abs(20 * std::log10(begin / end)), 10)
            << phones[x] << "-" << stop << " then " << stop << "-" << phones[y];
      }
    }
  }
}

}  // namespace
}  // namespace cadencio::voicegen
