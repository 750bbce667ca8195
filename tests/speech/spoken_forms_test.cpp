// The spoken forms of the program's own words: the table's whole-word replacement. Every
// catalogue message read through each voice's front end is checked with the catalogue's tests.
#include "speech/spoken_forms.hpp"

#include <gtest/gtest.h>

#include "support/visible_text.hpp"

namespace cadencio::speech {
namespace {

TEST(SpokenForm, ReplacesWholeWordsOnly) {
  struct Case {
    const char* shown;
    const char* spoken;
    const char* why;
  };
  const Case cases[] = {
      {"PGUP ou PGDOWN", "peige \xE1pi ou peige d\xE1un", "two key names"},
      {"CTRL+F5, busca",
       "contr\xF3l \xE9"
       "fe cinco, busca",
       "the '+' joining keys is not said"},
      {"F1 e F10",
       "\xE9"
       "fe um e \xE9"
       "fe dez",
       "F1 does not take the start of F10"},
      {"ESCOLHA, Escolha, ESC.", "ESCOLHA, Escolha, \xE9squi.", "a word that begins alike stays"},
      {"xBPM BPMs 5BPM", "xBPM BPMs 5BPM", "glued to a letter or digit it is not the word"},
      {"ok Ok OK", "ok Ok oquei", "capitals as written"},
      {"", "", "nothing"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SpokenForm(c.shown), c.spoken) << c.why << ": " << testing::Visible(c.shown);
  }
}

}  // namespace
}  // namespace cadencio::speech
