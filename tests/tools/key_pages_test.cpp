// The key lists: F1, the README and both manual pages name the keys of the program's tables.
#include "lib/key_pages.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "app/message_catalogue.hpp"
#include "app/metronome.hpp"

namespace cadencio::tools {
namespace {

std::string ReadSource(const std::string& name) {
  std::ifstream in(std::string(CADENCIO_SOURCE_DIR) + "/" + name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(KeyPagesTest, TheReadmeHoldsTheTablesOfEveryKeyList) {
  const std::string readme = ReadSource("README.md");
  std::vector<std::string> missing;
  // When this fails, `build/tools/gen_key_pages readme README.md` writes the tables anew.
  EXPECT_EQ(WithKeyTables(readme, &missing), readme);
  EXPECT_TRUE(missing.empty()) << missing.front();
}

TEST(KeyPagesTest, BothManualPagesTakeEveryKeyList) {
  for (const char* page : {"man/cadencio.1.in", "man/cadencio.pt_BR.1.in"}) {
    const std::string text = ReadSource(page);
    for (const app::KeySection& section : app::KeySections()) {
      EXPECT_NE(text.find("@KEYS_" + std::string(section.id) + "@"), std::string::npos)
          << page << " " << section.id;
      for (const app::KeyDoc& key : section.keys) {
        EXPECT_FALSE(key.keys_en.empty() || key.what_en.empty() || key.keys_pt.empty() ||
                     key.what_pt.empty())
            << section.id << " " << key.keys_en;
      }
    }
  }
}

TEST(KeyPagesTest, FOneSaysEveryCommandAndEveryKeyReachesItsOwn) {
  std::set<std::string> said;
  for (const app::MainCommand& command : app::Metronome::Commands()) {
    EXPECT_TRUE(app::FindMessageText(command.help).has_value()) << command.help;
    EXPECT_TRUE(said.insert(command.help).second) << command.help << " is said twice";
    for (int i = 0; i < command.key_count; ++i) {
      const base::Key key = command.keys[static_cast<std::size_t>(i)];
      EXPECT_EQ(app::FindMainCommand(app::Metronome::Commands(), key), &command)
          << command.doc.keys_en << ": a row before it takes its code";
    }
  }
}

TEST(KeyPagesTest, RoffNamesTheKeysInBoldAndEscapesTheText) {
  const std::vector<app::KeyDoc> keys = {
      {"Up / Down", "tempo + 1 / \u2212 1", "Seta acima / Seta abaixo", "andamento -1"},
      {".x", "count-in\\", "Espa\u00e7o", ".m\u00e9dio"}};
  EXPECT_EQ(RoffKeyList(keys, KeyLanguage::kEnglish),
            ".TP\n.B \"Up, Down\"\ntempo + 1 / \\[u2212] 1.\n.TP\n.B \"\\&.x\"\ncount\\-in\\e.");
  EXPECT_EQ(RoffKeyList(keys, KeyLanguage::kPortuguese),
            ".TP\n.B \"Seta acima, Seta abaixo\"\nandamento \\-1.\n.TP\n.B \"Espa\\[u00E7]o\"\n"
            "\\&.m\\[u00E9]dio.");
}

}  // namespace
}  // namespace cadencio::tools
