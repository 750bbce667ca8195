// Money, dates, times, units, "nº", Roman numerals and acronyms, read as a Brazilian says them.
#include "tts/text_forms.hpp"

#include <array>
#include <cstdint>
#include <optional>

#include "tts/character_names.hpp"
#include "tts/name_forms.hpp"
#include "tts/number_expansion.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

// The words of the tables are UTF-8 here and turned into Windows-1252 when used.
struct Currency {
  std::string_view sign;  // Windows-1252
  std::string_view one;
  std::string_view many;
};
constexpr std::array kCurrencies = {
    Currency{"R$", "real", "reais"}, Currency{"US$", "dólar", "dólares"},
    Currency{"\x80", "euro", "euros"},  // €
};

constexpr std::array<std::string_view, 12> kMonths = {
    "janeiro", "fevereiro", "março",    "abril",   "maio",     "junho",
    "julho",   "agosto",    "setembro", "outubro", "novembro", "dezembro"};

struct Unit {
  std::string_view symbol;  // Windows-1252, as written after the number; case counts
  std::string_view one;
  std::string_view many;
  bool feminine = false;
};
// Longer symbols first, so "km/h" is not taken for "km" and "ms" not for "m".
constexpr std::array kUnits = {
    Unit{"km/h", "quilômetro por hora", "quilômetros por hora"},
    Unit{"kHz", "quilohertz", "quilohertz"},
    Unit{"MHz", "megahertz", "megahertz"},
    Unit{"Hz", "hertz", "hertz"},
    Unit{"km", "quilômetro", "quilômetros"},
    Unit{"cm", "centímetro", "centímetros"},
    Unit{"mm", "milímetro", "milímetros"},
    Unit{"kg", "quilo", "quilos"},
    Unit{"mg", "miligrama", "miligramas"},
    Unit{"ml", "mililitro", "mililitros"},
    Unit{"mL", "mililitro", "mililitros"},
    Unit{"ms", "milissegundo", "milissegundos"},
    Unit{"min", "minuto", "minutos"},
    Unit{"dB", "decibel", "decibéis"},
    Unit{"bpm", "batida por minuto", "batidas por minuto", true},
    Unit{"\xB0"
         "C",
         "grau Celsius", "graus Celsius"},
    Unit{"\xBA"
         "C",
         "grau Celsius", "graus Celsius"},
    Unit{"\xB0"
         "F",
         "grau Fahrenheit", "graus Fahrenheit"},
    Unit{"\xB0", "grau", "graus"},
    Unit{"m", "metro", "metros"},
    Unit{"g", "grama", "gramas"},
    Unit{"l", "litro", "litros"},
    Unit{"L", "litro", "litros"},
    Unit{"s", "segundo", "segundos"},
    Unit{"h", "hora", "horas", true},
};

// Words after which a Roman numeral is read as a cardinal even below eleven.
constexpr std::array<std::string_view, 7> kCardinalRomanAfter = {
    "capítulo", "volume", "parte", "tomo", "artigo", "ato", "cena"};

// Consonant pairs that begin a syllable, and pairs that stand inside a word across syllables
// without a vowel between (opção, pacto, advogado, ritmo, signo).
constexpr std::array<std::string_view, 18> kOnsets = {"BL", "BR", "CL", "CR", "DR", "FL",
                                                      "FR", "GL", "GR", "PL", "PR", "TR",
                                                      "VR", "TL", "CH", "PS", "PN", "GN"};
constexpr std::array<std::string_view, 16> kInnerPairs = {"P\xC7", "PT", "CT", "C\xC7", "BS", "BJ",
                                                          "BT",    "BV", "DV", "DM",    "DJ", "GN",
                                                          "TM",    "PN", "MN", "GM"};
constexpr std::string_view kCodas = "SRLMNZX";

template <std::size_t N>
bool Holds(const std::array<std::string_view, N>& table, std::string_view s) {
  for (std::string_view entry : table) {
    if (entry == s) return true;
  }
  return false;
}

// The feminine of a cardinal whose last word is "um" or "dois" (uma hora, duas horas).
std::string Feminine(std::string words) {
  if (words == "um" || words.ends_with(" um")) return words + "a";
  if (words == "dois" || words.ends_with(" dois"))
    return words.substr(0, words.size() - 4) + "duas";
  return words;
}

// A number of one or two digits, at most `max`, not followed by another digit.
std::optional<int> ReadSmall(std::string_view text, std::size_t& pos, int max, bool two_digits) {
  std::size_t p = pos;
  int value = 0;
  while (IsDigit(CharAt(text, p)) && p - pos < 2) value = value * 10 + (text[p++] - '0');
  const std::size_t length = p - pos;
  if (length == 0 || IsDigit(CharAt(text, p)) || value > max || (two_digits && length != 2)) {
    return std::nullopt;
  }
  pos = p;
  return value;
}

bool ReadMoney(std::string_view text, std::size_t& pos, std::string& out) {
  for (const Currency& currency : kCurrencies) {
    if (!text.substr(pos).starts_with(currency.sign)) continue;
    std::size_t p = pos + currency.sign.size();
    if (CharAt(text, p) == ' ') ++p;
    const std::optional<uint64_t> whole = ReadWholeAmount(text, p);
    if (!whole) return false;
    uint64_t cents = 0;
    if (CharAt(text, p) == ',' && IsDigit(CharAt(text, p + 1)) && IsDigit(CharAt(text, p + 2)) &&
        !IsDigit(CharAt(text, p + 3))) {
      cents = static_cast<uint64_t>((text[p + 1] - '0') * 10 + (text[p + 2] - '0'));
      p += 3;
    }
    std::string words;
    if (*whole > 0 || cents == 0) {
      words = CardinalWordsTrimmed(*whole);
      // "um milhão de reais": a scale word takes "de" before the currency.
      if (words.ends_with("\xE3o") || words.ends_with("\xF5"
                                                      "es"))
        words += " de";
      words += ' ';
      words += Cp1252(*whole == 1 ? currency.one : currency.many);
    }
    if (cents > 0) {
      if (!words.empty()) words += " e ";
      words += CardinalWordsTrimmed(cents) + (cents == 1 ? " centavo" : " centavos");
    }
    out += words + ' ';
    pos = p;
    return true;
  }
  return false;
}

// dd/mm/yyyy, dd/mm/yy, dd/mm with both parts of two digits, or any d/m after "dia" ("dia
// 7/9": the day names it a date, where alone it would be a fraction).
bool ReadDate(std::string_view text, std::size_t& pos, std::string& out) {
  std::size_t p = pos;
  const std::optional<int> day = ReadSmall(text, p, 31, false);
  if (!day || *day == 0 || CharAt(text, p) != '/') return false;
  const bool short_day = p - pos == 1;
  ++p;
  const std::size_t month_at = p;
  const std::optional<int> month = ReadSmall(text, p, 12, false);
  if (!month || *month == 0) return false;
  const bool short_month = p - month_at == 1;
  std::string year;
  if (CharAt(text, p) == '/' && IsDigit(CharAt(text, p + 1))) {
    std::size_t q = p + 1;
    uint64_t value = 0;
    while (IsDigit(CharAt(text, q)) && q - p <= 4) value = value * 10 + (text[q++] - '0');
    const std::size_t length = q - p - 1;
    if ((length != 2 && length != 4) || IsDigit(CharAt(text, q))) return false;
    year = " de " + CardinalWordsTrimmed(value);
    p = q;
  } else if (CharAt(text, p) == '/') {
    return false;
  } else if (short_day || short_month) {
    const std::string before = base::LowerCase1252(WordBefore(text, pos));
    if (before != "dia" && before != "dias") return false;  // 1/2 is a fraction, not a date
  }
  if (!EndsWord(text, p)) return false;
  out += (*day == 1 ? std::string("primeiro") : CardinalWordsTrimmed(static_cast<uint64_t>(*day))) +
         " de " + Cp1252(kMonths[static_cast<std::size_t>(*month - 1)]) + year + ' ';
  pos = p;
  return true;
}

// 14h30, 14h, 14:30.
bool ReadTime(std::string_view text, std::size_t& pos, std::string& out) {
  std::size_t p = pos;
  const std::optional<int> hours = ReadSmall(text, p, 23, false);
  if (!hours) return false;
  std::optional<int> minutes;
  if (CharAt(text, p) == 'h') {
    ++p;
    if (IsDigit(CharAt(text, p))) {
      minutes = ReadSmall(text, p, 59, true);
      if (!minutes) return false;
    }
  } else if (CharAt(text, p) == ':') {
    ++p;
    minutes = ReadSmall(text, p, 59, true);
    if (!minutes || CharAt(text, p) == ':') return false;
  } else {
    return false;
  }
  if (!EndsWord(text, p)) return false;
  out += Feminine(CardinalWordsTrimmed(static_cast<uint64_t>(*hours))) +
         (*hours == 1 ? " hora" : " horas");
  if (minutes && *minutes > 0) {
    out += " e " + CardinalWordsTrimmed(static_cast<uint64_t>(*minutes)) +
           (*minutes == 1 ? " minuto" : " minutos");
  }
  out += ' ';
  pos = p;
  return true;
}

// A number (decimals after a comma) followed by a unit symbol, with or without a blank.
bool ReadMeasure(std::string_view text, std::size_t& pos, std::string& out) {
  std::size_t p = pos;
  const std::size_t start = p;
  const std::optional<uint64_t> whole = ReadWholeAmount(text, p);
  if (!whole) return false;
  const bool one = text.substr(start, p - start) == "1";
  std::size_t decimals_at = 0;
  if (CharAt(text, p) == ',' && IsDigit(CharAt(text, p + 1))) {
    decimals_at = p + 1;
    while (IsDigit(CharAt(text, p + 1))) ++p;
    ++p;
  }
  const std::size_t unit_at = CharAt(text, p) == ' ' ? p + 1 : p;
  for (const Unit& unit : kUnits) {
    if (!text.substr(unit_at).starts_with(unit.symbol)) continue;
    const std::size_t end = unit_at + unit.symbol.size();
    if (!EndsWord(text, end)) continue;
    std::string words = CardinalWordsTrimmed(*whole);
    if (unit.feminine) words = Feminine(words);
    if (decimals_at != 0) {
      std::size_t d = decimals_at;
      words += Cp1252(" vírgula ") + ReadNumber(text, d);
      while (!words.empty() && words.back() == ' ') words.pop_back();
    }
    out += words + ' ' + Cp1252(one && decimals_at == 0 ? unit.one : unit.many) + ' ';
    pos = end;
    // "5 km. de casa": a full stop between the unit and a small letter is the abbreviation's.
    if (CharAt(text, pos) == '.' && CharAt(text, pos + 1) == ' ' &&
        base::LowerCase1252(CharAt(text, pos + 2)) == CharAt(text, pos + 2) &&
        IsInLetterSet(CharAt(text, pos + 2))) {
      ++pos;
    }
    return true;
  }
  return false;
}

// nº, n°, Nº, N° and n.º before a number: "número".
bool ReadNumberSign(std::string_view text, std::size_t& pos, std::string& out) {
  const char c = CharAt(text, pos);
  if (c != 'n' && c != 'N') return false;
  if (pos > 0 && IsInLetterSet(text[pos - 1])) return false;
  std::size_t p = pos + 1;
  if (CharAt(text, p) == '.') ++p;
  if (CharAt(text, p) != '\xBA' && CharAt(text, p) != '\xB0') return false;
  ++p;
  std::size_t q = p;
  while (CharAt(text, q) == ' ' || CharAt(text, q) == '.') ++q;
  if (!IsDigit(CharAt(text, q))) return false;
  out += Cp1252("número ");
  pos = q;
  return true;
}

// The value of a Roman numeral written in its usual (shortest) form; nothing otherwise.
std::optional<int> RomanValue(std::string_view letters) {
  const auto digit = [](char c) {
    switch (c) {
      case 'I':
        return 1;
      case 'V':
        return 5;
      case 'X':
        return 10;
      case 'L':
        return 50;
      case 'C':
        return 100;
      case 'D':
        return 500;
      case 'M':
        return 1000;
      default:
        return 0;
    }
  };
  int value = 0;
  for (std::size_t k = 0; k < letters.size(); ++k) {
    const int here = digit(letters[k]);
    if (here == 0) return std::nullopt;
    const int next = k + 1 < letters.size() ? digit(letters[k + 1]) : 0;
    value += next > here ? -here : here;
  }
  if (value <= 0 || value >= 4000) return std::nullopt;
  // Written back the usual way, the numeral must come out the same (IIII, VX, IC are not).
  static constexpr std::array<std::pair<int, std::string_view>, 13> kParts = {{{1000, "M"},
                                                                               {900, "CM"},
                                                                               {500, "D"},
                                                                               {400, "CD"},
                                                                               {100, "C"},
                                                                               {90, "XC"},
                                                                               {50, "L"},
                                                                               {40, "XL"},
                                                                               {10, "X"},
                                                                               {9, "IX"},
                                                                               {5, "V"},
                                                                               {4, "IV"},
                                                                               {1, "I"}}};
  std::string written;
  int rest = value;
  for (const auto& [part_value, part] : kParts) {
    while (rest >= part_value) {
      written += part;
      rest -= part_value;
    }
  }
  if (written != letters) return std::nullopt;
  return value;
}

bool IsVowelLetter(char c) {
  return IsInLetterSet(c) && !IsInConsonantSet(c);
}

bool IsOnset(std::string_view run) {
  return run.size() <= 1 || Holds(kOnsets, run);
}

// Whether a run of consonant letters inside a word can close one syllable and open the next.
bool IsInnerRun(std::string_view run) {
  if (IsOnset(run) || Holds(kInnerPairs, run)) return true;
  for (std::size_t coda = 1; coda <= 2 && coda < run.size(); ++coda) {
    const std::string_view close = run.substr(0, coda);
    const bool closes = (coda == 1 && kCodas.find(close[0]) != std::string_view::npos) ||
                        close == "NS" || close == "RS" || close == "BS";
    if (closes && IsOnset(run.substr(coda))) return true;
  }
  return false;
}

// Whether a word of capitals can be said as Portuguese syllables.
bool IsPronounceable(std::string_view word) {
  std::size_t k = 0;
  std::size_t run_start = 0;
  bool first = true;
  while (k <= word.size()) {
    if (k == word.size() || IsVowelLetter(word[k]) || word[k] == 'Y') {
      const std::string_view run = word.substr(run_start, k - run_start);
      const bool last = k == word.size();
      if (first && !last && !IsOnset(run)) return false;
      if (last && !run.empty() &&
          !(run.size() == 1 ? kCodas.find(run[0]) != std::string_view::npos
                            : run == "NS" || run == "RS")) {
        return false;
      }
      if (!first && !last && !IsInnerRun(run)) return false;
      first = false;
      run_start = k + 1;
    }
    ++k;
  }
  return true;
}

}  // namespace

bool ReadNumberForm(std::string_view text, std::size_t& pos, std::string& out) {
  if (ReadMoney(text, pos, out) || ReadNumberSign(text, pos, out)) return true;
  if (!IsDigit(CharAt(text, pos)) || (pos > 0 && IsDigit(text[pos - 1]))) return false;
  return ReadDate(text, pos, out) || ReadTime(text, pos, out) || ReadMeasure(text, pos, out);
}

bool ReadRomanNumeral(std::string_view text, std::size_t& pos, std::string& out) {
  if (pos > 0 && IsInLetterSet(text[pos - 1])) return false;
  std::size_t end = pos;
  while (end < text.size() && IsInLetterSet(text[end])) ++end;
  const std::string_view letters = text.substr(pos, end - pos);
  if (CharAt(text, end) == '-') return false;
  // A lone letter other than I, V or X is more often a letter (vitamina C) than a number.
  if (letters.size() == 1 && letters != "I" && letters != "V" && letters != "X") return false;
  const std::optional<int> value = RomanValue(letters);
  if (!value) return false;
  const std::string before = base::LowerCase1252(WordBefore(text, pos));
  const std::string after = base::LowerCase1252(WordAfter(text, end));
  const std::string century = Cp1252("século");
  const std::string centuries = Cp1252("séculos");
  bool cardinal = false;
  for (std::string_view word : kCardinalRomanAfter) cardinal |= before == Cp1252(word);
  const bool by_century = before == century || before == centuries || after == century;
  if (!cardinal && !by_century && !IsCapitalised(WordBefore(text, pos))) return false;
  auto words = [&](uint64_t number) {
    return !cardinal && number <= 10 ? OrdinalWords(number, Gender::kMasculine)
                                     : CardinalWordsTrimmed(number);
  };
  out += words(static_cast<uint64_t>(*value));
  pos = end;
  // Centuries joined by an en dash are a range: "séculos XV–XVI", quinze a dezesseis.
  if (by_century && CharAt(text, end) == '\x96') {
    std::size_t last = end + 1;
    while (last < text.size() && IsInLetterSet(text[last])) ++last;
    const std::optional<int> second = RomanValue(text.substr(end + 1, last - end - 1));
    if (second && *second > *value && EndsWord(text, last)) {
      out += " a " + words(static_cast<uint64_t>(*second));
      pos = last;
    }
  }
  return true;
}

bool ReadAcronym(std::string_view text, std::size_t& pos, std::string& out,
                 const ExceptionTable* exceptions, bool spaced) {
  if (pos > 0 && IsInLetterSet(text[pos - 1])) return false;
  std::size_t end = pos;
  bool vowel = false;
  while (end < text.size() && IsInLetterSet(text[end])) {
    if (base::UpperCase1252(text[end]) != text[end]) return false;
    vowel |= IsVowelLetter(text[end]);
    ++end;
  }
  const std::string_view word = text.substr(pos, end - pos);
  // Without a vowel the word is spelled anyway; with a hyphen it is a compound.
  if (word.size() < 2 || !vowel || CharAt(text, end) == '-') return false;
  std::string said;
  const AcronymReading reading = AcronymReadingOf(word, said);
  if (reading == AcronymReading::kSaid) {
    out += said + ' ';
    pos = end;
    return true;
  }
  if (reading == AcronymReading::kByLetters && IsPronounceable(word)) return false;
  if (exceptions && reading == AcronymReading::kByLetters) {
    std::string respelled(word);
    ApplyException(*exceptions, respelled);
    if (respelled != word) return false;
  }
  for (char c : word) {
    if (spaced && c != word.front()) out += ' ';
    out += CharacterName(c);
  }
  if (spaced) out += ' ';
  pos = end;
  return true;
}

}  // namespace cadencio::tts
