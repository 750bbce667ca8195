// The written forms of music and everyday text, one table per class of reading, as the
// built-in TTS's normaliser reads them; then the same forms spelled out for the other voices.
#include "tts/written_forms.hpp"

#include <gtest/gtest.h>

#include <string>

#include "tts/text_normaliser.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

struct Case {
  const char* input;  // UTF-8, compared in Windows-1252
  const char* said;
  const char* why;
};

void ExpectNormalised(const Case* begin, const Case* end) {
  const AbbreviationTable abbreviations;
  for (const Case* c = begin; c != end; ++c) {
    EXPECT_EQ(NormaliseText(Cp1252(c->input), abbreviations), Cp1252(c->said))
        << "input: " << c->input << " (" << c->why << ")";
  }
}

TEST(WrittenForms, TimeSignaturesAndFractions) {
  const Case cases[] = {
      {"compasso 4/4", "compasso quatro por quatro ", "a time signature"},
      {"6/8 e 12/8", "seis por oito  e doze por oito ", "compound metres"},
      {"em 7/8", "em sete por oito ", "an odd metre"},
      {"1/2", "um meio ", "a half"},
      {"2/3 do tempo", "dois terços  do tempo", "a fraction"},
      {"compasso 1/4", "compasso um por quatro ", "the word compasso makes any a metre"},
      {"25/12", "vinte e cinco de dezembro ", "a date stays a date"},
      {"4/4/4", "quatro  barra quatro  barra quatro ", "three parts are neither"},
  };
  ExpectNormalised(std::begin(cases), std::end(cases));
}

TEST(WrittenForms, NotesAndChords) {
  const Case cases[] = {
      {"Sib maior", "Si bemol  maior", "solfège and b"},
      {"Dó#", "Dó sustenido ", "solfège and #"},
      {"Fá#m", "Fá sustenido menor ", "sharp and minor"},
      {"Bb", "Si bemol ", "a letter name and b"},
      {"C#m7", "Dó sustenido menor com sétima ", "minor seventh"},
      {"G7(b9)", "Sol com sétima e nona bemol ", "added intervals"},
      {"C7M", "Dó com sétima maior ", "the major seventh"},
      {"Am7(b5)", "Lá meio diminuto ", "half diminished"},
      {"Dsus4", "Ré com quarta suspensa ", "suspended fourth"},
      {"G/B", "Sol com baixo em Si ", "a bass note"},
      {"Em C G D7", "Mi menor  Dó  Sol  Ré com sétima ", "a word among chords is a chord"},
      {"Em casa", "Em casa", "a word alone stays a word"},
      {"A música", "A música", "an article is no chord"},
      {"sim, mim", "sim, mim", "words that look like minor chords"},
      {"A4 e B2", "A quatro  e bê dois ", "a letter and a number chords do not take"},
  };
  ExpectNormalised(std::begin(cases), std::end(cases));
}

TEST(WrittenForms, Ranges) {
  const Case cases[] = {
      {"3–5", "três a cinco ", "a dash between numbers"},
      {"10-12 minutos", "dez a doze  minutos", "a hyphen before a word"},
      {"5–10 km", "cinco a dez quilômetros ", "the unit is read with the second number"},
      {"1990 – 2000", "mil novecentos e noventa a dois mil  ", "years with a spaced dash"},
      {"12-34", " um dois traço três quatro ", "a hyphen alone is a code"},
      {"25-12 horas", " dois cinco traço um dois  horas", "in descending order no range"},
  };
  ExpectNormalised(std::begin(cases), std::end(cases));
}

TEST(WrittenForms, NamesAndAcronyms) {
  const Case cases[] = {
      {"D. João VI", "Dom João sexto", "Dom before a man's name"},
      {"D. Maria I", "Dona Maria primeiro", "Dona before a woman's"},
      {"D. Isabel", "Dona Isabel", "a woman's name not in a"},
      {"mil e quinhentos", "mil e quinhentos", "words stay words"},
      {"1500", "mil e quinhentos ", "the joins of large numbers"},
      {"1230", "mil duzentos e trinta ", "no e before a group that has its own"},
      {"USP", "úspi ", "capitals said as a word"},
      {"UTI", "utêi", "capitals spelled though they could be said"},
      {"INSS", "iêneésseésse", "capitals no syllables make"},
      {"ONU", "ONU", "capitals that make a word"},
  };
  ExpectNormalised(std::begin(cases), std::end(cases));
}

TEST(WrittenForms, TelephoneNumbers) {
  const Case cases[] = {
      {"0800 123 4567", "zero oitocentos, um dois três, quatro cinco seis sete ",
       "a service number"},
      {"0800-723-2020", "zero oitocentos, sete dois três, dois zero dois zero ", "with hyphens"},
      {"(11) 98765 4321", "(onze ) nove oito sete seis cinco, quatro três dois um ",
       "after an area code"},
      {"3333-4444", " três três três três traço quatro quatro quatro quatro ", "a dash run"},
      {"tenho 1234 5678",
       "tenho mil duzentos e trinta e quatro  cinco mil seiscentos e setenta e oito ",
       "two numbers without an area code stay numbers"},
  };
  ExpectNormalised(std::begin(cases), std::end(cases));
}

TEST(WrittenForms, KeyNamesAndLetters) {
  const Case cases[] = {
      {"F1", "éfe um ", "a function key: the letter's name, then the number"},
      {"F12", "éfe doze ", "two digits"},
      {"L2", "éle dois ", "a letter and a number are two words"},
      {"MP3", "êmepê três ", "spelled letters and a number"},
      {"F", "éfe", "a lone letter"},
  };
  ExpectNormalised(std::begin(cases), std::end(cases));
}

// The other voices get the same readings as words, with spelled letters apart and, for the
// engines, large numbers as words; the rest of the text stays as written.
TEST(WrittenForms, SpelledOutForTheOtherVoices) {
  struct SpelledCase {
    const char* input;
    bool numbers_as_words;
    const char* said;
  };
  const SpelledCase cases[] = {
      {"D. João VI, 4/4", false, "Dom João sexto, quatro por quatro "},
      {"R$ 12,50 e 1500", false, "doze reais e cinqüenta centavos e 1500"},
      {"R$ 12,50 e 1500", true, "doze reais e cinqüenta centavos e mil e quinhentos"},
      {"INSS e IBGE.", false, "i êne ésse ésse e i bê jê é ."},
      {"Fá#m, 3,5 e 2.500.000", true, "Fá sustenido menor , 3,5 e dois milhões e quinhentos mil"},
      {"Sr. Silva tocou 3 vezes", true, "Sr. Silva tocou 3 vezes"},
  };
  for (const SpelledCase& c : cases) {
    EXPECT_EQ(SpellOutWrittenForms(Cp1252(c.input), c.numbers_as_words), Cp1252(c.said))
        << "input: " << c.input;
  }
}

}  // namespace
}  // namespace cadencio::tts
