// Tests of the built-in TTS's letter-to-phoneme stage with small rule sets: the rules-file
// format, both contexts, rule order and stress marks, the exceptions dictionary, the stressed
// vowel of a word, and the token loop with its pauses and final-consonant linking.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tts/letter_rules.hpp"
#include "tts/phoneme_transcriber.hpp"
#include "tts/pronunciation_exceptions.hpp"
#include "tts/stressed_vowel.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

using Lines = std::vector<std::string>;

std::string W(std::string_view utf8) {
  return Cp1252(utf8);
}

RuleTable Rules(std::string_view text) {
  RuleTable table;
  LoadRulesFromText(W(text), table);
  return table;
}

Lines Transcribe(const RuleTable& rules, std::string_view word, int stress) {
  Lines lines;
  TranscribeWord(rules, W(word), stress, lines);
  return lines;
}

// In the stress table the stressed letter of each word is a capital; a word in small letters
// only has no stressed vowel (0).
TEST(StressedVowel, GoldenTable) {
  const std::vector<std::string> groups = {
      // The worked examples.
      "cAsa cAsas falAr fAlam bEm cafÉ dIa rUa jOgue aquI pAi",
      // Paroxytones ending in a vowel, -s, -am, -em, -ens.
      "mEsa lIvro lIvros nOite tEmpo mUndo palAvra semAna janEla obrigAdo brasilEiro amIgo "
      "menIno cabEça hOmem jOvem viAgem cAntam cantAvam fAlem hOmens jOvens imAgens quEro "
      "quAse guErra quEijo pOrque sabIa marIa rIo frIo tIo sUa lUa continUa cOisa pOuco tOdo "
      "Este mUito gOsto Ontem",
      // Oxytones: final consonant, -i, -u, -im, -om, -um.
      "amOr papEl azUl hotEl felIz rapAz animAl jardIm bOm algUm comUm ruIm caquI abacaxI perU "
      "cajU urubU xerOx jardIns algUns barrIl juIz raIz faturAr partIr corrEr",
      // Diphthongs and hiatus at the end.
      "saIu partIu mEu dEus fUi pAis mAis lEis herOis",
      // A final diphthong after another vowel keeps the stress.
      "abençoEi passeEi passeAi abalroEis acentuEi anuAis averiguEi paraguAi",
      // An i between vowels is a glide; an i before two consonants is not.
      "mEia idEia prAia mAio apOio chEios incluIndo construIndo construIrmos fuInha seguInte "
      "cUida flUido",
      // Accented vowels win, the last one first.
      "cÂmera mÁquina pÚblico lÂmpada vocÊ avÔ avÓ irmÃo mÃe limÕes parabÉns tambÉm saÚde "
      "paÍs sofÁ atrÁs mÍnimo",
      // No vowel letter, and y and w as vowels.
      "psst shhh crWth lYnch",
  };
  for (const std::string& group : groups) {
    std::istringstream words(W(group));
    std::string marked;
    while (words >> marked) {
      // The capital letter is the expected stressed vowel.
      int expected = 0;
      for (std::size_t k = 0; k < marked.size() && expected == 0; ++k) {
        if (base::LowerCase1252(marked[k]) != marked[k]) expected = static_cast<int>(k) + 1;
      }
      EXPECT_EQ(FindStressedVowel(base::UpperCase1252(marked)), expected) << marked;
    }
  }
  // The last accented vowel wins, whatever the endings.
  EXPECT_EQ(FindStressedVowel(W("ÔNIBÚS")), 5);
}

TEST(StressedVowel, UnstressedWords) {
  for (std::string_view w : {"DE", "O", "E", "POR", "DAS", "DOS", "COM", "N\xC3O", "SIM", ""}) {
    EXPECT_TRUE(IsUnstressedWord(w)) << w;
  }
  for (std::string_view w : {"CASA", "PARA", "NOS\xC3O", "SIMS", "POR\xC3"}) {
    EXPECT_FALSE(IsUnstressedWord(w)) << w;
  }
}

TEST(RulesFile, ParsesFieldsAndCutsThem) {
  struct Case {
    std::string line;
    Rule expected;
  };
  const std::vector<Case> cases = {
      {"#(A)%=a", {"#", "A", "%", "a"}},
      {"(CH)=x|chave", {"", "CH", "", "x"}},
      {"|(R)=rr", {"|", "R", "", "rr"}},
      {"(S)=", {"", "S", "", ""}},
      {"ABCDEFG(HIJKLMN)OPQRSTU=" + std::string(30, 'p'),
       {"ABCDE", "HIJKL", "OPQRS", std::string(20, 'p')}},
      {" (A) = a ", {" ", "A", " ", " a "}},  // blanks are ordinary characters
      {"(A", {"", "A", "", ""}},
      {"(A)B", {"", "A", "B", ""}},
      {"no parentheses", {"no pa", "", "", ""}},
  };
  for (const Case& c : cases) {
    const Rule r = ParseRuleLine(c.line);
    EXPECT_EQ(r.left, c.expected.left) << c.line;
    EXPECT_EQ(r.core, c.expected.core) << c.line;
    EXPECT_EQ(r.right, c.expected.right) << c.line;
    EXPECT_EQ(r.phonemes, c.expected.phonemes) << c.line;
  }
}

TEST(RulesFile, LoadsIntoBucketsAndSkipsEmptyCores) {
  const RuleTable table = Rules(";(A)=comment\n\n()=x\nA=b\n(\t)=tab\r\n(A)=a\r\n(AB)=ab\n(B)=b\n");
  EXPECT_EQ(table.buckets['A'].size(), 2u);
  EXPECT_EQ(table.buckets['A'][0].phonemes, "a");  // CR LF line end removed
  EXPECT_EQ(table.buckets['B'].size(), 1u);
  EXPECT_TRUE(table.buckets['\t'].empty());
  EXPECT_TRUE(table.buckets[';'].empty());
  // Without an empty-core rule, a word is read letter by letter and the loop ends.
  EXPECT_EQ(Transcribe(table, "ABA", 0), (Lines{"a", "b", "a", ""}));

  RuleTable loaded = Rules("(A)=a\n");
  EXPECT_FALSE(LoadRules("/nonexistent/portug.nrl", loaded));
  EXPECT_TRUE(loaded.buckets['A'].empty());  // emptied before reading
}

// Each case: one rule, a word, the 0-based position of the core, whether the rule applies.
TEST(RuleContexts, BothSides) {
  struct Case {
    std::string rule;
    std::string word;
    std::size_t pos;
    bool matches;
  };
  const std::vector<Case> cases = {
      // right #: a vowel follows (and is passed)
      {"(S)#=z", "SA", 0, true},
      {"(S)#=z", "ST", 0, false},
      {"(S)#=z", "S", 0, false},
      {"(S)#T=z", "SAT", 0, true},
      {"(S)#=z", "S\xC3", 0, true},  // accented capitals are vowels
      // right %: the word ends
      {"(R)%=r2", "MAR", 2, true},
      {"(R)%=r2", "MARE", 2, false},
      // right &: L M N R Z
      {"(A)&=x", "AL", 0, true},
      {"(A)&=x", "AZ", 0, true},
      {"(A)&=x", "AS", 0, false},
      {"(A)&A=x", "AMA", 0, true},
      // right *: a consonant but L and R, not passed
      {"(X)*=s2", "XT", 0, true},
      {"(X)*=s2", "XL", 0, false},
      {"(X)*=s2", "XR", 0, false},
      {"(X)*=s2", "XA", 0, false},
      {"(X)*=s2", "X", 0, false},
      {"(X)*T=s2", "XT", 0, true},
      // right +: E I É Í
      {"(C)+=s", "CE", 0, true},
      {"(C)+=s", "C\xCD", 0, true},
      {"(C)+=s", "C\xCA", 0, false},
      {"(C)+=s", "CA", 0, false},
      // right [: the end, or a consonant but H, not passed
      {"(L)[=w", "L", 0, true},
      {"(L)[=w", "LT", 0, true},
      {"(L)[=w", "LH", 0, false},
      {"(L)[=w", "LA", 0, false},
      {"(N)[T=n", "NT", 0, true},
      // right \: passes over one S
      {"(A)\\%=a", "A", 0, true},
      {"(A)\\%=a", "AS", 0, true},
      {"(A)\\%=a", "ASS", 0, false},
      {"(A)\\%=a", "AM", 0, false},
      // left #: a vowel before
      {"#(S)=z", "AS", 1, true},
      {"#(S)=z", "TS", 1, false},
      {"#(S)=z", "S", 0, false},
      // left %: the word starts here
      {"%(R)=rr", "RA", 0, true},
      {"%(R)=rr", "AR", 1, false},
      // left ]: A O Á Â Ó Ô
      {"](X)=x", "OX", 1, true},
      {"](X)=x", "\xC2X", 1, true},
      {"](X)=x", "EX", 1, false},
      {"](X)=x", "X", 0, false},
      // left _: the start, or a vowel (passed)
      {"_(E)=i", "E", 0, true},
      {"_(E)=i", "AE", 1, true},
      {"_(E)=i", "TE", 1, false},
      {"%_(E)=i", "AE", 1, true},
      // left |: N R S
      {"|(R)=rr", "NR", 1, true},
      {"|(R)=rr", "SR", 1, true},
      {"|(R)=rr", "TR", 1, false},
      {"|(R)=rr", "R", 0, false},
      // other characters stand for themselves, read outwards from the core
      {"FI(X)=ks", "FIX", 2, true},
      {"FI(X)=ks", "IFX", 2, false},
      {"(X)AB=x", "XAB", 0, true},
      {"(X)AB=x", "XBA", 0, false},
      {"*(A)=a", "*A", 1, true},
      {"*(A)=a", "TA", 1, false},
      {"(A)]=a", "A]", 0, true},
      {"(A)]=a", "AO", 0, false},
  };
  for (const Case& c : cases) {
    const Rule rule = ParseRuleLine(c.rule);
    const bool matches = MatchCore(rule, c.word, c.pos) && MatchLeftContext(rule, c.word, c.pos) &&
                         MatchRightContext(rule, c.word, c.pos);
    EXPECT_EQ(matches, c.matches) << c.rule << " on " << c.word << " at " << c.pos;
  }
}

TEST(TranscribeWord, RuleOrderPhonemeLinesAndStressMark) {
  // The first matching rule wins, however specific the later ones are.
  EXPECT_EQ(Transcribe(Rules("(A)=a\n(A)%=a~\n"), "A", 0), (Lines{"a", ""}));
  EXPECT_EQ(Transcribe(Rules("(A)%=a~\n(A)=a\n"), "AA", 0), (Lines{"a", "a~", ""}));
  // '&' separates phoneme lines; an empty PHONEMES makes the core silent; a letter with no
  // rule is silent too.
  const RuleTable rules = Rules("(X)=s&i\n(H)=\n(CA)=k&a\n(A)=a\n(S)=s\n(E)=e\n");
  EXPECT_EQ(Transcribe(rules, "XHQA", 0), (Lines{"s", "i", "a", ""}));
  // The mark goes before the first phoneme of the first rule starting at or after the
  // stressed position, once.
  EXPECT_EQ(Transcribe(rules, "ASA", 3), (Lines{"a", "s", ">a", ""}));
  EXPECT_EQ(Transcribe(rules, "ASA", 1), (Lines{">a", "s", "a", ""}));
  EXPECT_EQ(Transcribe(rules, "XA", 1), (Lines{">s", "i", "a", ""}));
  // A rule covering the stressed vowel from before leaves the mark for the next rule.
  EXPECT_EQ(Transcribe(rules, "CAS", 2), (Lines{"k", "a", ">s", ""}));
  EXPECT_EQ(Transcribe(rules, "CA", 2), (Lines{"k", "a", ""}));
  // A silent letter at the stressed position passes the mark on too.
  EXPECT_EQ(Transcribe(rules, "HAS", 1), (Lines{">a", "s", ""}));
  EXPECT_EQ(Transcribe(rules, "ASA", 0), (Lines{"a", "s", "a", ""}));
  EXPECT_EQ(Transcribe(rules, "ASA", -3), (Lines{"a", "s", "a", ""}));
  // Only the first eleven characters of PHONEMES are said.
  EXPECT_EQ(Transcribe(Rules("(A)=a&b&c&d&e&f&g&h\n"), "A", 0),
            (Lines{"a", "b", "c", "d", "e", "f", ""}));
  // The stress mark is written once however long the word.
  const Lines long_word = Transcribe(rules, std::string(300, 'A'), 1);
  EXPECT_EQ(std::count_if(long_word.begin(), long_word.end(),
                          [](const std::string& l) { return l.starts_with('>'); }),
            1);
}

ExceptionTable Exceptions(std::string_view text) {
  ExceptionTable table;
  LoadExceptionsFromText(W(text), table);
  return table;
}

TEST(Exceptions, RespellingWithStrippedEndings) {
  const ExceptionTable table =
      Exceptions("casa=kaza\nCANTA=KANTA\ntaxi=taksi|comment\nBEM=BEIN\nNOEQUALS\n\nXS=ks\n");
  struct Case {
    std::string word;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"CASA", "KAZA"},
      {"CASAS", "KAZAS"},
      {"CANTAM", "KANTAM"},
      {"TAXIS", "TAKSIS"},
      {"TAXISMS", "TAKSISMS"},  // one letter at a time
      {"BEMS", "BEINS"},
      {"CASO", "CASO"},
      {"SSS", "SSS"},
      {"NOEQUALS", "NOEQUALS"},
      {"XSS",
       "ks"
       "S"},
      {"", ""},
      {"M", "M"},
  };
  for (const Case& c : cases) {
    std::string word = c.word;
    ApplyException(table, word);
    EXPECT_EQ(word, base::UpperCase1252(c.expected)) << c.word;
  }
}

TEST(Exceptions, FileIsSortedInByteOrderAndCapped) {
  ExceptionTable table;
  LoadExceptionsFromText("\xC9TICA=ETIKA\nZEBRA=ZEBRA\nAVE=AVI\n\xC1GUA=AGUA\n", table);
  ASSERT_EQ(table.entries.size(), 4u);
  EXPECT_EQ(table.entries.front().key, "AVE");
  EXPECT_EQ(table.entries[2].key, "\xC1GUA");
  EXPECT_EQ(table.entries.back().key, "\xC9TICA");  // above every ASCII letter
  std::string word = "\xC1GUAS";
  ApplyException(table, word);
  EXPECT_EQ(word, "AGUAS");

  std::string many;
  for (int k = 0; k < 15100; ++k) many += 'W' + std::to_string(k) + "=X\n";
  const ExceptionTable capped = Exceptions(many);
  EXPECT_EQ(capped.entries.size(), kMaxExceptions);
  std::string kept = "W14999", dropped = "W15000";
  ApplyException(capped, kept);
  ApplyException(capped, dropped);
  EXPECT_EQ(kept, "X");
  EXPECT_EQ(dropped, "W15000");

  ExceptionTable loaded = table;
  EXPECT_FALSE(LoadExceptions("/nonexistent/portug.exc", loaded));
  EXPECT_TRUE(loaded.entries.empty());
}

TEST(Lexicon, LoadsRulesThenExceptions) {
  const auto dir = std::filesystem::temp_directory_path() / "cadencio_lexicon_test";
  std::filesystem::create_directories(dir);
  const std::string rules = (dir / "portug.nrl").string();
  const std::string exceptions = (dir / "portug.exc").string();
  std::ofstream(rules) << "(A)=a\n";
  std::ofstream(exceptions) << "B=A\n";
  Lexicon lexicon;
  EXPECT_TRUE(LoadLexicon(rules, exceptions, lexicon));
  EXPECT_EQ(lexicon.exceptions.entries.size(), 1u);
  EXPECT_FALSE(LoadLexicon(rules, (dir / "none.exc").string(), lexicon));
  // A missing rules file fails before the exceptions are read, which stay empty.
  EXPECT_FALSE(LoadLexicon((dir / "none.nrl").string(), exceptions, lexicon));
  EXPECT_TRUE(lexicon.exceptions.entries.empty());
  std::filesystem::remove_all(dir);
}

Lexicon SmallLexicon() {
  Lexicon lexicon;
  LoadRulesFromText(
      "(M)=m\n(A)=a\n(R)%=r2\n(R)=r\n(Z)=z\n(U)=u\n(L)%=w\n(S)%=s2\n(S)=s\n(E)=\xA8i\n(O)=o\n"
      "(D)=d\n(T)=t\n",
      lexicon.rules);
  LoadExceptionsFromText("DO=DU\n", lexicon.exceptions);
  return lexicon;
}

TEST(TranscribeTokens, CommentsPausesAndWords) {
  const Lexicon lexicon = SmallLexicon();
  // A list holding only the leading phrase mark.
  EXPECT_EQ(TranscribeTokens({"555|"}, lexicon), (Lines{";555|", "__", "", "__"}));
  EXPECT_EQ(TranscribeTokens({}, lexicon), (Lines{"__"}));
  EXPECT_EQ(TranscribeTokens({"555|", "567|Mar", "573|.", "555|", "?55| ", "123|x"}, lexicon),
            (Lines{";555|", "__", "", ";567|Mar", "m", ">a", "r2", "", ";573|.", "_.", ";555|",
                   "__", "", ";?55| ", ";123|x", "", "__"}));
  // Two-letter words and the listed short words get no mark; exceptions apply first.
  // DOS becomes DUS through the entry DO, and DUS is not one of the short words.
  EXPECT_EQ(
      TranscribeTokens({"555|do", "555|das", "555|dos", "555|mato"}, lexicon),
      (Lines{";555|do", "d",  "u", "",          ";555|das", "d",  "a", "s2", "", ";555|dos", "d",
             ">u",      "s2", "",  ";555|mato", "m",        ">a", "t", "o",  "", "__"}));
  Lines lines;
  for (char mark : std::string("!(),.:;? -")) PausePhoneme(mark, lines);
  EXPECT_EQ(lines, (Lines{"_!", "_(", "_)", "_,", "_.", "_:", "_;", "_?"}));
}

TEST(TranscribeTokens, FinalConsonantsLinkBeforeAVowel) {
  const Lexicon lexicon = SmallLexicon();
  const auto last_of_first_word = [&](std::vector<std::string> entries) {
    const Lines lines = TranscribeTokens(entries, lexicon);
    // The first word's phonemes follow its comment line; its last one precedes the empty line.
    const auto end = std::find(lines.begin() + 1, lines.end(), "");
    return *(end - 1);
  };
  struct Case {
    std::vector<std::string> entries;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{"555|mar", "555|azul"}, "r"},  // MAR AZUL
      {{"555|mar", "555|do"}, "r2"},   // before a consonant
      {{"555|mas", "555|azul"}, "z"},
      {{"555|mares", "555|e"}, "z"},             // after one leading ¨
      {{"555|mar", "555|,", "555|azul"}, "r2"},  // not across a pause
      {{"555|mar", "555|", "555|azul"}, "r2"},   // nor a phrase mark
      {{"555|mar", "555|ama"}, "r2"},            // a stressed first vowel starts with the mark
      {{"555|sal", "555|azul"}, "w"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(last_of_first_word(c.entries), c.expected) << c.entries[0] << " " << c.entries[1];
  }
}

// Rules that open every e and o: only those after the stressed vowel are closed again.
TEST(TranscribeTokens, OpenVowelsCloseAfterTheStress) {
  Lexicon lexicon;
  LoadRulesFromText("(\xC9)=ee\n(E)=ee\n(O)=oo\n(R)=r\n(L)=l\n(A)=a\n(P)=p\n", lexicon.rules);
  struct Case {
    std::string word;  // Windows-1252
    Lines expected;
    const char* why;
  };
  const std::vector<Case> cases = {
      {"p\xC9rola", {"p", ">ee", "r", "o", "l", "a"}, "stressed on the accent: the o follows it"},
      {"parola", {"p", "a", "r", ">oo", "l", "a"}, "the stressed o itself stays open"},
      {"opera", {"oo", "p", ">ee", "r", "a"}, "before the stress nothing changes"},
      {"pel", {"p", ">ee", "l"}, "a word of one vowel"},
  };
  for (const Case& c : cases) {
    const Lines lines = TranscribeTokens({"555|" + c.word}, lexicon);
    EXPECT_EQ(Lines(lines.begin() + 1, lines.end() - 2), c.expected) << c.why;
  }
}

}  // namespace
}  // namespace cadencio::tts
