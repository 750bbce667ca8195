// Number words by groups of three digits over a table of words.
#include "base/portuguese_numbers.hpp"

namespace cadencio::base {

namespace {

constexpr int kGroups = 5;  // trillions, billions, millions, thousands, units
constexpr int kThousands = 3;
constexpr int kUnits = 4;

std::size_t Digit(char c) {
  return static_cast<std::size_t>(c - '0');
}

}  // namespace

std::string GroupWords(const PortugueseNumberWords& words, std::string_view d) {
  if (d == "000") return "";
  if (d == "100") return words.hundred;
  const std::string joint = " " + words.and_word + " ";
  std::string out;
  if (d[0] != '0') {
    out = words.hundreds[Digit(d[0])];
    if (d[1] == '0' && d[2] == '0') return out;
    out += joint;
  }
  if (d[1] == '1') return out + words.teens[Digit(d[2])];
  if (d[1] != '0') {
    out += words.tens[Digit(d[1])];
    if (d[2] == '0') return out;
    out += joint;
  }
  if (d[2] != '0') out += words.units[Digit(d[2])];
  return out;
}

std::string CardinalWords(const PortugueseNumberWords& words, uint64_t value) {
  if (value == 0) return words.units[0];
  std::string digits = std::to_string(value);
  if (digits.size() < 3 * kGroups) digits.insert(0, 3 * kGroups - digits.size(), '0');
  digits = digits.substr(digits.size() - 3 * kGroups);

  std::array<std::string, kGroups> groups;
  int last = -1;
  for (int g = 0; g < kGroups; ++g) {
    const std::string_view group = std::string_view(digits).substr(3 * g, 3);
    if (group == "000") continue;
    const bool one = group == "001";
    std::string& out = groups[g];
    if (g == kThousands && one) {
      out = words.scale_one[g];  // a thousand is "mil" alone, never "um mil"
    } else {
      out = GroupWords(words, group);
      if (g != kUnits) out += ' ' + (one ? words.scale_one[g] : words.scale_many[g]);
    }
    last = g;
  }
  if (last < 0) return "";
  std::string out;
  for (int g = 0; g < last; ++g) out += groups[g];
  // The last group is joined with "e" when it is below a hundred or a round hundred (mil e
  // quinhentos, mil e vinte); otherwise the "e" inside it is enough (mil duzentos e trinta).
  const int last_value = std::stoi(digits.substr(3 * static_cast<std::size_t>(last), 3));
  if (!out.empty() && (last_value < 100 || last_value % 100 == 0)) out += words.and_word + ' ';
  out += groups[last];
  return out;
}

}  // namespace cadencio::base
