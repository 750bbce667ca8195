// Golden table of the shipped letter-to-phoneme data (rules and exceptions of the built-in
// TTS): words through the token loop, grouped by what they show. Each expected line lists the
// word's phonemes, '>' marking the stressed one.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "tts/phoneme_transcriber.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

const Lexicon& Shipped() {
  static const Lexicon lexicon = [] {
    Lexicon l;
    const std::string dir = std::string(CADENCIO_SOURCE_DIR) + "/data/sivratts/";
    EXPECT_TRUE(LoadLexicon(dir + "portug.nrl", dir + "portug.exc", l));
    return l;
  }();
  return lexicon;
}

// The phoneme lines of one word joined by blanks, without the ¨ marks.
std::string Phonemes(std::string_view utf8_word) {
  const std::vector<std::string> lines = TranscribeTokens({"555|" + Cp1252(utf8_word)}, Shipped());
  std::string out;
  for (std::size_t k = 1; k < lines.size() && !lines[k].empty(); ++k) {
    std::string line = lines[k];
    std::erase(line, kPlainMark);
    out += (out.empty() ? "" : " ") + line;
  }
  return out;
}

struct WordCase {
  std::string word;  // UTF-8
  std::string phonemes;
};

void ExpectAll(const std::vector<WordCase>& cases) {
  for (const WordCase& c : cases) EXPECT_EQ(Phonemes(c.word), c.phonemes) << c.word;
}

TEST(ShippedRules, VowelsAndUnstressedEndings) {
  ExpectAll({
      {"casa", "k >a z a"},       {"casas", "k >a z a s2"}, {"mesa", "m >e z a"},
      {"livro", "l >i v r u"},    {"leite", "l >e y t i"},  {"pato", "p >a t u"},
      {"bolo", "b >o l u"},       {"povo", "p >o v u"},     {"vida", "v >i d a"},
      {"nome", "n >o m i"},       {"tarde", "t >a r2 d i"}, {"menino", "m e n >i n u"},
      {"sabia", "s a b >i a"},    {"tudo", "t >u d u"},     {"pele", "p >ee l i"},
      {"bonita", "b o n >i t a"}, {"lado", "l >a d u"},     {"uma", ">u m a"},
      {"para", "p >a r a"},       {"pelo", "p >e l u"},
  });
}

TEST(ShippedRules, AccentedVowels) {
  ExpectAll({
      {"café", "k a f >ee"},         {"avó", "a v >oo"},           {"avô", "a v >o"},
      {"você", "v o s >e"},          {"ônibus", ">on n i b u s2"}, {"música", "m >u z i k a"},
      {"pássaro", "p >a s a r u"},   {"lâmpada", "l >an p a d a"}, {"câmera", "k >an m e r a"},
      {"três", "t r >e s2"},         {"sofá", "s o f >a"},         {"até", "a t >ee"},
      {"país", "p a >i s2"},         {"saúde", "s a >u d i"},      {"público", "p >u b l i k u"},
      {"máquina", "m >a k i n a"},   {"médico", "m >ee d i k u"},  {"fácil", "f >a s i w"},
      {"difícil", "d i f >i s i w"}, {"árvore", ">a r2 v o r i"},
  });
}

TEST(ShippedRules, NasalVowels) {
  ExpectAll({
      {"campo", "k >an p u"},
      {"canto", "k >an t u"},
      {"tempo", "t >en p u"},
      {"dente", "d >en t i"},
      {"limpo", "l >in p u"},
      {"cinto", "s >in t u"},
      {"onda", ">on d a"},
      {"conto", "k >on t u"},
      {"mundo", "m >un d u"},
      {"fundo", "f >un d u"},
      {"bom", "b >on"},
      {"algum", "a w g >un"},
      {"fim", "f >in"},
      {"sim", "s in"},
      {"um", "un"},
      {"irmã", "i r2 m >an"},
      {"maçã", "m a s >an"},
      {"ontem", ">on t en in"},
      {"samba", "s >an b a"},
      {"sempre", "s >en p r i"},
      {"cantar", "k an t >a r2"},
      {"lindo", "l >in d u"},
      {"alguns", "a w g >un s2"},
  });
}

TEST(ShippedRules, NasalDiphthongs) {
  ExpectAll({
      {"mão", "m >@ w"},
      {"pão", "p >@ w"},
      {"não", "n @ w"},
      {"irmão", "i r2 m >@ w"},
      {"mãe", "m >@ y"},
      {"pães", "p >@ y s2"},
      {"põe", "p >on y"},
      {"limões", "l i m >on y s2"},
      {"falam", "f >a l @ w"},
      {"cantam", "k >an t @ w"},
      {"bem", "b >en in"},
      {"também", "t an b >en in"},
      {"homem", ">o m en in"},
      {"homens", ">o m en in s2"},
      {"viagem", "v i >a j en in"},
      {"têm", "t >en in"},
      {"parabéns", "p a r a b >en in s2"},
      {"jovem", "j >oo v en in"},
      {"ninguém", "n in g >en in"},
  });
}

TEST(ShippedRules, OralDiphthongs) {
  ExpectAll({
      {"pai", "p >a y"},
      {"mais", "m >a y s2"},
      {"auto", ">a w t u"},
      {"meu", "m >e w"},
      {"céu", "s >ee w"},
      {"oito", ">o y t u"},
      {"coisa", "k >o y z a"},
      {"ouro", ">o w r u"},
      {"falou", "f a l >o w"},
      {"fui", "f >u y"},
      {"saiu", "s a >i w"},
      {"herói", "e r >oo y"},
      {"papéis", "p a p >ee y s2"},
      {"peixe", "p >e y x i"},
      {"baixo", "b >a y x u"},
      {"queijo", "k >e y j u"},
      {"deus", "d >e w s2"},
      {"reino", "rr >e y n u"},
      {"muito", "m >un in t u"},
      {"muitas", "m >un in t a s2"},
  });
}

TEST(ShippedRules, Hiatus) {
  ExpectAll({
      {"dia", "d >i a"},
      {"rua", "rr >u a"},
      {"tia", "t >i a"},
      {"rio", "rr >i u"},
      {"frio", "f r >i u"},
      {"lua", "l >u a"},
      {"sair", "s a >i r2"},
      {"cair", "k a >i r2"},
      {"juiz", "j u >i s2"},
      {"raiz", "rr a >i s2"},
      {"ruim", "rr u >in"},
      {"construir", "k on s2 t r u >i r2"},
      {"rainha", "rr a >i nh a"},
      {"ainda", "a >in d a"},
      {"moinho", "m o >i nh u"},
      {"caindo", "k a >in d u"},
      {"Bahia", "b a >i a"},
  });
}

TEST(ShippedRules, SoftAndHardCAndG) {
  ExpectAll({
      {"cedo", "s >e d u"},
      {"cinema", "s i n >e m a"},
      {"ação", "a s >@ w"},
      {"gente", "j >en t i"},
      {"girar", "j i r >a r2"},
      {"gato", "g >a t u"},
      {"guerra", "g >ee rr a"},
      {"guia", "g >i a"},
      {"água", ">a g w a"},
      {"guarda", "g w >a r2 d a"},
      {"que", "k >i"},
      {"quilo", "k >i l u"},
      {"quando", "k w >an d u"},
      {"quase", "k w >a z i"},
      {"cinqüenta", "s in k w >en t a"},
      {"cinquenta", "s in k w >en t a"},
      {"aqui", "a k >i"},
      {"porque", "p >o r2 k i"},
      {"linguiça", "l in g w >i s a"},
      {"jogue", "j >oo g i"},
      {"ficção", "f i k s >@ w"},
  });
}

// qu and gu before e and i keep their glide in the families that once wrote a diaeresis, in the
// verbs in -guar and -quar and in the words of aqua-, and only there; the u is silent in the
// closed class of everyday words.
TEST(ShippedRules, QuAndGuGlides) {
  struct Case {
    const char* word;  // UTF-8
    bool glide;
  };
  const Case cases[] = {
      {"linguista", true}, {"sequela", true},      {"equestre", true},    {"quinquênio", true},
      {"unguento", true},  {"ambiguidade", true},  {"arguição", true},    {"sagui", true},
      {"bilíngue", true},  {"linguiça", true},     {"aguentar", true},    {"frequente", true},
      {"tranquilo", true}, {"cinquenta", true},    {"quero", false},      {"guerra", false},
      {"quilo", false},    {"águia", false},       {"seguir", false},     {"quente", false},
      {"pequena", false},  {"distinguem", false},  {"averiguemos", true}, {"enxaguei", true},
      {"deságuem", true},  {"mínguem", true},      {"adequei", true},     {"aquicultura", true},
      {"paguei", false},   {"domingueiro", false}, {"aguerrido", false},
  };
  for (const Case& c : cases) {
    const std::string phonemes = Phonemes(c.word);
    const bool glide =
        phonemes.find("k w") != std::string::npos || phonemes.find("g w") != std::string::npos;
    EXPECT_EQ(glide, c.glide) << c.word << ": " << phonemes;
  }
}

TEST(ShippedRules, StrongTapAndFinalR) {
  ExpectAll({
      {"rato", "rr >a t u"},
      {"carro", "k >a rr u"},
      {"caro", "k >a r u"},
      {"prato", "p r >a t u"},
      {"mar", "m >a r2"},
      {"porta", "p >oo r2 t a"},
      {"honra", ">on rr a"},
      {"Israel", "i s2 rr a >ee w"},
      {"genro", "j >en rr u"},
      {"melro", "m >ee w rr u"},
      {"amor", "a m >o r2"},
      {"falar", "f a l >a r2"},
      {"garrafa", "g a rr >a f a"},
      {"correr", "k o rr >e r2"},
  });
}

TEST(ShippedRules, SAndZ) {
  ExpectAll({
      {"sapo", "s >a p u"},
      {"passo", "p >a s u"},
      {"assim", "a s >in"},
      {"nascer", "n a s >e r2"},
      {"piscina", "p i s >i n a"},
      {"descer", "d e s >e r2"},
      {"festa", "f >ee s2 t a"},
      {"mesmo", "m >e s2 m u"},
      {"pensar", "p en s >a r2"},
      {"transação", "t r an z a s >@ w"},
      {"paz", "p >a s2"},
      {"feliz", "f e l >i s2"},
      {"zero", "z >ee r u"},
      {"fazer", "f a z >e r2"},
      {"mês", "m >e s2"},
  });
}

TEST(ShippedRules, X) {
  ExpectAll({
      {"xícara", "x >i k a r a"},
      {"mexer", "m e x >e r2"},
      {"lixo", "l >i x u"},
      {"exame", "e z >a m i"},
      {"exato", "e z >a t u"},
      {"texto", "t >e s2 t u"},
      {"extra", ">e s2 t r a"},
      {"explicar", "e s2 p l i k >a r2"},
      {"excelente", "e s e l >en t i"},
      {"táxi", "t >a k s i"},
      {"fixo", "f >i k s u"},
      {"tóxico", "t >oo k s i k u"},
      {"sexo", "s >ee k s u"},
      {"próximo", "p r >oo s i m u"},
      {"máximo", "m >a s i m u"},
      {"tórax", "t >oo r a k s"},
      {"trouxe", "t r >o w s i"},
      {"enxada", "en x >a d a"},
      {"reflexo", "rr e f l >ee k s u"},
      {"saxofone", "s a k s o f >o n i"},
  });
}

// Stressed e and o open or closed by family: open before the endings of nouns and adjectives
// that Brazilians open (-ola, -oda, -ogra, -ova, -ovos, -opo, -ode, -ofre, -orte, -osa, -ota,
// -osta, -ostos, -orta, -orme, -orna, -ose, -obre, -ossa, -orma, -orda, -ofe, -ora, -olta, -oia,
// final -ol and -oz; -ela, -eve, -ebre, -egre, -erra, -ece, -erto, -erta, -reto, -exo, -eles,
// -sfera, -eca, -eco, -eque, -estre, -erna, -erno, -esso, -erso, -elo, -esta, -esto, -ieta,
// -ieto, -tleta, -creta, -ecto, -essa, -ese, -efa, -etra, final -el; -oro, -oça, -moto, -ostra,
// the plural -ortos), closed where the exceptions keep them so (-negro and -eses too), and never
// open after the stress.
TEST(ShippedRules, StressedEAndOFamilies) {
  ExpectAll({
      {"escola", "e s2 k >oo l a"},
      {"estrada", "e s2 t r >a d a"},  // the -estra family is an ending, not a start
      {"maestro", "m a >ee s2 t r u"},
      {"moda", "m >oo d a"},
      {"sogra", "s >oo g r a"},
      {"provas", "p r >oo v a s2"},
      {"novos", "n >oo v u s2"},
      {"copo", "k >oo p u"},
      {"pode", "p >oo d i"},
      {"cofre", "k >oo f r i"},
      {"gostosa", "g o s2 t >oo z a"},
      {"nota", "n >oo t a"},
      {"farol", "f a r >oo w"},
      {"janela", "j a n >ee l a"},
      {"leve", "l >ee v i"},
      {"febre", "f >ee b r i"},
      {"guerra", "g >ee rr a"},
      {"anel", "a n >ee w"},
      {"parece", "p a r >ee s i"},
      {"comeram", "k o m >e r @ w"},    // the regular past keeps its e closed
      {"amável", "a m >a v e w"},       // stressed before the -el: stays closed
      {"cebola", "s e b >o l a"},       // exception: closed
      {"toda", "t >o d a"},             // exception: closed
      {"quero", "k >ee r u"},           // the verb opens
      {"auxílio", "a w s >i l i u"},    // x as s after au
      {"trânsito", "t r >an z i t u"},  // s voiced after a nasal vowel
      {"órgão", ">oo r2 g @ w"},        // stressed where the accent is, not on -ão
      {"Costa", "k >oo s2 t a"},
      {"antepostas", "an t e p >oo s2 t a s2"},
      {"lagosta", "l a g >o s2 t a"},  // exception: closed
      {"aberto", "a b >ee r2 t u"},
      {"concerto", "k on s >e r2 t u"},  // the noun: closed
      {"converta", "k on v >e r2 t a"},  // -er verbs close it in the subjunctive
      {"peste", "p >ee s2 t i"},
      {"deste", "d >e s2 t i"},  // demonstrative: closed
      {"Meireles", "m e y r >ee l i s2"},
      {"triatleta", "t r i a t l >ee t a"},
      {"irrequieto", "i rr e k i >ee t u"},
      {"claraboia", "k l a r a b >oo y a"},
      {"escolta", "e s2 k >oo w t a"},
      {"integre", "in t >ee g r i"},
      {"aqueles", "a k >e l i s2"},  // pronoun: closed
      {"mulheres", "m u lh >ee r i s2"},
      {"flores", "f l >o r i s2"},
      {"atmosfera", "a t m o s2 f >ee r a"},
      {"boneca", "b o n >ee k a"},
      {"seca", "s >e k a"},  // exception: closed
      {"leque", "l >ee k i"},
      {"mestre", "m >ee s2 t r i"},
      {"torre", "t >o rr i"},     // exception: closed
      {"desta", "d >ee s2 t a"},  // exception: open like esta
      {"olhos", ">oo lh u s2"},   // exception: the plural opens it
      {"logo", "l >oo g u"},      // exception
      {"castelo", "k a s2 t >ee l u"},
      {"universo", "u n i v >ee r2 s u"},
      {"parede", "p a r >e d i"},     // exception: closed
      {"hóspede", ">oo s2 p e d i"},  // exception: the e after the stress stays closed
      {"enorme", "e n >oo r2 m i"},
      {"direto", "d i r >ee t u"},
      {"preto", "p r >e t u"},  // exception: closed
      {"pobre", "p >oo b r i"},
      {"grossa", "g r >oo s a"},
      {"sobre", "s >o b r i"},  // exception: closed
      {"moderna", "m o d >ee r2 n a"},
      {"inverno", "in v >ee r2 n u"},
      {"governo", "g o v >e r2 n u"},  // exception: closed
      {"processo", "p r o s >ee s u"},
      {"gesso", "j >e s u"},  // exception: closed
      {"compostos", "k on p >oo s2 t u s2"},
      {"gostos", "g >o s2 t u s2"},  // exception: closed
      {"morta", "m >oo r2 t a"},
      {"glicose", "g l i k >oo z i"},
      {"floresta", "f l o r >ee s2 t a"},
      {"cesta", "s >e s2 t a"},  // exception: closed
      {"modesto", "m o d >ee s2 t u"},
      {"senhora", "s e nh >oo r a"},
      {"professora", "p r o f e s >o r a"},  // noun of agent: closed
      {"vozes", "v >oo z i s2"},
      {"arroz", "a rr >o s2"},  // exception: closed
      {"forma", "f >oo r2 m a"},
      {"corda", "k >oo r2 d a"},
      {"estrofe", "e s2 t r >oo f i"},
      {"metáfora", "m e t >a f o r a"},  // the -ora after the stress stays closed
      {"pérola", "p >ee r o l a"},
      {"ideias", "i d >ee y a s2"},  // exception
      {"velho", "v >ee lh u"},       // exception
      {"farelo", "f a r >ee l u"},
      {"cabelos", "k a b >e l u s2"},  // exception: closed
      {"discreta", "d i s2 k r >ee t a"},
      {"aspecto", "a s2 p >ee k t u"},
      {"remessa", "rr e m >ee s a"},
      {"condessa", "k on d >e s a"},  // exception: closed
      {"diocese", "d i o s >ee z i"},
      {"meses", "m >e z i s2"},  // the plural of an -ês word: closed
      {"tarefa", "t a r >ee f a"},
      {"letra", "l >e t r a"},  // exception: closed
      {"negro", "n >e g r u"},
      {"meteoro", "m e t e >oo r u"},
      {"namoro", "n a m >o r u"},  // exception: closed
      {"carroça", "k a rr >oo s a"},
      {"moça", "m >o s a"},  // exception: closed
      {"remoto", "rr e m >oo t u"},
      {"hoje", ">o j i"},  // exception: closed
      {"mostra", "m >oo s2 t r a"},
      {"portos", "p >oo r2 t u s2"},
  });
}

// Stressed e and o of verb forms: open in the strong pasts before r, ss and st and in the
// stressed present forms of the -elar, -egar, -etar, -eder, -olar, -orar, -ocar and -otar
// verbs and of the verbs in -erar, -orar, -etar, -ertar, -estar, -ostar, -erir, -estir,
// -essar and -olir (some of -egar, -olar, -ordar, -ortar, -ogar, -ovar too), -orre, -esce, -ede,
// -evem, -ebe, -mete, -pete, -olhe, -quer, -erve, -ove, -olve, and the -evar, -eçar, -ocar and
// -olhar verbs; closed in the regular pasts, the -emos forms, the forms of pôr, the pasts of ter,
// the subjunctive of -meter, chegar's family and the exceptions.
TEST(ShippedRules, StressedEAndOOfVerbs) {
  ExpectAll({
      {"tiveram", "t i v >ee r @ w"},
      {"estiverem", "e s2 t i v >ee r en in"},
      {"fizesse", "f i z >ee s i"},
      {"quiseras", "k i z >ee r a s2"},
      {"trouxer", "t r o w s >ee r2"},
      {"vieste", "v i >ee s2 t i"},
      {"compusessem", "k on p u z >ee s en in"},
      {"deram", "d >ee r @ w"},
      {"tivemos", "t i v >e m u s2"},
      {"bebesse", "b e b >e s i"},
      {"dissertaram", "d i s e r2 t >a r @ w"},
      {"revelam", "rr e v >ee l @ w"},
      {"entregue", "en t r >ee g i"},
      {"chegam", "x >e g @ w"},
      {"completam", "k on p l >ee t @ w"},
      {"pedem", "p >ee d en in"},
      {"choram", "x >oo r @ w"},
      {"troca", "t r >oo k a"},
      {"toque", "t >oo k i"},
      {"adotem", "a d >oo t en in"},
      {"boca", "b >o k a"},
      {"foram", "f >o r @ w"},
      {"comporem", "k on p >o r en in"},
      {"compõem", "k on p >on y"},
      // forms of the verbs the word list holds in -erar, -orar, -etar, -estar, -erir, -olir
      {"aceleram", "a s e l >ee r @ w"},
      {"acelerem", "a s e l >ee r en in"},
      {"acaloras", "a k a l >oo r a s2"},
      {"completas", "k on p l >ee t a s2"},
      {"empreste", "en p r >ee s2 t i"},
      {"preferem", "p r e f >ee r en in"},
      {"aboles", "a b >oo l i s2"},
      {"isoles", "i z >oo l i s2"},
      {"melhore", "m e lh >oo r i"},
      {"melhores", "m e lh >oo r i s2"},  // the comparative keeps its open o in the plural
      {"entrego", "en t r >ee g u"},
      {"revele", "rr e v >ee l i"},
      {"querem", "k >ee r en in"},
      {"devem", "d >ee v en in"},
      {"cede", "s >ee d i"},
      {"abordes", "a b >oo r2 d i s2"},
      {"interessa", "in t e r >ee s a"},
      {"interesse", "in t e r >e s i"},  // the noun: closed
      {"corre", "k >oo rr i"},
      {"cresce", "k r >ee s i"},
      {"comeras", "k o m >e r a s2"},  // -er verb: closed
      {"gosto", "g >o s2 t u"},        // the noun: closed
      {"recebe", "rr e s >ee b i"},
      {"promete", "p r o m >ee t i"},
      {"repete", "rr e p >ee t i"},
      {"tapete", "t a p >e t i"},  // exception: closed
      {"qualquer", "k w a w k >ee r2"},
      {"escolhe", "e s2 k >oo lh i"},
      {"olha", ">oo lh a"},
      {"olho", ">o lh u"},  // the noun: closed
      {"levo", "l >ee v u"},
      {"começa", "k o m >ee s a"},
      {"coloco", "k o l >oo k u"},
      {"troco", "t r >o k u"},  // the noun: closed
      {"serve", "s >ee r2 v i"},
      {"chovem", "x >oo v en in"},
      {"resolve", "rr e z >oo w v i"},
      {"teve", "t >e v i"},              // the past of ter: closed
      {"prometam", "p r o m >e t @ w"},  // the subjunctive of -meter: closed
      {"aconchega", "a k on x >e g a"},  // chegar's family: closed
      {"fosse", "f >o s i"},             // exception: closed
      {"isolo", "i z >oo l u"},
      {"consolo", "k on s >o l u"},  // the noun: closed
  });
}

TEST(ShippedRules, LAndPalatals) {
  ExpectAll({
      {"mal", "m >a w"},
      {"sol", "s >oo w"},
      {"papel", "p a p >ee w"},
      {"azul", "a z >u w"},
      {"alto", ">a w t u"},
      {"Brasil", "b r a z >i w"},
      {"filho", "f >i lh u"},
      {"trabalho", "t r a b >a lh u"},
      {"olhar", "o lh >a r2"},
      {"ninho", "n >i nh u"},
      {"senha", "s >e nh a"},
      {"ganhar", "g a nh >a r2"},
      {"lhe", "lh >i"},
      {"animal", "a n i m >a w"},
  });
}

TEST(ShippedRules, SilentHAndDoubleLetters) {
  ExpectAll({{"hora", ">oo r a"},
             {"hoje", ">o j i"},
             {"hotel", "o t >ee w"},
             {"chave", "x >a v i"},
             {"chuva", "x >u v a"},
             {"hífen", ">i f en"},
             {"pizza", "p >i t s a"}});
}

TEST(ShippedRules, ShortWordsAndExceptions) {
  ExpectAll({
      {"e", "i"},
      {"o", "u"},
      {"a", "a"},
      {"de", "d i"},
      {"com", "k on"},
      {"por", "p o r2"},
      {"das", "d a s2"},
      {"é", "ee"},
      {"há", "a"},
      {"mas", "m >a s2"},
      {"dez", "d >ee s2"},
      {"sete", "s >ee t i"},
      {"nove", "n >oo v i"},
      {"software", "s >oo f t u e r2"},
      {"mouse", "m >a w z i"},
      {"site", "s >a y t i"},
      {"internet", "in t e r2 n >ee t i"},
      {"cadencio", "k a d >en s i u"},
  });
}

TEST(ShippedRules, MetronomeWords) {
  ExpectAll({
      {"metrônomo", "m e t r >on n o m u"},
      {"compasso", "k on p >a s u"},
      {"batida", "b a t >i d a"},
      {"batidas", "b a t >i d a s2"},
      {"binário", "b i n >a r i u"},
      {"ternário", "t e r2 n >a r i u"},
      {"quaternário", "k w a t e r2 n >a r i u"},
      {"volume", "v o l >u m i"},
      {"velocidade", "v e l o s i d >a d i"},
      {"tecla", "t >ee k l a"},
      {"pressione", "p r e s i >o n i"},
      {"minuto", "m i n >u t u"},
  });
}

// Every letter the tokeniser passes on is pronounced, alone and inside a word; only H is
// silent.
TEST(ShippedRules, EveryLetterIsPronounced) {
  for (int b = 1; b < 256; ++b) {
    const char letter = base::UpperCase1252(static_cast<char>(b));
    if (!IsInLetterSet(letter) || letter == 'H') continue;
    for (const std::string& word : {std::string(1, letter), std::string{'A', letter, 'A'}}) {
      std::vector<std::string> lines;
      TranscribeWord(Shipped().rules, word, 0, lines);
      EXPECT_GE(lines.size(), word.size() + 1) << "letter " << b << " in " << word;
    }
  }
}

// The rules write only phoneme names of the voice, each at most behind the ¨ mark.
TEST(ShippedRules, WriteOnlyPhonemesOfTheVoice) {
  const std::set<std::string> voice = {"_",  "a",  "an", "@",  "b",  "d", "e", "ee", "en", "f",
                                       "g",  "h",  "i",  "in", "j",  "k", "l", "lh", "m",  "m2",
                                       "n",  "nh", "o",  "on", "oo", "p", "r", "r2", "rr", "s",
                                       "s2", "t",  "u",  "un", "v",  "w", "x", "y",  "z"};
  for (const auto& bucket : Shipped().rules.buckets) {
    for (const Rule& rule : bucket) {
      std::string_view rest = rule.phonemes;
      while (!rest.empty()) {
        std::string_view name = rest.substr(0, rest.find('&'));
        rest.remove_prefix(std::min(rest.size(), name.size() + 1));
        if (name.starts_with(kPlainMark)) name.remove_prefix(1);
        EXPECT_TRUE(voice.contains(std::string(name)))
            << rule.left << "(" << rule.core << ")" << rule.right << "=" << rule.phonemes;
      }
    }
  }
}

// Final unstressed vowels and diphthongs and the nasal glide of -em and muito carry the mark
// that ends the lengthening after the stress (an unstressed -ão as long as the stressed vowel
// takes the stress; a glide as long as its vowel is heard as a syllable).
TEST(ShippedRules, FinalVowelsAndNasalGlidesAreNotLengthened) {
  const std::vector<std::string> lines = TranscribeTokens(
      {"555|casa", "555|aqui", "555|muito", "555|homem", "555|" + Cp1252("órgão")}, Shipped());
  std::string joined;
  for (const std::string& line : lines) joined += line + " / ";
  EXPECT_EQ(joined,
            ";555|casa / k / >a / z / \xA8"
            "a /  / "
            ";555|aqui / a / k / >\xA8i /  / "
            ";555|muito / m / >un / \xA8in / t / \xA8u /  / "
            ";555|homem / >o / m / \xA8"
            "en / \xA8in /  / "
            ";555|\xF3rg\xE3o / >oo / r2 / g / \xA8@ / w /  / "
            "__ / ");
}

}  // namespace
}  // namespace cadencio::tts
