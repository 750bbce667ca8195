// The per-speed settings of the shipped AUDIRA.INI (section SINTETIZADOR, levels 1 to 5) against
// the generated piece database: every key is there and readable, speed 1 plays recordings
// unchanged, each level is at least as fast as the one below, and no level's piece cut takes an
// unstressed piece of the database down to (almost) nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include "files/paths.hpp"
#include "files/profile_file.hpp"
#include "voice/phonetic_units.hpp"
#include "voice/piece_database.hpp"

namespace cadencio::voice {
namespace {

const std::string kIni = CADENCIO_SOURCE_DIR "/data/AUDIRA.INI";

// A piece that is cut still sounds for at least this many samples (40 ms at 11025 Hz), or
// whole when it is shorter.
constexpr std::size_t kAudibleSamples = 441;

struct Level {
  int speed = 0;
  std::string database;
  int cut = 0;
  int minimum = 0;
  int word_gap = 0;
  bool cut_speech = false;
  bool fast_playback = false;
  int full_stop_ms = 0;
  int comma_ms = 0;
  int colon_ms = 0;
};

std::string Key(const char* base, int speed) {
  return files::ProfileFile::ReadString(kIni, "SINTETIZADOR", base + std::to_string(speed), "");
}

// The integer of a key; a missing or malformed value fails the test.
int Number(const char* base, int speed) {
  const std::string text = Key(base, speed);
  int value = -1;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_TRUE(error == std::errc() && end == text.data() + text.size() && !text.empty())
      << base << speed << " = \"" << text << "\"";
  return value;
}

// A yes/no key written as S or N.
bool Switch(const char* base, int speed) {
  const std::string text = Key(base, speed);
  EXPECT_TRUE(text == "S" || text == "N") << base << speed << " = \"" << text << "\"";
  return text == "S";
}

std::vector<Level> ReadLevels() {
  std::vector<Level> levels;
  for (int speed = 1; speed <= 5; ++speed) {
    Level l;
    l.speed = speed;
    l.database = Key("DIFONES", speed);
    l.cut = Number("CORTEFON", speed);
    l.minimum = Number("SOBRAFON", speed);
    l.word_gap = Number("INTERPAL", speed);
    l.cut_speech = Switch("CORTAFALA", speed);
    l.fast_playback = Switch("RAPIDINHO", speed);
    l.full_stop_ms = Number("PAUSAPONTO", speed);
    l.comma_ms = Number("PAUSAVIRG", speed);
    l.colon_ms = Number("PAUSADOISPONTOS", speed);
    levels.push_back(l);
  }
  return levels;
}

std::string DatabasePath(const std::string& file) {
  std::string dir =
      files::ProfileFile::ReadString(kIni, "TRADUTOR", "DIRDIFONES", "c:\\sonaud\\som\\difones");
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  return files::MapWindowsPath(dir + file, CADENCIO_DATA_ROOT);
}

TEST(ShippedSpeedSettings, SpeedOnePlaysRecordingsUnchanged) {
  const Level slow = ReadLevels().front();
  EXPECT_FALSE(slow.cut_speech);
  EXPECT_FALSE(slow.fast_playback);
  EXPECT_EQ(slow.cut, 0);
}

TEST(ShippedSpeedSettings, EachLevelIsAtLeastAsFastAsTheOneBelow) {
  const std::vector<Level> levels = ReadLevels();
  for (std::size_t i = 1; i < levels.size(); ++i) {
    const Level& below = levels[i - 1];
    const Level& l = levels[i];
    SCOPED_TRACE("speed " + std::to_string(l.speed));
    EXPECT_GE(l.cut, below.cut);
    EXPECT_LE(l.word_gap, below.word_gap);
    EXPECT_LE(l.full_stop_ms, below.full_stop_ms);
    EXPECT_LE(l.comma_ms, below.comma_ms);
    EXPECT_LE(l.colon_ms, below.colon_ms);
    EXPECT_GE(l.cut_speech, below.cut_speech);
    EXPECT_GE(l.fast_playback, below.fast_playback);
  }
  // The fastest level is clearly faster than the slowest.
  EXPECT_TRUE(levels.back().cut_speech || levels.back().fast_playback);
  EXPECT_LT(levels.back().word_gap, levels.front().word_gap);
}

TEST(ShippedSpeedSettings, EveryLevelNamesTheGeneratedDatabase) {
  for (const Level& l : ReadLevels()) {
    ASSERT_FALSE(l.database.empty()) << "DIFONES" << l.speed;
    EXPECT_LE(l.database.size(), 8u) << "DIFONES" << l.speed;
    PieceDatabase database;
    EXPECT_TRUE(database.Open(DatabasePath(l.database + ".IND"), DatabasePath(l.database + ".DIF")))
        << "DIFONES" << l.speed << " = " << l.database;
  }
}

TEST(ShippedSpeedSettings, NoCutTakesAPieceAway) {
  PieceDatabase database;
  ASSERT_TRUE(database.Open(DatabasePath("DIFONES2.IND"), DatabasePath("DIFONES2.DIF")));
  ASSERT_FALSE(database.Index().entries().empty());
  for (const Level& l : ReadLevels()) {
    const VoiceCuts cuts{l.cut, l.minimum, l.word_gap};
    for (const PieceEntry& entry : database.Index().entries()) {
      const std::size_t kept =
          PieceByteCount(entry.length, kStressUnstressed, entry.name.size(), cuts, 1.0);
      EXPECT_GE(kept, std::min<std::size_t>(entry.length, kAudibleSamples))
          << "speed " << l.speed << ": " << entry.name << " of " << entry.length
          << " samples keeps " << kept;
    }
  }
}

}  // namespace
}  // namespace cadencio::voice
