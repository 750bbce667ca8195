// The table of character names, by Windows-1252 code.
#include "tts/character_names.hpp"

#include <array>
#include <initializer_list>
#include <string_view>

#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

using NameTable = std::array<std::string, 256>;

void Put(NameTable& table, int first, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) table[first++] = Cp1252(name);
}

NameTable BuildNames() {
  NameTable t;
  Put(t, 32,
      {"espaço",
       "exclamação",
       "aspas",
       "sustenido",
       "cifrão",
       "porcento",
       "é comercial",
       "apóstrofo",
       "abre parênteses",
       "fecha parênteses",
       "asterisco",
       "mais",
       "vírgula",
       "traço",
       "ponto",
       "barra",
       "zéro",
       "um",
       "dois",
       "três",
       "quatro",
       "cinco",
       "seis",
       "séte",
       "oito",
       "nóve",
       "dois pontos",
       "ponto e vírgula",
       "menor que",
       "igual",
       "maior que",
       "interrogação",
       "arrôba"});
  const std::initializer_list<std::string_view> letters = {
      "a",    "bê", " sê", " dê", "é",      "éfe", "jê",      "agá", "i",
      "jóta", "cá", "éle", "ême", "êne",    "ó",   "pê",      "quê", "érre",
      "ésse", "tê", "u",   "vê",  "dábliu", "xis", "ípsilon", "zê"};
  Put(t, 'A', letters);
  Put(t, 'a', letters);
  t['j'] = "jota";
  t['n'] = "ene";
  Put(t, 91,
      {"abre colchete", "barra invertida", "fecha colchete", "circunflexo", "sublinhado", "crase"});
  Put(t, 123, {"abre chave", "barra vertical", "fecha chave", "til"});
  Put(t, 161,
      {"exclamação reversa",
       "centavos de dólar",
       "libras",
       "símbolo de moeda",
       "iene",
       "barra interrompida",
       "parágrafo",
       "trema",
       "copyright",
       "ordinal feminino",
       "Aspas esquerdas",
       "negação",
       "hífen",
       "Marca registrada",
       "mácron",
       "grau",
       "mais ou menos",
       "elevado ao quadrado",
       "elevado ao cubo",
       "acento agudo",
       "mi",
       "pi",
       "ponto no meio",
       "cedilha",
       "expoente um",
       "ordinal masculino",
       "aspas direitas",
       "um quarto",
       "um meio",
       "três quartos",
       "interrogação reversa"});
  Put(t, 192,
      {"A grave",   "A agudo",    "A circunflexo", "A com til",     "A com trema",   "A bola",
       "A É",       "Cê cedilha", "É grave",       "É agudo",       "É circunflexo", "É com trema",
       "I grave",   "I agudo",    "I circunflexo", "I com trema",   "Dê cortado",    "N com til",
       "Ó grave",   "Ó agudo",    "Ó circunflexo", "Ó com til",     "Ó tremado",     "vezes",
       "Ó cortado", "U grave",    "U agudo",       "U circunflexo", "U com trema"});
  // The small accented letters (and ÷) take the name of the code 32 below.
  for (int code = 224; code <= 255; ++code) t[code] = t[code - 32];
  return t;
}

}  // namespace

const std::string& CharacterName(char c) {
  static const NameTable names = BuildNames();
  return names[ByteOf(c)];
}

}  // namespace cadencio::tts
