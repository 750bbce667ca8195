// The accent patterns with their groupings, and the set list with its file.
#include "app/set_list.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scratch_dir.hpp"

namespace cadencio::app {
namespace {

TEST(AccentPattern, GroupingsAccentAndCountTheirGroups) {
  struct Case {
    std::vector<int> groups;
    const char* pattern;
    std::vector<int> counts;
  };
  const Case cases[] = {
      {{2, 2, 3}, "4232322", {1, 2, 1, 2, 1, 2, 3}},
      {{3, 2, 2}, "4223232", {1, 2, 3, 1, 2, 1, 2}},
      {{3, 3, 2}, "42232232", {1, 2, 3, 1, 2, 3, 1, 2}},
      {{2, 3}, "42322", {1, 2, 1, 2, 3}},
      {{3, 3, 3}, "422322322", {1, 2, 3, 1, 2, 3, 1, 2, 3}},
      {{3, 3}, "422322", {1, 2, 3, 1, 2, 3}},
      {{2, 2, 2}, "423232", {1, 2, 1, 2, 1, 2}},
      {{4, 3}, "4222322", {1, 2, 3, 4, 1, 2, 3}},
      {{3, 4}, "4223222", {1, 2, 3, 1, 2, 3, 4}},
      {{4, 4}, "42223222", {1, 2, 3, 4, 1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    const AccentPattern pattern = GroupedPattern(c.groups);
    EXPECT_EQ(PatternText(pattern), c.pattern);
    for (int beat = 1; beat <= pattern.beats; ++beat) {
      EXPECT_EQ(GroupCount(pattern, beat), c.counts[beat - 1]) << c.pattern << " beat " << beat;
    }
    const auto listed = GroupingsOf(pattern.beats);
    EXPECT_NE(std::find(listed.begin(), listed.end(), c.groups), listed.end()) << c.pattern;
    EXPECT_EQ(GroupingOf(pattern), c.groups) << c.pattern << ": the grouping told back";
  }
  EXPECT_TRUE(GroupingsOf(4).empty());
  EXPECT_FALSE(GroupingOf(DefaultPattern(7))) << "the plain measure is no grouping";
}

TEST(AccentPattern, StoredFormIsOneDigitOfZeroToFourPerBeat) {
  const struct {
    const char* text;
    int beats;
    bool valid;
  } cases[] = {{"4210", 4, true}, {"42", 4, false}, {"4225", 4, false},       {"42a2", 4, false},
               {"", 1, false},    {"4", 1, true},   {"4222222222", 10, false}};
  for (const auto& c : cases) {
    const auto pattern = ParsePattern(c.text, c.beats);
    ASSERT_EQ(pattern.has_value(), c.valid) << c.text;
    if (pattern) {
      EXPECT_EQ(PatternText(*pattern), c.text);
    }
  }
}

// Each line of a hand-edited file and whether it is a song.
TEST(SetList, ValidLinesAreSongsAndTheOthersAreKeptAsTheyStand) {
  const std::string long_name(kMaxSongNameBytes + 1, 'a');
  const std::string text =
      "# my list\r\n"
      "Garota de Ipanema|130|4|4222|2\r\n"
      "No tempo|  |4\r\n"
      "Fast|900|4\r\n" +
      long_name + "|120|4\r\n" +
      "Odd|100|7|4232322|1\n"
      "Bad pattern|100|7|42\n"
      "Five notes|100|4||5\n"
      "\x01\x02\xff\x7f|x|y\r"
      "Plain|90|3|422|1";
  const SetList list = SetList::Parse(text);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Skipped(), 6);
  EXPECT_EQ(list.At(0).name, "Garota de Ipanema");
  EXPECT_EQ(list.At(0).notes_per_beat, 2);
  EXPECT_EQ(PatternText(list.At(1).accents), "4232322");
  EXPECT_EQ(list.At(2).bpm, 90);
  EXPECT_EQ(PatternText(list.At(2).accents), "422");
  // Written again, every byte that was read is still there, in order (the songs were written in
  // full); only a header is added.
  const std::string written = SetList::Parse(text).Text();
  EXPECT_EQ(written.substr(written.find("# my list")), text);
}

TEST(SetList, AddRemoveAndMoveKeepTheOtherLinesInPlace) {
  SetList list = SetList::Parse("A|60|4\r\nbroken\r\nB|70|3\r\n");
  Song song;
  song.name = "C|with\tbar  ";
  song.bpm = 80;
  ASSERT_TRUE(list.Add(song));
  EXPECT_EQ(list.At(2).name, "C with bar");
  EXPECT_TRUE(list.Move(2, -1));
  EXPECT_FALSE(list.Move(0, -1));
  EXPECT_FALSE(list.Move(2, +1));
  list.Remove(0);
  EXPECT_EQ(SetList::Parse(list.Text()).Text(), list.Text());
  EXPECT_EQ(list.Text(), std::string("# cadencio: nome|bpm|compasso|acentos|notas por tempo\r\n") +
                             "broken\r\nC with bar|80|4|4222|1\r\nB|70|3|422|1\r\n");
}

TEST(SetList, FileIsWrittenBesideTheSettingsAndATooLargeOneIsNeverReplaced) {
  testing::ScratchDir dir;
  const std::string path = SetListPath(dir.path() + "/AUDIRA.INI");
  EXPECT_EQ(path, dir.path() + "/REPERTORIO.TXT");
  LoadedSetList loaded = LoadSetList(path);
  EXPECT_EQ(loaded.list.Count(), 0);
  Song song;
  song.name = "Um";
  loaded.list.Add(song);
  ASSERT_TRUE(SaveSetList(path, loaded));
  EXPECT_EQ(LoadSetList(path).list.At(0).name, "Um");

  const std::string huge = "Big|60|4\r\n" + std::string(kMaxSetListFileBytes, '#');
  testing::WriteBytes(path, huge);
  LoadedSetList big = LoadSetList(path);
  EXPECT_EQ(big.list.Count(), 1);
  EXPECT_FALSE(SaveSetList(path, big));
  EXPECT_EQ(testing::ReadBytes(path), huge);
}

}  // namespace
}  // namespace cadencio::app
