// Number words by groups of three digits.
#include "speech/number_words.hpp"

#include <array>

namespace cadencio::speech {

namespace {

constexpr std::array<const char*, 10> kUnits = {"",      "um",   "dois", "tres", "quatro",
                                                "cinco", "seis", "sete", "oito", "nove"};
constexpr std::array<const char*, 10> kTeens = {"dez",      "onze",    "doze",      "treze",
                                                "quatorze", "quinze",  "dezesseis", "dezessete",
                                                "dezoito",  "dezenove"};
constexpr std::array<const char*, 10> kTens = {"",         "",          "vinte",    "trinta",
                                               "quarenta", "cinquenta", "sessenta", "setenta",
                                               "oitenta",  "noventa"};
constexpr std::array<const char*, 10> kHundreds = {
    "",           "cento",      "duzentos",   "trezentos",  "quatrocentos",
    "quinhentos", "seiscentos", "setecentos", "oitocentos", "novecentos"};
// Scale words of groups 0..3 (trillions .. thousands), for the group "001" and for the others.
constexpr std::array<const char*, 4> kScaleOne = {"trilh\xE3o ", "bilh\xE3o ", "milh\xE3o ",
                                                  "mil "};
constexpr std::array<const char*, 4> kScaleMany = {
    "trilh\xF5"
    "es ",
    "bilh\xF5"
    "es ",
    "milh\xF5"
    "es ",
    "mil "};

}  // namespace

std::string GroupWords(char hundreds, char tens, char units) {
  if (hundreds == '0' && tens == '0' && units == '0') return "";
  if (hundreds == '1' && tens == '0' && units == '0') return "cem";
  std::string words;
  if (hundreds != '0') {
    words = kHundreds[hundreds - '0'];
    if (tens == '0' && units == '0') return words;
    words += " e ";
  }
  if (tens == '1') return words + kTeens[units - '0'];
  if (tens != '0') {
    words += kTens[tens - '0'];
    if (units == '0') return words;
    words += " e ";
  }
  if (units > '0') words += kUnits[units - '0'];
  return words;
}

std::string NumberWords(uint64_t n) {
  if (n == 0) return "zero";
  std::string digits = std::string(14, '0') + std::to_string(n);
  digits = digits.substr(digits.size() - 15);
  std::array<std::string, 5> groups;
  int last = -1;
  for (int g = 0; g < 5; ++g) {
    const char* d = digits.data() + 3 * g;
    groups[g] = GroupWords(d[0], d[1], d[2]);
    if (groups[g].empty()) continue;
    if (g < 4) {
      bool one = d[0] == '0' && d[1] == '0' && d[2] == '1';
      groups[g] += std::string(" ") + (one ? kScaleOne[g] : kScaleMany[g]);
    }
    last = g;
  }
  std::string words;
  std::string separator;
  for (int g = 0; g <= last; ++g) {
    if (groups[g].empty()) continue;
    if (g == last) words += separator;
    words += groups[g];
    separator = "e ";
  }
  if (words.rfind("um mil", 0) == 0 && words.rfind("um milh", 0) != 0) words.erase(0, 3);
  return words;
}

std::string WordRecordingName(std::string word, bool feminine_last) {
  for (char& ch : word) {
    if (ch == '\xE3') ch = 'a';
    if (ch == '\xF5') ch = 'o';
  }
  if (word == "dezessete") word = "dezeset";
  std::string name = ("_" + word).substr(0, 8);
  if (feminine_last) {
    if (name == "_um") name = "_uma";
    if (name == "_dois") name = "_duas";
  }
  return name;
}

}  // namespace cadencio::speech
