// Piece names to espeak-ng phonemes: multi-letter consonants first, R as a tap before a vowel,
// a glide after a vowel joined into the diphthong, the CIRC or TIL mark on the last vowel.
#include "lib/piece_phonemes.hpp"

#include <algorithm>
#include <array>
#include <vector>

namespace cadencio::voicegen {

namespace {

enum class Mark { kPlain, kClosed, kNasal };

struct Symbol {
  std::string text;  // the symbol as written in the name
  bool vowel = false;
  bool glide = false;
};

bool IsVowelLetter(char c) {
  return c == 'A' || c == 'E' || c == 'I' || c == 'O' || c == 'U';
}

std::vector<Symbol> ReadSymbols(std::string_view body) {
  static constexpr std::array<std::string_view, 6> kDigraphs = {"TCH", "DJ", "NH",
                                                                "LH",  "RR", "KS"};
  std::vector<Symbol> out;
  std::size_t i = 0;
  while (i < body.size()) {
    bool matched = false;
    for (std::string_view d : kDigraphs) {
      if (body.substr(i, d.size()) == d) {
        out.push_back({std::string(d), false, false});
        i += d.size();
        matched = true;
        break;
      }
    }
    if (matched) continue;
    char c = body[i++];
    out.push_back({std::string(1, c), IsVowelLetter(c), c == 'W' || c == 'Y'});
  }
  return out;
}

std::string VowelPhoneme(char v, Mark mark) {
  switch (mark) {
    case Mark::kPlain:
      return v == 'A' ? "a" : v == 'E' ? "E" : v == 'I' ? "i" : v == 'O' ? "O" : "u";
    case Mark::kClosed:
      return v == 'A' ? "&" : v == 'E' ? "e" : v == 'I' ? "i" : v == 'O' ? "o" : "u";
    case Mark::kNasal:
      return v == 'A' ? "&~" : v == 'E' ? "e~" : v == 'I' ? "i~" : v == 'O' ? "o~" : "u~";
  }
  return "";
}

std::string ConsonantPhoneme(const std::string& s, bool before_vowel) {
  if (s == "R") return before_vowel ? "*" : "r";
  if (s == "RR") return "x";
  if (s == "X") return "S";
  if (s == "J") return "Z";
  if (s == "TCH") return "tS";
  if (s == "DJ") return "dZ";
  if (s == "NH") return "n^";
  if (s == "LH") return "l^";
  if (s == "KS") return "ks";
  if (s == "C" || s == "Q") return "k";
  std::string lower = s;
  for (char& c : lower) c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// A vowel followed by its glide, as one diphthong.
std::string Diphthong(char v, char glide, Mark mark) {
  if (mark == Mark::kNasal) {
    if (v == 'A' && glide == 'W') return "&U~";
    return VowelPhoneme(v, mark) + (glide == 'Y' ? "j" : "w");
  }
  std::string vowel = VowelPhoneme(v, mark);
  if (glide == 'Y') return vowel + "I";
  return vowel + (v == 'A' || v == 'E' || v == 'I' ? "U" : "w");
}

}  // namespace

PiecePhonemes PiecePhonemesOf(std::string_view name, bool glide_as_vowel) {
  if (name.size() < 2 || name[0] != '$') return {};
  std::string_view body = name.substr(1);
  Mark mark = Mark::kPlain;
  if (body.size() > 4 && body.ends_with("CIRC")) {
    mark = Mark::kClosed;
    body.remove_suffix(4);
  } else if (body.size() > 3 && body.ends_with("TIL")) {
    mark = Mark::kNasal;
    body.remove_suffix(3);
  }
  if (body == "NN") return {"N", true};
  std::vector<Symbol> symbols = ReadSymbols(body);
  if (glide_as_vowel &&
      std::none_of(symbols.begin(), symbols.end(), [](const Symbol& s) { return s.vowel; })) {
    auto glide =
        std::find_if(symbols.begin(), symbols.end(), [](const Symbol& s) { return s.glide; });
    if (glide != symbols.end()) *glide = {glide->text == "Y" ? "I" : "U", true, false};
  }
  std::size_t last_vowel = symbols.size();
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    if (symbols[i].vowel) last_vowel = i;
  }
  PiecePhonemes out;
  out.lone_consonant = last_vowel == symbols.size();
  bool stressed = false;
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    const Symbol& s = symbols[i];
    const bool next_is_vowel =
        i + 1 < symbols.size() && (symbols[i + 1].vowel || symbols[i + 1].glide);
    if (s.vowel) {
      if (!stressed) out.phonemes += '\'';
      stressed = true;
      Mark m = i == last_vowel ? mark : Mark::kPlain;
      if (i + 1 < symbols.size() && symbols[i + 1].glide &&
          (i + 2 == symbols.size() || !symbols[i + 2].vowel)) {
        out.phonemes += Diphthong(s.text[0], symbols[i + 1].text[0], m);
        ++i;
      } else {
        out.phonemes += VowelPhoneme(s.text[0], m);
      }
    } else if (s.glide) {
      out.phonemes += s.text == "Y" ? "j" : "w";
    } else {
      out.phonemes += ConsonantPhoneme(s.text, next_is_vowel);
    }
  }
  return out;
}

}  // namespace cadencio::voicegen
