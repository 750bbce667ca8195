// Cardinal and ordinal words from constant tables, and the reading of written numbers.
#include "tts/number_expansion.hpp"

#include <array>
#include <string_view>

#include "tts/character_names.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

// A run of digits and hyphens holding a hyphen (telephone numbers, dates), read symbol by
// symbol; nothing when the run has no hyphen.
bool ReadDashRun(std::string_view text, std::size_t& pos, std::string& out) {
  std::size_t end = pos;
  bool has_dash = false;
  while (end < text.size() && (IsDigit(text[end]) || text[end] == '-')) {
    has_dash |= text[end] == '-';
    ++end;
  }
  if (!has_dash) return false;
  static const std::string kDash = CharacterName('-');
  for (; pos < end; ++pos) {
    out += ' ';
    out += text[pos] == '-' ? kDash : UnitWord(text[pos]);
  }
  return true;
}

// A '.' at `pos` followed by exactly three digits is a thousands separator.
bool IsThousandsSeparator(std::string_view text, std::size_t pos) {
  return CharAt(text, pos) == '.' && IsDigit(CharAt(text, pos + 1)) &&
         IsDigit(CharAt(text, pos + 2)) && IsDigit(CharAt(text, pos + 3)) &&
         !IsDigit(CharAt(text, pos + 4));
}

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

std::string CardinalWordsTrimmed(uint64_t value) {
  std::string words = CardinalWords(value);
  while (!words.empty() && words.back() == ' ') words.pop_back();
  return words;
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

std::optional<uint64_t> ReadWholeAmount(std::string_view text, std::size_t& pos) {
  if (!IsDigit(CharAt(text, pos))) return std::nullopt;
  uint64_t value = 0;
  std::size_t digits = 0;
  for (;;) {
    const char c = CharAt(text, pos);
    if (IsDigit(c) && digits < 15) {
      value = value * 10 + static_cast<uint64_t>(c - '0');
      ++digits;
      ++pos;
    } else if (IsThousandsSeparator(text, pos)) {
      ++pos;
    } else {
      return value;
    }
  }
}

std::string ReadNumber(std::string_view text, std::size_t& pos) {
  std::string out;
  if (ReadDashRun(text, pos, out)) return out;

  std::string zeros;
  while (CharAt(text, pos) == '0' && IsDigit(CharAt(text, pos + 1))) {
    zeros += "zero ";
    ++pos;
  }

  constexpr uint64_t kFifteenDigits = 100'000'000'000'000;  // 10^14
  uint64_t value = 0;
  for (;;) {
    const char c = CharAt(text, pos);
    if (IsDigit(c)) {
      if (value >= kFifteenDigits) break;  // the rest is read as the next number
      value = value * 10 + static_cast<uint64_t>(c - '0');
      ++pos;
    } else if (IsThousandsSeparator(text, pos)) {
      ++pos;
    } else {
      break;
    }
  }

  const std::string_view rest = text.substr(pos);
  const auto ordinal = [&](Gender gender, std::size_t length, bool plural) {
    pos += length;
    return OrdinalWords(value, gender) + (plural ? "s" : "");
  };
  if (rest.starts_with('\xBA')) return ordinal(Gender::kMasculine, 1, false);  // º
  if (rest.starts_with('\xAA')) return ordinal(Gender::kFeminine, 1, false);   // ª
  if (rest.starts_with("o.")) return ordinal(Gender::kMasculine, 2, false);
  if (rest.starts_with("a.")) return ordinal(Gender::kFeminine, 2, false);
  if (rest.starts_with("os.")) return ordinal(Gender::kMasculine, 3, true);
  if (rest.starts_with("as.")) return ordinal(Gender::kFeminine, 3, true);
  return zeros + CardinalWords(value);
}

}  // namespace cadencio::tts
