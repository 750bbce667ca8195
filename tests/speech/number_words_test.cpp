// Numbers as Portuguese words, and the names of their recordings.
#include "speech/number_words.hpp"

#include <gtest/gtest.h>

#include <utility>

namespace cadencio::speech {
namespace {

TEST(NumberWords, ReadsPortugueseNumbers) {
  struct Case {
    uint64_t n;
    const char* words;
  };
  const Case cases[] = {
      {0, "zero"},
      {7, "sete"},
      {10, "dez"},
      {15, "quinze"},
      {17, "dezessete"},
      {20, "vinte"},
      {21, "vinte e um"},
      {99, "noventa e nove"},
      {100, "cem"},
      {101, "cento e um"},
      {110, "cento e dez"},
      {200, "duzentos"},
      {999, "novecentos e noventa e nove"},
      {1000, "mil "},
      {1001, "mil e um"},
      {1234, "mil duzentos e trinta e quatro"},
      {2000, "dois mil "},
      {2026, "dois mil e vinte e seis"},
      {100000, "cem mil "},
      {123456, "cento e vinte e tres mil quatrocentos e cinquenta e seis"},
      {1000000, "um milh\xE3o "},
      {2500000,
       "dois milh\xF5"
       "es e quinhentos mil "},
      {1000001, "um milh\xE3o e um"},
      {3000000000ULL,
       "tres bilh\xF5"
       "es "},
      {1000000000000ULL, "um trilh\xE3o "},
  };
  for (const auto& c : cases) EXPECT_EQ(NumberWords(c.n), c.words) << c.n;
}

TEST(NumberWords, GroupWords) {
  const std::pair<const char*, const char*> cases[] = {
      {"000", ""},         {"100", "cem"},  {"315", "trezentos e quinze"},
      {"040", "quarenta"}, {"009", "nove"},
  };
  for (const auto& [digits, words] : cases) {
    EXPECT_EQ(base::GroupWords(RecordedNumberWords(), digits), words) << digits;
  }
}

TEST(NumberWords, RecordingNames) {
  struct Case {
    const char* word;
    bool feminine_last;
    const char* name;
  };
  const Case cases[] = {
      {"quatrocentos", false, "_quatroc"},
      {"milh\xF5"
       "es",
       false, "_milhoes"},
      {"milh\xE3o", false, "_milhao"},
      {"dezessete", false, "_dezeset"},
      {"dezesseis", false, "_dezesse"},
      {"um", true, "_uma"},
      {"dois", true, "_duas"},
      {"um", false, "_um"},
      {"tres", true, "_tres"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WordRecordingName(c.word, c.feminine_last), c.name) << c.word;
  }
}

}  // namespace
}  // namespace cadencio::speech
