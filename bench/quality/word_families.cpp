// How each voice's letter rules say the words of a hand-labelled list the rules were not written
// from: qu and gu before e and i with or without their glide, the stressed e or o open or
// closed, and the unstressed e of a final -vel. Each word is read by the built-in TTS's rules and
// exceptions, by the recorded voice's translator, and by espeak-ng; prints, per kind and voice,
// how many are right, and every word a voice says otherwise.
//
// Usage: word_families [LIST] (bench/quality/held_out_words.txt by default; lines KIND|WORD|ANSWER;
// bench/quality/held_out_eo_words.txt and held_out_eo_words_3.txt are later lists of stressed e
// and o)
#include <espeak-ng/speak_lib.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/windows1252.hpp"
#include "tts/phoneme_transcriber.hpp"
#include "voice/phonetic_translator.hpp"

namespace {

using namespace cadencio;

struct Word {
  std::string kind;
  std::string text;  // Windows-1252
  std::string answer;
};

// A reading of one word: whether a glide follows k or g, the stressed e or o ("open", "closed",
// or empty when the stressed vowel is neither), and the quality of the last e.
struct Reading {
  bool glide = false;
  std::string stressed;
  std::string last_e;
};

std::string Quality(bool open) {
  return open ? "open" : "closed";
}

Reading BySivra(const tts::Lexicon& lexicon, const std::string& word) {
  Reading r;
  std::string previous;
  for (std::string line : tts::TranscribeTokens({"555|" + word}, lexicon)) {
    if (line.empty() || line[0] == ';' || line[0] == '_') continue;
    const bool stressed = line[0] == tts::kStressMark;
    std::erase(line, tts::kStressMark);
    std::erase(line, tts::kPlainMark);
    const std::string phone = line.substr(0, line.find(' '));
    r.glide |= phone == "w" && (previous == "k" || previous == "g");
    const bool eo = phone == "e" || phone == "ee" || phone == "o" || phone == "oo";
    if (stressed && eo) r.stressed = Quality(phone.size() == 2);
    if (phone == "e" || phone == "ee") r.last_e = Quality(phone == "ee");
    previous = phone;
  }
  return r;
}

Reading ByRecordedVoice(const voice::PhoneticTranslator& translator, const std::string& word) {
  Reading r;
  const std::string phonetic = translator.TranslateToPhonetic(word);
  r.glide = phonetic.find("kw") != std::string::npos || phonetic.find("gw") != std::string::npos;
  // The stressed vowel is written in capitals; a word stressed on its first vowel has none.
  std::size_t at = phonetic.find_first_of("AEIOU");
  if (at == std::string::npos) at = phonetic.find_first_of("aeiou");
  const auto closed = [&](std::size_t k) {
    return k + 1 < phonetic.size() && (phonetic[k + 1] == '^' || phonetic[k + 1] == '~');
  };
  if (at != std::string::npos && std::string_view("EOeo").find(phonetic[at]) != std::string::npos) {
    r.stressed = Quality(!closed(at));
  }
  const std::size_t last = phonetic.find_last_of("eE");
  if (last != std::string::npos) r.last_e = Quality(!closed(last));
  return r;
}

Reading ByEspeak(const std::string& word) {
  Reading r;
  const std::string utf8 = base::Windows1252ToUtf8(word);
  const void* at = utf8.c_str();
  std::string s;
  while (at != nullptr) {
    if (const char* part = espeak_TextToPhonemes(&at, espeakCHARS_UTF8, 0)) s += part;
  }
  r.glide = s.find("kw") != std::string::npos || s.find("gw") != std::string::npos;
  const std::size_t stress = s.find('\'');
  if (stress != std::string::npos) {
    std::size_t k = stress + 1;
    while (k < s.size() && std::string_view("aeiouEO&").find(s[k]) == std::string_view::npos) ++k;
    if (k < s.size() && std::string_view("eoEO").find(s[k]) != std::string_view::npos) {
      r.stressed = Quality(s[k] == 'E' || s[k] == 'O');
    }
  }
  const std::size_t last = s.find_last_of("eE");
  if (last != std::string::npos) r.last_e = Quality(s[last] == 'E');
  return r;
}

bool Right(const Word& w, const Reading& r) {
  if (w.kind == "qu") return r.glide == (w.answer == "w");
  if (w.kind == "eo") return r.stressed == w.answer;
  return r.last_e == w.answer;
}

std::vector<Word> ReadList(const std::string& path) {
  std::vector<Word> words;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t a = line.find('|');
    const std::size_t b = line.find('|', a + 1);
    if (a == std::string::npos || b == std::string::npos) continue;
    words.push_back({line.substr(0, a),
                     base::Utf8ToWindows1252(line.substr(a + 1, b - a - 1)).bytes,
                     line.substr(b + 1)});
  }
  return words;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path =
      argc > 1 ? argv[1] : std::string(CADENCIO_SOURCE_DIR) + "/bench/quality/held_out_words.txt";
  const std::vector<Word> words = ReadList(path);
  tts::Lexicon lexicon;
  voice::PhoneticTranslator translator;
  const std::string data = std::string(CADENCIO_SOURCE_DIR) + "/data/";
  if (words.empty() ||
      !tts::LoadLexicon(data + "sivratts/portug.nrl", data + "sivratts/portug.exc", lexicon) ||
      !translator.LoadPhoneticRules(data + "regras.rgr") ||
      !translator.LoadPhoneticExceptions(data + "portug.exc") ||
      espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) < 0 ||
      espeak_SetVoiceByName("pt-br") != EE_OK) {
    std::fprintf(stderr, "word_families: no words in %s, or the voices' data did not load\n",
                 path.c_str());
    return 1;
  }
  static constexpr const char* kVoices[] = {"built-in TTS", "recorded voice", "espeak-ng"};
  std::map<std::string, std::array<int, 4>> right;  // per kind: words, then right per voice
  for (const Word& w : words) {
    const std::array<Reading, 3> readings = {BySivra(lexicon, w.text),
                                             ByRecordedVoice(translator, w.text), ByEspeak(w.text)};
    std::array<int, 4>& counts = right[w.kind];
    ++counts[0];
    for (std::size_t v = 0; v < readings.size(); ++v) {
      if (Right(w, readings[v])) {
        ++counts[v + 1];
      } else {
        std::printf("%-4s %-15s wrong by the %s\n", w.kind.c_str(),
                    base::Windows1252ToUtf8(w.text).c_str(), kVoices[v]);
      }
    }
  }
  std::printf("\n%-5s %5s | %12s %14s %9s\n", "kind", "words", kVoices[0], kVoices[1], kVoices[2]);
  for (const auto& [kind, c] : right) {
    std::printf("%-5s %5d | %12d %14d %9d\n", kind.c_str(), c[0], c[1], c[2], c[3]);
  }
  espeak_Terminate();
  return 0;
}
