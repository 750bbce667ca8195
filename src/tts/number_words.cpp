// Cardinal and ordinal words from constant tables.
#include "tts/number_words.hpp"

#include <array>
#include <vector>

#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

struct NumberTables {
  std::vector<std::string> units, teens, tens, hundreds, scale_one, scale_many;
  std::vector<std::string> ord_units, ord_tens, ord_hundreds;
  std::string hundred, thousandth;
};

std::vector<std::string> Table(std::initializer_list<std::string_view> words) {
  std::vector<std::string> out;
  for (std::string_view w : words) out.push_back(Cp1252(w));
  return out;
}

const NumberTables& Tables() {
  static const NumberTables tables = {
      Table({"zero", "um", "dois", "três", "quatro", "cinco", "seis", "sete", "oito", "nove"}),
      Table({"dez", "onze", "doze", "treze", "quatorze", "quinze", "dezesseis", "dezessete",
             "dezoito", "dezenove"}),
      // Tens from 2 on; the first two places are never read.
      Table({"", "", "vinte", "trinta", "quarenta", "cinqüenta", "sessenta", "setenta", "oitenta",
             "noventa"}),
      Table({"", "cento", "duzentos", "trezentos", "quatrocentos", "quinhentos", "seiscentos",
             "setecentos", "oitocentos", "novecentos"}),
      // Scale words of groups 0 (trillions) to 4 (units).
      Table({"trilhão ", "bilhão ", "milhão ", "mil ", ""}),
      Table({"trilhões ", "bilhões ", "milhões ", "mil ", ""}),
      Table({"", "primeiro", "segundo", "terceiro", "quarto", "quinto", "sexto", "sétimo", "oitavo",
             "nono"}),
      Table({"", "décimo", "vigésimo", "trigésimo", "quadragésimo", "quinquagésimo", "sexagésimo",
             "septuagésimo", "octagésimo", "nonagésimo"}),
      Table({"", "centésimo", "ducentésimo", "tricentésimo", "quadrigentésimo", "quingentésimo",
             "seiscentésimo", "septigentésimo", "octigentésimo", "nongentésimo"}),
      "cem",
      Cp1252("milésimo"),
  };
  return tables;
}

int Digit(char c) {
  return c - '0';
}

}  // namespace

const std::string& UnitWord(char digit) {
  return Tables().units.at(static_cast<std::size_t>(Digit(digit)));
}

std::string TripletWords(std::string_view d) {
  const NumberTables& t = Tables();
  if (d == "000") return "";
  if (d == "100") return t.hundred;
  std::string out;
  if (d[0] != '0') {
    out = t.hundreds[Digit(d[0])];
    if (d[1] == '0' && d[2] == '0') return out;
    out += " e ";
  }
  if (d[1] == '1') return out + t.teens[Digit(d[2])];
  if (d[1] != '0') {
    out += t.tens[Digit(d[1])];
    if (d[2] == '0') return out;
    out += " e ";
  }
  if (d[2] != '0') out += t.units[Digit(d[2])];
  return out;
}

std::string CardinalWords(uint64_t value) {
  const NumberTables& t = Tables();
  if (value == 0) return t.units[0];
  std::string digits = std::to_string(value);
  if (digits.size() < 15) digits.insert(0, 15 - digits.size(), '0');
  digits = digits.substr(digits.size() - 15);  // callers keep below 10^15

  std::array<std::string, 5> groups;
  int last = -1;
  for (int g = 0; g < 5; ++g) {
    const std::string_view group = std::string_view(digits).substr(g * 3, 3);
    groups[g] = TripletWords(group);
    if (!t.scale_one[g].empty() && group != "000") {
      groups[g] += ' ';
      groups[g] += group == "001" ? t.scale_one[g] : t.scale_many[g];
    }
    if (!groups[g].empty()) last = g;
  }
  // Groups are run together; only the last one is joined with "e".
  std::string out;
  for (int g = 0; g < last; ++g) out += groups[g];
  if (!out.empty()) out += "e ";
  out += groups[last];
  if (out.starts_with("um mil") && !out.starts_with("um milh")) out.erase(0, 3);
  return out;
}

std::string OrdinalWords(uint64_t value, Gender gender) {
  const NumberTables& t = Tables();
  if (value >= 2000) return CardinalWords(value);
  if (value == 0) return t.units[0];
  const std::array<const std::string*, 4> words = {
      value >= 1000 ? &t.thousandth : nullptr,
      value / 100 % 10 ? &t.ord_hundreds[value / 100 % 10] : nullptr,
      value / 10 % 10 ? &t.ord_tens[value / 10 % 10] : nullptr,
      value % 10 ? &t.ord_units[value % 10] : nullptr,
  };
  std::string out;
  for (const std::string* word : words) {
    if (!word) continue;
    if (!out.empty()) out += ' ';
    std::string w = *word;
    if (gender == Gender::kFeminine) w.back() = 'a';
    out += w;
  }
  return out;
}

}  // namespace cadencio::tts
