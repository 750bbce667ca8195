// Number words of the recorded voice: its table of words, and the names of their recordings.
#include "speech/number_words.hpp"

namespace cadencio::speech {

const base::PortugueseNumberWords& RecordedNumberWords() {
  static const base::PortugueseNumberWords words = {
      {"zero", "um", "dois", "tres", "quatro", "cinco", "seis", "sete", "oito", "nove"},
      {"dez", "onze", "doze", "treze", "quatorze", "quinze", "dezesseis", "dezessete", "dezoito",
       "dezenove"},
      {"", "", "vinte", "trinta", "quarenta", "cinquenta", "sessenta", "setenta", "oitenta",
       "noventa"},
      {"", "cento", "duzentos", "trezentos", "quatrocentos", "quinhentos", "seiscentos",
       "setecentos", "oitocentos", "novecentos"},
      "cem",
      {"trilh\xE3o ", "bilh\xE3o ", "milh\xE3o ", "mil "},
      {"trilh\xF5"
       "es ",
       "bilh\xF5"
       "es ",
       "milh\xF5"
       "es ",
       "mil "},
      "e",
  };
  return words;
}

std::string NumberWords(uint64_t n) {
  return base::CardinalWords(RecordedNumberWords(), n);
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
