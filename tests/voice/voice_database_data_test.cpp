// The generated piece database of the recorded voice in the build's data root: it opens as
// the player opens it, its index is sorted and lies within the sample file, and every piece
// that the catalogue texts and common words need is there, rendered.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "files/paths.hpp"
#include "files/profile_file.hpp"
#include "voice/phonetic_translator.hpp"
#include "voice/phonetic_units.hpp"
#include "voice/piece_database.hpp"

namespace cadencio::voice {
namespace {

std::string DatabaseDir() {
  std::string dir = files::ProfileFile::ReadString(
      CADENCIO_SOURCE_DIR "/data/AUDIRA.INI", "TRADUTOR", "DIRDIFONES", "c:\\sonaud\\som\\difones");
  if (dir.back() != '\\') dir += '\\';
  return dir;
}

std::string DatabasePath(const std::string& file) {
  return files::MapWindowsPath(DatabaseDir() + file, CADENCIO_DATA_ROOT);
}

class GeneratedDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(database_.Open(DatabasePath("DIFONES2.IND"), DatabasePath("DIFONES2.DIF")));
    ASSERT_TRUE(translator_.LoadPhoneticRules(DatabasePath("regras.rgr")));
    ASSERT_TRUE(translator_.LoadPhoneticExceptions(DatabasePath("portug.exc")));
  }

  // The database pieces (not letter recordings) that speaking the text looks up first.
  std::set<std::string> PiecesOf(const std::string& text) const {
    std::set<std::string> names;
    std::string phonetic = translator_.TranslateToPhonetic(text);
    std::size_t position = 0;
    int mode = kStressGroupStart;
    while (position < phonetic.size()) {
      ScannedUnit unit = ScanNextUnit(phonetic, position);
      position = unit.next;
      if (unit.opens_group) mode = kStressGroupStart;
      for (const SyllablePart& part : SplitUnit(unit.unit, 1.0)) {
        SyllablePieces pieces = SplitSyllable(part.text, mode);
        mode = pieces.mode_after;
        for (const PiecePlay& play : pieces.pieces) {
          std::string name = play.name;
          for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
          if (name[0] == '$' && name.size() <= PieceIndex::kMaxNameLength) names.insert(name);
        }
      }
    }
    return names;
  }

  PieceDatabase database_;
  PhoneticTranslator translator_;
};

TEST_F(GeneratedDatabase, IndexIsSortedAndWithinTheSampleFile) {
  const auto& entries = database_.Index().entries();
  ASSERT_GT(entries.size(), 300u);
  std::vector<uint8_t> samples;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) {
      EXPECT_TRUE(PieceNameLess(entries[i - 1].name, entries[i].name)) << entries[i].name;
    }
    EXPECT_GT(entries[i].length, 100) << entries[i].name << " is almost empty";
    // Played stressed and whole, every piece gives all of its samples.
    ASSERT_TRUE(
        database_.Lookup(entries[i].name, kStressStressed, 1.0, VoiceCuts{}, 1 << 16, samples));
    EXPECT_EQ(samples.size(), entries[i].length) << entries[i].name;
  }
}

TEST_F(GeneratedDatabase, HoldsEveryPieceOfTheSpokenTexts) {
  const char* texts[] = {
      "Confirma o fim do programa",
      "Op\xE7\xF5"
      "es nas teclas",
      "Informe a nota desejada, F1 ajuda",
      "Informe o novo efeito para a marca\xE7\xE3o do compasso",
      "Arquivo que cont\xE9m os efeitos n\xE3o existe",
      "OK, retornando ao metr\xF4nomo",
      "Deseja assumir esse modelo como padr\xE3o",
      "quando muito tempo depois da can\xE7\xE3o os p\xE3"
      "es ficaram filhos banhos rato carro",
  };
  std::vector<uint8_t> samples;
  for (const char* text : texts) {
    auto pieces = PiecesOf(text);
    EXPECT_FALSE(pieces.empty()) << text;
    for (const auto& name : pieces) {
      EXPECT_NE(database_.Index().Find(name), nullptr) << name << " of \"" << text << "\"";
    }
  }
}

TEST_F(GeneratedDatabase, HoldsTheFallbackPieces) {
  // What the player plays when a longer piece is missing: plain, closed and nasal vowels,
  // the nasal murmur and lone consonants.
  for (const char* name : {"$A", "$E", "$I", "$O", "$U", "$ACIRC", "$ECIRC", "$OCIRC", "$NN", "$S",
                           "$R", "$RR", "$L", "$M", "$N", "$T", "$K"}) {
    EXPECT_NE(database_.Index().Find(name), nullptr) << name;
  }
}

}  // namespace
}  // namespace cadencio::voice
