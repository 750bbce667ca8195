// Tests of the recorded voice (the aufonrec module): units and syllables of a phonetic string,
// piece names, the piece database with its cut and length factor, letter recordings, the
// open codes, and whole phonetic strings spoken against a small generated voice whose images
// are captured by a fake front end.
#include "voice/recorded_voice.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "audio/pcm_fade.hpp"
#include "base/waiter.hpp"
#include "voice/letter_wav_reader.hpp"
#include "voice/phonetic_units.hpp"
#include "voice/piece_database.hpp"
#include "voice/voice_format.hpp"

namespace cadencio::voice {
namespace {

namespace fs = std::filesystem;

std::string Le(uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

uint32_t ReadLe(const std::vector<uint8_t>& bytes, std::size_t at, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
  return value;
}

// A RIFF/WAVE letter recording; `before_data` is any chunk placed between fmt and data.
std::string LetterWavFile(const std::string& samples, const std::string& before_data = "",
                          const char* riff = "RIFF", uint32_t data_size_field = UINT32_MAX) {
  const std::string fmt =
      "fmt " + Le(16, 4) + Le(1, 2) + Le(1, 2) + Le(11025, 4) + Le(11025, 4) + Le(1, 2) + Le(8, 2);
  const uint32_t data_size =
      data_size_field == UINT32_MAX ? static_cast<uint32_t>(samples.size()) : data_size_field;
  const std::string body = "WAVE" + fmt + before_data + "data" + Le(data_size, 4) + samples;
  return std::string(riff) + Le(static_cast<uint32_t>(body.size()), 4) + body;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// A fresh directory removed at the end of the test.
class TempDir {
 public:
  TempDir() {
    static std::mt19937_64 names(std::random_device{}());
    path_ = fs::temp_directory_path() / ("cadencio-fonrec-" + std::to_string(names()));
    fs::create_directories(path_);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// The speech front end and the program's waits as the voice sees them: images are kept,
// "c:\sonaud\" is the temp dir, and a key waits when the test says so.
class FakeHost : public VoiceHost, public base::Waiter {
 public:
  explicit FakeHost(fs::path root) : root_(std::move(root)) {}

  void PlayWavImage(std::span<const uint8_t> image) override {
    images.emplace_back(image.begin(), image.end());
    if (key_after_images > 0 && static_cast<int>(images.size()) >= key_after_images) {
      key_waiting = true;
    }
    busy_left = busy_polls_per_image;
  }
  bool SpeechBusy() override { return busy_left-- > 0; }
  void WaitMessage() override { ++waits; }
  bool KeyPressed() override { return key_waiting; }
  void DrainKeys() override { key_waiting = false; }
  void PumpAllMessages() override {}
  void Delay(int64_t) override {}
  base::MessageLoop& Loop() override { return loop_; }
  std::string ReadTradutorKey(const std::string& key, const std::string& dflt) override {
    const auto it = keys.find(key);
    return it == keys.end() ? dflt : it->second;
  }
  std::string MapPath(const std::string& windows_path) override {
    std::string path = windows_path;
    const std::string drive = "c:\\sonaud\\";
    if (path.compare(0, drive.size(), drive) == 0)
      path = root_.string() + "/" + path.substr(drive.size());
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
  }

  std::map<std::string, std::string> keys;
  std::vector<std::vector<uint8_t>> images;
  bool key_waiting = false;
  int key_after_images = 0;
  int busy_polls_per_image = 0;
  int busy_left = 0;
  int waits = 0;

 private:
  fs::path root_;
  base::MessageLoop loop_;
};

struct TestPiece {
  std::string name;
  uint32_t length;
  uint8_t value;  // every sample of the piece, so the image shows which piece it came from
};

// The voice's pieces: most are 1000 samples so that cuts and factors are easy to read.
const std::vector<TestPiece> kPieces = {
    {"$KA", 1000, 10},    {"$K", 1000, 11},     {"$O", 1000, 12}, {"$A", 1000, 13},
    {"$KACIRC", 800, 14}, {"$ACIRC", 500, 15},  {"$NN", 600, 16}, {"$I", 400, 17},
    {"$BIG", 30000, 18},  {"$HUGE", 65535, 19}, {"$T", 1000, 20}, {"$RA", 1000, 21},
    {"?KA", 1000, 30},    {"?A", 1000, 31},
};

// A voice laid out under the temp dir as the default settings expect it:
// som/letras/_NN.wav and som/difones/{DIFONES2.IND,DIFONES2.DIF,regras.rgr,portug.exc}.
class VoiceFiles {
 public:
  VoiceFiles() {
    fs::create_directories(letters());
    fs::create_directories(database());
    std::string samples;
    std::vector<PieceEntry> entries;
    for (const TestPiece& piece : kPieces) {
      entries.push_back(
          {piece.name, static_cast<uint16_t>(piece.length), static_cast<uint32_t>(samples.size())});
      samples.append(piece.length, static_cast<char>(piece.value));
    }
    // An entry past the end of the sample file.
    entries.push_back({"$LOST", 500, static_cast<uint32_t>(samples.size() + 10)});
    WriteFile(database() / "DIFONES2.IND", EncodePieceIndex(entries));
    WriteFile(database() / "DIFONES2.DIF", samples);
    WriteFile(database() / "regras.rgr", "(K)=k|\n(A)=a|\n(O)=o|\n");
    WriteFile(database() / "portug.exc", "casa=kaza\n");
    WriteFile(letters() / "_97.wav", LetterWavFile(std::string(700, '\x61')));
    WriteFile(letters() / "_115.wav", LetterWavFile(std::string(600, '\x73')));
    WriteFile(letters() / "_44.wav", LetterWavFile(std::string(500, '\x2C')));
  }
  fs::path root() const { return dir_.path(); }
  fs::path letters() const { return dir_.path() / "som" / "letras"; }
  fs::path database() const { return dir_.path() / "som" / "difones"; }

 private:
  TempDir dir_;
};

class RecordedVoiceTest : public ::testing::Test {
 protected:
  RecordedVoiceTest() : host_(files_.root()), voice_(host_, host_) { voice_.SetObserver(&log_); }

  void Open() { ASSERT_EQ(voice_.OpenRecordedVoice(), kVoiceReady); }

  // All sample bytes of all played images, in order.
  std::vector<uint8_t> Played() const {
    std::vector<uint8_t> samples;
    for (const auto& image : host_.images) {
      samples.insert(samples.end(), image.begin() + kWavHeaderSize, image.end());
    }
    return samples;
  }

  // The played samples as runs "value x count". A cut piece fades to silence at its end
  // (2 ms at most, ending on silence); the fade is counted with the run it ends.
  std::vector<std::string> Runs() const {
    std::vector<std::string> runs;
    const std::vector<uint8_t> samples = Played();
    const std::size_t fade = audio::CutFadeSamples(kVoiceSampleRate);
    auto distance = [](uint8_t sample) { return std::abs(sample - kSilenceSample); };
    for (std::size_t i = 0; i < samples.size();) {
      std::size_t j = i;
      while (j < samples.size() && samples[j] == samples[i]) ++j;
      std::size_t k = j;
      while (k < samples.size() && k - j < fade && distance(samples[k]) > 0 &&
             distance(samples[k]) < distance(samples[k - 1])) {
        ++k;
      }
      if (samples[i] != kSilenceSample && k > j && k < samples.size() && k - j < fade &&
          samples[k] == kSilenceSample) {
        j = k + 1;
      }
      runs.push_back(std::to_string(samples[i]) + "x" + std::to_string(j - i));
      i = j;
    }
    return runs;
  }

  VoiceFiles files_;
  FakeHost host_;
  RecordedVoice voice_;
  VoiceEventLog log_;
};

// ---------------------------------------------------------------- units

struct ScanCase {
  std::string phonetic;
  std::vector<std::string> units;  // unit + "|" + how it ended (b blank, ] bracket, / cut, $ end)
};

TEST(PhoneticUnitScan, CutsAStringIntoUnits) {
  const std::vector<ScanCase> cases = {
      {"[kA/za]", {"kAza|]"}},
      {"[ /_a]", {"|b", "_a|]"}},
      {"[ /_,][ /_s]", {"|b", "_,|]", "|b", "_s|]"}},
      {"[abcdefgh/ij]", {"abcdefghij|]"}},          // 8 collected: "/" skipped
      {"[abcdefghi/jk]", {"abcdefghi|/", "jk|]"}},  // 9 collected: the group is cut
      {"[ /_]]", {"|b", "_]|]"}},                   // a spelled "]" does not close
      {"[ /_ ]", {"|b", "_ |]"}},                   // nor does a spelled blank
      {"[ab|cd]", {"_TRACOcd|]"}},
      {"ab_", {"ab_|$"}},
      {"ka", {"ka|$"}},
      {"[", {"|$"}},
      {"", {}},
      {std::string(50, 'a'), {std::string(40, 'a') + "|$"}},
  };
  for (const ScanCase& c : cases) {
    std::vector<std::string> units;
    std::size_t position = 0;
    while (position < c.phonetic.size() || (c.phonetic == "[" && units.empty())) {
      const ScannedUnit unit = ScanNextUnit(c.phonetic, position);
      ASSERT_GT(unit.next, position) << c.phonetic;
      position = unit.next;
      const char* end = unit.end == UnitEnd::kBlank          ? "b"
                        : unit.end == UnitEnd::kBracket      ? "]"
                        : unit.end == UnitEnd::kLongGroupCut ? "/"
                                                             : "$";
      units.push_back(unit.unit + "|" + end);
    }
    EXPECT_EQ(units, c.units) << c.phonetic;
  }
}

TEST(PhoneticUnitScan, OnlyALeadingBracketOpensAGroup) {
  EXPECT_TRUE(ScanNextUnit("[ka]", 0).opens_group);
  EXPECT_FALSE(ScanNextUnit("ka]", 0).opens_group);
  EXPECT_EQ(ScanNextUnit("k[a]", 0).unit, "k[a");
}

TEST(PhoneticUnitScan, PunctuationPauses) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"_,", 4000}, {"_.", 8000}, {"_:", 8000}, {"_;", 6000},
      {"_a", 0},    {",", 0},     {"_,,", 0},   {"", 0},
  };
  for (const auto& [unit, samples] : cases) EXPECT_EQ(PunctuationPauseOf(unit), samples) << unit;
}

// ---------------------------------------------------------------- syllables

std::vector<std::string> Parts(const std::vector<SyllablePart>& parts) {
  std::vector<std::string> out;
  for (const SyllablePart& part : parts) {
    char factor[16];
    std::snprintf(factor, sizeof factor, "%g", part.factor);
    out.push_back(part.text + "@" + factor);
  }
  return out;
}

TEST(PhoneticUnitSplit, SplitsUnitsIntoSyllables) {
  struct Case {
    std::string unit;
    double factor;
    std::vector<std::string> parts;
  };
  const std::vector<Case> cases = {
      {"", 1.0, {}},
      {"a", 0.9, {"a@0.9"}},
      {"kA", 1.0, {"kA@1"}},
      {"tra", 1.0, {"t@1", "ra@1"}},            // leading cluster
      {"stra", 0.9, {"s@1", "t@1", "ra@0.9"}},  // the split consonants keep full length
      {"dja", 1.0, {"dja@1"}},                  // dj, ks and tch stay together
      {"ksa", 1.0, {"ksa@1"}},
      {"tcha", 1.0, {"tcha@1"}},
      {"rra", 1.0, {"rra@1"}},
      {"karr", 1.0, {"ka@1", "rr@1"}},    // final rr
      {"kal", 0.9, {"ka@0.9", "l@0.9"}},  // final consonant
      {"kas", 1.0, {"ka@1", "s@1"}},      // a final s of a longer unit is a consonant
      {"kaw", 1.0, {"ka@0.6", "aw@1"}},   // vowel + semivowel
      {"aw", 1.0, {"aw@1"}},
      {"ka~w", 1.0, {"ka^@0.6", "aw~@1"}},  // nasal diphthong, tilde made circumflex
      {"ka^y", 1.0, {"ka^@0.6", "ay^@1"}},
      {"a~w", 0.9, {"aw~@0.9"}},
      {"~w", 1.0, {"~w@1"}},
      {"as", 1.0, {"a@0.7", "s@1"}},  // final s
      {"_s", 1.0, {"_s@1"}},          // the spelled letter s stays whole
      {"_a", 1.0, {"_a@1"}},
      {"kaws", 1.0, {"ka@0.6", "aw@1", "s@1"}},
      {"_TRACO", 1.0, {"_TRACO@1"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Parts(SplitUnit(c.unit, c.factor)), c.parts) << c.unit;
}

TEST(PhoneticUnitSplit, AnyUnitEndsAndKeepsItsLetters) {
  // Every split keeps the letters in order (the nasal case reorders only its last three).
  std::mt19937 random(7);
  const std::string alphabet = "abkrstwy~^AE_";
  for (int round = 0; round < 2000; ++round) {
    std::string unit;
    const int length = static_cast<int>(random() % 41);
    for (int i = 0; i < length; ++i) unit += alphabet[random() % alphabet.size()];
    const std::vector<SyllablePart> parts = SplitUnit(unit, 1.0);
    std::size_t letters = 0;
    for (const SyllablePart& part : parts) {
      EXPECT_FALSE(part.text.empty()) << unit;
      EXPECT_GT(part.factor, 0.0) << unit;
      letters += part.text.size();
    }
    EXPECT_GE(letters, unit.size()) << unit;
  }
}

std::vector<std::string> Pieces(const SyllablePieces& pieces) {
  std::vector<std::string> out;
  for (const PiecePlay& piece : pieces.pieces) {
    out.push_back(piece.name + "/" + std::to_string(piece.mode));
  }
  out.push_back("after " + std::to_string(pieces.mode_after));
  return out;
}

TEST(PhoneticSyllable, NamesThePieces) {
  struct Case {
    std::string syllable;
    int mode;
    std::vector<std::string> pieces;
  };
  const std::vector<Case> cases = {
      {"ka", 1, {"$ka/1", "after 1"}},
      {"ka", 0, {"$ka/0", "after 0"}},
      {"kA", 1, {"$kA/2", "after 0"}},      // stressed for this syllable only
      {"_a", 1, {"_97/1", "after 1"}},      // letter piece by decimal code
      {"_\xE7", 1, {"_231/1", "after 1"}},  // high bytes are unsigned
      {"_TRACO", 1, {"_84/1", "after 1"}},
      {"ka^", 0, {"$kaCIRC/0", "after 0"}},
      {"aw~", 1, {"$awTIL/1", "after 1"}},
      {"A~o", 1, {"$ATIL/2", "$o/2", "after 0"}},
      {"k^", 1, {"$kCIRC/1", "after 1"}},
      {"^", 1, {"$CIRC/1", "after 1"}},
      {"_", 1, {"after 1"}},
      {"", 2, {"after 2"}},
      {"abcdefghijklmnop", 1, {"$abcdefghijkl/1", "after 1"}},  // at most 12 characters
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Pieces(SplitSyllable(c.syllable, c.mode)), c.pieces) << c.syllable;
  }
}

// ---------------------------------------------------------------- cut and factor

TEST(PieceLength, CutAndFactorArithmetic) {
  struct Case {
    uint16_t length;
    int mode;
    std::size_t name_length;
    VoiceCuts cuts;
    double factor;
    std::size_t bytes;
  };
  const VoiceCuts standard{400, 0, 100};
  const std::vector<Case> cases = {
      {1000, 1, 3, standard, 1.0, 600},  // unstressed: cut
      {1000, 1, 3, standard, 0.9, 540},
      {1000, 0, 3, standard, 1.0, 600},
      {1000, 2, 3, standard, 1.0, 1000},  // stressed: whole
      {1000, 2, 3, standard, 0.9, 900},
      {1000, 1, 2, standard, 1.0, 1000},  // two-character names are never cut
      {300, 1, 3, standard, 1.0, 0},      // the cut would leave less than the minimum
      {300, 1, 3, {400, 200, 100}, 1.0, 200},
      {100, 1, 3, {400, 200, 100}, 1.0, 100},  // ... but never more than the piece
      {1000, 1, 3, {400, 700, 100}, 1.0, 700},
      {1000, 2, 3, standard, 0.7, 699},  // extended precision, fraction dropped
      {1000, 2, 3, standard, 0.6, 599},
      {1000, 2, 3, standard, 0.9 * 0.9, 810},
      {1000, 1, 3, {-100, 0, 100}, 1.0, 1100},
      {1000, 1, 3, {0, -50, 100}, 1.0, 1000},
      {65535, 2, 4, standard, 1.0, 65535},
      {1000, 2, 3, standard, -1.0, 0},
      {1000, 2, 3, standard, std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PieceByteCount(c.length, c.mode, c.name_length, c.cuts, c.factor), c.bytes)
        << c.length << " mode " << c.mode << " name " << c.name_length << " cut "
        << c.cuts.piece_cut << " min " << c.cuts.minimum_piece << " x" << c.factor;
  }
}

// ---------------------------------------------------------------- index

TEST(PieceIndexFile, EncodesSortsAndFinds) {
  PieceIndex index;
  index.Load(EncodePieceIndex({{"$b", 1, 10}, {"$AB", 2, 20}, {"$A", 3, 30}, {"_1", 4, 40}}));
  ASSERT_EQ(index.size(), 4u);
  std::vector<std::string> names;
  for (const PieceEntry& entry : index.entries()) names.push_back(entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"$A", "$AB", "$B", "_1"}));
  const PieceEntry* found = index.Find("$AB");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->length, 2);
  EXPECT_EQ(found->offset, 20u);
  for (const std::string& name : names) EXPECT_NE(index.Find(name), nullptr) << name;
  EXPECT_EQ(index.Find("$b"), nullptr);  // the caller upper-cases
  EXPECT_EQ(index.Find("$"), nullptr);
  EXPECT_EQ(index.Find("$ABC"), nullptr);
  EXPECT_EQ(index.Find(""), nullptr);
}

TEST(PieceIndexFile, FieldsAreLittleEndian) {
  const std::string bytes = EncodePieceIndex({{"$KA", 0x1234, 0x89ABCDEF}});
  ASSERT_EQ(bytes.size(), 15u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x03$KA", 4));
  EXPECT_EQ(bytes.substr(9), std::string("\x34\x12\xEF\xCD\xAB\x89", 6));
  EXPECT_EQ(EncodePieceIndex({{"$abcdefghij", 1, 0}}).substr(0, 9), "\x08$ABCDEFG");
}

TEST(PieceIndexFile, HostileIndexes) {
  PieceIndex index;
  // A size that is not a multiple of 15: the partial entry is ignored.
  index.Load(EncodePieceIndex({{"$A", 1, 0}, {"$B", 2, 0}}) + "1234567");
  EXPECT_EQ(index.size(), 2u);
  EXPECT_NE(index.Find("$B"), nullptr);
  // A name length over 8 reads as 8 bytes of name.
  std::string entry = EncodePieceIndex({{"$ABCDEFG", 1, 0}});
  entry[0] = static_cast<char>(200);
  index.Load(entry);
  ASSERT_EQ(index.size(), 1u);
  EXPECT_EQ(index.entries()[0].name, "$ABCDEFG");
  // Too short for one entry.
  index.Load("\x02$A");
  EXPECT_EQ(index.size(), 0u);
  EXPECT_EQ(index.Find("$A"), nullptr);
  // Unsorted: every search ends.
  std::string unsorted;
  for (const char* name : {"$Z", "$A", "$M", "$B", "$Y", "$C"}) {
    unsorted += EncodePieceIndex({{name, 1, 0}});
  }
  index.Load(unsorted);
  int found = 0;
  for (const char* name : {"$Z", "$A", "$M", "$B", "$Y", "$C", "$Q"}) {
    found += index.Find(name) != nullptr ? 1 : 0;
  }
  EXPECT_GE(found, 1);  // at least the middle entry
  EXPECT_LE(found, 6);
}

TEST(PieceDatabaseLookup, ReadsCutsAndGuards) {
  PieceDatabase database;
  std::string samples(100, 'a');
  samples += std::string(100, 'b');
  database.OpenFromMemory(
      EncodePieceIndex({{"$A", 100, 0}, {"$B", 100, 100}, {"$PAST", 100, 150}, {"$FAR", 9, 5000}}),
      samples);
  const VoiceCuts cuts{0, 0, 100};
  std::vector<uint8_t> out;
  ASSERT_TRUE(database.Lookup("$b", 2, 1.0, cuts, 64000, out));  // the name is upper-cased
  EXPECT_EQ(out, std::vector<uint8_t>(100, 'b'));
  ASSERT_TRUE(database.Lookup("$A", 2, 0.5, cuts, 64000, out));
  EXPECT_EQ(out.size(), 50u);
  EXPECT_EQ(out.back(), kSilenceSample) << "a piece cut short fades out";
  ASSERT_TRUE(database.Lookup("$A", 2, 1.0, cuts, 30, out));  // cut to what the image holds
  EXPECT_EQ(out.size(), 30u);
  ASSERT_TRUE(database.Lookup("$PAST", 2, 1.0, cuts, 64000, out));  // runs off the end
  ASSERT_EQ(out.size(), 50u);
  EXPECT_EQ(out.front(), 'b');
  EXPECT_EQ(out.back(), kSilenceSample);
  ASSERT_TRUE(database.Lookup("$FAR", 2, 1.0, cuts, 64000, out));  // starts past the end
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(database.Lookup("$C", 2, 1.0, cuts, 64000, out));
  database.Close();
  EXPECT_FALSE(database.Lookup("$A", 2, 1.0, cuts, 64000, out));
}

// A loud sine piece cut mid-wave (by the piece cut, by a factor, by both) and followed by the
// same piece: the energy of the sound's second difference (what a step or a kink adds, and
// what the ear hears as a click) around the join stays near that of the sine itself.
TEST(PieceDatabaseLookup, ACutPieceJoinsTheNextWithoutAClick) {
  constexpr int kLength = 1000;
  constexpr double kStep = 2 * M_PI * 300 / 11025.0;
  std::string sine;
  for (int i = 0; i < kLength; ++i) {
    sine += static_cast<char>(std::lround(128 + 110 * std::sin(kStep * i)));
  }
  PieceDatabase database;
  database.OpenFromMemory(EncodePieceIndex({{"$KA", kLength, 0}}), sine);
  // Energy of the second difference over the 45 samples centred on `at`.
  auto click_energy = [](const std::vector<uint8_t>& s, std::size_t at) {
    double energy = 0;
    for (std::size_t i = at - 22; i <= at + 22; ++i) {
      const double second = static_cast<double>(s[i + 1]) - 2.0 * s[i] + s[i - 1];
      energy += second * second;
    }
    return energy;
  };
  struct Case {
    int piece_cut;
    double factor;
  };
  for (const Case& c : {Case{431, 1.0}, Case{0, 0.777}, Case{250, 0.9}, Case{10, 1.0}}) {
    SCOPED_TRACE(testing::Message() << "cut " << c.piece_cut << ", factor " << c.factor);
    const VoiceCuts cuts{c.piece_cut, 0, 0};
    std::vector<uint8_t> cut;
    std::vector<uint8_t> whole;
    ASSERT_TRUE(database.Lookup("$KA", 0, c.factor, cuts, 64000, cut));
    ASSERT_TRUE(database.Lookup("$KA", 2, 1.0, cuts, 64000, whole));
    ASSERT_EQ(whole.size(), static_cast<std::size_t>(kLength));
    ASSERT_GT(cut.size(), 100u);
    ASSERT_LT(cut.size(), whole.size());
    std::vector<uint8_t> joined = cut;
    joined.insert(joined.end(), whole.begin(), whole.end());
    const double body = click_energy(whole, 500);
    EXPECT_LT(click_energy(joined, cut.size()), 4 * body) << "body " << body;
  }
}

TEST(PieceDatabaseLookup, OpenFailsOnMissingOrHugeFiles) {
  TempDir dir;
  WriteFile(dir.path() / "V.IND", EncodePieceIndex({{"$A", 1, 0}}));
  WriteFile(dir.path() / "V.DIF", "x");
  PieceDatabase database;
  EXPECT_TRUE(database.Open((dir.path() / "V.IND").string(), (dir.path() / "V.DIF").string()));
  EXPECT_FALSE(database.Open((dir.path() / "W.IND").string(), (dir.path() / "V.DIF").string()));
  EXPECT_FALSE(database.IsOpen());
  EXPECT_FALSE(database.Open((dir.path() / "V.IND").string(), (dir.path() / "W.DIF").string()));
  EXPECT_FALSE(database.Open(dir.path().string(), (dir.path() / "V.DIF").string()));
  fs::resize_file(dir.path() / "V.IND", PieceIndex::kMaxIndexBytes + 15);
  EXPECT_FALSE(database.Open((dir.path() / "V.IND").string(), (dir.path() / "V.DIF").string()));
}

// ---------------------------------------------------------------- letter recordings

TEST(LetterRecording, ReadsTheDataChunk) {
  struct Case {
    std::string name;
    std::string file;
    bool ok;
    std::size_t bytes;
  };
  const std::string list = "LIST" + Le(6, 4) + "INFOab";
  const std::vector<Case> cases = {
      {"plain", LetterWavFile(std::string(10, 'x')), true, 10},
      {"lower-case tags", LetterWavFile(std::string(10, 'x'), "", "riff"), true, 10},
      {"chunk before data", LetterWavFile(std::string(7, 'x'), list), true, 7},
      {"size taken as 16 bits", LetterWavFile(std::string(9, 'x'), "", "RIFF", 0x10005), true, 5},
      {"size beyond the file", LetterWavFile(std::string(9, 'x'), "", "RIFF", 900), true, 9},
      {"empty data", LetterWavFile(""), true, 0},
      {"not RIFF", LetterWavFile("xx", "", "RIFX"), false, 0},
      {"shorter than its header", LetterWavFile("xx").substr(0, 30), false, 0},
      {"no data chunk", LetterWavFile("").substr(0, 44 - 8) + list, false, 0},
      {"empty file", "", false, 0},
      {"huge chunk before data", LetterWavFile("x", "junk" + Le(0xFFFFFFF0u, 4)), false, 0},
  };
  std::string no_fmt = LetterWavFile("xx");
  no_fmt.replace(12, 4, "junk");
  std::vector<Case> all = cases;
  all.push_back({"no fmt chunk first", no_fmt, false, 0});
  for (const Case& c : all) {
    std::istringstream in(c.file);
    std::vector<uint8_t> out;
    EXPECT_EQ(ReadLetterSamples(in, 64000, out), c.ok) << c.name;
    EXPECT_EQ(out.size(), c.bytes) << c.name;
  }
}

TEST(LetterRecording, LongDataIsCutToTheImage) {
  std::istringstream in(LetterWavFile(std::string(5000, 'x')));
  std::vector<uint8_t> out;
  ASSERT_TRUE(ReadLetterSamples(in, 1000, out));
  EXPECT_EQ(out.size(), 1000u);
  EXPECT_FALSE(ReadLetterWav("/nonexistent/_97.wav", 1000, out));
  EXPECT_TRUE(out.empty());
}

// ---------------------------------------------------------------- opening

TEST_F(RecordedVoiceTest, OpenCodes) {
  struct Case {
    std::string name;
    std::function<void(VoiceFiles&, FakeHost&, RecordedVoice&)> change;
    int code;
  };
  const std::vector<Case> cases = {
      {"complete voice", [](VoiceFiles&, FakeHost&, RecordedVoice&) {}, kVoiceReady},
      {"letters dir missing",
       [](VoiceFiles&, FakeHost& h, RecordedVoice&) { h.keys["dirLetras"] = "c:\\sonaud\\x"; },
       kVoiceFilesMissing},
      {"database dir missing",
       [](VoiceFiles&, FakeHost& h, RecordedVoice&) { h.keys["DIRDIFONES"] = "c:\\sonaud\\y"; },
       kVoiceFilesMissing},
      {"index missing",
       [](VoiceFiles& f, FakeHost&, RecordedVoice&) { fs::remove(f.database() / "DIFONES2.IND"); },
       kVoiceFilesMissing},
      {"samples missing",
       [](VoiceFiles& f, FakeHost&, RecordedVoice&) { fs::remove(f.database() / "DIFONES2.DIF"); },
       kVoiceFilesMissing},
      {"other database name",
       [](VoiceFiles&, FakeHost&, RecordedVoice& v) { v.SetDatabaseName("OUTRA"); },
       kVoiceFilesMissing},
      {"rules missing",
       [](VoiceFiles& f, FakeHost&, RecordedVoice&) { fs::remove(f.database() / "regras.rgr"); },
       kVoiceRulesMissing},
      {"exceptions missing",
       [](VoiceFiles& f, FakeHost&, RecordedVoice&) { fs::remove(f.database() / "portug.exc"); },
       kVoiceRulesMissing},
      {"directories given with a backslash",
       [](VoiceFiles&, FakeHost& h, RecordedVoice&) {
         h.keys["dirLetras"] = "c:\\sonaud\\som\\letras\\";
         h.keys["DIRDIFONES"] = "c:\\sonaud\\som\\difones\\";
       },
       kVoiceReady},
      {"name cut to 8 characters",
       [](VoiceFiles&, FakeHost&, RecordedVoice& v) { v.SetDatabaseName("DIFONES2XYZ"); },
       kVoiceReady},
  };
  for (const Case& c : cases) {
    VoiceFiles files;
    FakeHost host(files.root());
    RecordedVoice voice(host, host);
    c.change(files, host, voice);
    EXPECT_EQ(voice.OpenRecordedVoice(), c.code) << c.name;
    EXPECT_EQ(voice.IsOpen(), c.code == kVoiceReady) << c.name;
    voice.SpeakPhonetic("[kA]", false);
    EXPECT_EQ(host.images.size(), c.code == kVoiceReady ? 1u : 0u) << c.name;
  }
}

TEST_F(RecordedVoiceTest, OpenReadsSettingsAndCloseFrees) {
  Open();
  EXPECT_EQ(voice_.LettersDir(), "c:\\sonaud\\som\\letras\\");
  EXPECT_EQ(voice_.DatabaseDir(), "c:\\sonaud\\som\\difones\\");
  EXPECT_EQ(voice_.DatabaseName(), "DIFONES2");
  EXPECT_EQ(voice_.Database().Index().size(), kPieces.size() + 1);
  EXPECT_EQ(voice_.Translator().Rules().RuleCount(), 3u);
  EXPECT_EQ(voice_.Translator().TranslateToPhonetic("ka"), "[k/a]");
  voice_.CloseRecordedVoice();
  EXPECT_FALSE(voice_.IsOpen());
  EXPECT_EQ(voice_.Translator().Rules().RuleCount(), 0u);
  EXPECT_EQ(voice_.Database().Index().size(), 0u);
  voice_.SpeakPhonetic("[kA]", false);
  EXPECT_TRUE(host_.images.empty());
  Open();  // opens again after a close
}

TEST_F(RecordedVoiceTest, OverlongDirectorySettingIsCut) {
  host_.keys["dirLetras"] = "c:\\sonaud\\som\\letras\\" + std::string(100, 'x');
  EXPECT_EQ(voice_.OpenRecordedVoice(), kVoiceFilesMissing);
  EXPECT_EQ(voice_.LettersDir().size(), 80u);  // 79 read, then the backslash
}

// The platform's own path mapping: Linux directories in the settings, file names matched
// without regard to case.
class PlainHost : public FakeHost {
 public:
  using FakeHost::FakeHost;
  std::string MapPath(const std::string& windows_path) override {
    return VoiceHost::MapPath(windows_path);
  }
};

TEST(RecordedVoiceOpen, DefaultPathMappingFindsFilesWithoutRegardToCase) {
  VoiceFiles files;
  fs::rename(files.database() / "DIFONES2.IND", files.database() / "difones2.ind");
  fs::rename(files.letters() / "_97.wav", files.letters() / "_97.WAV");
  PlainHost host(files.root());
  host.keys["dirLetras"] = files.letters().string();
  host.keys["DIRDIFONES"] = files.database().string() + "/";
  RecordedVoice voice(host, host);
  ASSERT_EQ(voice.OpenRecordedVoice(), kVoiceReady);
  EXPECT_EQ(voice.LettersDir(), files.letters().string() + "\\");
  VoiceEventLog log;
  voice.SpeakPhonetic("[ka][ /_a]", false, &log);
  EXPECT_EQ(log.Lines(VoiceEventKind::kLetter), (std::vector<std::string>{"letter _97 700"}));
  EXPECT_EQ(log.Lines(VoiceEventKind::kFlush), (std::vector<std::string>{"flush 1400"}));
}

// ---------------------------------------------------------------- speaking

TEST_F(RecordedVoiceTest, SpelledCommaIsAPauseOnly) {
  Open();
  voice_.SpeakPhonetic("[ /_,]", false);
  EXPECT_EQ(log_.Lines(), (std::vector<std::string>{"pause comma 4000", "flush 4000"}));
  EXPECT_EQ(Runs(), (std::vector<std::string>{"128x4000"}));
}

TEST_F(RecordedVoiceTest, PunctuationPausesAndWithoutThem) {
  struct Case {
    std::string phonetic;
    bool no_pauses;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"[ /_.]", false, {"pause fullstop 8000", "flush 8000"}},
      {"[ /_:]", false, {"pause colon 8000", "flush 8000"}},
      {"[ /_;]", false, {"pause semicolon 6000", "flush 6000"}},
      {"[ /_,]", true, {"unit _,", "syllable _, x1", "letter _44 500", "flush 500"}},
      {"[ /_.]", true, {"unit _.", "syllable _. x1", "letter _46 missing"}},
  };
  Open();
  for (const Case& c : cases) {
    log_.Clear();
    voice_.SpeakPhonetic(c.phonetic, c.no_pauses);
    EXPECT_EQ(log_.Lines(), c.lines) << c.phonetic << " no pauses " << c.no_pauses;
  }
}

TEST_F(RecordedVoiceTest, SpelledLettersPlayTheirRecordings) {
  Open();
  voice_.SpeakPhonetic("[ /_a][ /_s]", false);
  EXPECT_EQ(log_.Lines(), (std::vector<std::string>{"unit _a", "syllable _a x1", "letter _97 700",
                                                    "pause word 100", "unit _s", "syllable _s x1",
                                                    "letter _115 600", "flush 1400"}));
  EXPECT_EQ(Runs(), (std::vector<std::string>{"97x700", "128x100", "115x600"}));
}

TEST_F(RecordedVoiceTest, WordPauses) {
  struct Case {
    std::string phonetic;
    int word_pause;
    std::vector<std::string> pauses;
  };
  const std::vector<Case> cases = {
      {"[kA][kA]", 100, {"pause word 100"}},  // none after the last unit
      {"[kA][kA][kA]", 250, {"pause word 200", "pause word 200"}},
      {"[kA][kA]", 99, {}},
      {"[kA ka]", 100, {}},                         // a blank inside a group: no pause
      {"[abcdefghi/kA]", 100, {"pause word 100"}},  // a long group cut
      {"kA", 100, {}},
  };
  for (const Case& c : cases) {
    log_.Clear();
    voice_.SetVoiceCuts(400, 0, c.word_pause);
    Open();
    voice_.SpeakPhonetic(c.phonetic, false);
    EXPECT_EQ(log_.Lines(VoiceEventKind::kPause), c.pauses) << c.phonetic;
  }
}

TEST_F(RecordedVoiceTest, StressDecidesTheCut) {
  Open();
  voice_.SpeakPhonetic("[kA ka][ka]", false);
  EXPECT_EQ(log_.Lines(VoiceEventKind::kPiece),
            (std::vector<std::string>{"piece $kA mode 2 x1 found 1000",    // stressed: whole
                                      "piece $ka mode 0 x1 found 600",     // after the stress
                                      "piece $ka mode 1 x1 found 600"}));  // a new group
  EXPECT_EQ(Runs(), (std::vector<std::string>{"10x1600", "128x100", "10x600"}));
}

TEST_F(RecordedVoiceTest, AQuestionRisesFromItsLastStressedSyllable) {
  struct Case {
    std::string phonetic;
    std::vector<std::string> pieces;
    std::string why;
  };
  const std::vector<Case> cases = {
      {"[kA ka][ka kA]",
       {"piece $kA mode 2 x1 found 1000", "piece $ka mode 0 x1 found 600",
        "piece $ka mode 1 x1 found 600", "piece ?kA mode 2 x1 found 1000"},
       "only the last stressed syllable and what follows rise"},
      {"[kA ka]",
       {"piece ?kA mode 2 x1 found 1000", "piece ?ka mode 2 x1 found 1000"},
       "the syllable after the stress rises too, played whole"},
      {"[kA ra]",
       {"piece ?kA mode 2 x1 found 1000", "piece $ra mode 0 x1 found 600"},
       "a piece without a rising form plays its plain one"},
      {"[ka /_A]",
       {"piece ?ka mode 2 x1 found 1000"},
       "no stressed syllable: the word rises from its first, a spelled letter is passed over"},
      {"[kA][ka ka]",
       {"piece $kA mode 2 x1 found 1000", "piece ?ka mode 2 x1 found 1000",
        "piece ?ka mode 2 x1 found 1000"},
       "a last word with no stress marked (ele, vem) rises from its first syllable"},
      {"[kA ka][_A]",
       {"piece ?kA mode 2 x1 found 1000", "piece ?ka mode 2 x1 found 1000"},
       "a spelled word after the last is no word the rise begins on"},
  };
  for (const Case& c : cases) {
    log_.Clear();
    Open();
    voice_.SpeakPhonetic(c.phonetic, false, nullptr, Tune::kQuestion);
    EXPECT_EQ(log_.Lines(VoiceEventKind::kPiece), c.pieces) << c.phonetic << ": " << c.why;
  }
}

TEST_F(RecordedVoiceTest, CutSettingsApply) {
  voice_.SetVoiceCuts(900, 300, 100);
  Open();
  voice_.SpeakPhonetic("[ka]", false);
  EXPECT_EQ(log_.Lines(VoiceEventKind::kPiece),
            (std::vector<std::string>{"piece $ka mode 1 x1 found 300"}));
}

TEST_F(RecordedVoiceTest, UnknownShortPieceIsNoise) {
  Open();
  voice_.SpeakPhonetic("[z]", false);
  EXPECT_EQ(log_.Lines(VoiceEventKind::kPiece),
            (std::vector<std::string>{"piece $z mode 1 x1 noise 300"}));
  const std::vector<uint8_t> samples = Played();
  ASSERT_EQ(samples.size(), 300u);
  for (const uint8_t sample : samples) {
    EXPECT_GE(sample, 88);
    EXPECT_LE(sample, 167);
  }
  EXPECT_GT(std::set<uint8_t>(samples.begin(), samples.end()).size(), 10u);
  EXPECT_EQ(samples.back(), kSilenceSample) << "the noise fades out";
}

TEST_F(RecordedVoiceTest, Decompositions) {
  struct Case {
    std::string name;
    int mode;
    double factor;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"$ko",
       2,
       1.0,
       {"piece $ko mode 2 x1 decomposed", "piece $k mode 2 x0.9 found 900",
        "piece $o mode 2 x1 found 1000"}},
      {"$kko",
       1,
       1.0,
       {"piece $kko mode 1 x1 decomposed", "piece $kk mode 1 x0.9 dropped",
        "piece $o mode 1 x1 found 1000"}},
      {"$kaCIRC", 1, 1.0, {"piece $kaCIRC mode 1 x1 found 400"}},
      {"$koCIRC",
       2,
       1.0,
       {"piece $koCIRC mode 2 x1 decomposed", "piece $k mode 2 x0.9 found 900",
        "piece $oCIRC mode 2 x1 dropped"}},
      {"$kaTIL",
       1,
       1.0,
       {"piece $kaTIL mode 1 x1 decomposed", "piece $kaCIRC mode 2 x0.9 found 720",
        "piece $nn mode 1 x0.9 found 180"}},
      {"$iTIL",
       2,
       1.0,
       {"piece $iTIL mode 2 x1 decomposed", "piece $i mode 2 x0.9 found 360",
        "piece $nn mode 1 x0.9 found 180"}},
      {"$aTIL",
       0,
       1.0,
       {"piece $aTIL mode 0 x1 decomposed", "piece $aCIRC mode 2 x0.9 found 450",
        "piece $nn mode 1 x0.9 found 180"}},
      {"$kkk", 1, 1.0, {"piece $kkk mode 1 x1 dropped"}},
      {"$CIRC", 1, 1.0, {"piece $CIRC mode 1 x1 dropped"}},
      {"$nnx", 1, 1.0, {"piece $nnx mode 1 x1 dropped"}},
      {"$kaa",
       1,
       0.6,
       {"piece $kaa mode 1 x0.6 decomposed", "piece $ka mode 1 x0.54 found 324",
        "piece $a mode 1 x0.6 found 599"}},
      {"$LOST", 2, 1.0, {"piece $LOST mode 2 x1 found 0"}},
      {"$abcdefghijklmnop", 1, 1.0, {"piece $abcdefghijk mode 1 x1 dropped"}},
  };
  Open();
  for (const Case& c : cases) {
    log_.Clear();
    voice_.PlayPiece(c.name, c.mode, c.factor);
    EXPECT_EQ(log_.Lines(), c.lines) << c.name;
  }
}

TEST_F(RecordedVoiceTest, NasalSyllablesReachTheirPieces) {
  Open();
  voice_.SpeakPhonetic("[ka^]", false);
  EXPECT_EQ(log_.Lines(VoiceEventKind::kPiece),
            (std::vector<std::string>{"piece $kaCIRC mode 1 x1 found 400"}));
  log_.Clear();
  voice_.SpeakPhonetic("[tra]", false);
  EXPECT_EQ(log_.Lines(VoiceEventKind::kSyllable),
            (std::vector<std::string>{"syllable t x1", "syllable ra x1"}));
  EXPECT_EQ(
      log_.Lines(VoiceEventKind::kPiece),
      (std::vector<std::string>{"piece $t mode 1 x1 found 1000", "piece $ra mode 1 x1 found 600"}));
}

TEST_F(RecordedVoiceTest, FullImagesAreFlushedInTurn) {
  host_.busy_polls_per_image = 3;
  Open();
  // Three stressed 30000-sample pieces: two fill an image, the third starts the next one.
  voice_.SpeakPhonetic("[BIG BIG BIG]", false);
  ASSERT_EQ(host_.images.size(), 2u);
  EXPECT_EQ(host_.images[0].size(), 44u + 60000u);
  EXPECT_EQ(host_.images[1].size(), 44u + 30000u);
  EXPECT_EQ(ReadLe(host_.images[0], 40, 4), 60000u);
  EXPECT_EQ(ReadLe(host_.images[0], 4, 4), 60036u);
  EXPECT_EQ(ReadLe(host_.images[1], 40, 4), 30000u);
  EXPECT_EQ(log_.Lines(VoiceEventKind::kFlush),
            (std::vector<std::string>{"flush 60000", "flush 30000"}));
  EXPECT_EQ(host_.waits, 3);  // the wait after the full image's flush
  EXPECT_EQ(Runs(), (std::vector<std::string>{"18x90000"}));
}

TEST_F(RecordedVoiceTest, PiecesLargerThanTheImageAreCut) {
  Open();
  voice_.SpeakPhonetic("[HUGE]", false);
  ASSERT_EQ(host_.images.size(), 1u);
  EXPECT_EQ(host_.images[0].size(), 64000u);
  EXPECT_EQ(log_.Lines(VoiceEventKind::kPiece),
            (std::vector<std::string>{"piece $HUGE mode 2 x1 found 63956"}));
  // Something already collected goes out first.
  log_.Clear();
  voice_.SpeakPhonetic("[ /_a][HUGE]", false);
  EXPECT_EQ(log_.Lines(VoiceEventKind::kFlush),
            (std::vector<std::string>{"flush 800", "flush 63956"}));
}

TEST_F(RecordedVoiceTest, LongTextPlaysAsSeveralImages) {
  Open();
  std::string phonetic;
  for (int i = 0; i < 100; ++i) phonetic += "[kA]";
  voice_.SpeakPhonetic(phonetic, false);
  // 100 pieces of 1000 samples and 99 word pauses of 100.
  std::size_t total = 0;
  for (const auto& image : host_.images) {
    EXPECT_LE(image.size(), 64000u);
    EXPECT_EQ(ReadLe(image, 40, 4), image.size() - 44);
    total += image.size() - 44;
  }
  EXPECT_EQ(host_.images.size(), 2u);
  EXPECT_EQ(total, 100u * 1000u + 99u * 100u);
}

TEST_F(RecordedVoiceTest, AWaitingKeyDropsTheRest) {
  host_.key_after_images = 1;
  Open();
  std::string phonetic;
  for (int i = 0; i < 200; ++i) phonetic += "[kA]";
  voice_.SpeakPhonetic(phonetic, false);
  EXPECT_EQ(host_.images.size(), 1u);
  EXPECT_EQ(log_.Lines(VoiceEventKind::kFlush),
            (std::vector<std::string>{"flush 63800", "flush 1100 dropped"}));
  // A key already waiting: nothing at all.
  log_.Clear();
  voice_.SpeakPhonetic("[kA]", false);
  EXPECT_TRUE(log_.events().empty());
  EXPECT_EQ(host_.images.size(), 1u);
  // The next string is spoken again once the key is gone.
  host_.key_waiting = false;
  host_.key_after_images = 0;
  voice_.SpeakPhonetic("[kA]", false);
  EXPECT_EQ(host_.images.size(), 2u);
}

TEST_F(RecordedVoiceTest, TranslatedTextIsSpoken) {
  Open();
  voice_.SpeakPhonetic(voice_.Translator().TranslateToPhonetic("ka ko"), false);
  EXPECT_EQ(log_.Lines(VoiceEventKind::kUnit), (std::vector<std::string>{"unit ka", "unit ko"}));
  EXPECT_EQ(Runs(), (std::vector<std::string>{"10x600", "128x100", "11x900", "12x1000"}));
}

TEST_F(RecordedVoiceTest, HostileStringsEnd) {
  Open();
  for (const std::string& phonetic :
       {std::string("]]]]"), std::string("[[[["), std::string("____"), std::string("||||"),
        std::string("////////////////"), std::string(5000, 'k'), std::string("[\xFF\x01~^]"),
        std::string("[^~^~^~^~^~^~^~^~^~^~^~^~^~]")}) {
    voice_.SpeakPhonetic(phonetic, false);
  }
  EXPECT_GT(log_.events().size(), 0u);
}

}  // namespace
}  // namespace cadencio::voice
