// How the voices read written forms of music and everyday text (time signatures, chords,
// ranges, names and large numbers, telephone numbers, key names, acronyms): every line of a
// list of held-out texts, judged by hand as CLASS|TEXT|RIGHT|ACCEPTABLE;ACCEPTABLE..., is given
// as the program gives it (its spoken form) to the built-in TTS and to espeak-ng. A reading is
// right when its sounds are those of the right words, acceptable when they are those of an
// acceptable reading, wrong otherwise; sounds are compared without stress and word breaks
// (the built-in TTS's phonemes of its normalised text; espeak-ng's phoneme mnemonics, its glides
// as their vowels, since it links words that way). Prints
// the counts per class and voice, and every reading that is not right.
//
// Usage: normaliser_readings [LIST] (bench/quality/normaliser_readings.txt by default)
#include <espeak-ng/speak_lib.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/windows1252.hpp"
#include "speech/spoken_forms.hpp"
#include "tts/phoneme_transcriber.hpp"
#include "tts/prosody.hpp"
#include "tts/text_normaliser.hpp"

namespace {

using namespace cadencio;

struct Reading {
  std::string klass;
  std::string text;  // Windows-1252
  std::string right;
  std::vector<std::string> acceptable;
};

std::vector<std::string> Split(const std::string& s, char separator) {
  std::vector<std::string> parts(1);
  for (char c : s) {
    if (c == separator) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

std::vector<Reading> ReadList(const std::string& path) {
  std::vector<Reading> list;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> f = Split(base::Utf8ToWindows1252(line).bytes, '|');
    if (f.size() < 3) continue;
    Reading r{f[0], f[1], f[2], {}};
    if (f.size() > 3 && !f[3].empty()) r.acceptable = Split(f[3], ';');
    list.push_back(r);
  }
  return list;
}

// The built-in TTS's phonemes of a text, stress and word breaks left out.
struct Sivra {
  tts::AbbreviationTable abbreviations;
  tts::Lexicon lexicon;
  std::string Sounds(const std::string& text) const {
    std::string sounds;
    const std::string normalised = tts::NormaliseText(text, abbreviations, &lexicon.exceptions);
    std::string word;
    const auto flush = [&] {
      if (word.empty()) return;
      for (std::string line : tts::TranscribeTokens({"555|" + word}, lexicon)) {
        if (line.empty() || line[0] == ';' || line[0] == '_') continue;
        std::erase(line, tts::kStressMark);
        std::erase(line, tts::kPlainMark);
        sounds += line + '.';
      }
      word.clear();
    };
    for (char c : normalised) {
      if (c == ' ' || c == ',' || c == '.' || c == '(' || c == ')') {
        flush();
      } else {
        word += c;
      }
    }
    flush();
    return sounds;
  }
};

// espeak-ng's phoneme mnemonics of a text, stress marks and word breaks left out.
std::string EspeakSounds(const std::string& text) {
  const std::string utf8 = base::Windows1252ToUtf8(text);
  const void* at = utf8.c_str();
  std::string sounds;
  while (at != nullptr) {
    const char* part = espeak_TextToPhonemes(&at, espeakCHARS_UTF8, 0);
    if (part == nullptr) continue;
    for (const char* c = part; *c; ++c) {
      // Stress, pauses, word breaks and links are left out, glides count as their vowels.
      if (std::string_view("',; _!:#").find(*c) != std::string_view::npos) continue;
      sounds += *c == 'w' ? 'u' : *c == 'j' ? 'i' : *c;
    }
  }
  return sounds;
}

enum Verdict { kRight, kAcceptable, kWrong };

template <typename SoundsOf>
Verdict Judge(const Reading& r, const std::string& given, SoundsOf sounds_of) {
  const std::string said = sounds_of(given);
  if (said == sounds_of(r.right)) return kRight;
  for (const std::string& other : r.acceptable) {
    if (said == sounds_of(other)) return kAcceptable;
  }
  return kWrong;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path =
      argc > 1 ? argv[1]
               : std::string(CADENCIO_SOURCE_DIR) + "/bench/quality/normaliser_readings.txt";
  const std::vector<Reading> list = ReadList(path);
  if (list.empty()) {
    std::fprintf(stderr, "normaliser_readings: no readings in %s\n", path.c_str());
    return 1;
  }
  Sivra sivra;
  const std::string dir = std::string(CADENCIO_SOURCE_DIR) + "/data/sivratts/";
  if (!tts::LoadAbbreviations(dir + "portug.abr", sivra.abbreviations) ||
      !tts::LoadLexicon(dir + "portug.nrl", dir + "portug.exc", sivra.lexicon) ||
      espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) < 0 ||
      espeak_SetVoiceByName("pt-br") != EE_OK) {
    std::fprintf(stderr, "normaliser_readings: cannot load the TTS's data or espeak-ng\n");
    return 1;
  }
  static const char* const kVerdicts[] = {"right", "acceptable", "wrong"};
  std::map<std::string, std::array<std::array<int, 3>, 2>> counts;
  for (const Reading& r : list) {
    // Both are engines: the spoken form gives them large numbers as words.
    const std::string given = speech::SpokenForm(r.text, true);
    const Verdict by_sivra = Judge(r, given, [&](const std::string& t) { return sivra.Sounds(t); });
    const Verdict by_espeak = Judge(r, given, EspeakSounds);
    ++counts[r.klass][0][by_sivra];
    ++counts[r.klass][1][by_espeak];
    if (by_sivra != kRight || by_espeak != kRight) {
      std::printf("%-8s %-10s %-10s %s -> %s\n", r.klass.c_str(), kVerdicts[by_sivra],
                  kVerdicts[by_espeak], base::Windows1252ToUtf8(r.text).c_str(),
                  base::Windows1252ToUtf8(
                      tts::NormaliseText(given, sivra.abbreviations, &sivra.lexicon.exceptions))
                      .c_str());
    }
  }
  std::printf(
      "\n%-8s %5s | built-in TTS: right acceptable wrong | espeak-ng: right acceptable "
      "wrong\n",
      "class", "texts");
  std::array<std::array<int, 3>, 2> total{};
  for (const auto& [klass, c] : counts) {
    std::printf("%-8s %5d | %18d %10d %5d | %15d %10d %5d\n", klass.c_str(),
                c[0][0] + c[0][1] + c[0][2], c[0][0], c[0][1], c[0][2], c[1][0], c[1][1], c[1][2]);
    for (int v = 0; v < 2; ++v) {
      for (int k = 0; k < 3; ++k) total[v][k] += c[v][k];
    }
  }
  std::printf("%-8s %5zu | %18d %10d %5d | %15d %10d %5d\n", "all", list.size(), total[0][0],
              total[0][1], total[0][2], total[1][0], total[1][1], total[1][2]);
  espeak_Terminate();
  return 0;
}
