// Agreement of the built-in TTS's letter-to-phoneme stage with espeak-ng's Brazilian
// Portuguese: every word of a word list (by default /usr/share/dict/brazilian, UTF-8) is
// transcribed by the shipped rules and exceptions and by espeak_TextToPhonemes; espeak-ng's
// phoneme mnemonics are mapped onto our phoneme names, and the two strings are compared with
// stress and vowel quality aside (open and closed e and o, reduced a, glides and the vowels
// they come from, a nasal vowel before a nasal consonant and its oral vowel all count as the
// same). Prints the share of equal words and the commonest differences with an example word,
// the share of words stressed on the same vowel, and among those with a stressed e or o the
// share whose vowel has the same quality (open or closed).
//
// Usage: tts_phones_vs_espeak [WORD-LIST] [--show N] [--strict] [--list]
// (--strict lists the differences of the strict comparison; --list prints every word on which
// the two differ, in sounds, stressed vowel or its quality, with both transcriptions, for
// checking a short list such as bench/quality/common_words.txt by hand; '#' lines are skipped)
#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/windows1252.hpp"
#include "files/paths.hpp"
#include "tts/phoneme_transcriber.hpp"

namespace {

using namespace cadencio;
using Phones = std::vector<std::string>;

// A transcription and the index of its stressed vowel among its vowels (-1: no stress).
struct Transcription {
  Phones phones;
  int stress = -1;
};

bool IsVowelPhone(std::string_view p) {
  static const std::vector<std::string_view> vowels = {"a", "@",  "e",  "ee", "i",  "o", "oo",
                                                       "u", "an", "en", "in", "on", "un"};
  return std::find(vowels.begin(), vowels.end(), p) != vowels.end();
}

bool IsEo(std::string_view v) {
  return v == "e" || v == "ee" || v == "o" || v == "oo";
}

std::string Nasal(std::string_view vowel) {
  if (vowel == "a" || vowel == "@") return "an";
  if (vowel == "e" || vowel == "ee") return "en";
  if (vowel == "i") return "in";
  if (vowel == "o" || vowel == "oo") return "on";
  if (vowel == "u") return "un";
  return std::string(vowel);
}

// The vowel of a transcription that is the `index`-th (from 0), or empty.
std::string VowelAt(const Phones& phones, int index) {
  for (const std::string& p : phones) {
    if (IsVowelPhone(p) && index-- == 0) return p;
  }
  return {};
}

int VowelCount(const Phones& phones) {
  return static_cast<int>(std::count_if(phones.begin(), phones.end(), IsVowelPhone));
}

// Our phonemes of one word: the phoneme lines without stress marks.
Transcription OurPhones(const tts::Lexicon& lexicon, const std::string& word) {
  Transcription t;
  for (std::string line : tts::TranscribeTokens({"555|" + word}, lexicon)) {
    if (line.empty() || line[0] == ';' || line[0] == '_') continue;
    if (line[0] == tts::kStressMark) t.stress = VowelCount(t.phones);
    std::erase(line, tts::kStressMark);
    std::erase(line, tts::kPlainMark);
    t.phones.push_back(line);
  }
  return t;
}

// espeak-ng's mnemonics (its phoneme names for pt-br) mapped onto ours.
Transcription MapEspeak(std::string_view s) {
  Transcription t;
  Phones& out = t.phones;
  const auto is_espeak_vowel = [](char c) { return std::strchr("a&eEiIoOuUy@jw", c) != nullptr; };
  const auto next_is_consonant = [&](std::size_t at) {
    while (at < s.size() && std::strchr("',#-;~", s[at])) ++at;
    return at >= s.size() || !is_espeak_vowel(s[at]);
  };
  // Nasalises the last vowel written (before a glide written after it, if any).
  const auto nasalise = [&](bool drop_glide) {
    for (std::size_t k = out.size(); k-- > 0;) {
      if (IsVowelPhone(out[k]) || out[k] == "y" || out[k] == "w") {
        if (out[k] == "y" || out[k] == "w") {
          if (k > 0 && IsVowelPhone(out[k - 1])) {
            out[k - 1] = Nasal(out[k - 1]);
            if (drop_glide) out.erase(out.begin() + static_cast<long>(k));
          }
        } else {
          out[k] = Nasal(out[k]);
        }
        return;
      }
    }
  };
  for (std::size_t i = 0; i < s.size();) {
    const std::string_view rest = s.substr(i);
    const auto take = [&](std::size_t n, std::initializer_list<const char*> phones) {
      for (const char* p : phones) out.emplace_back(p);
      i += n;
    };
    const char c = s[i];
    const bool after_vowel =
        !out.empty() && (IsVowelPhone(out.back()) || out.back() == "y" || out.back() == "w");
    if (rest.starts_with("&U~")) {
      take(3, {"@", "w"});
    } else if (rest.starts_with("&~")) {
      take(2, {"an"});
    } else if (rest.size() >= 2 && rest[1] == '~' && std::strchr("aeiou", c)) {
      out.push_back(Nasal(std::string(1, c)));
      i += 2;
    } else if (rest.starts_with("tS")) {
      take(2, {"t"});
    } else if (rest.starts_with("dZ")) {
      take(2, {"d"});
    } else if (rest.starts_with("n^")) {
      take(2, {"nh"});
    } else if (rest.starts_with("l^") || rest.starts_with("lj")) {
      take(2, {"lh"});
    } else if (c == 'N') {
      // A nasal e written with its glide keeps the glide only at the end (bem, homens).
      const std::string_view after = s.substr(i + 1);
      const bool at_end = after.find_first_not_of("s#") == std::string_view::npos;
      nasalise(!at_end && next_is_consonant(i + 1));
      ++i;
    } else if (rest.starts_with("*@-")) {
      take(3, {"r2"});
    } else if ((c == 'm' || c == 'n') && after_vowel && next_is_consonant(i + 1) &&
               i + 1 < s.size()) {
      nasalise(true);  // a nasal consonant closing a syllable only nasalises the vowel
      ++i;
    } else if (c == 'U' || c == 'y' || c == 'I') {
      // After a vowel a glide, after a consonant the unstressed vowel.
      take(1, {after_vowel ? (c == 'U' ? "w" : "y") : (c == 'U' ? "u" : "i")});
    } else if (c == 'r' || c == '*') {
      take(1, {next_is_consonant(i + 1) ? "r2" : "r"});
    } else if ((c == 's' || c == 'z') && next_is_consonant(i + 1)) {
      take(1, {"s2"});
    } else if (c == '\'') {
      t.stress = VowelCount(out);  // the primary stress mark stands before its syllable
      ++i;
    } else if (std::strchr(",#-;~@", c)) {
      ++i;
    } else {
      static const std::map<char, const char*> single = {
          {'a', "a"},  {'&', "a"},  {'e', "e"}, {'E', "ee"}, {'i', "i"},  {'I', "y"}, {'o', "o"},
          {'O', "oo"}, {'u', "u"},  {'U', "w"}, {'y', "y"},  {'w', "w"},  {'j', "y"}, {'S', "x"},
          {'Z', "j"},  {'x', "rr"}, {'R', "r"}, {'*', "r"},  {'h', "rr"}, {'b', "b"}, {'d', "d"},
          {'f', "f"},  {'g', "g"},  {'k', "k"}, {'l', "l"},  {'m', "m"},  {'n', "n"}, {'p', "p"},
          {'s', "s"},  {'t', "t"},  {'v', "v"}, {'z', "z"}};
      auto it = single.find(c);
      out.emplace_back(it != single.end() ? it->second : std::string("?") + c);
      ++i;
    }
  }
  return t;
}

// A transcription as text, its stressed vowel marked with a ' before it.
std::string Shown(const Transcription& t) {
  std::string s;
  int vowel = 0;
  for (const std::string& p : t.phones) {
    if (!s.empty()) s += ' ';
    if (IsVowelPhone(p) && vowel++ == t.stress) s += '\'';
    s += p;
  }
  return s;
}

// The comparison form: stress and vowel quality aside. The strict form keeps glides apart
// from vowels, nasal vowels before a nasal consonant apart from oral ones, and lh apart from l
// before a glide.
std::string Key(Phones phones, bool strict = false) {
  std::string key;
  for (std::size_t k = 0; k < phones.size(); ++k) {
    std::string p = phones[k];
    if (p == "ee") p = "e";
    if (p == "oo") p = "o";
    if (p == "@") p = "a";
    // A nasal i after a nasal vowel is the glide of a nasal diphthong, written so because br4
    // joins no glide to a nasal vowel (bem: en in).
    if (k > 0 && p == "in" && phones[k - 1].size() == 2 && phones[k - 1][1] == 'n' &&
        phones[k - 1] != "nh") {
      p = "y";
    }
    if (strict) {
      key += p + ' ';
      continue;
    }
    if (p == "w") p = "u";
    if (p == "y") p = "i";
    if (p == "lh") p = "l i";  // espeak-ng writes lh and l before a glide alike
    const bool nasal_next = k + 1 < phones.size() &&
                            (phones[k + 1] == "m" || phones[k + 1] == "n" || phones[k + 1] == "nh");
    if (nasal_next && p.size() == 2 && p[1] == 'n' && p != "nh") p = p.substr(0, 1);
    key += p;
    key += ' ';
  }
  if (!key.empty()) key.pop_back();
  return key;
}

// The differing middle of two keys (common beginning and end removed, to whole phones).
std::string Difference(const std::string& ours, const std::string& theirs) {
  const auto split = [](const std::string& s) {
    std::vector<std::string> v;
    std::size_t start = 0;
    while (start <= s.size()) {
      std::size_t end = s.find(' ', start);
      if (end == std::string::npos) end = s.size();
      v.push_back(s.substr(start, end - start));
      start = end + 1;
    }
    return v;
  };
  const auto a = split(ours), b = split(theirs);
  std::size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  std::size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head &&
         a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
    ++tail;
  }
  const auto join = [](const std::vector<std::string>& v, std::size_t from, std::size_t to) {
    std::string s;
    for (std::size_t k = from; k < to; ++k) s += (s.empty() ? "" : " ") + v[k];
    return s.empty() ? std::string("-") : s;
  };
  return join(a, head, a.size() - tail) + "  vs  " + join(b, head, b.size() - tail);
}

}  // namespace

int main(int argc, char** argv) {
  std::string list = "/usr/share/dict/brazilian";
  std::size_t show = 40;
  bool list_strict = false;
  bool list_words = false;
  for (int k = 1; k < argc; ++k) {
    if (std::string(argv[k]) == "--show" && k + 1 < argc) {
      show = std::stoul(argv[++k]);
    } else if (std::string(argv[k]) == "--strict") {
      list_strict = true;
    } else if (std::string(argv[k]) == "--list") {
      list_words = true;
    } else {
      list = argv[k];
    }
  }
  const std::string dir = files::DataRoot() + "/sivratts/";
  tts::Lexicon lexicon;
  if (!tts::LoadLexicon(dir + "portug.nrl", dir + "portug.exc", lexicon)) {
    std::fprintf(stderr, "cannot read the rules or exceptions in %s\n", dir.c_str());
    return 1;
  }
  if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) < 0 ||
      espeak_SetVoiceByName("pt-br") != EE_OK) {
    std::fprintf(stderr, "espeak-ng with its pt-br voice is needed\n");
    return 1;
  }
  std::ifstream in(list);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", list.c_str());
    return 1;
  }
  std::map<std::string, std::pair<int, std::string>> differences;
  long words = 0, equal = 0, strictly_equal = 0, stressed_words = 0, same_stress = 0;
  std::map<std::string, std::pair<int, std::string>> stress_differences;
  // Stressed e and o, open or closed, where both put the stress on the same vowel.
  long stressed_eo = 0, same_quality = 0;
  std::map<std::string, std::pair<int, std::string>> quality_differences;
  double ours_seconds = 0, espeak_seconds = 0;
  std::vector<std::string> listed;  // with --list: each word that differs
  std::string utf8;
  while (std::getline(in, utf8)) {
    if (utf8.empty() || utf8[0] == '#') continue;
    const base::Windows1252Text word = base::Utf8ToWindows1252(utf8);
    if (!word.complete) continue;
    const auto t0 = std::chrono::steady_clock::now();
    const Transcription our = OurPhones(lexicon, word.bytes);
    const Phones& our_phones = our.phones;
    const std::string ours = Key(our_phones, list_strict);
    const auto t1 = std::chrono::steady_clock::now();
    std::string mnemonics;
    const void* text = utf8.c_str();
    while (text) {
      const char* part = espeak_TextToPhonemes(&text, espeakCHARS_UTF8, 0);
      if (part) mnemonics += part;
    }
    const auto t2 = std::chrono::steady_clock::now();
    const Transcription their = MapEspeak(mnemonics);
    const Phones& their_phones = their.phones;
    if (our.stress >= 0 && their.stress >= 0) {
      ++stressed_words;
      if (our.stress == their.stress) {
        ++same_stress;
        const std::string mine = VowelAt(our.phones, our.stress);
        const std::string theirs = VowelAt(their.phones, their.stress);
        if (IsEo(mine) && IsEo(theirs)) {
          ++stressed_eo;
          if (mine == theirs) {
            ++same_quality;
          } else {
            const std::string ending =
                word.bytes.substr(word.bytes.size() - std::min<std::size_t>(4, word.bytes.size()));
            auto& e =
                quality_differences[base::Windows1252ToUtf8(ending) + " " + mine + "/" + theirs];
            if (e.first++ == 0) e.second = utf8;
          }
        }
      } else {
        const std::string ending =
            word.bytes.substr(word.bytes.size() - std::min<std::size_t>(3, word.bytes.size()));
        auto& e = stress_differences[base::Windows1252ToUtf8(ending)];
        if (e.first++ == 0)
          e.second = utf8 + " ours " + std::to_string(our.stress + 1) + ", espeak-ng " +
                     std::to_string(their.stress + 1);
      }
    }
    const std::string theirs = Key(their_phones, list_strict);
    if (list_words) {
      std::string what;
      if (ours != theirs) what += " sounds";
      if (our.stress != their.stress) {
        what += " stress";
      } else if (const std::string our_vowel = VowelAt(our.phones, our.stress),
                 their_vowel = VowelAt(their.phones, their.stress);
                 IsEo(our_vowel) && IsEo(their_vowel) && our_vowel != their_vowel) {
        what += " quality";
      }
      if (!what.empty()) {
        listed.push_back(utf8 + "  [" + Shown(our) + "]  [" + Shown(their) + "] " + what);
      }
    }
    if (Key(our_phones, true) == Key(their_phones, true)) ++strictly_equal;
    ours_seconds += std::chrono::duration<double>(t1 - t0).count();
    espeak_seconds += std::chrono::duration<double>(t2 - t1).count();
    ++words;
    if (ours == theirs) {
      ++equal;
      continue;
    }
    auto& entry = differences[Difference(ours, theirs)];
    if (entry.first++ == 0) entry.second = utf8 + " [" + ours + "] [" + theirs + "] " + mnemonics;
  }
  std::printf("words: %ld, equal: %ld (%.2f %%)\n", words, equal,
              words ? 100.0 * static_cast<double>(equal) / static_cast<double>(words) : 0.0);
  std::printf(
      "strictly equal (glides, nasal vowels before m n nh, lh told apart): %.2f %%\n",
      words ? 100.0 * static_cast<double>(strictly_equal) / static_cast<double>(words) : 0.0);
  std::printf("time per word: ours %.2f us, espeak-ng %.2f us\n", 1e6 * ours_seconds / words,
              1e6 * espeak_seconds / words);
  std::vector<std::pair<int, std::string>> order;
  for (const auto& [diff, entry] : differences) order.emplace_back(entry.first, diff);
  std::sort(order.rbegin(), order.rend());
  std::printf("commonest differences (ours  vs  espeak-ng), count, example:\n");
  for (std::size_t k = 0; k < order.size() && k < show; ++k) {
    std::printf("%6d  %-28s  %s\n", order[k].first, order[k].second.c_str(),
                differences[order[k].second].second.c_str());
  }
  std::printf("same stressed vowel: %.2f %% of %ld words both stress\n",
              stressed_words
                  ? 100.0 * static_cast<double>(same_stress) / static_cast<double>(stressed_words)
                  : 0.0,
              stressed_words);
  std::vector<std::pair<int, std::string>> endings;
  for (const auto& [ending, entry] : stress_differences) endings.emplace_back(entry.first, ending);
  std::sort(endings.rbegin(), endings.rend());
  std::printf("word endings with most stress differences (vowels counted from 1), example:\n");
  for (std::size_t k = 0; k < endings.size() && k < show / 2; ++k) {
    std::printf("%6d  -%-6s  %s\n", endings[k].first, endings[k].second.c_str(),
                stress_differences[endings[k].second].second.c_str());
  }
  std::printf("same quality of a stressed e or o (open or closed): %.2f %% of %ld words\n",
              stressed_eo
                  ? 100.0 * static_cast<double>(same_quality) / static_cast<double>(stressed_eo)
                  : 0.0,
              stressed_eo);
  std::vector<std::pair<int, std::string>> qualities;
  for (const auto& [key, entry] : quality_differences) qualities.emplace_back(entry.first, key);
  std::sort(qualities.rbegin(), qualities.rend());
  std::printf("word endings with most quality differences (ours/espeak-ng), example:\n");
  for (std::size_t k = 0; k < qualities.size() && k < show; ++k) {
    std::printf("%6d  -%-16s  %s\n", qualities[k].first, qualities[k].second.c_str(),
                quality_differences[qualities[k].second].second.c_str());
  }
  if (list_words) {
    std::printf("every word that differs (ours, espeak-ng, what differs): %zu\n", listed.size());
    for (const std::string& line : listed) std::printf("%s\n", line.c_str());
  }
  espeak_Terminate();
  return 0;
}
