// Song maps: their lines in the set list's file, and the frames their sections and cues play on.
#include "app/song_map.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/map_rules.hpp"
#include "app/set_list.hpp"

namespace cadencio::app {
namespace {

TEST(SongMap, LinesReadAsTheirSectionsOrNot) {
  struct Case {
    const char* line;
    const char* read;  // the section's line as written back; "" for none, "loop" for the mark
  };
  const Case cases[] = {
      {"> Intro 4", "> Intro 4"},
      {"  >Refr\xE3o   8 a 140", "> Refr\xE3o 8 a 140"},
      {"> Ponte 4 em 7 (2+2+3)", "> Ponte 4 em 7 (2+2+3)"},
      {"> Ponte 4 EM 5 (42010)", "> Ponte 4 em 5 (42010)"},
      {"> Verso 2 16 por 3 a 90", "> Verso 2 16 a 90 por 3"},
      {"> 2 8", "> 2 8"},
      {"> Repetir", "loop"},
      {"> Final", ""},               // no measures
      {"> Final 0", ""},             // none to play
      {"> Final 1000", ""},          // past the limit
      {"> Solo 4 a 501", ""},        // tempo out of range
      {"> Solo 4 em 10", ""},        // measure out of range
      {"> Solo 4 em 3 (4222)", ""},  // accents of another measure
      {"> Solo 4 (2+2+3+3)", ""},    // a grouping past nine beats
      {"> Solo 4 a", ""},            // a change without its value
      {"> Solo 4 a 90 a 100", ""},   // a change given twice
      {"> A|B 4", ""},               // a name that cannot be stored
      {">", ""},
  };
  for (const Case& c : cases) {
    const MapLine read = ParseMapLine(c.line);
    const std::string got = read.loop ? "loop" : read.section ? SectionLine(*read.section) : "";
    EXPECT_EQ(got, c.read) << c.line;
  }
}

// What a section keeps of the one before it: the tempo, measure, accents and notes per beat,
// except the accents of a measure that changed.
TEST(SongMap, SectionsKeepWhatTheyDoNotChange) {
  SetList list = SetList::Parse(
      "S|100|4|4232|2\r\n> A 1\r\n> B 1 a 140\r\n> C 1 em 7 (2+2+3)\r\n> D 1 por 1\r\n"
      "> E 1 em 3\r\n");
  const Song& song = list.At(0);
  const auto played =
      PlayedSections(song.map, song.bpm, song.beats_per_measure, song.accents, song.notes_per_beat);
  const std::vector<std::string> expected = {"A 100 4 4232 2", "B 140 4 4232 2",
                                             "C 140 7 4232322 2", "D 140 7 4232322 1",
                                             "E 140 3 422 1"};
  ASSERT_EQ(played.size(), expected.size());
  for (std::size_t i = 0; i < played.size(); ++i) {
    const PlayedSection& s = played[i];
    EXPECT_EQ(s.name + " " + std::to_string(s.bpm) + " " + std::to_string(s.beats) + " " +
                  PatternText(s.accents) + " " + std::to_string(s.notes_per_beat),
              expected[i]);
  }
}

// A file with maps: read and written unchanged byte for byte, its plain songs as they were;
// a changed map written in its own form, the lines it could not read kept after it; a song
// moved with its map.
TEST(SongMap, TheFileKeepsEveryLineAndEverySong) {
  const std::string file =
      "# cadencio: nome|bpm|compasso|acentos|notas por tempo\r\n"
      "Plain|120|4|4222|1\r\n"
      "Mapped|90|4|4222|1\r\n"
      ">   Intro 4\n"
      "> Refr\xC3\xA3o 8 a 140\r\n"
      "> nonsense here\r\n"
      "> repetir\r\n"
      "# a comment\r\n"
      "Last|60|3|422|1\r\n"
      "> Fim 2";
  SetList list = SetList::Parse(file);
  EXPECT_EQ(list.Text(), file);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Skipped(), 1);
  EXPECT_TRUE(list.At(0).map.Empty());
  EXPECT_EQ(list.At(1).map.sections.size(), 2u);
  EXPECT_EQ(list.At(1).map.sections[1].name, "Refr\xE3o");
  EXPECT_TRUE(list.At(1).map.loop);

  SongMap map = list.At(1).map;
  map.sections.erase(map.sections.begin());
  map.loop = false;
  ASSERT_TRUE(list.SetMap(1, map));
  ASSERT_TRUE(list.Move(1, -1));
  EXPECT_EQ(list.Text(),
            "# cadencio: nome|bpm|compasso|acentos|notas por tempo\r\n"
            "Mapped|90|4|4222|1\r\n"
            "> Refr\xC3\xA3o 8 a 140\r\n"
            "> nonsense here\r\n"
            "Plain|120|4|4222|1\r\n"
            "# a comment\r\n"
            "Last|60|3|422|1\r\n"
            "> Fim 2");
  const SetList again = SetList::Parse(list.Text());
  EXPECT_EQ(again.At(0).map, map);
  EXPECT_EQ(again.At(2).map.sections.size(), 1u);
}

// A song with named fields and a map: read and written back as it was, both read; a changed
// map keeps the named fields, and the song added elsewhere writes both.
TEST(SongMap, NamedFieldsAndAMapComeBackTogether) {
  const std::string song = "Tres|90|2|42|2|polirritmo=3|swing=67|shuffle\r\n";
  const std::string file = "# cadencio: nome|bpm|compasso|acentos|notas por tempo\r\n" + song +
                           "> A 2\r\n> B 4 a 120\r\n";
  SetList list = SetList::Parse(file);
  EXPECT_EQ(list.Text(), file);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.At(0).layer_notes, 3);
  EXPECT_TRUE(list.At(0).shuffle);
  ASSERT_EQ(list.At(0).map.sections.size(), 2u);

  SongMap map = list.At(0).map;
  map.loop = true;
  ASSERT_TRUE(list.SetMap(0, map));
  EXPECT_EQ(list.Text(), file + "> repetir\r\n");
  SetList added;
  ASSERT_TRUE(added.Add(list.At(0)));
  const std::string written = added.Text();
  EXPECT_EQ(written.substr(written.find("\r\n") + 2),
            song + "> A 2\r\n> B 4 a 120\r\n> repetir\r\n");
}

// A reader that knows no maps (each line a song or kept as it is) finds every plain song of a
// file with maps, and the map lines are no song to it.
TEST(SongMap, MapLinesAreNoSongToAReaderWithoutMaps) {
  for (const char* line : {"> Intro 4", "> Refr\xE3o 8 a 140", "> Ponte 4 em 7 (2+2+3)",
                           "> repetir", "> A 1 a 1 em 1 (4) por 4"}) {
    SetList alone = SetList::Parse(line);
    EXPECT_EQ(alone.Count(), 0) << line;
    EXPECT_EQ(alone.Skipped(), 1) << line;
  }
}

// A cue of `frames` frames.
audio::Sound CueOf(const std::string& name, int64_t frames) {
  audio::Sound sound;
  sound.name = name;
  sound.samples.assign(static_cast<std::size_t>(2 * frames), 0.1f);
  return sound;
}

// The frames of a map's downbeats and cues as the beat pattern walks them, and the cue chosen:
// the whole one when it ends kCueGapMs before the downbeat within the measure before it, the
// name when only that fits (within the whole section before it), none when nothing fits.
TEST(SongMap, SectionsAndCuesFallOnTheirFrames) {
  struct Case {
    const char* why;
    const char* map;                   // the song line and its sections
    std::vector<int64_t> whole, name;  // each section's cue lengths
    std::vector<std::string> events;   // "frame section" downbeats, "frame cue" cues
  };
  // At 48000 Hz: 60 BPM is 48000 frames a beat, 120 is 24000, 480 is 6000; the gap is 4800.
  const Case cases[] = {
      {"the whole cue within the last measure",
       "S|120|2\r\n> A 2\r\n> B 1 a 60\r\n",
       {0, 10000},
       {0, 5000},
       {"0 A", "81200 whole B", "96000 B", "end 192000"}},
      {"the name when the whole cue does not fit the last measure",
       "S|480|2\r\n> A 4\r\n> B 1 em 3\r\n",
       {0, 20000},
       {0, 5000},
       {"0 A", "38200 name B", "48000 B", "end 66000"}},
      {"the name over more than a measure, never covering the downbeat",
       "S|480|1\r\n> A 4\r\n> B 1\r\n",
       {0, 20000},
       {0, 15000},
       {"0 A", "4200 name B", "24000 B", "end 30000"}},
      {"none when even the name does not fit the section before",
       "S|480|1\r\n> A 1\r\n> B 1\r\n",
       {0, 20000},
       {0, 15000},
       {"0 A", "6000 B", "end 12000"}},
      {"a loop: the first section's cue before it comes again",
       "S|120|1\r\n> A 1\r\n> B 1\r\n> repetir\r\n",
       {1000, 1000},
       {1000, 1000},
       {"0 A", "18200 whole B", "24000 B", "42200 whole A", "48000 A", "66200 whole B", "72000 B"}},
  };
  for (const Case& c : cases) {
    const SetList list = SetList::Parse(c.map);
    const Song& song = list.At(0);
    const auto played = PlayedSections(song.map, song.bpm, song.beats_per_measure, song.accents,
                                       song.notes_per_beat);
    std::vector<audio::Sound> sounds;
    sounds.reserve(2 * played.size());
    std::vector<SectionCue> cues;
    std::vector<audio::BeatRule> rules;
    for (std::size_t i = 0; i < played.size(); ++i) {
      const audio::Sound& whole = sounds.emplace_back(CueOf("whole " + played[i].name, c.whole[i]));
      const audio::Sound& name = sounds.emplace_back(CueOf("name " + played[i].name, c.name[i]));
      cues.push_back({&whole, &name});
      audio::BeatRule rule;
      rule.playing = true;
      rule.rate = 48000;
      rule.bpm = played[i].bpm;
      rule.beats = played[i].beats;
      rules.push_back(rule);
    }
    LinkMapRules(rules, played, cues, song.map.loop);
    std::vector<std::string> events;
    audio::PatternCursor cursor(rules[0]);
    for (int section = -1; events.size() < 8 && !cursor.Ended();) {
      if (cursor.Section() != section) {
        section = cursor.Section();
        events.push_back(std::to_string(cursor.Frame()) + " " + played[section].name);
      }
      const audio::PatternCursor::Cue cue = cursor.NextCue();
      const int64_t end = cursor.RunEndFrame();
      if (cue.sound != nullptr) events.push_back(std::to_string(cue.frame) + " " + cue.sound->name);
      cursor.SkipTo(end);
      if (cursor.Ended()) events.push_back("end " + std::to_string(end));
    }
    events.resize(std::min(events.size(), c.events.size()));
    EXPECT_EQ(events, c.events) << c.why;
  }
}

// Where a run is: the section and measure of the note at a frame, the end past the last.
TEST(SongMap, PlaceAtAFrameIsTheSectionAndItsMeasure) {
  audio::BeatRule a, b;
  for (audio::BeatRule* rule : {&a, &b}) {
    rule->playing = true;
    rule->rate = 48000;
    rule->bpm = 120;
    rule->beats = 2;
  }
  a.measures = 3;
  b.measures = 2;
  a.section = 0;
  b.section = 1;
  a.then = &b;
  a.measure_offset = 1;  // the run resumed in A's second measure
  struct Case {
    int64_t frame;
    int section;
    int32_t measure;
    bool ended;
  };
  const Case cases[] = {
      {0, 0, 1, false},     {48000, 0, 2, false},  {72001, 1, 0, false},
      {96000, 1, 0, false}, {150000, 1, 1, false}, {192001, 0, 0, true},
  };
  for (const Case& c : cases) {
    const MapPlace place = PlaceAt(a, c.frame);
    EXPECT_EQ(place.section, c.section) << c.frame;
    EXPECT_EQ(place.measure, c.measure) << c.frame;
    EXPECT_EQ(place.ended, c.ended) << c.frame;
  }
}

}  // namespace
}  // namespace cadencio::app
