// The whole pipeline with the shipped data, from text to MBROLA lines: a golden table of ten
// sentences (numbers, abbreviations, signs, a question, an exclamation, linking between words),
// and checks that the shipped rules, durations and diphone list fit one another.
#include "tts/sivra_pipeline.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

using Lines = std::vector<std::string>;

const std::string kData = CADENCIO_SOURCE_DIR "/data/sivratts/";

SivraPipeline& Shipped() {
  static SivraPipeline* pipeline = [] {
    auto* p = new SivraPipeline;
    const std::string error =
        p->Load({kData + "portug.nrl", kData + "portug.exc", kData + "portug.abr",
                 kData + "portug.pro", kData + "portug.dfn"},
                [](const std::string& message) { ADD_FAILURE() << message; });
    EXPECT_EQ(error, "");
    return p;
  }();
  return *pipeline;
}

// The lines of an utterance joined by " / " (an empty line leaves two blanks between).
std::string Joined(const Lines& lines) {
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) joined += (i ? " / " : "") + lines[i];
  return joined;
}

struct Case {
  std::string text;
  std::string lines;
};

// Statements fall on their last stressed syllable (level 3 = 187 Hz) and lower still after it
// (level 1 = 165 Hz); the question rises on it (level 9 = 297 Hz) and stays high (level 6).
const Case kSentences[] = {
    {"Ela saiu.",
     "; / _ 120 50 220 /  / "
     ";Ela / ee 130 80 220 / l 79 / a 85 50 220 /  / "
     ";saiu / s 85 50 237 / a 85 / i 101 80 187 / w 65 50 165 /  / "
     ";. / _ 280 50 165 / ; / _ 120 50 176 /  / "
     "_ 120"},
    {"O metr\xF4nomo marca 120 batidas por minuto.",
     "; / _ 120 50 220 /  / "
     ";O / u 70 50 220 /  / "
     ";metr\xF4nomo / m 54 50 202 / e 72 / t 58 / r 27 / on 137 80 237 / n 79 / o 116 / m 87 / u "
     "70 50 220 /  / "
     ";marca / m 60 50 220 / a 123 80 237 / r2 65 / k 101 / a 85 50 220 /  / "
     ";cento / s 85 50 220 / en 137 80 237 / t 94 / u 70 50 220 /  / "
     ";e / i 70 50 220 /  / "
     ";vinte / v 60 50 202 / in 130 80 237 / t 94 / i 70 50 220 /  / "
     ";batidas / b 60 50 220 / a 85 / t 65 / i 101 80 237 / d 79 / a 85 / s2 75 50 220 /  / "
     ";por / p 70 50 220 / o 80 / r2 45 /  / "
     ";minuto / m 60 50 237 / i 70 / n 55 / u 101 80 187 / t 94 / u 70 50 165 /  / "
     ";. / _ 280 50 165 / ; / _ 120 50 176 /  / "
     "_ 120"},
    {"Voc\xEA quer ouvir de novo?",
     "; / _ 120 50 220 /  / "
     ";Voc\xEA / v 60 50 220 / o 80 / s 85 / e 116 30 220 90 220 /  / "
     ";quer / k 70 50 220 / ee 130 80 237 / r 43 50 220 /  / "
     ";ouvir / o 80 50 220 / w 45 / v 60 / i 101 80 237 / r2 65 50 220 /  / "
     ";de / d 55 50 220 / i 70 /  / "
     ";novo / n 55 50 202 / o 116 80 297 / v 87 / u 70 50 237 /  / "
     ";? / _ 280 50 237 / ; / _ 120 50 275 /  / "
     "_ 120"},
    {"Dr. Silva chegou \xE0s 8h30, no dia 25-12.",
     "; / _ 120 50 220 /  / "
     ";doutor / d 55 50 220 / o 80 / w 45 / t 65 / o 116 80 237 / r2 65 50 237 /  / "
     ";Silva / s 85 50 237 / i 101 80 237 / w 65 / v 87 / a 85 50 220 /  / "
     ";chegou / x 90 50 220 / e 80 / g 55 / o 116 80 237 / w 65 50 220 /  / "
     ";\xE0s / a 85 50 220 / s2 75 /  / "
     ";oito / o 116 80 237 / y 65 / t 94 / u 70 50 220 /  / "
     ";horas / oo 130 80 237 / r 43 / a 85 / z 65 50 220 /  / "
     ";e / i 70 50 220 /  / "
     ";trinta / t 65 50 202 / r 30 / in 130 80 237 / t 94 / a 85 50 220 /  / "
     ";minutos / m 60 50 220 / i 70 / n 55 / u 101 80 237 / t 94 / u 70 / s2 75 50 237 /  / "
     ";, / _ 150 50 237 / ;no / n 55 50 220 / u 70 /  / "
     ";dia / d 55 50 202 / i 101 80 237 / a 85 50 220 /  / "
     ";dois / d 55 50 220 / o 116 80 237 / y 65 / s2 108 50 220 /  / "
     ";cinco / s 85 50 220 / in 130 80 237 / k 101 / u 70 50 220 /  / "
     ";tra\xE7o / t 65 50 220 / r 30 / a 123 80 237 / s 123 / u 70 50 220 /  / "
     ";um / un 90 50 220 /  / "
     ";dois / d 55 50 237 / o 116 80 187 / y 65 / s2 108 50 165 /  / "
     ";. / _ 280 50 165 / ; / _ 120 50 176 /  / "
     "_ 120"},
    {"Compasso tern\xE1rio: tr\xEAs tempos!",
     "; / _ 120 50 220 /  / "
     ";Compasso / k 70 50 220 / on 95 / p 70 / a 123 80 237 / s 123 / u 70 50 237 /  / "
     ";tern\xE1rio / t 65 50 237 / e 80 / r2 45 / n 55 / a 123 80 237 / r 43 / i 101 / u 70 50 220 "
     "/  / "
     ";: / _ 200 50 220 / ;tr\xEAs / t 65 50 202 / r 30 / e 116 80 237 / s2 108 50 220 /  / "
     ";tempos / t 65 50 275 / en 137 80 187 / p 101 / u 70 / s2 75 50 165 /  / "
     ";! / _ 280 50 165 / ; / _ 120 50 187 /  / "
     "_ 120"},
    {"Mar azul, por favor.",
     "; / _ 120 50 220 /  / "
     ";Mar / m 60 50 220 / a 123 80 237 / r 43 50 237 /  / "
     ";azul / a 85 50 237 / z 65 / u 101 80 237 / w 65 50 237 /  / "
     ";, / _ 150 50 237 / ;por / p 70 50 220 / o 80 / r2 45 /  / "
     ";favor / f 80 50 237 / a 85 / v 60 / o 116 80 187 / r2 65 50 165 /  / "
     ";. / _ 280 50 165 / ; / _ 120 50 176 /  / "
     "_ 120"},
    {"Pressione a tecla F2 para gravar.",
     "; / _ 120 50 220 /  / "
     ";Pressione / p 63 50 220 / r 27 / e 72 / s 76 / i 63 / o 116 80 237 / n 79 / i 70 50 237 /  "
     "/ "
     ";a / a 85 50 237 /  / "
     ";tecla / t 65 50 202 / ee 130 80 237 / k 101 / l 79 / a 85 50 220 /  / "
     ";\xE9"
     "fe / ee 130 80 237 / f 116 / i 70 50 220 /  / "
     ";dois / d 55 50 220 / o 116 80 237 / y 65 / s2 108 50 220 /  / "
     ";para / p 70 50 220 / a 123 80 202 / r 43 / a 85 50 202 /  / "
     ";gravar / g 55 50 237 / r 30 / a 85 / v 60 / a 123 80 187 / r2 65 50 165 /  / "
     ";. / _ 280 50 165 / ; / _ 120 50 176 /  / "
     "_ 120"},
    {"O 1\xBA lugar custou R$ 1.500,00.",
     "; / _ 120 50 220 /  / "
     ";O / u 70 50 220 /  / "
     ";primeiro / p 70 50 202 / r 30 / i 70 / m 60 / e 116 80 237 / y 65 / r 43 / u 70 50 220 /  / "
     ";lugar / l 55 50 220 / u 70 / g 55 / a 123 80 237 / r2 65 50 220 /  / "
     ";custou / k 70 50 220 / u 70 / s2 75 / t 65 / o 116 80 237 / w 65 50 220 /  / "
     ";mil / m 60 50 220 / i 101 80 237 / w 65 50 220 /  / "
     ";e / i 70 50 220 /  / "
     ";quinhentos / k 63 50 202 / i 63 / nh 58 / en 137 80 237 / t 94 / u 70 / s2 75 50 220 /  / "
     ";reais / rr 75 50 237 / e 80 / a 123 80 187 / y 65 / s2 108 50 165 /  / "
     ";. / _ 280 50 165 / ; / _ 120 50 176 /  / "
     "_ 120"},
    {"Guarda-chuva... e sapatos.",
     "; / _ 120 50 220 /  / "
     ";Guarda / g 55 50 220 / w 45 / a 123 80 237 / r2 65 / d 79 / a 85 50 237 /  / "
     ";- /  / "
     ";chuva / x 90 50 220 / u 101 80 237 / v 87 / a 85 50 237 /  / "
     ";. / _ 280 50 237 / ; / _ 120 50 202 /  / "
     ";e / i 70 50 220 /  / "
     ";sapatos / s 85 50 237 / a 85 / p 70 / a 123 80 187 / t 94 / u 70 / s2 75 50 165 /  / "
     ";. / _ 280 50 165 / ; / _ 120 50 176 /  / "
     "_ 120"},
    {"Afina\xE7\xE3o do viol\xE3o em l\xE1 440 hertz.",
     "; / _ 120 50 220 /  / "
     ";Afina\xE7\xE3o / a 85 50 220 / f 80 / i 70 / n 55 / a 85 / s 85 / @ 145 80 237 / w 65 50 "
     "237 /  / "
     ";do / d 55 50 237 / u 70 /  / "
     ";viol\xE3o / v 60 50 202 / i 70 / o 80 / l 55 / @ 145 80 237 / w 65 50 220 /  / "
     ";em / en 95 50 220 / in 90 /  / "
     ";l\xE1 / l 55 50 202 / a 85 /  / "
     ";quatrocentos / k 63 50 220 / w 40 / a 76 / t 58 / r 27 / o 72 / s 76 / en 137 80 237 / t 94 "
     "/ u 70 / z 65 50 220 /  / "
     ";e / i 70 50 220 /  / "
     ";quarenta / k 70 50 202 / w 45 / a 85 / r 30 / en 137 80 237 / t 94 / a 85 50 220 /  / "
     ";hertz / e 116 80 187 / r2 65 / t 94 / y 50 / s2 108 50 165 /  / "
     ";. / _ 280 50 165 / ; / _ 120 50 176 /  / "
     "_ 120"},
};

TEST(SivraPipeline, TenSentencesToMbrolaLines) {
  for (const Case& c : kSentences) {
    EXPECT_EQ(Joined(Shipped().TextToPhonemeLines(c.text, 1.0, 1.0)), c.lines) << c.text;
  }
}

// Every phoneme the shipped rules write over ordinary prose has a duration of its own, and the
// diphone list (br4's) joins every pair they make, so no filler is ever needed.
TEST(SivraPipeline, ShippedDataFitTogether) {
  const std::string prose = Cp1252(
      "Quando o músico estuda devagar, a sessenta batidas por minuto, cada trecho difícil fica "
      "seguro. Depois ele aumenta a velocidade: oitenta, cem, cento e vinte! Será que já "
      "chegou lá? Nenhum problema; o metrônomo acompanha tudo, até o fim. Às vezes, chove "
      "muito e a guitarra desafina, então é hora de afinar as cordas com o diapasão.");
  std::set<std::string> phone_set;
  for (const char* name :
       {"_",  "a",  "an", "@", "b",  "d", "e",  "ee", "en", "f", "g",  "h",  "i",
        "in", "j",  "k",  "l", "lh", "m", "m2", "n",  "nh", "o", "on", "oo", "p",
        "r",  "r2", "rr", "s", "s2", "t", "u",  "un", "v",  "w", "x",  "y",  "z"}) {
    phone_set.insert(name);
  }
  SivraPipeline& p = Shipped();
  const Lines lines = p.TextToPhonemeLines(prose, 1.0, 1.0);
  ASSERT_GT(lines.size(), 200u);
  std::string previous = "_";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty() || line[0] == ';') continue;
    const std::string name = line.substr(0, line.find(' '));
    EXPECT_EQ(phone_set.count(name), 1u) << "unknown phoneme in line " << i << ": " << line;
    EXPECT_NE(line, "_ 50") << "filler at line " << i << " after " << previous;
    EXPECT_NE(line, "y 50") << "filler at line " << i << " after " << previous;
    previous = name;
  }
  // Every phoneme has its own duration rather than the 100 ms default.
  for (const std::string& name : phone_set) {
    bool listed = false;
    for (const DurationEntry& entry : p.prosody.durations) listed |= entry.phoneme == name;
    EXPECT_TRUE(listed) << name;
  }
}

// The factors of the engine's voice settings scale every duration and pitch.
TEST(SivraPipeline, FactorsScaleTheLines) {
  const Lines slow = Shipped().TextToPhonemeLines("Ela saiu.", 1.0, 1.0);
  const Lines fast = Shipped().TextToPhonemeLines("Ela saiu.", 2.0, 0.5);
  ASSERT_EQ(slow.size(), fast.size());
  EXPECT_EQ(fast[4], "ee 65 80 440");
  EXPECT_EQ(fast[11], "i 50 80 374");
}

// The pitch (Hz) of the last pitch point on a sound of the utterance (pauses aside): where the
// voice ends.
double LastSoundPitch(const Lines& lines) {
  double pitch = 0;
  for (const std::string& line : lines) {
    if (line.empty() || line[0] == ';' || line[0] == '_') continue;
    std::istringstream fields(line);
    std::string phone;
    double duration = 0, position = 0, hz = 0;
    fields >> phone >> duration;
    if (fields >> position >> hz) pitch = hz;
  }
  return pitch;
}

// A yes/no question ends at least 2 semitones above the same words said as a statement,
// whether its last word is stressed on the last, second-to-last or third-to-last syllable;
// when the stressed vowel is the word's last sound the contour has to be on that vowel, since
// the pause after it is silent.
TEST(SivraPipeline, QuestionEndsAboveItsStatement) {
  struct Pair {
    std::string words;
    std::string why;
  };
  const Pair pairs[] = {
      {"Est\xE1 muito bom", "one syllable, stressed vowel last"},
      {"Voc\xEA volta amanh\xE3", "stressed on the last syllable"},
      {"Ele j\xE1 chegou", "stressed on the last syllable, a verb"},
      {"Voc\xEA quer a casa", "stressed on the second-to-last"},
      {"Voc\xEA gosta de m\xFAsica", "stressed on the third-to-last"},
      {"Voc\xEA est\xE1 bem", "an adverb last"},
      {"\xC9 voc\xEA", "a pronoun last"},
  };
  const double two_semitones = std::pow(2.0, 2.0 / 12.0);
  for (const Pair& pair : pairs) {
    const double statement = LastSoundPitch(Shipped().TextToPhonemeLines(pair.words + ".", 1, 1));
    const double question = LastSoundPitch(Shipped().TextToPhonemeLines(pair.words + "?", 1, 1));
    ASSERT_GT(statement, 0) << pair.words;
    EXPECT_GE(question, statement * two_semitones)
        << pair.words << " (" << pair.why << "): " << statement << " Hz then " << question;
  }
}

}  // namespace
}  // namespace cadencio::tts
