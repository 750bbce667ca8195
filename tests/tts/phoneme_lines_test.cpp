// MBROLA lines from phoneme lists: durations with stress and long-word shortening, the three
// pitch points of a word, the factors, pauses, and the fillers for missing diphones.
#include "tts/phoneme_lines.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tts/diphone_list.hpp"
#include "tts/prosody.hpp"

namespace cadencio::tts {
namespace {

using Lines = std::vector<std::string>;

ProsodyTables SmallTables(bool with_levels = true) {
  ProsodyTables t;
  t.durations = {{"k", 80}, {"a", 100}, {"z", 90}, {"t", 60}, {"s", 100}, {"x", 75}, {"__", 120}};
  if (with_levels) t.pitch_levels = {0, 10, 20, 30, 40, 100, 60, 70, 80, 90};
  return t;
}

DiphoneList AllPairs(const Lines& phones) {
  std::string text;
  for (const std::string& a : phones) {
    for (const std::string& b : phones) text += a + "-" + b + "\n";
  }
  DiphoneList list;
  list.Parse(text);
  return list;
}

const Lines kPhones = {"_", "k", "a", "z", "t", "s", "x", "y", "r2"};

Lines Build(const Lines& phonemes, double pitch = 1.0, double duration = 1.0,
            const ProsodyTables& tables = SmallTables()) {
  const DiphoneList diphones = AllPairs(kPhones);
  PhonemeLineBuilder builder(tables, diphones);
  return builder.BuildPhonemeLines(phonemes, pitch, duration);
}

TEST(PhonemeLines, WorkedExampleCasa) {
  EXPECT_EQ(Build({";555|casa", "k", ">a", "z", "a", ""}),
            (Lines{";casa", "k 80 50 230", "a 145 80 230", "z 130", "a 145 50 230", ""}));
}

// Words longer than 8 letters are quicker up to their stressed vowel: 90 % from 9 letters,
// 80 % from 13; the stressed phoneme and the ones after it are not shortened.
TEST(PhonemeLines, LongWordsShortenedBeforeTheStress) {
  struct Case {
    std::string token;
    std::string first;
  };
  const Case cases[] = {{"abcdefgh", "t 60"},
                        {"abcdefghi", "t 54"},
                        {"abcdefghijkl", "t 54"},
                        {"abcdefghijklm", "t 48"}};
  for (const Case& c : cases) {
    const Lines out = Build({";555|" + c.token, "t", ">a", "t", ""});
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[1], c.first + " 50 230") << c.token;
    EXPECT_EQ(out[2], "a 145 80 230") << c.token;
    EXPECT_EQ(out[3], "t 87 50 230") << c.token;
  }
}

TEST(PhonemeLines, LengtheningEndsAtTheSecondaryMarkAndAtTheWordEnd) {
  EXPECT_EQ(Build({";555|casa", "k", ">a", "\xA8z", "a", "", ";555|ta", "t", "a", ""}),
            (Lines{";casa", "k 80 50 230", "a 145 80 230", "z 90", "a 100 50 230", "", ";ta",
                   "t 60 50 230", "a 100", ""}));
  // A stress mark followed by the byte 168 keeps the lengthening. A stressed vowel that ends
  // its word takes the code's second level early and its third at its end.
  EXPECT_EQ(Build({";395|ta", "t",
                   ">\xA8"
                   "a",
                   ""})[2],
            "a 145 30 207 90 230");
}

TEST(PhonemeLines, FactorsDropFractions) {
  EXPECT_EQ(Build({";555|x", "x", ""}, 1.0, 0.5)[1], "x 37 50 230");
  EXPECT_EQ(Build({";555|x", "x", ""}, 2.0, 1.0)[1], "x 75 50 460");
  // The code's levels, through the level table: 3 -> 30 % of 230.
  EXPECT_EQ(Build({";398|casa", "k", ">a", "z", "a", ""}),
            (Lines{";casa", "k 80 50 69", "a 145 80 207", "z 130", "a 145 50 184", ""}));
  // Without TABHERTZ, or at a level of 0 %, or with a code that is no digit, no point.
  EXPECT_EQ(Build({";555|ka", "k", ">a", ""}, 1.0, 1.0, SmallTables(false)),
            (Lines{";ka", "k 80", "a 145", ""}));
  EXPECT_EQ(Build({";0?5|ka", "k", ">a", "z", ""}),
            (Lines{";ka", "k 80", "a 145", "z 130 50 230", ""}));
}

TEST(PhonemeLines, PausesAndPhraseMarks) {
  EXPECT_EQ(
      Build({";555|", "__", "", ";555|ta", "t", "a", "", ";555|.", "_.", ";555|", "__", "", "__"}),
      (Lines{";", "_ 120 50 230", "", ";ta", "t 60 50 230", "a 100", "", ";.", "_ 100 50 230", ";",
             "_ 120 50 230", "", "_ 120"}));
  // A pause line with its own duration, and a bare pause of 100 ms.
  EXPECT_EQ(Build({"_ 80", "_"}), (Lines{"_ 80 50 230", "_ 100"}));
}

TEST(PhonemeLines, FillersForMissingDiphones) {
  const ProsodyTables tables = SmallTables(false);
  struct Case {
    std::string diphones;
    Lines out;
  };
  const Case cases[] = {
      {"_-s\ns-k\nk-a\n", {";", "s 100", "k 80", "a 100", ""}},
      {"_-s\ns-y\nk-a\n", {";", "s 100", "y 50", "k 80", "a 100", ""}},
      {"_-s\nk-a\n", {";", "s 100", "_ 50", "k 80", "a 100", ""}},
      {"_-S\nS-K\nK-A\n", {";", "s 100", "k 80", "a 100", ""}},  // case is not regarded
  };
  for (const Case& c : cases) {
    DiphoneList diphones;
    diphones.Parse(c.diphones);
    PhonemeLineBuilder builder(tables, diphones);
    EXPECT_EQ(builder.BuildPhonemeLines({";555|", "s", "k", "a", ""}, 1.0, 1.0), c.out)
        << c.diphones;
  }
  // After a final r2 the voice pauses when it can end r2, even if it has r2-y.
  DiphoneList diphones;
  diphones.Parse("_-r2\nr2-_\nr2-y\nk-a\n");
  PhonemeLineBuilder builder(tables, diphones);
  EXPECT_EQ(builder.BuildPhonemeLines({";555|", "r2", "k", "a", ""}, 1.0, 1.0),
            (Lines{";", "r2 100", "_ 50", "k 80", "a 100", ""}));
}

// The phoneme of the last line carries over to the next utterance, whose previous phoneme
// starts as a pause: a voice without "_-_" gets a filler before the second utterance.
TEST(PhonemeLines, LastPhonemeCarriesOver) {
  const ProsodyTables tables = SmallTables(false);
  DiphoneList diphones;
  diphones.Parse("_-t\nt-a\na-_\n");
  PhonemeLineBuilder builder(tables, diphones);
  const Lines utterance = {";555|ta", "t", "a", "", "__"};
  EXPECT_EQ(builder.BuildPhonemeLines(utterance, 1.0, 1.0),
            (Lines{";ta", "t 60", "a 100", "", "_ 120"}));
  EXPECT_EQ(builder.BuildPhonemeLines(utterance, 1.0, 1.0),
            (Lines{"_ 50", ";ta", "t 60", "a 100", "", "_ 120"}));
}

TEST(DiphoneListFile, NamesSeparatorsAndComments) {
  DiphoneList list;
  list.Parse("; comment\n! also\n* too\n\n  a-b  \nr2 _\tignored\nlh--ee 123\nZ-a\n-x\n");
  EXPECT_EQ(list.Names(), (Lines{"-x", "a-b", "lh-ee", "r2-_", "Z-a"}));
  EXPECT_TRUE(list.Has("A", "B"));
  EXPECT_TRUE(list.Has("z", "A"));
  EXPECT_TRUE(list.Has("r2", "_"));
  EXPECT_FALSE(list.Has("a", "z"));
  EXPECT_FALSE(list.Load("/nonexistent/portug.dfn"));
  EXPECT_TRUE(list.Names().empty());
  // The shipped list is br4's: no glide after a nasal vowel but the ones of -ão, -ãe and -õe.
  ASSERT_TRUE(list.Load(CADENCIO_SOURCE_DIR "/data/sivratts/portug.dfn"));
  EXPECT_TRUE(list.Has("_", "_"));
  EXPECT_TRUE(list.Has("nh", "@"));
  EXPECT_TRUE(list.Has("@", "w"));
  EXPECT_TRUE(list.Has("on", "y"));
  EXPECT_FALSE(list.Has("an", "w"));
  EXPECT_FALSE(list.Has("en", "y"));
}

}  // namespace
}  // namespace cadencio::tts
