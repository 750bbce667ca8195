// Tests of the whole-number parser: signs, blanks, other characters, the limits of int.
#include "base/whole_number.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace cadencio::base {
namespace {

TEST(WholeNumber, TakesAnOptionalSignAndDigitsOnly) {
  struct Case {
    std::string text;
    std::optional<int> value;
  };
  const Case cases[] = {
      {"120", 120},
      {"00120", 120},
      {"0", 0},
      {"-7", -7},
      {"+120", 120},  // the tempo answer and the speech settings read a '+'
      {"+0", 0},
      {"", std::nullopt},
      {"+", std::nullopt},
      {"-", std::nullopt},
      {"++5", std::nullopt},
      {"+-5", std::nullopt},
      {"-+5", std::nullopt},
      {" 120", std::nullopt},  // blanks are the caller's to trim
      {"120 ", std::nullopt},
      {"1 20", std::nullopt},
      {"12x", std::nullopt},
      {"0x10", std::nullopt},
      {"1.5", std::nullopt},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", std::nullopt},  // beyond int
      {"-2147483649", std::nullopt},
      {"99999999999999999999", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseWholeNumber(c.text), c.value) << "'" << c.text << "'";
}

}  // namespace
}  // namespace cadencio::base
