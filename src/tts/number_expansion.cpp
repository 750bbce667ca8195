// Cardinal and ordinal words from constant tables.
#include "tts/number_expansion.hpp"

#include <array>

#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

template <std::size_t N>
std::array<std::string, N> Table(const std::array<std::string_view, N>& words) {
  std::array<std::string, N> out;
  for (std::size_t i = 0; i < N; ++i) out[i] = Cp1252(words[i]);
  return out;
}

struct OrdinalTables {
  std::array<std::string, 10> units, tens, hundreds;
  std::string thousandth;
};

const OrdinalTables& Ordinals() {
  static const OrdinalTables tables = {
      Table<10>({"", "primeiro", "segundo", "terceiro", "quarto", "quinto", "sexto", "sétimo",
                 "oitavo", "nono"}),
      Table<10>({"", "décimo", "vigésimo", "trigésimo", "quadragésimo", "quinquagésimo",
                 "sexagésimo", "septuagésimo", "octagésimo", "nonagésimo"}),
      Table<10>({"", "centésimo", "ducentésimo", "tricentésimo", "quadrigentésimo", "quingentésimo",
                 "seiscentésimo", "septigentésimo", "octigentésimo", "nongentésimo"}),
      Cp1252("milésimo"),
  };
  return tables;
}

}  // namespace

const base::PortugueseNumberWords& TtsNumberWords() {
  static const base::PortugueseNumberWords words = {
      Table<10>({"zero", "um", "dois", "três", "quatro", "cinco", "seis", "sete", "oito", "nove"}),
      Table<10>({"dez", "onze", "doze", "treze", "quatorze", "quinze", "dezesseis", "dezessete",
                 "dezoito", "dezenove"}),
      // Tens from 2 on; the first two places are never read.
      Table<10>({"", "", "vinte", "trinta", "quarenta", "cinqüenta", "sessenta", "setenta",
                 "oitenta", "noventa"}),
      Table<10>({"", "cento", "duzentos", "trezentos", "quatrocentos", "quinhentos", "seiscentos",
                 "setecentos", "oitocentos", "novecentos"}),
      "cem",
      Table<4>({"trilhão ", "bilhão ", "milhão ", "mil "}),
      Table<4>({"trilhões ", "bilhões ", "milhões ", "mil "}),
      "e",
  };
  return words;
}

const std::string& UnitWord(char digit) {
  return TtsNumberWords().units.at(static_cast<std::size_t>(digit - '0'));
}

std::string CardinalWords(uint64_t value) {
  return base::CardinalWords(TtsNumberWords(), value);
}

std::string OrdinalWords(uint64_t value, Gender gender) {
  const OrdinalTables& t = Ordinals();
  if (value >= 2000) return CardinalWords(value);
  if (value == 0) return TtsNumberWords().units[0];
  const std::array<const std::string*, 4> words = {
      value >= 1000 ? &t.thousandth : nullptr,
      value / 100 % 10 ? &t.hundreds[value / 100 % 10] : nullptr,
      value / 10 % 10 ? &t.tens[value / 10 % 10] : nullptr,
      value % 10 ? &t.units[value % 10] : nullptr,
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
