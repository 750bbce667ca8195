// Titles before names, and the capitals said as words or spelled.
#include "tts/name_forms.hpp"

#include <array>

#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

// Women's names that do not end in a.
constexpr std::array<std::string_view, 16> kWomenNotInA = {
    "Isabel", "Beatriz", "Inês",     "Raquel", "Ester", "Rute",   "Carmen", "Miriam",
    "Lurdes", "Leonor",  "Mercedes", "Ruth",   "Ivone", "Denise", "Alice",  "Clarice"};

struct Acronym {
  std::string_view written;  // capitals, Windows-1252
  std::string_view said;     // UTF-8 spelling for the letter rules; empty: spelled
};
// Capitals Brazilians say as a word though no Portuguese syllables make them, and capitals
// that syllables could make but that are spelled.
constexpr std::array kAcronyms = {
    Acronym{"USP", "úspi"},       Acronym{"CEP", "cépi"},      Acronym{"MEC", "méqui"},
    Acronym{"SESC", "sésqui"},    Acronym{"SENAC", "senáqui"}, Acronym{"AIDS", "áidis"},
    Acronym{"FAB", "fábi"},       Acronym{"PIB", "píbi"},      Acronym{"PUC", "púqui"},
    Acronym{"UNICEF", "unicéfi"}, Acronym{"ONG", "ôngui"},     Acronym{"MIDI", "mídi"},
    Acronym{"WAV", "uêivi"},      Acronym{"IPI", "ípi"},       Acronym{"UTI", ""},
    Acronym{"IPTU", ""},          Acronym{"EUA", ""},          Acronym{"UE", ""},
    Acronym{"OEA", ""},           Acronym{"OAB", ""},
};

bool IsWomansName(std::string_view name) {
  if (name.back() == 'a') return true;
  for (std::string_view woman : kWomenNotInA) {
    if (Cp1252(woman) == name) return true;
  }
  return false;
}

}  // namespace

bool ReadTitle(std::string_view text, std::size_t& pos, std::string& out) {
  if (CharAt(text, pos) != 'D' || CharAt(text, pos + 1) != '.' || CharAt(text, pos + 2) != ' ' ||
      !StartsWord(text, pos)) {
    return false;
  }
  const std::string name = WordAfter(text, pos + 2);
  if (!IsCapitalised(name)) return false;
  out += IsWomansName(name) ? "Dona" : "Dom";
  pos += 2;
  return true;
}

AcronymReading AcronymReadingOf(std::string_view capitals, std::string& said) {
  for (const Acronym& acronym : kAcronyms) {
    if (acronym.written != capitals) continue;
    said = Cp1252(acronym.said);
    return said.empty() ? AcronymReading::kSpelled : AcronymReading::kSaid;
  }
  return AcronymReading::kByLetters;
}

}  // namespace cadencio::tts
