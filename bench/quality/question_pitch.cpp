// Whether a question sounds like one: pairs of the same words said as a statement ("...") and
// as a question ("...?") by one of the program's voices, as the program plays them; for each
// pair the median pitch of the last 100 ms of voiced sound of each, and how many semitones the
// question lies above the statement. A yes/no question should end at least 2 semitones higher,
// whatever the stress of its last word. Then questions that open with a question word (quem,
// quando, onde, como, que, qual, por que, quanto), which Brazilians say high on that word and
// falling at the end: the median pitch of the first 250 ms of voiced sound against the last
// 100 ms; such a question should end at least 2 semitones below its start. So should the
// statements and the exclamations of the same words. A mark the voice names by its letter
// recording (the recorded voice names a '?') is cut off: the words alone are measured.
//
// Usage: question_pitch [--voice recorded|espeak|sivra] (sivra by default)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "lib/spoken_corpus.hpp"
#include "measures/voice_measures.hpp"

namespace {

using namespace cadencio;

// The last word of every pair, by where it is stressed.
struct Pair {
  const char* words;  // UTF-8, without the final mark
  const char* stress;
};
constexpr Pair kPairs[] = {
    {"Está muito bom", "last"},
    {"Você volta amanhã", "last"},
    {"Ele já chegou", "last"},
    {"O metrônomo está", "last"},
    {"Foi você", "last"},
    {"Ela saiu", "last"},
    {"O tempo mudou", "last"},
    {"Ela gosta de café", "last"},
    {"Você quer a casa", "second-to-last"},
    {"Ela mora no Brasil", "last"},
    {"O compasso é ternário", "second-to-last"},
    {"A música está lenta", "second-to-last"},
    {"Ele toca guitarra", "second-to-last"},
    {"Você gosta de música", "third-to-last"},
    {"O andamento é rápido", "third-to-last"},
    {"Ela comprou a lâmpada", "third-to-last"},
    {"Ele ouviu o pássaro", "third-to-last"},
    // Last words whose stress the recorded voice's translator leaves unmarked.
    {"Ele vem", "last"},
    {"Ele caiu", "last"},
    {"Você viu ele", "second-to-last"},
    {"Ela sabe", "second-to-last"},
    // The program's own yes/no questions.
    {"Confirma o fim do programa", "second-to-last"},
    {"Deseja assumir esse modelo como padrão", "last"},
    {"Remove a música", "third-to-last"},
};

// Questions that open with a question word, one for each word.
constexpr const char* kWhQuestions[] = {
    "Quem toca guitarra?",
    "Quando você volta amanhã?",
    "Onde ela mora?",
    "Como está a música?",
    "Que horas são?",
    "Qual é o andamento?",
    "Por que ela saiu?",
    "Quanto custa o metrônomo?",
    "Quem chegou?",
    "Onde fica o compasso?",
    "Como você gosta de café?",
    "O que ele comprou?",
};

constexpr double kEndMs = 100;
constexpr double kStartMs = 250;

// A text said by the voice, its words alone.
std::vector<int16_t> Said(const say::ShippedConfig& config, const std::string& utf8) {
  return say::SpeakWordsOfText(config.DataRoot(), 0, say::CodePageText(utf8));
}

double EndPitch(const std::vector<int16_t>& samples) {
  return bench::VoicedPitchHz(samples, say::kCaptureRate, true, kEndMs);
}

// Prints, for each text, the pitch of its start and of its end, and counts those that end at
// least 2 semitones under their start.
int CountFalls(const say::ShippedConfig& config, const std::vector<std::string>& texts) {
  int falling = 0;
  for (const std::string& text : texts) {
    const std::vector<int16_t> said = Said(config, text);
    const double start = bench::VoicedPitchHz(said, say::kCaptureRate, false, kStartMs);
    const double end = EndPitch(said);
    const double semitones = bench::Semitones(start, end);
    falling += semitones <= -2.0;
    std::printf("  %6.0f %6.0f %+6.1f  %s%s\n", start, end, semitones, text.c_str(),
                semitones <= -2.0 ? "" : "  <- falls less than 2");
  }
  return falling;
}

}  // namespace

int main(int argc, char** argv) {
  std::string voice_name = "sivra";
  for (int k = 1; k < argc; ++k) {
    if (std::string(argv[k]) == "--voice" && k + 1 < argc) voice_name = argv[++k];
  }
  const say::VoiceChoice* voice = say::FindVoice(voice_name);
  if (!voice) {
    std::fprintf(stderr, "usage: question_pitch [--voice %s]\n", say::VoiceNames().c_str());
    return 2;
  }
  const say::ShippedConfig config(voice);
  if (!config.Error().empty()) {
    std::fprintf(stderr, "%s\n", config.Error().c_str());
    return 1;
  }
  std::printf(
      "Last %.0f ms of voiced sound, voice %s: stress of the last word, statement Hz, question Hz, "
      "semitones, words\n",
      kEndMs, voice_name.c_str());
  int rising = 0, count = 0;
  for (const Pair& pair : kPairs) {
    const double statement = EndPitch(Said(config, std::string(pair.words) + "."));
    const double question = EndPitch(Said(config, std::string(pair.words) + "?"));
    const double semitones = bench::Semitones(statement, question);
    const bool ok = semitones >= 2.0;
    rising += ok;
    ++count;
    std::printf("  %-15s %6.0f %6.0f %+6.1f  %s%s\n", pair.stress, statement, question, semitones,
                pair.words, ok ? "" : "  <- under 2");
  }
  std::printf("questions at least 2 semitones above their statement: %d / %d\n", rising, count);

  std::printf("\nQuestions with a question word: first %.0f ms Hz, last %.0f ms Hz, semitones\n",
              kStartMs, kEndMs);
  const std::vector<std::string> wh(std::begin(kWhQuestions), std::end(kWhQuestions));
  std::printf(
      "questions with a question word ending at least 2 semitones under their start: %d / %zu\n",
      CountFalls(config, wh), wh.size());
  for (const char* mark : {".", "!"}) {
    std::vector<std::string> sentences;
    for (const Pair& pair : kPairs) sentences.push_back(std::string(pair.words) + mark);
    std::printf("\n%s: first %.0f ms Hz, last %.0f ms Hz, semitones\n",
                *mark == '.' ? "Statements" : "Exclamations", kStartMs, kEndMs);
    std::printf("%s ending at least 2 semitones under their start: %d / %zu\n",
                *mark == '.' ? "statements" : "exclamations", CountFalls(config, sentences),
                sentences.size());
  }
  return 0;
}
