// Tests of the built-in TTS's text normalisation: number and ordinal words, character names,
// the abbreviations file, and golden tables of whole texts (numbers, dates, telephone numbers,
// money, ordinals, abbreviations, signs), and of the forms read as wholes (money, dates,
// times, units, Roman numerals, acronyms).
#include "tts/text_normaliser.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "tts/character_names.hpp"
#include "tts/number_expansion.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

// Texts in these tables are written in UTF-8 and compared in Windows-1252.
std::string W(std::string_view utf8) {
  return Cp1252(utf8);
}

struct TextCase {
  std::string input;
  std::string expected;
};

AbbreviationTable TestAbbreviations() {
  AbbreviationTable table;
  LoadAbbreviationsFromText(W("SR=senhor\nDRA=doutora\nAV = avenida \nETC=etcétera\n"), table);
  return table;
}

TEST(NumberWords, Cardinals) {
  const std::vector<std::pair<uint64_t, std::string>> cases = {
      {0, "zero"},
      {1, "um"},
      {15, "quinze"},
      {21, "vinte e um"},
      {50, W("cinqüenta")},
      {99, "noventa e nove"},
      {100, "cem"},
      {101, "cento e um"},
      {110, "cento e dez"},
      {999, "novecentos e noventa e nove"},
      {1000, "mil "},
      {1001, "mil e um"},
      {1005, "mil e cinco"},
      {1200, "mil e duzentos"},
      {1230, "mil duzentos e trinta"},
      {2000, "dois mil "},
      {100100, "cem mil e cem"},
      {1000000, W("um milhão ")},
      {1000001, W("um milhão e um")},
      {1001000, W("um milhão e mil ")},
      {2500000, W("dois milhões e quinhentos mil ")},
      {1234567, W("um milhão duzentos e trinta e quatro mil quinhentos e sessenta e sete")},
      {1000000000, W("um bilhão ")},
      {1000000000000, W("um trilhão ")},
      {999999999999999,
       W("novecentos e noventa e nove trilhões novecentos e noventa e nove bilhões novecentos e "
         "noventa e nove milhões novecentos e noventa e nove mil novecentos e noventa e nove")},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(CardinalWords(value), expected) << value;
  }
}

TEST(NumberWords, TripletsAndOrdinals) {
  const std::vector<std::pair<std::string, std::string>> triplets = {
      {"000", ""},
      {"100", "cem"},
      {"021", "vinte e um"},
      {"110", "cento e dez"},
      {"305", "trezentos e cinco"},
      {"007", "sete"},
      {"011", "onze"},
      {"210", "duzentos e dez"},
      {"990", "novecentos e noventa"},
  };
  for (const auto& [digits, expected] : triplets) {
    EXPECT_EQ(base::GroupWords(TtsNumberWords(), digits), expected) << digits;
  }
  struct OrdinalCase {
    uint64_t value;
    Gender gender;
    std::string expected;
  };
  const std::vector<OrdinalCase> ordinals = {
      {0, Gender::kMasculine, "zero"},
      {1, Gender::kMasculine, "primeiro"},
      {4, Gender::kFeminine, "quarta"},
      {10, Gender::kMasculine, W("décimo")},
      {21, Gender::kFeminine, W("vigésima primeira")},
      {123, Gender::kMasculine, W("centésimo vigésimo terceiro")},
      {1500, Gender::kMasculine, W("milésimo quingentésimo")},
      {1999, Gender::kFeminine, W("milésima nongentésima nonagésima nona")},
      {2000, Gender::kFeminine, "dois mil "},
  };
  for (const OrdinalCase& c : ordinals) {
    EXPECT_EQ(OrdinalWords(c.value, c.gender), c.expected) << c.value;
  }
}

TEST(CharacterNames, Table) {
  const std::vector<std::pair<char, std::string>> cases = {
      {' ', W("espaço")},
      {'0', W("zéro")},
      {'@', W("arrôba")},
      {'C', W(" sê")},
      {'c', W(" sê")},
      {'J', W("jóta")},
      {'j', "jota"},
      {'N', W("êne")},
      {'n', "ene"},
      {'~', "til"},
      {'\xAA', "ordinal feminino"},
      {'\xE7', W("Cê cedilha")},
      {'\xC0', "A grave"},
      {'\xF7', "vezes"},
      {'\xBF', W("interrogação reversa")},
      // Codes without a name.
      {'\t', ""},
      {'\x7F', ""},
      {'\x80', ""},
      {'\xA0', ""},
      {'\xDD', ""},
      {'\xFF', ""},
  };
  for (const auto& [c, expected] : cases) {
    EXPECT_EQ(CharacterName(c), expected) << "code " << ByteOf(c);
  }
}

TEST(ReadNumber, StopsWhereTheNumberEnds) {
  struct Case {
    std::string text;
    std::string words;
    std::size_t end;
  };
  const std::vector<Case> cases = {
      {"0", "zero", 1},
      {"3.14", W("três"), 1},  // not a thousands separator
      {"1.0005", "um", 1},
      {"12-34 x", W(" um dois traço três quatro"), 5},
      {"1os. x", "primeiros", 4},
      {"2a.", "segunda", 3},
      {"7x", "sete", 1},  // any other character: cardinal, p stays
      {"0012", "zero zero doze", 4},
      {"01\xBA", "primeiro", 3},  // the zero prefix is for cardinals only
  };
  for (const Case& c : cases) {
    std::size_t pos = 0;
    EXPECT_EQ(ReadNumber(c.text, pos), c.words) << c.text;
    EXPECT_EQ(pos, c.end) << c.text;
  }
}

TEST(NormaliseText, GoldenTable) {
  const AbbreviationTable abbreviations = TestAbbreviations();
  const std::vector<TextCase> cases = {
      // Numbers
      {"1.000", "mil  "},
      {"1.000.000", W("um milhão  ")},
      {"1.0005", "um ponto zero zero zero cinco "},
      {"3,5", W("três vírgula cinco ")},
      {"3.14", W("três ponto quatorze ")},
      {"100", "cem "},
      {"101", "cento e um "},
      {"1001", "mil e um "},
      {"2000000", W("dois milhões  ")},
      {"-5", "menos cinco "},
      {"5 - 3", W("cinco  , três ")},
      {"12-34", W(" um dois traço três quatro ")},
      {"007", "zero zero sete "},
      {"12345678901234567890",
       W("cento e vinte e três trilhões quatrocentos e cinqüenta e seis bilhões setecentos e "
         "oitenta e nove milhões doze mil trezentos e quarenta e cinco sessenta e sete mil "
         "oitocentos e noventa ")},
      // Ordinals
      {"2\xBA", "segundo "},
      {"2\xAA", "segunda "},
      {"1os.", "primeiros "},
      {"3as.", "terceiras "},
      {"2005\xBA", "dois mil e cinco "},
      {"1\xBA lugar", "primeiro  lugar"},
      {"a 3a. vez", "a terceira  vez"},
      // Dates and times
      {"25/12/2024", "vinte e cinco de dezembro de dois mil e vinte e quatro "},
      {"25-12", W(" dois cinco traço um dois ")},
      {"10:30", "dez horas e trinta minutos "},
      // Telephone numbers
      {"3333-4444", W(" três três três três traço quatro quatro quatro quatro ")},
      {"(11) 98765-4321", W("(onze )  nove oito sete seis cinco traço quatro três dois um ")},
      // Money and percentages
      {"R$ 10,50", W("dez reais e cinqüenta centavos ")},
      {"US$ 5", W("cinco dólares ")},
      {"50%", W("cinqüenta  porcento ")},
      // Abbreviations and letter groups
      {"FGTS", W("éfejêtêésse")},
      {"Sr. Silva", "senhor Silva"},
      {"Sr Silva", W("ésseérre Silva")},
      {"Dra. Ana", "doutora Ana"},
      {"av. Paulista", "avenida Paulista"},
      {"Veja etc. e tal", W("Veja etcétera e tal")},
      {"e etc.", "e etc."},  // at the very end: no ". "
      {"abc. def", "abc. def"},
      {"guarda-chuva", "guarda-chuva"},
      // Signs and marks
      {"site.com", "site ponto com"},
      {"Bom...", "Bom... "},
      {"ana@casa", W("ana arrôba casa")},
      {"ca\tsa\n\r", "casa"},
      {W("Olá, você!"), W("Olá, você!")},
      {"ana*bia", "ana asterisco bia"},
      {"b", W("bê")},
      {"ana b", W("ana bê")},  // a letter without a vowel is spelled
      {"ana\x7F"
       "bia",
       "ana  bia"},
      // One character
      {"?", W("interrogação")},
      {"a", "a"},
      {"5", "cinco"},
      {"0", W("zéro")},
      {W("à"), "A grave"},
      {"\x7F", ""},
      {"", ""},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(NormaliseText(c.input, abbreviations), c.expected) << "input: " << c.input;
  }
}

// Forms a Brazilian reads as a whole: money, dates, times, units after a number, the number
// sign, Roman numerals by a name or by "século", acronyms that make no word.
TEST(NormaliseText, FormsReadAsWholes) {
  struct Case {
    std::string input;
    std::string expected;
    std::string why;
  };
  const AbbreviationTable abbreviations = TestAbbreviations();
  ExceptionTable exceptions;
  LoadExceptionsFromText(W("OK=OKÊI\n"), exceptions);
  const Case cases[] = {
      {"R$ 12,50", W("doze reais e cinqüenta centavos "), "reais and centavos"},
      {"R$1,00", "um real ", "one real, no blank after the sign"},
      {"R$ 0,01", "um centavo ", "centavos alone"},
      {"R$ 1.000.000", W("um milhão de reais "), "a scale word takes de"},
      {"\x80 3", W("três euros "), "the euro sign"},
      {"07/12/2026", "sete de dezembro de dois mil e vinte e seis ", "day, month name, year"},
      {"1/5/26", "primeiro de maio de vinte e seis ", "the first day, a two-digit year"},
      {"25/12", "vinte e cinco de dezembro ", "two parts of two digits"},
      {"1/2", "um meio ", "a fraction is no date"},
      {"dia 7/9", "dia sete de setembro ", "after dia a short date is a date"},
      {"31/13/2020", "trinta e um  barra treze  barra dois mil e vinte ", "no month 13"},
      {"14h30", "quatorze horas e trinta minutos ", "hours and minutes"},
      {"1h", "uma hora ", "hora is feminine"},
      {"22h01", "vinte e duas horas e um minuto ", "feminine hours, one minute"},
      {W("às 9:05"), W("às nove horas e cinco minutos "), "a time with a colon"},
      {"5 km", W("cinco quilômetros "), "a unit after a blank"},
      {"1 km", W("um quilômetro "), "one takes the singular"},
      {"440 Hz", "quatrocentos e quarenta hertz ", "hertz"},
      {W("25 °C"), "vinte e cinco graus Celsius ", "degrees Celsius"},
      {"2,5 kg", W("dois vírgula cinco quilos "), "decimals take the plural"},
      {"2 h", "duas horas ", "a feminine unit"},
      {"5 meses", "cinco  meses", "a word that begins like a unit is no unit"},
      {W("nº 5"), W("número cinco "), "the number sign"},
      {W("N° 12"), W("número doze "), "with the degree sign"},
      {W("século XXI"), W("século vinte e um"), "a century above ten is a cardinal"},
      {W("século V"), W("século quinto"), "a century up to ten is an ordinal"},
      {W("séculos XV–XVI e"), W("séculos quinze a dezesseis e"), "a range of centuries"},
      {"Pedro II", "Pedro segundo", "a name and its ordinal"},
      {"Bento XVI", "Bento dezesseis", "above ten a cardinal"},
      {W("Capítulo IV"), W("Capítulo quatro"), "chapters take cardinals"},
      {"Vitamina C", W("Vitamina  sê"), "a lone C is a letter"},
      {"o II", "o II", "no name before it"},
      {"INSS", W("iêneésseésse"), "capitals that make no word are spelled"},
      {"IBGE", W("ibêjêé"), "b and g cannot meet"},
      {"ONU", "ONU", "capitals that make a word are read"},
      {"OK", "OK", "the exceptions make it a word"},
      {"Inss", "Inss", "not all capitals"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormaliseText(c.input, abbreviations, &exceptions), c.expected)
        << "input: " << c.input << " (" << c.why << ")";
  }
}

TEST(Abbreviations, FileFormat) {
  AbbreviationTable table;
  LoadAbbreviationsFromText(
      "; comment\n\n  sr = senhor  \r\nno equals sign\nSR=second\n=empty key\nDr=doutor|x\n",
      table);
  EXPECT_EQ(table.entries.size(), 5u);                   // comment and empty line skipped
  EXPECT_EQ(LookUpAbbreviation(table, "Sr"), "senhor");  // first equal key wins
  EXPECT_EQ(LookUpAbbreviation(table, "dR"), "doutor|x");
  EXPECT_EQ(LookUpAbbreviation(table, ""), "");
  EXPECT_EQ(LookUpAbbreviation(table, "no equals sign"), "");
  EXPECT_EQ(LookUpAbbreviation(table, W("pça")), "");
  LoadAbbreviationsFromText(W("PÇA=praça\nK=" + std::string(1200, 'x')), table);
  EXPECT_EQ(LookUpAbbreviation(table, W("pça")), W("praça"));  // accented capitals
  EXPECT_EQ(LookUpAbbreviation(table, "k").size(), kMaxExpansion);
}

TEST(Abbreviations, FilesAndGrowth) {
  const auto dir = std::filesystem::temp_directory_path() / "cadencio_abbreviations_test";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "portug.abr").string();
  {
    std::ofstream out(path, std::ios::binary);
    for (int k = 0; k < 2500; ++k) out << "K" << k << "=word " << k << "\n";
  }
  AbbreviationTable table;
  ASSERT_TRUE(LoadAbbreviations(path, table));
  EXPECT_EQ(table.entries.size(), 2500u);  // a longer file grows the table
  EXPECT_EQ(LookUpAbbreviation(table, "k2499"), "word 2499");
  // A missing file fails and leaves the table empty.
  EXPECT_FALSE(LoadAbbreviations((dir / "missing.abr").string(), table));
  EXPECT_TRUE(table.entries.empty());
  EXPECT_FALSE(LoadAbbreviations(dir.string(), table));  // a directory
  std::filesystem::remove_all(dir);
}

TEST(Abbreviations, ShippedFileExpandsCommonAbbreviations) {
  AbbreviationTable table;
  ASSERT_TRUE(
      LoadAbbreviations(std::string(CADENCIO_SOURCE_DIR) + "/data/sivratts/portug.abr", table));
  // A repeated key would never be read.
  std::set<std::string> keys;
  for (const Abbreviation& entry : table.entries) {
    EXPECT_TRUE(keys.insert(entry.key).second) << "repeated key " << entry.key;
  }
  const std::vector<TextCase> cases = {
      {"Sra. Maria", "senhora Maria"},
      {"Prof. Carlos", "professor Carlos"},
      {"5 km. de casa", W("cinco quilômetros  de casa")},
      {W("seg. e ter. de manhã"), W("segunda-feira e terça-feira de manhã")},
      {"15 de jan. de 2024", W("quinze  de janeiro de dois mil e vinte e quatro ")},
      {"Av. Brasil, 100", "avenida Brasil, cem "},
      {"Tel. 3333-4444", W("telefone  três três três três traço quatro quatro quatro quatro ")},
      {"etc. etc.", W("etcétera etc.")},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(NormaliseText(c.input, table), c.expected) << "input: " << c.input;
  }
}

}  // namespace
}  // namespace cadencio::tts
