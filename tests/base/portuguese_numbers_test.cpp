// The number rules over a table of marked words: every word comes from the table (none is
// written into the rules), and the rules that are not words (the thousand alone, the "e"
// before a last group below a hundred or a round hundred, the last 15 digits) hold for any table.
#include "base/portuguese_numbers.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace cadencio::base {
namespace {

PortugueseNumberWords MarkedWords() {
  PortugueseNumberWords words;
  for (int i = 0; i < 10; ++i) {
    const std::string n = std::to_string(i);
    words.units[i] = "u" + n;
    words.teens[i] = "t1" + n;
    words.tens[i] = "d" + n;
    words.hundreds[i] = "h" + n;
  }
  words.hundred = 'H';
  words.scale_one = {"T1 ", "B1 ", "M1 ", "K1 "};
  words.scale_many = {"Tn ", "Bn ", "Mn ", "Kn "};
  words.and_word = '&';
  return words;
}

TEST(PortugueseNumbers, WordsComeFromTheTable) {
  struct Case {
    uint64_t value;
    const char* words;
  };
  const Case cases[] = {
      {0, "u0"},
      {7, "u7"},
      {13, "t13"},
      {40, "d4"},
      {45, "d4 & u5"},
      {100, "H"},
      {101, "h1 & u1"},
      {210, "h2 & t10"},
      {1000, "K1 "},
      {1001, "K1 & u1"},
      {2000, "u2 Kn "},
      {1001000, "u1 M1 & K1 "},
      {1230, "K1 h2 & d3"},
      {1500, "K1 & h5"},
      {2500000, "u2 Mn & h5 Kn "},
      {1234567, "u1 M1 h2 & d3 & u4 Kn h5 & d6 & u7"},
      {3000000000000, "u3 Tn "},
      {999000000000001, "h9 & d9 & u9 Tn & u1"},
      // Only the last 15 digits are read.
      {1000000000000000, ""},
      {1000000000000002, "u2"},
  };
  const PortugueseNumberWords words = MarkedWords();
  for (const Case& c : cases) EXPECT_EQ(CardinalWords(words, c.value), c.words) << c.value;
}

}  // namespace
}  // namespace cadencio::base
