// The sound-effect browser: reading the effects file (hostile ones included), the sort key and
// the list order, the effect and model choosers driven by keys on the headless console, and
// the Ctrl+Enter test heard on the beat channel.
#include "app/effects_browser.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/effects_file.hpp"
#include "base/keys.hpp"
#include "files/paths.hpp"
#include "formats/wav_writer.hpp"
#include "support/scenario.hpp"

namespace cadencio::testing {
namespace {

namespace vk = base::vk;
using Script = std::vector<frontends::ScriptedMessage>;
using speech::SpeechEvent;

const std::string kDir = "c:\\sonaud\\som\\cadencio\\efeitos\\";
const std::string kOldTempo = kDir + "padrao1.wav";
const std::string kOldMeasure = kDir + "padrao2.wav";
const std::string kNoSuch = "N\xE3o consta arquivo com essa inicial";
const std::string kInvalid = "Op\xE7\xE3o inv\xE1lida, aperte F1 para ajuda";

// --- the file and the lists -------------------------------------------------------------

TEST(SortKey, FoldsLettersOfBothCodePages) {
  struct Case {
    std::string text, key;
  };
  const Case cases[] = {
      {"bumbo 1;", "BUMBO 1;"},
      {"\xC1gua", "AGUA"},  // Á of Windows-1252
      {"\xB5gua",
       "\xFE"
       "GUA"},                       // code page 850's Á is not in the table: FE
      {"\x80\x87\xC7\xE7", "CCCC"},  // Ç ç of both code pages
      {"\x81\xA3\xDC\xFC", "UUUU"},
      {"\x82\x90\xC9\xE9\xEA", "EEEEE"},
      {"\x83\x8F\xA0\xC3\xE3", "AAAAA"},
      {"\x8B\xA1\xCD\xEF", "IIII"},
      {"\x93\x99\xA2\xD3\xF5", "OOOOO"},
      {"\x98\xDD\xFD", "YYY"},
      {"\xA4\xA5\xD1\xF1", "NNNN"},
      {"\xD7\xF7", "XX"},
      {"\xC6\xE6", "\x91\x91"},
      {"\x9B\xA6\xBF\xDF\xFF\xF0", "\xFE\xFE\xFE\xFE\xFE\xFE"},
      {std::string("a\0b", 3), std::string("A\0B", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(app::SortKey(c.text), c.key) << c.text;
}

TEST(EntryList, SortsMoreThanTwoAndKeepsTwoInFileOrder) {
  struct Case {
    std::vector<std::string> raw;
    bool models;
    std::vector<std::string> list;
  };
  const Case cases[] = {
      {{"C=c", "A=a", "B=b"}, false, {"A=a", "B=b", "C=c"}},
      {{"B=b", "A=a"}, false, {"B=b", "A=a"}},
      {{"*Z=z/z", "B=b", "*Rock=bumbo/prato", "A=a", "*Marcha=t/p"},
       true,
       {"Marcha=t/p", "Rock=bumbo/prato", "Z=z/z"}},
      {{"*Z=z/z", "B=b", "*Rock=bumbo/prato", "A=a", "*Marcha=t/p"}, false, {"B=b", "A=a"}},
      // Accents fold to their letter; a prefix comes first; the file part is in the key.
      {{"\xC9"
        "co=b",
        "Eco=a", "Ec=x", "Dado=d"},
       false,
       {"Dado=d", "Ec=x", "Eco=a",
        "\xC9"
        "co=b"}},
      // Equal keys: the exchange sort puts the later one first here.
      {{"Bumbo=x", "bumbo=x", "Agua=y"}, false, {"Agua=y", "bumbo=x", "Bumbo=x"}},
      // Bytes compare unsigned: 0xFE (an unlisted accent) after every letter.
      {{"\xBFX", "Z", "A"}, false, {"A", "Z", "\xBFX"}},
      {{"*"}, true, {""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(app::BuildEntryList(c.raw, c.models), c.list) << c.raw.front();
  }
}

TEST(EntryParts, NameAndFile) {
  struct Case {
    std::string entry, name, file;
  };
  const Case cases[] = {
      {"Tambor grave=tambor1", "Tambor grave", "TAMBOR1.WAV"},
      {"Marcha=tambor1/prato2", "Marcha", "TAMBOR1/PRATO2.WAV"},
      {"sem igual", "", "SEM IGUAL.WAV"},
      {"a=b=c", "a", "B=C.WAV"},
      {"", "", ".WAV"},
      {"=x", "", "X.WAV"},
      {"\xC1gua=\xE1gua", "\xC1gua", "\xE1GUA.WAV"},  // only a..z are upper-cased
  };
  for (const auto& c : cases) {
    EXPECT_EQ(app::EntryName(c.entry), c.name) << c.entry;
    EXPECT_EQ(app::EntryFile(c.entry), c.file) << c.entry;
  }
}

TEST(EntryParts, InitialLetterMatchFoldsAccentsAndCase) {
  EXPECT_TRUE(app::MatchesLetter("\xC1gua=agua", 'a'));
  EXPECT_TRUE(
      app::MatchesLetter("\xE9"
                         "co=x",
                         'E'));
  EXPECT_TRUE(
      app::MatchesLetter("\xC8"
                         "co=x",
                         'e'));
  EXPECT_TRUE(app::MatchesLetter("bumbo", 'B'));
  EXPECT_FALSE(app::MatchesLetter("\xC1gua=agua", 'b'));
  EXPECT_FALSE(app::MatchesLetter("", 'a'));
  EXPECT_FALSE(app::MatchesLetter("1=um", 'a'));
}

TEST(EffectsText, SkipsCommentsSectionsAndEmptyLines) {
  const auto entries = app::ParseEffectsText(
      "; efeitos\r\n[EFEITOS]\r\n\r\nBumbo=bumbo\r\n ;kept=x\rCaixa=caixa\n\n*Rock=bumbo/prato");
  EXPECT_EQ(entries, (std::vector<std::string>{"Bumbo=bumbo", " ;kept=x", "Caixa=caixa",
                                               "*Rock=bumbo/prato"}));
}

TEST(EffectsText, KeepsTheFirst199Entries) {
  std::string text;
  for (int i = 1; i <= 250; ++i)
    text += "Efeito " + std::to_string(i) + "=e" + std::to_string(i) + "\n";
  const auto entries = app::ParseEffectsText(text);
  ASSERT_EQ(entries.size(), 199u);
  EXPECT_EQ(entries.front(), "Efeito 1=e1");
  EXPECT_EQ(entries.back(), "Efeito 199=e199");
}

TEST(EffectsText, HostileContentIsBounded) {
  // An over-long line keeps its first 255 bytes; the next line still counts.
  auto entries = app::ParseEffectsText(std::string(100000, 'x') + "=y\nB=b\n");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], std::string(255, 'x'));
  EXPECT_EQ(entries[1], "B=b");
  // Binary junk with NUL bytes and no line end is one entry, cut to size.
  std::string junk(5000, '\0');
  uint32_t seed = 7;
  for (char& ch : junk) ch = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
  entries = app::ParseEffectsText(junk);
  for (const auto& entry : entries) EXPECT_LE(entry.size(), app::kMaxEntryLength);
  EXPECT_LE(entries.size(), 199u);
  EXPECT_TRUE(app::ParseEffectsText("").empty());
  EXPECT_TRUE(app::ParseEffectsText("\n\r\n;x\n[y]\n").empty());
}

TEST(EffectsText, Utf8FilesAreReadInTheCodePage) {
  EXPECT_EQ(app::ParseEffectsText("\xC3\x81gua=agua\n"), std::vector<std::string>{"\xC1gua=agua"});
  EXPECT_EQ(app::ParseEffectsText("\xEF\xBB\xBF"
                                  "Bumbo=bumbo\n"),
            std::vector<std::string>{"Bumbo=bumbo"});
  EXPECT_EQ(app::ParseEffectsText("Sino \xE2\x99\xAA=sino\n"),
            std::vector<std::string>{"Sino ?=sino"});
  // Windows-1252 text stays as it is.
  EXPECT_EQ(app::ParseEffectsText("\xC1gua=agua\n"), std::vector<std::string>{"\xC1gua=agua"});
}

TEST(LoadEffectsFile, MissingDirectoryEmptyAndGoodFiles) {
  TempDataRoot data;
  app::EffectsBrowser browser;
  EXPECT_FALSE(browser.LoadEffectsFrom("c:\\sonaud\\somritmo.ini"));
  std::filesystem::create_directories(data.Root() + "/pasta.ini");
  EXPECT_FALSE(browser.LoadEffectsFrom("c:\\sonaud\\pasta.ini"));
  data.WriteFile("vazio.ini", "; nada\n[EFEITOS]\n\n");
  EXPECT_FALSE(browser.LoadEffectsFrom("c:\\sonaud\\vazio.ini"));
  data.WriteFile("SOMRITMO.INI", "B=b\n*M=b/b\n");
  EXPECT_TRUE(browser.LoadEffectsFrom("c:\\sonaud\\somritmo.ini"));  // found without regard to case
  EXPECT_EQ(browser.BuildEffectList(), 1);
  EXPECT_EQ(browser.BuildModelList(), 1);
}

// --- the choosers -----------------------------------------------------------------------

struct Keys {
  Script script;
  int64_t at = 100;
  Keys& Char(uint8_t ch, bool ctrl = false) {
    script.push_back(TypeChar(at, ch, ctrl));
    at += 100;
    return *this;
  }
  Keys& Key(int virtual_key, bool ctrl = false) {
    script.push_back(PressKey(at, virtual_key, ctrl));
    at += 100;
    return *this;
  }
  Keys& Wait(int64_t ms) {
    at += ms;
    return *this;
  }
};

// Opens the effects file of the data root and runs F9 (or Ctrl+F9) once on `state`.
void RunChangeSounds(Scenario& scenario, app::MetronomeState& state, bool models) {
  scenario.RunDialog([&] {
    scenario.Speech().InitSpeech(3, "c:\\sonaud\\som\\cadencio\\");
    audio::BeatChannel beats(scenario.Audio(), scenario.Clock());
    app::EffectsBrowser browser;
    ASSERT_TRUE(browser.LoadEffectsFile(scenario.Settings()));
    ASSERT_GT(models ? browser.BuildModelList() : browser.BuildEffectList(), 0);
    state.ModelMode = models;
    browser.ChangeSounds(scenario.Console(), scenario.Speech(), scenario.Keys(), beats, state);
    state.ModelMode = false;
  });
}

app::MetronomeState OldSounds() {
  app::MetronomeState state;
  state.TempoSound = kOldTempo;
  state.MeasureSound = kOldMeasure;
  return state;
}

// The texts handed to speech that are entry names of `names`, in order.
std::vector<std::string> SpokenAmong(const Scenario& scenario,
                                     const std::vector<std::string>& names) {
  std::vector<std::string> out;
  for (const auto& text : scenario.Spoken(SpeechEvent::kText)) {
    if (std::find(names.begin(), names.end(), text) != names.end()) out.push_back(text);
  }
  return out;
}

int CountText(const Scenario& scenario, const std::string& text) {
  auto texts = scenario.Spoken(SpeechEvent::kText);
  return static_cast<int>(std::count(texts.begin(), texts.end(), text));
}

TEST(ChooseEffect, OffersSortedListAndSetsBothSounds) {
  TempDataRoot data;
  data.WriteFile("somritmo.ini", "; tres efeitos\nC=cc\nA=aa\nB=bb\n");
  Keys keys;
  keys.Key(base::vk::kDown).Key(base::vk::kDown).Key(base::vk::kDown).Char(13);  // tempo: C
  keys.Key(base::vk::kDown).Char(13);                                            // measure: A
  Scenario scenario(keys.script, 300);
  auto state = OldSounds();
  RunChangeSounds(scenario, state, false);
  EXPECT_EQ(state.TempoSound, kDir + "CC.WAV");
  EXPECT_EQ(state.MeasureSound, kDir + "AA.WAV");
  EXPECT_EQ(SpokenAmong(scenario, {"A", "B", "C"}), (std::vector<std::string>{"A", "B", "C", "A"}));
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("Informe o novo efeito para a marca\xE7\xE3o do tempo :\n"
                        "Escolha com as setas, F1 ajuda\n\nA\nB\nC\n"
                        "Informe o novo efeito para a marca\xE7\xE3o do compasso :\n"
                        "Escolha com as setas, F1 ajuda\n\nA\n"),
            std::string::npos)
      << screen;
}

TEST(ChooseEffect, TwoEffectsKeepTheFileOrder) {
  TempDataRoot data;
  data.WriteFile("somritmo.ini", "B=bb\nA=aa\n");
  Keys keys;
  keys.Key(base::vk::kDown).Key(base::vk::kDown).Char(13).Char(27);
  Scenario scenario(keys.script, 300);
  auto state = OldSounds();
  RunChangeSounds(scenario, state, false);
  EXPECT_EQ(SpokenAmong(scenario, {"A", "B"}), (std::vector<std::string>{"B", "A"}));
  EXPECT_EQ(state.TempoSound, kDir + "AA.WAV");
  EXPECT_EQ(state.MeasureSound, kOldMeasure);  // Esc keeps it
}

TEST(ChooseEffect, LetterSearchMovesOnAndWrapsAround) {
  TempDataRoot data;
  data.WriteFile("somritmo.ini", "Bumbo=bumbo\nBaixo=baixo\nPrato=prato\n\xC1gua=agua\n");
  Keys keys;
  keys.Char('b').Char('b').Char('b').Char('a').Char(13);  // Baixo, Bumbo, Baixo, then Água
  keys.Char('p').Char('B').Char(13);                      // Prato, then wraps to Baixo
  Scenario scenario(keys.script, 300);
  auto state = OldSounds();
  RunChangeSounds(scenario, state, false);
  EXPECT_EQ(SpokenAmong(scenario, {"Bumbo", "Baixo", "Prato", "\xC1gua"}),
            (std::vector<std::string>{"Baixo", "Bumbo", "Baixo", "\xC1gua", "Prato", "Baixo"}));
  EXPECT_EQ(state.TempoSound, kDir + "AGUA.WAV");
  EXPECT_EQ(state.MeasureSound, kDir + "BAIXO.WAV");
  EXPECT_EQ(CountText(scenario, kNoSuch), 0);
}

TEST(ChooseEffect, LetterWithNoMatchLeavesWithoutChoice) {
  TempDataRoot data;
  data.WriteFile("somritmo.ini", "Bumbo=bumbo\nBaixo=baixo\nPrato=prato\n");
  Keys keys;
  keys.Char('z');            // first question: nothing begins with Z
  keys.Char('b').Char('z');  // second: Baixo, then z finds nothing even from the top
  Scenario scenario(keys.script, 300);
  auto state = OldSounds();
  RunChangeSounds(scenario, state, false);
  EXPECT_EQ(state.TempoSound, kOldTempo);
  EXPECT_EQ(state.MeasureSound, kOldMeasure);
  EXPECT_EQ(CountText(scenario, kNoSuch), 2);
  EXPECT_NE(scenario.Screen().Text().find("z\n" + kNoSuch + "\n"), std::string::npos)
      << scenario.Screen().Text();
}

TEST(ChooseEffect, SearchKeysThatLeave) {
  TempDataRoot data;
  data.WriteFile("somritmo.ini", "Bumbo=bumbo\nBaixo=baixo\nPrato=prato\n");
  Keys keys;
  keys.Key(base::vk::F(5)).Char('7');  // F5 and a digit: no choice
  keys.Key(base::vk::F(5), true);      // Ctrl+F5 before any letter: no choice
  Scenario scenario(keys.script, 300);
  auto state = OldSounds();
  RunChangeSounds(scenario, state, false);
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kText).back(), "Escolha com as setas, F1 ajuda");
  EXPECT_EQ(CountText(scenario, "Digite uma letra : "), 1);
  EXPECT_EQ(CountText(scenario, "Informe o novo efeito para a marca\xE7\xE3o do compasso : "), 1);
  EXPECT_EQ(state.TempoSound, kOldTempo);
  EXPECT_EQ(state.MeasureSound, kOldMeasure);
}

TEST(ChooseEffect, F5FindsFromTheTopAndCtrlF5GoesOnWithoutWrapping) {
  TempDataRoot data;
  data.WriteFile("somritmo.ini", "Bumbo=bumbo\nBaixo=baixo\nPrato=prato\nBongo=bongo\n");
  Keys keys;
  keys.Key(base::vk::kEnd).Key(base::vk::F(5)).Char('b');    // from the end, F5 b finds Baixo
  keys.Key(base::vk::F(5), true).Key(base::vk::F(5), true);  // Bongo, Bumbo
  keys.Key(base::vk::F(5), true).Char(13);      // nothing more: after the list, Enter clicks
  keys.Key(base::vk::F(5)).Char('q').Char(13);  // no Q: said, and the chooser stays open
  Scenario scenario(keys.script, 300);
  auto state = OldSounds();
  RunChangeSounds(scenario, state, false);
  EXPECT_EQ(SpokenAmong(scenario, {"Bumbo", "Baixo", "Prato", "Bongo"}),
            (std::vector<std::string>{"Prato", "Baixo", "Bongo", "Bumbo"}));
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kClick).size(), 2u);
  EXPECT_EQ(CountText(scenario, kNoSuch), 1);
  EXPECT_EQ(state.TempoSound, kOldTempo);
  EXPECT_EQ(state.MeasureSound, kOldMeasure);
}

TEST(ChooseEffect, EndsOfTheListBeepAndEnterThereClicks) {
  TempDataRoot data;
  data.WriteFile("somritmo.ini", "A=aa\nB=bb\nC=cc\n");
  Keys keys;
  keys.Key(base::vk::kUp);                                 // before the first: beep
  keys.Key(base::vk::kEnd).Key(base::vk::kDown).Char(13);  // after the last: beep, Enter clicks
  keys.Key(base::vk::kHome).Key(base::vk::kUp).Key(base::vk::kDown).Char(13);  // beep, then A
  Scenario scenario(keys.script, 300);
  auto state = OldSounds();
  RunChangeSounds(scenario, state, false);
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kBeep).size(), 3u);
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kClick).size(), 1u);
  EXPECT_EQ(state.TempoSound, kOldTempo);
  EXPECT_EQ(state.MeasureSound, kDir + "AA.WAV");
}

TEST(ChooseEffect, EntriesWithoutEqualsHaveEmptyNames) {
  TempDataRoot data;
  data.WriteFile("somritmo.ini", "semnome\noutro\n");
  Keys keys;
  keys.Key(base::vk::kDown).Key(base::vk::kDown).Char(13).Char(27);
  Scenario scenario(keys.script, 300);
  auto state = OldSounds();
  RunChangeSounds(scenario, state, false);
  // An empty line is written for each, and the whole entry is the file.
  EXPECT_EQ(SpokenAmong(scenario, {"", "semnome", "outro"}), (std::vector<std::string>{"", ""}));
  EXPECT_NE(scenario.Screen().Text().find("Escolha com as setas, F1 ajuda\n\n\n\n"),
            std::string::npos);
  EXPECT_EQ(state.TempoSound, kDir + "OUTRO.WAV");  // two entries keep the file order
}

TEST(ChooseEffect, NamedEntriesUnderPageKeys) {
  TempDataRoot data;
  data.WriteFile("somritmo.ini", "a=1\nb=2\nc=3\nd=4\ne=5\nf=6\ng=7\nh=8\n");
  Keys keys;
  keys.Key(base::vk::kDown).Key(base::vk::kDown).Key(base::vk::kDown).Key(base::vk::kPrior);
  keys.Key(base::vk::kNext).Key(base::vk::kNext).Key(base::vk::kNext).Char(13).Char(27);
  Scenario scenario(keys.script, 300);
  auto state = OldSounds();
  RunChangeSounds(scenario, state, false);
  EXPECT_EQ(SpokenAmong(scenario, {"a", "b", "c", "d", "e", "f", "g", "h"}),
            (std::vector<std::string>{"a", "b", "c", "a", "f", "h", "h"}));
  EXPECT_EQ(state.TempoSound, kDir + "8.WAV");
}

TEST(ChooseEffect, HelpAndInvalidKeys) {
  TempDataRoot data;
  data.WriteFile("somritmo.ini", "A=aa\nB=bb\n");
  Keys keys;
  keys.Key(base::vk::F(1)).Char('5').Key(base::vk::kLeft).Char(27).Char(27);
  Scenario scenario(keys.script, 300);
  auto state = OldSounds();
  RunChangeSounds(scenario, state, false);
  const std::string screen = scenario.Screen().Text();
  EXPECT_NE(screen.find("F5, busca efeito\nCTRL+F5, busca de novo\nPGUP, anda 5 na fila\n"
                        "PGDN, volta 5 na fila\nHOME, vai para o in\xED"
                        "cio da fila\n"
                        "END, vai para o final da fila\nCTRL+ENTER, testa o som a ser tocado\n"),
            std::string::npos)
      << screen;
  EXPECT_EQ(CountText(scenario, kInvalid), 2);  // the digit and Left
}

TEST(ChooseEffect, CtrlEnterPlaysTheEffectAndWaitsForItsEnd) {
  TempDataRoot data;
  data.WriteFile("somritmo.ini", "Bumbo=bumbo\nCaixa=caixa\n");
  formats::WriteWav16Mono(data.Root() + "/som/cadencio/efeitos/bumbo.wav",
                          ToneSamples(13230, 44100), 44100);
  Keys keys;
  keys.Char(13, true);                       // before the list: names no file, nothing heard
  keys.Key(base::vk::kDown).Char(13, true);  // Bumbo, 300 ms
  keys.Key(base::vk::kDown);                 // typed while it plays; seen after its end
  keys.Char(13).Char(27);
  Scenario scenario(keys.script, 300);
  auto state = OldSounds();
  RunChangeSounds(scenario, state, false);
  ASSERT_EQ(scenario.Onsets().size(), 1u);
  EXPECT_EQ(scenario.Onsets()[0].sound, "BUMBO.WAV");
  EXPECT_EQ(state.TempoSound, kDir + "CAIXA.WAV");
  // "Caixa" is spoken only once the 300 ms test sound has ended.
  const int64_t end_ms = (scenario.Onsets()[0].frame + 13230) * 1000 / 44100;
  bool found = false;
  for (const auto& event : scenario.Spoken()) {
    if (event.kind == SpeechEvent::kText && event.detail == "Caixa") {
      found = true;
      EXPECT_GE(event.at_ms, end_ms);
    }
  }
  EXPECT_TRUE(found);
}

TEST(ChooseModel, ModelSetsBothSounds) {
  TempDataRoot data;
  data.WriteFile("somritmo.ini",
                 "Bumbo=bumbo\n*Rock=bumbo/prato\n*Marcha=tambor1/prato2\n*Sem=so\n");
  Keys keys;
  keys.Key(base::vk::kDown).Key(base::vk::kDown).Char(13);  // Marcha, Rock
  Scenario scenario(keys.script, 300);
  auto state = OldSounds();
  RunChangeSounds(scenario, state, true);
  EXPECT_EQ(state.TempoSound, kDir + "BUMBO.WAV");
  EXPECT_EQ(state.MeasureSound, kDir + "PRATO.WAV");
  EXPECT_EQ(SpokenAmong(scenario, {"Marcha", "Rock", "Sem"}),
            (std::vector<std::string>{"Marcha", "Rock"}));
}

TEST(ChooseModel, ModelWithoutSlashAndKeysItRefuses) {
  TempDataRoot data;
  data.WriteFile("somritmo.ini", "*Sem barra=so\n");
  Keys keys;
  keys.Char(13, true).Char('5').Key(base::vk::kLeft);  // no sound to try, a digit, Left
  keys.Key(base::vk::F(1)).Char('s').Char(13);
  Scenario scenario(keys.script, 300);
  auto state = OldSounds();
  RunChangeSounds(scenario, state, true);
  EXPECT_EQ(state.TempoSound, kDir + ".WAV");
  EXPECT_EQ(state.MeasureSound, kDir + "SO.WAV");
  EXPECT_EQ(CountText(scenario, kInvalid), 3);
  // Its help lists the list keys, without Ctrl+Enter.
  EXPECT_EQ(CountText(scenario, "END, vai para o final da fila"), 1);
  EXPECT_EQ(CountText(scenario, "CTRL+ENTER, testa o som a ser tocado"), 0);
}

// The predefined pairs take the list keys of the effects.
TEST(ChooseModel, ListKeysOfTheEffects) {
  struct Case {
    std::vector<std::pair<int, uint8_t>> keys;  // a virtual key, or 0 and a character
    std::string tempo;
    std::string measure;
    const char* why;
  };
  // Sorted: Baião, Marcha, Rock, Samba, Xote.
  const Case cases[] = {
      {{{0, 'r'}}, "BUMBO.WAV", "PRATO.WAV", "a letter jumps"},
      {{{base::vk::kEnd, 0}}, "ZABUMBA.WAV", "AGOGO.WAV", "End"},
      {{{base::vk::kEnd, 0}, {base::vk::kHome, 0}}, "SURDO.WAV", "TRIANGULO.WAV", "Home"},
      {{{base::vk::kNext, 0}}, "ZABUMBA.WAV", "AGOGO.WAV", "Page Down by five, held at the end"},
      {{{base::vk::kEnd, 0}, {base::vk::kPrior, 0}}, "SURDO.WAV", "TRIANGULO.WAV", "Page Up"},
      {{{base::vk::F(5), 0}, {0, 'm'}}, "TAMBOR1.WAV", "PRATO2.WAV", "F5 searches"},
      {{{base::vk::F(5), 0}, {0, 's'}, {base::vk::kDown, 0}},
       "ZABUMBA.WAV",
       "AGOGO.WAV",
       "F5 finds Samba, Down goes on"},
      {{{0, 'x'}, {base::vk::F(5), 0}, {0, 'r'}, {0, 'r'}},
       "BUMBO.WAV",
       "PRATO.WAV",
       "the letter again finds Rock once more from the top"},
  };
  for (const Case& c : cases) {
    TempDataRoot data;
    data.WriteFile("somritmo.ini",
                   "Bumbo=bumbo\n*Rock=bumbo/prato\n*Marcha=tambor1/prato2\n"
                   "*Samba=caixa/chimbal\n*Bai\xE3o=surdo/triangulo\n*Xote=zabumba/agogo\n");
    Keys keys;
    for (const auto& [key, ch] : c.keys) key != 0 ? keys.Key(key) : keys.Char(ch);
    keys.Char(13);
    Scenario scenario(keys.script, 300);
    auto state = OldSounds();
    RunChangeSounds(scenario, state, true);
    EXPECT_EQ(state.TempoSound, kDir + c.tempo) << c.why;
    EXPECT_EQ(state.MeasureSound, kDir + c.measure) << c.why;
    EXPECT_EQ(CountText(scenario, kInvalid), 0) << c.why;
  }
}

TEST(ChooseModel, EscKeepsBothSounds) {
  TempDataRoot data;
  data.WriteFile("somritmo.ini", "*Rock=bumbo/prato\n");
  Keys keys;
  keys.Key(base::vk::kDown).Char(27);
  Scenario scenario(keys.script, 300);
  auto state = OldSounds();
  RunChangeSounds(scenario, state, true);
  EXPECT_EQ(state.TempoSound, kOldTempo);
  EXPECT_EQ(state.MeasureSound, kOldMeasure);
  EXPECT_EQ(scenario.Spoken(SpeechEvent::kClick).size(), 1u);
  EXPECT_EQ(CountText(scenario, "Informe o novo modelo : "), 1);
}

TEST(LoadEffectsFile, ReadsTheFileNamedInTheConfiguration) {
  TempDataRoot data;
  data.WriteFile("outros/meus.ini", "Sino=sino\n");
  std::ofstream(data.ConfigDir() + "/AUDIRA.INI")
      << "[CADENCIO]\nARQEFEITOS=c:\\sonaud\\outros\\meus.ini\n";
  Scenario scenario({}, 100);
  app::EffectsBrowser browser;
  EXPECT_TRUE(browser.LoadEffectsFile(scenario.Settings()));
  EXPECT_EQ(browser.Entries(), std::vector<std::string>{"Sino=sino"});
  EXPECT_EQ(browser.BuildModelList(), 0);
}

// --- the shipped effects file -----------------------------------------------------------

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ShippedEffectsFile, ListsEffectsAndModelsWhoseSoundsAreGenerated) {
  const auto entries = app::ParseEffectsText(ReadWhole(CADENCIO_SOURCE_DIR "/data/somritmo.ini"));
  const auto effects = app::BuildEntryList(entries, false);
  const auto models = app::BuildEntryList(entries, true);
  EXPECT_GE(effects.size(), 16u);
  EXPECT_GE(models.size(), 6u);
  std::vector<std::string> files;
  for (const auto& effect : effects) {
    EXPECT_FALSE(app::EntryName(effect).empty()) << effect;
    files.push_back(app::EntryFile(effect));
  }
  for (const auto& model : models) {
    const std::string file = app::EntryFile(model);
    const std::size_t slash = file.find('/');
    ASSERT_NE(slash, std::string::npos) << model;
    files.push_back(file.substr(0, slash) + ".WAV");
    files.push_back(file.substr(slash + 1));
  }
  const std::string root = CADENCIO_DATA_ROOT;
  if (!std::filesystem::is_directory(root + "/som/cadencio/efeitos")) {
    GTEST_SKIP() << "the build's sound data has not been generated";
  }
  for (const auto& file : files) {
    EXPECT_TRUE(std::filesystem::is_regular_file(files::MapWindowsPath(kDir + file, root))) << file;
  }
}

}  // namespace
}  // namespace cadencio::testing
