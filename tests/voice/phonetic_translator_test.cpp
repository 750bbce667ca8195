// Tests of the recorded voice's text-to-phonetic translator: preprocessing, words, stress,
// exceptions, the rules file and both rule contexts, spelling and the whole translation.
#include "voice/phonetic_translator.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/visible_text.hpp"
#include "voice/phonetic_stress.hpp"

namespace cadencio::voice {
namespace {

struct TextCase {
  std::string input;
  std::string expected;
};

PhoneticTranslator MakeTranslator(std::string_view rules, std::string_view exceptions = "") {
  PhoneticTranslator translator;
  translator.LoadPhoneticRulesFromText(rules);
  translator.LoadPhoneticExceptionsFromText(exceptions);
  return translator;
}

// ---------------------------------------------------------------- preprocessing

TEST(PhoneticPreprocess, GoldenTable) {
  const std::vector<TextCase> cases = {
      {"voc\xEA", "voce^"},      // circumflex after its vowel
      {"a\xE7\xE3o", "assa~o"},  // cedilla becomes ss
      {"d'\xE1gua", "da'gua"},   // apostrophe after d dropped
      {"D'agua", "Dagua"},       // ... after D too
      {"rock'n", "rock'n"},      // kept after k
      {"'a", "'a"},              // kept at the start
      {"Casa", "Casa"},          // case is kept at this stage
      {"wa", "ua"},              // w beside a letter is u
      {"Wagner", "uagner"},
      {"ww", "uu"},    // second w sees the changed first one
      {"yes", "ies"},  // y beside a letter is i
      {"kyu", "kiu"},
      {"w", "w"},  // alone: kept
      {"Y", "Y"},
      {"w w", "w w"},
      {"w1", "w1"},
      {"w\xE9", "we'"},    // an accented letter is not a letter for this test
      {"\xFF", " \x01 "},  // empty table entry
      {"\xDF", " \x01 "},
      {"\xAA", " \x01 "},
      {"a\tb", "a \x01 b"},  // control bytes have no piece
      {"\xC7", "ss"},
      {"\x80", "ss"},  // code page 850 cedilla
      {"\x87", "ss"},
      {"\x81", "u\""},  // diaeresis as a double quote
      {"\xFC", "u"},
      {"\xD1\xF1", "nhnh"},
      {"\xA7", "\xA7"},  // section sign stays
      {"\xAB", "\xAA"},  // feminine ordinal
      {"\xBB", "\xBA"},  // masculine ordinal
      {"\xBF", "?"},
      {"\xD7\xD8", "x0"},
      {"\x92", "-"},
      {"\x98", "y-"},
      {"\xC0\xC1\xC2\xC3\xC4\xC5\xC6", "a`a'a^a~a~aae"},
      {"\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF", "e`e'e^e\"i`i'i^i\""},
      {"\xF2\xF3\xF4\xF5\xF6\xF9\xFA\xFB", "o`o'o^o~o`u`u'u^"},
      {"", ""},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(PreprocessPhoneticText(c.input), c.expected) << "input " << testing::Visible(c.input);
  }
}

TEST(PhoneticPreprocess, EveryHighByteGivesAtMostTwoCharacters) {
  for (int b = 128; b < 256; ++b) {
    const std::string input(1, static_cast<char>(b));
    const std::string out = PreprocessPhoneticText(input);
    const std::string_view entry = PhoneticAccentTable[static_cast<std::size_t>(b - 128)];
    EXPECT_LE(entry.size(), 2u) << b;
    EXPECT_EQ(out, entry.empty() ? std::string(" \x01 ") : std::string(entry)) << b;
  }
}

// ---------------------------------------------------------------- words

TEST(PhoneticWords, SplitTable) {
  struct Case {
    std::string input;
    std::vector<PhoneticWord> expected;
  };
  const std::vector<Case> cases = {
      {"  Ola  MUNDO ", {{"ola", 2, false}, {"mundo", 2, false}}},
      {"voce^", {{"voce^", 2, true}}},
      {"pingu\"im", {{"pingu\"im", 3, false}}},  // the diaeresis is no explicit accent
      {"a'b", {{"a'b", 1, true}}},
      {"sr,", {{"sr", 0, false}, {",", 0, false}}},
      {"1a", {{"1", 0, false}, {"a", 1, false}}},
      {"'a", {{"'", 0, false}, {"a", 1, false}}},  // a mark cannot start a word
      {"a-b", {{"a", 1, false}, {"-", 0, false}, {"b", 0, false}}},
      {" \x01 ", {{"\x01", 0, false}}},
      {"   ", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitPhoneticWords(c.input), c.expected) << "input " << testing::Visible(c.input);
  }
}

TEST(PhoneticWords, OverLongWordIsCutAndItsRestDropped) {
  const std::string text = std::string(300, 'a') + " b";
  const std::vector<PhoneticWord> words = SplitPhoneticWords(text);
  ASSERT_EQ(words.size(), 2u);
  EXPECT_EQ(words[0].text, std::string(255, 'a'));
  EXPECT_EQ(words[0].vowel_count, 255);
  EXPECT_EQ(words[1].text, "b");
}

// ---------------------------------------------------------------- stress

TEST(PhoneticStress, GoldenTable) {
  const std::vector<TextCase> cases = {
      {"bola", "bOla"},  // 0 -> 5 at a, 5 at l, 6 at o
      {"ela", "ela"},    // decided on the first letter: not applied
      {"ordem", "ordem"},
      {"casa", "cAsa"},
      {"parede", "parEde"},
      {"homem", "hOmem"},  // state 2 after m
      {"falam", "fAlam"},
      {"jardim", "jardIm"},  // i then consonant: state 7
      {"tatu", "tatU"},
      {"caju", "cajU"},
      {"papel", "papEl"},  // final l: state 1
      {"feliz", "felIz"},
      {"cantar", "cantAr"},
      {"mal", "mAl"},  // one vowel, final l
      {"sol", "sOl"},
      {"mas", "mas"},  // one vowel: unmarked
      {"bom", "bom"},
      {"sr", "sr"},          // no vowel
      {"voc\xEA", "voce^"},  // explicit accent
      {"saia", "sAia"},      // state 8, otherwise
      {"feira", "fEira"},
      {"rainha", "raInha"},              // state 8, nh after the i
      {"contribuinte", "contribuInte"},  // state 8, consonant after n
      {"lingui\xE7"
       "a",
       "linguIssa"},           // state 8, u after g
      {"uruguai", "uruguaI"},  // state 3 looks one letter further left
  };
  const PhoneticTranslator translator;
  for (const TextCase& c : cases) {
    const std::vector<PhoneticWord> words = translator.AnalyseWords(c.input);
    ASSERT_EQ(words.size(), 1u) << c.input;
    EXPECT_EQ(words[0].text, c.expected) << "input " << testing::Visible(c.input);
  }
}

TEST(PhoneticStress, ShortWordsAreSafe) {
  for (const std::string text : {"a", "u", "l", "ae", "ia", "ui", "\x01"}) {
    PhoneticWord word{text, 2, false};
    MarkStress(word);
    EXPECT_EQ(word.text.size(), text.size()) << text;
  }
}

// ---------------------------------------------------------------- rules file

TEST(PhoneticRuleParse, AcceptedLines) {
  struct Case {
    std::string line;
    PhoneticRule expected;
  };
  const std::vector<Case> cases = {
      {"#(SS)%=s|", {"#", "SS", "%", "s"}},
      {"(A)=a|", {"", "A", "", "a"}},
      {"(A)=a", {"", "A", "", "a"}},   // no closing bar
      {"(-)=||", {"", "-", "", "|"}},  // the bar itself as output
      {"(-)=|", {"", "-", "", ""}},    // silent
      {"|(S)=z|", {"|", "S", "", "z"}},
      {"())=x|", {"", ")", "", "x"}},
      {"(=)=igual|", {"", "=", "", "igual"}},
      {"(A~)=an~|", {"", "A~", "", "an~"}},
      {"(A) =a /_s|", {"", "A", " ", "a /_s"}},
      {"ABCDEFG(HIJKLMN)OPQRSTU=abcdefghijklmnop|",
       {"ABCDE", "HIJKL", "OPQRS", "abcdefghijk"}},  // parts cut to 5, 5, 5, 11
  };
  for (const Case& c : cases) {
    const auto rule = ParsePhoneticRuleLine(c.line);
    ASSERT_TRUE(rule.has_value()) << c.line;
    EXPECT_EQ(*rule, c.expected) << c.line;
  }
}

TEST(PhoneticRuleParse, RejectedLines) {
  for (const std::string line : {"(a)=x|", "()=x|", "(\xC9)=x|", "(\tA)=x|", "(`)=x|", "A=x|",
                                 "(A)x|", "(A=x|", "x", "# comment"}) {
    EXPECT_FALSE(ParsePhoneticRuleLine(line).has_value()) << testing::Visible(line);
  }
}

TEST(PhoneticRuleTable, BadLinesAreSkippedAndTheRestLoads) {
  PhoneticRules rules;
  rules.LoadFromText("(A)=1|\r\n(a)=x|\r\n\r\n()=y|\n(B)=2|\n(\xE1)=z|\n(C)=3|");
  EXPECT_EQ(rules.RuleCount(), 3u);
  EXPECT_EQ(rules.RejectedLines(), 3u);  // empty lines are not counted
  ASSERT_EQ(rules.Chain('A').size(), 1u);
  EXPECT_EQ(rules.Chain('A')[0].output, "1");  // no carriage return left over
  EXPECT_EQ(rules.Chain('C')[0].output, "3");  // last line without line end
  EXPECT_TRUE(rules.Chain('a').empty());
  EXPECT_TRUE(rules.Chain('\x01').empty());
}

TEST(PhoneticRuleTable, RulesOutOfOrderJoinTheirOwnChain) {
  PhoneticRules rules;
  rules.LoadFromText("(A)B=3|\n(B)=2|\n(A)=1|\n");
  EXPECT_EQ(rules.Chain('A').size(), 2u);
  EXPECT_EQ(rules.Chain('B').size(), 1u);
  EXPECT_EQ(ApplyPhoneticRules("ac", rules), "[1/ /_C]");
  EXPECT_EQ(ApplyPhoneticRules("ab", rules), "[3/2]");
}

TEST(PhoneticRuleTable, LoadingReplacesAndFreeEmpties) {
  PhoneticTranslator translator = MakeTranslator("(A)=1|\n");
  translator.LoadPhoneticRulesFromText("(B)=2|\n");
  EXPECT_TRUE(translator.Rules().Chain('A').empty());
  EXPECT_EQ(translator.TranslateToPhonetic("ab"), "[ /_A/2]");
  translator.FreePhoneticRules();
  EXPECT_EQ(translator.Rules().RuleCount(), 0u);
  EXPECT_EQ(translator.TranslateToPhonetic("ab"), "[ /_A/ /_B]");
}

// ---------------------------------------------------------------- rule contexts

struct RuleCase {
  std::string rules;
  std::string text;
  std::string expected;
};

void ExpectTranslations(const std::vector<RuleCase>& cases) {
  for (const RuleCase& c : cases) {
    const PhoneticTranslator translator = MakeTranslator(c.rules);
    EXPECT_EQ(translator.TranslateToPhonetic(c.text), c.expected)
        << "rules " << testing::Visible(c.rules) << " text " << testing::Visible(c.text);
  }
}

TEST(PhoneticRuleContexts, Right) {
  ExpectTranslations({
      {"(C)#=k|", "ca", "[k/ /_A]"},  // # : vowels or marks
      {"(C)#=k|", "acr", "[ /_A/ /_C/ /_R]"},
      {"(C)#S=k|", "ca's", "[k/ /_A/ /_'/ /_S]"},  // # consumes the vowel and the mark
      {"(S)%=z|", "as", "[ /_A/z]"},               // % : end of word
      {"(S)%=z|", "sa", "[ /_S/ /_A]"},
      {"(A)&B=x|", "alb", "[x/ /_L/ /_B]"},  // & : l m n r z, consumed
      {"(A)&=x|", "ab", "[ /_A/ /_B]"},
      {"(A)*B=x|", "ab", "[x/ /_B]"},  // * : consonant but r and l, not consumed
      {"(A)*=x|", "ar", "[ /_A/ /_R]"},
      {"(A)*=x|", "al", "[ /_A/ /_L]"},
      {"(C)+=s|", "ce", "[s/ /_E]"},  // + : front vowel
      {"(C)+=s|", "ci", "[s/ /_I]"},
      {"(C)+=s|", "ca", "[ /_C/ /_A]"},
      {"(C)+%=s|", "ce'", "[s/ /_E/ /_']"},  // ... with its accent mark
      {"(A)[=x|", "a", "[x]"},               // [ : end of word
      {"(A)[B=x|", "ab", "[x/ /_B]"},        // ... or a consonant but h, not consumed
      {"(A)[=x|", "ah", "[ /_A/ /_H]"},
      {"(A)\\%=x|", "as", "[x/ /_S]"},  // \ : an optional s
      {"(A)\\%=x|", "a", "[x]"},
      {"(A)\\%=x|", "ab", "[ /_A/ /_B]"},
      {"(A)B=x|", "ab", "[x/ /_B]"},  // plain character
      {"(A)B=x|", "ac", "[ /_A/ /_C]"},
      {"(A)|=x|", "an", "[ /_A/ /_N]"},  // left-side symbols are plain on the right
      {"(AB)=x|", "a", "[ /_A]"},        // the pattern must fit in the word
  });
}

TEST(PhoneticRuleContexts, Left) {
  ExpectTranslations({
      {"#(S)#=z|", "asa", "[ /_A/z/ /_A]"},  // # : vowels or marks
      {"#(S)#=z|", "sa", "[ /_S/ /_A]"},
      {"B#(S)=z|", "baes", "[ /_B/ /_A/ /_E/z]"},  // # consumes several, stress on a
      {"%(A)=x|", "ab", "[x/ /_B]"},               // % : start of word
      {"%(A)=x|", "ba", "[ /_B/ /_A]"},
      {"](S)=z|", "as", "[ /_A/z]"},  // ] : a or o
      {"](S)=z|", "es", "[ /_E/ /_S]"},
      {"B](S)=z|", "ba~s", "[ /_B/ /_A/ /_~/z]"},  // ... with its accent mark
      {"_(S)=z|", "sa", "[z/ /_A]"},               // _ : start of word ...
      {"_(S)=z|", "as", "[ /_A/z]"},               // ... or a vowel
      {"_(S)=z|", "abs", "[ /_A/ /_B/ /_S]"},
      {"B_(S)=z|", "ba's", "[ /_B/ /_A/ /_'/z]"},  // ... with its accent mark
      {"|(S)=z|", "ans", "[ /_A/ /_N/z]"},         // | : n r s
      {"|(S)=z|", "ats", "[ /_A/ /_T/ /_S]"},
      {"|(S)=z|", "ass", "[ /_A/ /_S/z]"},
      {"A(S)=z|", "as", "[ /_A/z]"},  // plain character
      {"A(S)=z|", "es", "[ /_E/ /_S]"},
      {"&(S)=z|", "als", "[ /_A/ /_L/ /_S]"},  // right-side symbols are plain on the left
  });
}

TEST(PhoneticRuleContexts, OrderPatternsAndStress) {
  ExpectTranslations({
      {"(A)B=1|\n(A)=2|\n(A)=3|", "ab", "[1/ /_B]"},  // first match in file order
      {"(A)B=1|\n(A)=2|\n(A)=3|", "ac", "[2/ /_C]"},
      {"(SS)=s|", "assa", "[ /_A/s/ /_A]"},           // a pattern covers several letters
      {"(O)=o|\n(L)=l|", "bola", "[ /_B/O/l/ /_A]"},  // stressed unit's vowel upper case
      {"(O)=ko|", "bola", "[ /_B/kO/ /_L/ /_A]"},
      {"(BO)=bo|", "bola", "[bo/ /_L/ /_A]"},  // only the unit started on the stressed vowel
      {"(-)=||", "a-b", "[ /_A][|][ /_b]"},
      {"(A)=|", "ab", "[/ /_B]"},  // an empty output is a silent unit
  });
}

// ---------------------------------------------------------------- spelling

TEST(PhoneticSpelling, WhichWordsAreSpelled) {
  struct Case {
    std::string word;
    bool spelled;
  };
  const std::vector<Case> cases = {
      {"sr", true}, {",", true},  {"\x01", true}, {"s,", true}, {"h", true},
      {"", true},   {"a", false}, {"-", false},   {"'", false}, {"srA", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsSpelledWord(c.word), c.spelled) << testing::Visible(c.word);
}

TEST(PhoneticSpelling, Translations) {
  const PhoneticTranslator translator = MakeTranslator("(S)=s|\n(R)=r|\n");
  const std::vector<TextCase> cases = {
      {"sr", "[ /_s][ /_r]"},
      {",", "[ /_,]"},
      {"sr.", "[ /_s][ /_r][ /_.]"},
      {"\xFF", "[ /_\x01]"},
      {"a\tb", "[ /_A][ /_\x01][ /_b]"},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(translator.TranslateToPhonetic(c.input), c.expected) << testing::Visible(c.input);
  }
}

// ---------------------------------------------------------------- exceptions

const char kExceptions[] =
    "te=ti\n"
    "casa=kaza\n"
    "voce=voce^\n"
    "abc\n"
    "xy=z|w\n"
    "=vazio\n"
    "\n"
    "mesm=MM\r\n";

TEST(PhoneticExceptions, ApplyWithFinalSAndM) {
  PhoneticExceptions exceptions;
  exceptions.LoadFromText(kExceptions);
  EXPECT_EQ(exceptions.size(), 7u);
  const std::vector<TextCase> cases = {
      {"casa", "kaza"},     {"casas", "kazas"},    // casas, then casa
      {"casass", "kazass"}, {"casams", "kazams"},  // the letters set aside keep their order
      {"tem", "tim"},       {"mesmos", "mesmos"},  // ends in o after the s: no further search
      {"mesms", "MMs"},     {"abc", "abc"},        // a line without "=" never matches its word
      {"xy", "z"},                                 // the replacement ends at the first bar
      {"ms", "ms"},                                // the empty word is never looked up
      {"s", "s"},           {"", ""},
  };
  for (const TextCase& c : cases) EXPECT_EQ(exceptions.Apply(c.input), c.expected) << c.input;
  EXPECT_EQ(exceptions.Find("abc|"), std::optional<std::string_view>(""));
  EXPECT_EQ(exceptions.Find("mesm"), std::optional<std::string_view>("MM"));
}

TEST(PhoneticExceptions, FirstOfEqualWordsWins) {
  PhoneticExceptions exceptions;
  exceptions.LoadFromText("b=0\na=1\na=2\n");
  EXPECT_EQ(exceptions.Find("a"), std::optional<std::string_view>("1"));
}

TEST(PhoneticExceptions, LongLinesAreCut) {
  PhoneticExceptions exceptions;
  exceptions.LoadFromText(std::string(300, 'b') + "=x\n" + "a=" + std::string(300, 'x') + "\n");
  EXPECT_EQ(exceptions.Apply(std::string(255, 'b')), std::string(255, 'b'));
  ASSERT_TRUE(exceptions.Find("a").has_value());
  EXPECT_EQ(exceptions.Find("a")->size(), 253u);
  // A replacement with the final letters put back is cut to a word's length.
  EXPECT_EQ(exceptions.Apply('a' + std::string(10, 's')).size(), 255u);
}

TEST(PhoneticExceptions, AtMost15000PairsAndLoadingReplaces) {
  std::string text = "\n";
  for (int i = 0; i <= 15000; ++i) text += 'w' + std::to_string(i) + "=r\n";
  PhoneticExceptions exceptions;
  exceptions.LoadFromText(text);
  EXPECT_EQ(exceptions.size(), 15000u);
  EXPECT_TRUE(exceptions.Find("w14999").has_value());
  EXPECT_FALSE(exceptions.Find("w15000").has_value());
  exceptions.LoadFromText("a=1\n");
  EXPECT_EQ(exceptions.size(), 1u);
  EXPECT_FALSE(exceptions.Find("w0").has_value());
}

TEST(PhoneticExceptions, InTheWholeTranslation) {
  const PhoneticTranslator translator = MakeTranslator("", "casa=kaza\npra=para\n");
  const std::vector<PhoneticWord> words = translator.AnalyseWords("Casas pra");
  ASSERT_EQ(words.size(), 2u);
  EXPECT_EQ(words[0].text, "kAzas");  // stressed after the replacement
  // The vowel count stays that of the word as written: one vowel, so no stress.
  EXPECT_EQ(words[1].text, "para");
}

// ---------------------------------------------------------------- whole translation

TEST(PhoneticTranslation, WithoutRules) {
  const PhoneticTranslator translator;
  const std::vector<TextCase> cases = {
      {"voc\xEA", "[ /_V/ /_O/ /_C/ /_E/ /_^]"},
      {"bola", "[ /_B/ /_O/ /_L/ /_A]"},
      {"a\xE7\xE3o", "[ /_A/ /_S/ /_S/ /_A/ /_~/ /_O]"},
      {"d'\xE1gua", "[ /_D/ /_A/ /_'/ /_G/ /_U/ /_A]"},
      {"rock'n", "[ /_R/ /_O/ /_C/ /_K/ /_'/ /_N]"},
      {"a-b", "[ /_A][ /_-][ /_b]"},
      {"a \xA7", "[ /_A][ /_\xA7]"},
      {"", ""},
      {"   ", ""},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(translator.TranslateToPhonetic(c.input), c.expected) << testing::Visible(c.input);
  }
}

TEST(PhoneticTranslation, OverLongWordIsCut) {
  const PhoneticTranslator translator;
  const std::string out = translator.TranslateToPhonetic(std::string(300, 'b') + " a");
  std::string expected;
  for (int i = 0; i < 255; ++i) expected += "[ /_b]";
  EXPECT_EQ(out, expected + "[ /_A]");
}

// ---------------------------------------------------------------- files

class PhoneticFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        std::filesystem::temp_directory_path() /
        ("cadencio_phonetic_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Write(const std::string& name, const std::string& bytes) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  std::filesystem::path dir_;
};

TEST_F(PhoneticFiles, LoadsBothFiles) {
  PhoneticTranslator translator;
  EXPECT_TRUE(translator.LoadPhoneticRules(Write("regras.rgr", "(C)+=s|\r\n(C)=k|\r\n")));
  EXPECT_TRUE(translator.LoadPhoneticExceptions(Write("portug.exc", "ce=ci\r\n")));
  EXPECT_EQ(translator.TranslateToPhonetic("ces ca"), "[s/ /_I/ /_S][k/ /_A]");
}

TEST_F(PhoneticFiles, MissingFilesFailAndLeaveEmptyTables) {
  PhoneticTranslator translator = MakeTranslator("(A)=1|", "a=b");
  EXPECT_FALSE(translator.LoadPhoneticRules((dir_ / "nothing.rgr").string()));
  EXPECT_FALSE(translator.LoadPhoneticExceptions((dir_ / "nothing.exc").string()));
  EXPECT_FALSE(translator.LoadPhoneticRules(dir_.string()));  // a directory
  EXPECT_FALSE(translator.LoadPhoneticExceptions(""));
  EXPECT_EQ(translator.Rules().RuleCount(), 0u);
  EXPECT_EQ(translator.Exceptions().size(), 0u);
  EXPECT_EQ(translator.TranslateToPhonetic("a"), "[ /_A]");
}

TEST_F(PhoneticFiles, EmptyFilesLoad) {
  PhoneticTranslator translator;
  EXPECT_TRUE(translator.LoadPhoneticRules(Write("regras.rgr", "")));
  EXPECT_TRUE(translator.LoadPhoneticExceptions(Write("portug.exc", "")));
  EXPECT_EQ(translator.TranslateToPhonetic("sr"), "[ /_s][ /_r]");
}

}  // namespace
}  // namespace cadencio::voice
