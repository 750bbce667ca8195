// The SSML espeak-ng is given: the markup's signs as entities, and the last word of a yes/no
// question raised, not that of a question opened by a question word.
#include "engines/espeak_markup.hpp"

#include <gtest/gtest.h>

namespace cadencio::engines {
namespace {

TEST(EspeakMarkup, RaisesTheEndOfYesNoQuestionsOnly) {
  struct Case {
    const char* text;  // Windows-1252
    const char* markup;
    const char* why;
  };
  const Case cases[] = {
      {"Confirma o fim do programa ? ",
       "Confirma o fim do <prosody pitch=\"+25%\">programa</prosody> ? ", "a yes/no question"},
      {"Onde fica? Fica aqui.", "Onde fica? Fica aqui.", "a question word: no raise"},
      {"O que houve?", "O que houve?", "o que opens a question too"},
      {"Tudo bem. Remove a m\xFAsica?",
       "Tudo bem. Remove a <prosody pitch=\"+25%\">m\xC3\xBAsica</prosody>?",
       "each sentence on its own; the text becomes UTF-8"},
      {"a < b & c > d", "a &lt; b &amp; c &gt; d", "the markup's signs are entities"},
      {"?", "?", "a question without words"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EspeakMarkup(c.text), c.markup) << c.why;
  }
}

}  // namespace
}  // namespace cadencio::engines
