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

// A name the program stores comes back as the same song, a '#' at its start included, and so
// does one whose Windows-1252 bytes look like UTF-8; hand-written comments stay comments,
// indented or a song put out of use.
TEST(SetList, StoredNamesComeBackAndCommentsStayComments) {
  SetList list = SetList::Parse("# comment\r\n  # indented\r\n#Old|100|4\r\nA|60|4\r\n");
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Skipped(), 0);
  const std::vector<std::string> names = {"#1 Abertura", "#", "## dois", "# bar", "\xC3\xA9tude"};
  for (const std::string& name : names) {
    Song song;
    song.name = name == "# bar" ? "#|bar" : name;
    ASSERT_TRUE(list.Add(song)) << name;
  }
  const SetList again = SetList::Parse(list.Text());
  ASSERT_EQ(again.Count(), 1 + static_cast<int>(names.size()));
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(again.At(1 + i).name, names[i]);
  EXPECT_EQ(again.Text(), list.Text());
}

// A list an editor saved as UTF-8, with or without a byte order mark, is read as UTF-8 and
// written back so, byte for byte: a name with a character Windows-1252 lacks shows '?' and
// keeps its line as it was, and a song added is written in UTF-8.
TEST(SetList, Utf8FileIsReadAndWrittenBackInUtf8) {
  const std::string body =
      "# cadencio: nome|bpm|compasso|acentos|notas por tempo\r\n"
      "Can\xC3\xA7\xC3\xA3o|90|3|422|1\r\n"
      "Ol\xC3\xA1 \xE2\x99\xAB|100|4\n"  // U+266B, a note
      "linha ruim \xC3\xA9\r\n";
  for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
    testing::ScratchDir dir;
    const std::string path = dir.path() + "/REPERTORIO.TXT";
    testing::WriteBytes(path, mark + body);
    LoadedSetList loaded = LoadSetList(path);
    ASSERT_EQ(loaded.list.Count(), 2);
    EXPECT_EQ(loaded.list.At(0).name, "Can\xE7\xE3o");
    EXPECT_EQ(loaded.list.At(1).name, "Ol\xE1 ?");
    EXPECT_EQ(loaded.list.NamesWithLostCharacters(), 1);
    EXPECT_EQ(loaded.list.Skipped(), 1);
    Song song;
    song.name = "A\xE7\xE3o";
    ASSERT_TRUE(loaded.list.Add(song));
    ASSERT_TRUE(SaveSetList(path, loaded));
    EXPECT_EQ(testing::ReadBytes(path), mark + body + "A\xC3\xA7\xC3\xA3o|60|4|4222|1\r\n");
  }
  SetList plain = SetList::Parse("Can\xE7\xE3o|90|3|422|1\r\n");
  ASSERT_TRUE(plain.Add(Song{"A\xE7\xE3o"}));
  EXPECT_TRUE(plain.Text().ends_with("o|90|3|422|1\r\nA\xE7\xE3o|60|4|4222|1\r\n"));
}

// The file never grows past its limit, and what it holds beyond the limits is counted.
TEST(SetList, LimitsAreKeptAndWhatIsNotReadIsCounted) {
  std::string songs;
  for (int i = 0; i < kMaxSongs + 2; ++i) songs += std::to_string(i) + "|60|4\r\n";
  SetList full = SetList::Parse(songs + "bad\r\n");
  EXPECT_EQ(full.Count(), kMaxSongs);
  EXPECT_EQ(full.BeyondLimit(), 2);
  EXPECT_EQ(full.Skipped(), 1);
  EXPECT_FALSE(full.Add(Song{"X"}));

  const std::string head =
      "# cadencio: nome|bpm|compasso|acentos|notas por tempo\r\nA|60|4|4222|1\r\n#";
  SetList at_limit = SetList::Parse(head + std::string(kMaxSetListFileBytes - head.size(), 'x'));
  EXPECT_FALSE(at_limit.Add(Song{"B"}));
  EXPECT_EQ(at_limit.Text().size(), kMaxSetListFileBytes);
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

  // The line the limit cuts is not read: its first part, "Cut|120|4", would pass for a song.
  const std::string padding = "Big|60|4\r\n#" + std::string(kMaxSetListFileBytes - 22, 'x');
  const std::string huge = padding + "\r\nCut|120|4|4222|1\r\n";
  testing::WriteBytes(path, huge);
  LoadedSetList big = LoadSetList(path);
  EXPECT_TRUE(big.cut);
  EXPECT_EQ(big.list.Count(), 1);
  EXPECT_FALSE(SaveSetList(path, big));
  EXPECT_EQ(testing::ReadBytes(path), huge);
}

}  // namespace
}  // namespace cadencio::app

namespace cadencio::app {
namespace {

// The second layer and the feel ride in named fields after the fifth: a line with them reads
// and writes back as it was, a line without them keeps its five fields, and a named field that
// is unknown or out of range leaves the line unread (kept as it stands).
TEST(SetList, TheLayerAndTheFeelGoInNamedFieldsAndComeBack) {
  struct Case {
    std::string line;
    bool song;
    int layer_notes, swing;
    bool shuffle;
  };
  const Case cases[] = {
      {"Plain|120|4|4222|1", true, 0, 0, false},
      {"Tres contra dois|90|2|42|2|polirritmo=3|swing=67", true, 3, 2, false},
      {"Blues|80|4|4222|3|shuffle", true, 0, 0, true},
      {"Everything|140|4|4222|2|polirritmo=7|swing=58|shuffle", true, 7, 1, true},
      {"Dotted|100|3|422|2|swing=75", true, 0, 3, false},
      {"Ten notes|100|4|4222|1|polirritmo=10", false, 0, 0, false},
      {"Swing 60|100|4|4222|2|swing=60", false, 0, 0, false},
      {"Unknown|100|4|4222|2|tempo=3", false, 0, 0, false},
      {"Too many|100|4|4222|2|shuffle|shuffle|shuffle|shuffle", false, 0, 0, false},
  };
  for (const Case& c : cases) {
    const SetList list = SetList::Parse(c.line + "\r\n");
    ASSERT_EQ(list.Count(), c.song ? 1 : 0) << c.line;
    const std::string written = list.Text();
    EXPECT_EQ(written.substr(written.find("\r\n") + 2), c.line + "\r\n") << c.line;
    if (!c.song) continue;
    EXPECT_EQ(list.At(0).layer_notes, c.layer_notes) << c.line;
    EXPECT_EQ(list.At(0).swing, c.swing) << c.line;
    EXPECT_EQ(list.At(0).shuffle, c.shuffle) << c.line;
    // A song added from what was read is written the same way.
    SetList added;
    ASSERT_TRUE(added.Add(list.At(0)));
    const std::string again = added.Text();
    EXPECT_EQ(again.substr(again.find("\r\n") + 2), c.line + "\r\n") << c.line;
  }
}

}  // namespace
}  // namespace cadencio::app
