// The prosody stages: loading the prosody file (sections in any order, every fault shown),
// tokenising, prosody codes, and the golden token and code lists of the shipped file.
#include "tts/prosody.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cadencio::tts {
namespace {

using Lines = std::vector<std::string>;

const std::string kShippedProsody = CADENCIO_SOURCE_DIR "/data/sivratts/portug.pro";

// Windows-1252 headers.
const std::string kDur = "[DURA\xC7\xC3O]";
const std::string kKeys = "[CHAVES]";
const std::string kPros =
    "[PROS\xD3"
    "DIA]";

struct Loaded {
  bool ok = false;
  ProsodyTables tables;
  Lines messages;
};

Loaded Parse(const std::string& text) {
  Loaded loaded;
  loaded.ok = ParseProsody(text, loaded.tables,
                           [&](const std::string& m) { loaded.messages.push_back(m); });
  return loaded;
}

const std::string kSmallFile = kDur + "\nk=80\na=100\n; comment\n*also\n\nz = 90 \n" + kKeys +
                               "\n ela = pn\nde=pr\nquem=qu\n" + kPros +
                               "\nhertz=230\nTABHERTZ=0,10,20,30,40,100,60,70,80,90\n"
                               "|PN|=567\nPR|XX|..=?12\n";

TEST(LoadProsody, SectionsInAnyOrderGiveTheSameTables) {
  const Loaded usual = Parse(kSmallFile);
  const Loaded reversed =
      Parse(kPros +
            "\nHERTZ=230\nTABHERTZ=0,10,20,30,40,100,60,70,80,90\n|PN|=567\n"
            "PR|XX|..=?12\n" +
            kKeys + "\nde=PR\nELA=PN\nquem=QU\n" + kDur + "\nk=80\na=100\nz=90\n");
  for (const Loaded* loaded : {&usual, &reversed}) {
    ASSERT_TRUE(loaded->ok);
    EXPECT_TRUE(loaded->messages.empty());
    const ProsodyTables& t = loaded->tables;
    ASSERT_EQ(t.durations.size(), 3u);
    EXPECT_EQ(t.durations[2].phoneme, "z");
    EXPECT_EQ(t.durations[2].duration, 90);
    ASSERT_EQ(t.word_classes.size(), 3u);
    EXPECT_EQ(t.word_classes[0].word, "DE");  // sorted
    EXPECT_EQ(WordClass(t, "ela"), "PN");
    EXPECT_EQ(WordClass(t, "Ela"), "PN");
    EXPECT_EQ(WordClass(t, "casa"), "");
    EXPECT_EQ(t.base_pitch, 230);
    EXPECT_EQ(t.pitch_levels[5], 100);
    ASSERT_EQ(t.patterns.size(), 2u);
    EXPECT_EQ(t.patterns[1].previous, "PR");
    EXPECT_EQ(t.patterns[1].next, "..");
    EXPECT_EQ(t.patterns[1].code, "?12");
  }
}

TEST(LoadProsody, EveryFaultIsShown) {
  const std::string durations = kDur + "\na=100\n";
  const std::string keys = kKeys + "\nde=PR\n";
  const std::string patterns = kPros + "\n|PN|=567\n";
  const std::string bad_phoneme =
      "Configura\xE7\xE3o da pros\xF3"
      "dia: fonema errado: ";
  const std::string bad_key =
      "Configura\xE7\xE3o da pros\xF3"
      "dia: chave errada: ";
  const std::string bad_value =
      "Configura\xE7\xE3o da pros\xF3"
      "dia: valor errado: ";
  struct Case {
    std::string text;
    bool ok;
    Lines messages;
  };
  const Case cases[] = {
      {keys + patterns, false, {"Dura\xE7\xE3o dos difones errada ou ausente"}},
      {kDur + "\nab\n" + keys + patterns, false, {bad_phoneme + "ab"}},
      {durations + patterns,
       false,
       {"Pros\xF3"
        "dia: palavras chaves ausentes"}},
      {durations + kKeys + "\nnada\n" + patterns, false, {bad_key + "nada"}},
      {durations + keys,
       false,
       {"Pros\xF3"
        "dia: especifica\xE7\xF5"
        "es ausentes"}},
      {durations + keys + kPros + "\n|XX|\n", false, {bad_key + "|XX|"}},
      {durations + keys + kPros + "\nHERTZ=alto\n", false, {bad_value + "HERTZ=alto"}},
      {durations + keys + kPros + "\nTABHERTZ=1,2,3,4,5,6,7,8,9\n",
       false,
       {bad_value + "TABHERTZ=1,2,3,4,5,6,7,8,9"}},
      // A duration that is no number is shown; the phoneme lasts 100 ms and loading goes on.
      {kDur + "\na=longo\n" + keys + patterns, true, {bad_phoneme + "a=longo"}},
  };
  for (const Case& c : cases) {
    const Loaded loaded = Parse(c.text);
    EXPECT_EQ(loaded.ok, c.ok) << c.text;
    EXPECT_EQ(loaded.messages, c.messages) << c.text;
  }
  EXPECT_EQ(Parse(cases[8].text).tables.durations.at(0).duration, 100);

  Lines shown;
  ProsodyTables tables;
  EXPECT_FALSE(LoadProsody("/nonexistent/portug.pro", tables,
                           [&](const std::string& m) { shown.push_back(m); }));
  EXPECT_EQ(shown, Lines{"Configura\xE7\xE3o da pros\xF3"
                         "dia n\xE3o foi achada"});
}

// A new load starts the tables and the base pitch afresh; the pitch levels stay until a
// TABHERTZ line replaces them. Codes shorter than three levels are completed with level 5.
TEST(LoadProsody, ReloadAndShortCodes) {
  Loaded loaded = Parse(kSmallFile);
  const auto quiet = [](const std::string&) {};
  ASSERT_TRUE(
      ParseProsody(kDur + "\n" + kKeys + "\n" + kPros + "\n|XX|=7\n", loaded.tables, quiet));
  EXPECT_TRUE(loaded.tables.durations.empty());
  EXPECT_TRUE(loaded.tables.word_classes.empty());
  EXPECT_EQ(loaded.tables.base_pitch, 230);
  EXPECT_EQ(loaded.tables.pitch_levels[9], 90);
  ASSERT_EQ(loaded.tables.patterns.size(), 1u);
  EXPECT_EQ(loaded.tables.patterns[0].code, "755");
}

TEST(Tokenise, TokensClassesAndPhraseMarks) {
  const ProsodyTables tables = Parse(kSmallFile).tables;
  struct Case {
    std::string text;
    Lines entries;
  };
  const Case cases[] = {
      {"Ela saiu.", {"[--]", "[PN]Ela", "[XX]saiu", "[..].", "[--]"}},
      {"", {"[--]"}},
      {"   ", {"[--]"}},
      {"Sim... de novo?",
       {"[--]", "[XX]Sim", "[.-].", "[--]", "[PR]de", "[XX]novo", "[??]?", "[--]"}},
      {"guarda-chuva, ora!",
       {"[--]", "[XX]guarda", "[--]-", "[XX]chuva", "[,,],", "[XX]ora", "[!!]!", "[--]"}},
      {"a.b", {"[--]", "[XX]a", "[..].", "[--]", "[XX]b"}},
      {"p\xE3o ma\xE7\xE3", {"[--]", "[XX]p\xE3o", "[XX]ma\xE7\xE3"}},
      // A question word first, or second after a function word, gives the mark its own class.
      {"Quem saiu? Sim.",
       {"[--]", "[QU]Quem", "[XX]saiu", "[?Q]?", "[--]", "[XX]Sim", "[..].", "[--]"}},
      {"de quem?", {"[--]", "[PR]de", "[QU]quem", "[?Q]?", "[--]"}},
      {"saiu quem?", {"[--]", "[XX]saiu", "[QU]quem", "[??]?", "[--]"}},
      {"Sim. Ela, de quem?",
       {"[--]", "[XX]Sim", "[..].", "[--]", "[PN]Ela", "[,,],", "[PR]de", "[QU]quem", "[??]?",
        "[--]"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TokeniseText(tables, c.text), c.entries) << c.text;
  }
}

TEST(ProsodyCodes, FirstMatchInFileOrderAndLevelCarriedOn) {
  const auto quiet = [](const std::string&) {};
  ProsodyTables tables;
  ASSERT_TRUE(ParseProsody(
      kDur + "\n" + kKeys + "\nde=PR\n" + kPros + "\n|XX|..=?21\n|XX|=?37\n|XX|=999\n|..|=\n",
      tables, quiet));
  const Lines coded = AssignProsodyCodes(tables, TokeniseText(tables, "casa de pedra."));
  // "casa" starts at the 5 of the utterance start; "de" matches nothing and gets 555, so
  // "pedra" starts at 5; an empty code gives 555.
  EXPECT_EQ(coded, (Lines{"555|", "537|casa", "555|de", "521|pedra", "555|.", "555|"}));
}

// The shipped prosody file: the last word of a statement starts high and falls on its stressed
// syllable; that of a yes/no question starts low and rises on it, whatever the word's stress;
// a question that opens with a question word is high there and falls at its end.
TEST(ShippedProsody, StatementFallsQuestionRises) {
  ProsodyTables tables;
  Lines shown;
  ASSERT_TRUE(
      LoadProsody(kShippedProsody, tables, [&](const std::string& m) { shown.push_back(m); }));
  EXPECT_TRUE(shown.empty());
  EXPECT_GE(tables.word_classes.size(), 100u);
  for (const char* phoneme :
       {"a",  "an", "@",  "b",  "d",  "e",  "ee", "en", "f",  "g",  "h",  "i",
        "in", "j",  "k",  "l",  "lh", "m",  "m2", "n",  "nh", "o",  "on", "oo",
        "p",  "r",  "r2", "rr", "s",  "s2", "t",  "u",  "un", "v",  "w",  "x",
        "y",  "z",  "_",  "__", "_,", "_.", "_!", "_?", "_;", "_:", "_(", "_)"}) {
    bool found = false;
    for (const DurationEntry& entry : tables.durations) found |= entry.phoneme == phoneme;
    EXPECT_TRUE(found) << "no duration for " << phoneme;
  }
  struct Case {
    std::string text;
    Lines coded;
  };
  const Case cases[] = {
      {"Ela saiu.", {"555|", "555|Ela", "631|saiu", "122|.", "255|"}},
      {"Voc\xEA saiu?", {"555|", "555|Voc\xEA", "496|saiu", "688|?", "855|"}},
      {"Quem chegou?", {"555|", "687|Quem", "521|chegou", "111|?", "155|"}},
      {"Por que ela saiu?", {"555|", "687|Por", "744|que", "455|ela", "521|saiu", "111|?", "155|"}},
      {"Acho que sim?", {"555|", "566|Acho", "644|que", "496|sim", "688|?", "855|"}},
      {"O tempo, de novo.",
       {"555|", "544|O", "466|tempo", "655|,", "544|de", "631|novo", "122|.", "255|"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AssignProsodyCodes(tables, TokeniseText(tables, c.text)), c.coded) << c.text;
  }
}

}  // namespace
}  // namespace cadencio::tts
