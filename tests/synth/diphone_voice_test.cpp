// The voice file: what is written is read back, and a broken or inconsistent file is refused.
#include "synth/diphone_voice.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "support/test_voice.hpp"

namespace cadencio::synth {
namespace {

TEST(DiphoneVoiceTest, ReadsBackWhatWasWritten) {
  const DiphoneVoice voice = testing::MakeTestVoice();
  DiphoneVoice with_fraction = voice;
  with_fraction.diphones[0].marks[1].position += 0.25;  // marks keep 1/64 sample
  std::optional<DiphoneVoice> back = ParseVoice(SerializeVoice(with_fraction));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->phones, voice.phones);
  EXPECT_DOUBLE_EQ(back->natural_pitch, 200);
  ASSERT_EQ(back->diphones.size(), voice.diphones.size());
  for (std::size_t i = 0; i < voice.diphones.size(); ++i) {
    const Diphone& a = with_fraction.diphones[i];
    const Diphone& b = back->diphones[i];
    EXPECT_EQ(a.samples, b.samples) << "diphone " << i;
    EXPECT_EQ(std::tie(a.first, a.second, a.begin, a.boundary, a.end),
              std::tie(b.first, b.second, b.begin, b.boundary, b.end));
    ASSERT_EQ(a.marks.size(), b.marks.size());
    for (std::size_t k = 0; k < a.marks.size(); ++k) {
      EXPECT_DOUBLE_EQ(a.marks[k].position, b.marks[k].position);
      EXPECT_EQ(a.marks[k].voiced, b.marks[k].voiced);
    }
  }
  // The lookup table: s-s was left out.
  const int s = back->PhoneIndex("s");
  EXPECT_EQ(back->Find(s, s), nullptr);
  ASSERT_NE(back->Find(back->PhoneIndex("a"), s), nullptr);
  EXPECT_EQ(back->Find(back->PhoneIndex("a"), s)->second, s);
  EXPECT_EQ(back->Find(-1, s), nullptr);
  EXPECT_EQ(back->PhoneIndex("q"), -1);
}

TEST(DiphoneVoiceTest, RefusesEveryTruncatedFile) {
  const std::vector<uint8_t> image = SerializeVoice(testing::MakeTestVoice());
  for (std::size_t size = 0; size < image.size(); size += size < 256 ? 1 : 509) {
    std::vector<uint8_t> part(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_FALSE(ParseVoice(part)) << "cut to " << size << " bytes";
  }
  std::vector<uint8_t> longer = image;
  longer.push_back(0);
  EXPECT_FALSE(ParseVoice(longer)) << "a byte after the end";
}

TEST(DiphoneVoiceTest, RefusesInconsistentFiles) {
  struct Case {
    const char* what;
    std::function<void(DiphoneVoice&)> spoil;
  };
  const Case cases[] = {
      {"boundary after end",
       [](DiphoneVoice& v) { v.diphones[3].boundary = v.diphones[3].end + 1; }},
      {"begin after boundary",
       [](DiphoneVoice& v) { v.diphones[3].begin = v.diphones[3].boundary + 1; }},
      {"end past the samples",
       [](DiphoneVoice& v) {
         v.diphones[3].end = static_cast<uint32_t>(v.diphones[3].samples.size() + 1);
       }},
      {"mark past the samples",
       [](DiphoneVoice& v) {
         v.diphones[2].marks.back().position = double(v.diphones[2].samples.size());
       }},
      {"marks out of order",
       [](DiphoneVoice& v) { std::swap(v.diphones[2].marks[0], v.diphones[2].marks[1]); }},
      {"phone index out of range", [](DiphoneVoice& v) { v.diphones[1].second = 4; }},
      {"empty phone name", [](DiphoneVoice& v) { v.phones[2].clear(); }},
      {"phone name too long", [](DiphoneVoice& v) { v.phones[2] = "abcdefghi"; }},
      {"no phones", [](DiphoneVoice& v) { v.phones.clear(), v.diphones.clear(); }},
  };
  for (const Case& c : cases) {
    DiphoneVoice voice = testing::MakeTestVoice();
    c.spoil(voice);
    EXPECT_FALSE(ParseVoice(SerializeVoice(voice))) << c.what;
  }
  std::vector<uint8_t> image = SerializeVoice(testing::MakeTestVoice());
  image[0] = 'X';
  EXPECT_FALSE(ParseVoice(image)) << "wrong magic";
  image = SerializeVoice(testing::MakeTestVoice());
  image[8] = 2;
  EXPECT_FALSE(ParseVoice(image)) << "unknown version";
  EXPECT_FALSE(LoadVoiceFile("/nonexistent/voice.cdv"));
}

}  // namespace
}  // namespace cadencio::synth
