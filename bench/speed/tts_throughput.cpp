// Speed of the built-in TTS's text pipeline, from raw text to MBROLA lines, side by side with
// espeak-ng's own text-to-phonemes (espeak_TextToPhonemes, pt-br) on the same text in the same
// run. The text is a large Portuguese one: ordinary paragraphs with numbers, abbreviations and
// signs, followed by sentences made of the words of a word list (by default
// /usr/share/dict/brazilian), deterministic, cut into paragraphs. Both sides get the same
// paragraphs, one call (one utterance) each; conversion to each side's encoding is not timed.
//
// Usage: tts_throughput [WORD-LIST] [--words N]
#include <espeak-ng/speak_lib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "base/windows1252.hpp"
#include "files/paths.hpp"
#include "tts/sivra_pipeline.hpp"

namespace {

using namespace cadencio;
using Clock = std::chrono::steady_clock;

constexpr const char* kParagraphs[] = {
    "O metrônomo é um aparelho que marca o andamento da música com batidas regulares. Os "
    "músicos estudam devagar, a 60 batidas por minuto, e aumentam a velocidade aos poucos.",
    "No dia 25-12 o Dr. Silva tocou às 20h com a orquestra; o ingresso custou R$ 35,50 e a "
    "sala, com 1.200 lugares, ficou cheia até o 3º andar.",
    "Você já afinou o violão hoje? A nota lá tem 440 hertz, e a corda mais grave é o mi.",
    "Compasso binário, ternário ou quaternário: escolha o seu e pressione Enter para começar!",
    "Às vezes a música pede um andamento livre... mas o estudo diário, com paciência, faz de "
    "cada trecho difícil uma passagem segura.",
};

std::vector<std::string> ReadWords(const std::string& path) {
  std::vector<std::string> words;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.find_first_of(" '") == std::string::npos) words.push_back(line);
  }
  return words;
}

// Paragraphs of about 60 words, UTF-8: the fixed ones, then word-list sentences.
std::vector<std::string> MakeText(const std::vector<std::string>& words, std::size_t total) {
  std::vector<std::string> paragraphs;
  std::size_t count = 0;
  for (const char* p : kParagraphs) {
    paragraphs.emplace_back(p);
    for (const char* c = p; *c; ++c) count += *c == ' ';
  }
  uint64_t seed = 12345;
  const auto next = [&seed] {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::size_t>(seed >> 33);
  };
  while (count < total && !words.empty()) {
    std::string paragraph;
    for (int sentence = 0; sentence < 5; ++sentence) {
      const std::size_t length = 6 + next() % 10;
      for (std::size_t i = 0; i < length; ++i) {
        std::string word = words[next() % words.size()];
        if (i == 0 && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 32);
        paragraph += word;
        paragraph +=
            (i + 1 == length) ? (next() % 4 == 0 ? "? " : ". ") : (next() % 9 == 0 ? ", " : " ");
        ++count;
      }
    }
    paragraphs.push_back(paragraph);
    if (paragraphs.size() % 7 == 0) paragraphs.emplace_back(kParagraphs[next() % 5]);
  }
  return paragraphs;
}

}  // namespace

int main(int argc, char** argv) {
  std::string list = "/usr/share/dict/brazilian";
  std::size_t total = 200000;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--words") == 0 && i + 1 < argc) {
      total = std::strtoul(argv[++i], nullptr, 10);
    } else {
      list = argv[i];
    }
  }
  const std::vector<std::string> utf8 = MakeText(ReadWords(list), total);
  std::vector<std::string> cp1252;
  std::size_t words = 0;
  for (const std::string& p : utf8) {
    cp1252.push_back(base::Utf8ToWindows1252(p, ' ').bytes);
    for (char c : p) words += c == ' ';
  }

  const std::string dir = files::DataRoot() + "/sivratts/portug";
  tts::SivraPipeline pipeline;
  const std::string error =
      pipeline.Load({dir + ".nrl", dir + ".exc", dir + ".abr", dir + ".pro", dir + ".dfn"},
                    [](const std::string& m) { std::fprintf(stderr, "%s\n", m.c_str()); });
  if (!error.empty()) {
    std::fprintf(stderr, "tts_throughput: the TTS data in %s do not load (build them first)\n",
                 dir.c_str());
    return 1;
  }
  if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) < 0 ||
      espeak_SetVoiceByName("pt-br") != EE_OK) {
    std::fprintf(stderr, "tts_throughput: espeak-ng with its pt-br voice is needed\n");
    return 1;
  }

  std::size_t lines = 0;
  const auto t0 = Clock::now();
  for (const std::string& p : cp1252) lines += pipeline.TextToPhonemeLines(p, 1.0, 0.8).size();
  const auto t1 = Clock::now();
  std::size_t chars = 0;
  for (const std::string& p : utf8) {
    const void* text = p.c_str();
    while (text != nullptr) {
      const char* part = espeak_TextToPhonemes(&text, espeakCHARS_UTF8, 0);
      if (part != nullptr) chars += std::strlen(part);
    }
  }
  const auto t2 = Clock::now();
  espeak_Terminate();

  const double ours = std::chrono::duration<double>(t1 - t0).count();
  const double theirs = std::chrono::duration<double>(t2 - t1).count();
  std::printf("text: %zu paragraphs, %zu words\n", utf8.size(), words);
  std::printf("built-in TTS, text to MBROLA lines: %.3f s, %.0f words/s (%zu lines)\n", ours,
              words / ours, lines);
  std::printf("espeak-ng, text to phonemes:        %.3f s, %.0f words/s (%zu characters)\n", theirs,
              words / theirs, chars);
  std::printf("ratio: %.1f times %s\n", ours < theirs ? theirs / ours : ours / theirs,
              ours < theirs ? "faster" : "slower");
  return 0;
}
