// The main loop's command table and its plain commands: the function keys, the tempo keys, Tab,
// the pause and the end question.
#include "app/main_commands.hpp"

#include <algorithm>

#include "app/accent_editor.hpp"
#include "app/beat_sounds.hpp"
#include "app/message_catalogue.hpp"
#include "app/metronome.hpp"
#include "app/settings_store.hpp"
#include "app/tuner/tuning_fork.hpp"
#include "app/where_am_i.hpp"
#include "dialogs/front_end_review_voice.hpp"
#include "speech/number_reading.hpp"

namespace cadencio::app {

namespace {

using base::Key;
namespace code = base::key;

}  // namespace

const MainCommand* FindMainCommand(std::span<const MainCommand> commands, Key key) {
  const auto found =
      std::find_if(commands.begin(), commands.end(),
                   [key](const MainCommand& command) { return command.Answers(key); });
  return found == commands.end() ? nullptr : &*found;
}

std::span<const MainCommand> Metronome::Commands() {
  constexpr Key kNone{};
  static const MainCommand kCommands[] = {
      {{Key::Extended(code::kF1), kNone},
       1,
       "CAF1",
       {"F1", "lists the keys", "F1", "lista as teclas"},
       &Metronome::ShowMainHelp},
      {{Key::Extended(code::kF2), kNone},
       1,
       "CAF2",
       {"F2",
        "stores the tempo, measure and sounds as the default (COMPASSO is Binário, Ternário or "
        "Quaternário for 2, 3, 4 beats, the digit for any other); a start that takes them says "
        "them after \"OK, F1 ajuda\" (\"120 BPM, ternário\") while the beat starts",
        "F2",
        "guarda o andamento, o compasso e os sons como padrão (COMPASSO é Binário, Ternário ou "
        "Quaternário para 2, 3, 4 tempos, o algarismo para os outros); um início que os usa os "
        "diz depois de \"OK, F1 ajuda\" (\"120 BPM, ternário\") enquanto a batida começa"},
       &Metronome::StoreDefaults},
      {{Key::Extended(code::kF3), kNone},
       1,
       "CAF3",
       {"F3", "reviews the screen by speech", "F3", "revisa a tela pela fala"},
       &Metronome::ReviewScreen},
      {{Key::Extended(code::kF4), kNone},
       1,
       "CAF4",
       {"F4", "opens the tuning fork", "F4", "abre o diapasão"},
       &Metronome::OpenTuningFork},
      {{Key::Extended(code::kF6), kNone},
       1,
       "CAF6",
       {"F6", "asks for a new tempo and measure", "F6", "pede novo andamento e novo compasso"},
       &Metronome::AskNewTempo},
      {{Key::Extended(code::kF8), kNone},
       1,
       "CAF8",
       {"F8", "says the time", "F8", "fala a hora"},
       &Metronome::SayTime},
      {{Key::Extended(code::kF9), kNone},
       1,
       "CAF9",
       {"F9", "chooses new beat sounds", "F9", "escolhe novos sons de batida"},
       &Metronome::ChooseEffects},
      {{Key::Extended(code::kCtrlF9), kNone},
       1,
       "CACTLF9",
       {"Ctrl+F9", "chooses a predefined pair of beat sounds", "Ctrl+F9",
        "escolhe um par predefinido de sons de batida"},
       &Metronome::ChooseModel},
      {{Key::Char(code::kTab), kNone},
       1,
       "CATAB",
       {"Tab", "silences the beat (with a beep); Tab again resumes", "Tab",
        "silencia a batida (com um bipe); Tab de novo retoma"},
       &Metronome::ToggleBeat,
       /*ends_pass=*/true},
      {{Key::Char(code::kSpace), kNone},
       1,
       "CABARR1",
       {"Space", "pause; says the tempo; Space again resumes", "Espaço",
        "pausa e fala o andamento; Espaço de novo retoma"},
       &Metronome::Pause},
      {{Key::Extended(code::kUp), Key::Extended(code::kDown)},
       2,
       "CASET",
       {"Up / Down", "tempo + 1 / − 1", "Seta acima / Seta abaixo", "andamento + 1 / − 1"},
       &Metronome::ChangeTempo},
      {{Key::Extended(code::kPgUp), Key::Extended(code::kPgDn)},
       2,
       "CAPG",
       {"Page Up / Page Down", "tempo + 10 / − 10", "Page Up / Page Down", "andamento + 10 / − 10"},
       &Metronome::ChangeTempo},
      {{Key::Char(code::kEsc), kNone},
       1,
       "CAESC1",
       {"Esc", "asks \"Confirma o fim do programa ?\"; S or Enter ends", "Esc",
        "pergunta \"Confirma o fim do programa ?\"; S ou Enter termina"},
       &Metronome::AskToEnd},
      // The keys beyond the classic ones. Commands go by the code alone, so these are the
      // lower-case letters: "C" and "I" are F9 and Page Up.
      {{Key::Extended(code::kLeft), Key::Extended(code::kRight)},
       2,
       "CAVOL1",
       {"Left / Right",
        "beat volume − 1 / + 1, in 10 steps of 3 dB, said as \"Volume N\" (with \", máximo\" "
        "at 10 and \", mínimo\" at 1, as the tempo at 500 and 1 and the notes per beat at 4 and "
        "1); speech keeps its level",
        "Seta esquerda / Seta direita",
        "volume da batida − 1 / + 1, em 10 passos de 3 dB, dito \"Volume N\" (com \", máximo\" "
        "no 10 e \", mínimo\" no 1, como o andamento em 500 e 1 e as notas por tempo em 4 e 1); "
        "a fala mantém o seu volume"},
       &Metronome::ChangeBeatVolume},
      {{Key::Char('s'), kNone},
       1,
       "CASUB1",
       {"s",
        "1, 2, 3, 4 notes per beat: the extra notes are a softer, shorter form of the "
        "other-beat sound",
        "s",
        "1, 2, 3, 4 notas por tempo: as notas a mais são uma forma mais suave e mais curta do "
        "som dos outros tempos"},
       &Metronome::CycleSubdivisions},
      {{Key::Char(code::kEnter), kNone},
       1,
       "CATAP1",
       {"Enter",
        "tapped 3 or more times, sets the tempo from the median interval (taps over 2 s apart "
        "start over)",
        "Enter",
        "batido 3 vezes ou mais, ajusta o andamento pelo intervalo mediano (toques a mais de "
        "2 s um do outro recomeçam)"},
       &Metronome::Tap},
      {{Key::Char('c'), kNone},
       1,
       "CACON1",
       {"c",
        "counts the beats aloud (\"um, dois, três …\"); only \"um\" when a word is longer than "
        "the beat",
        "c",
        "conta os tempos em voz alta (\"um, dois, três …\"); só \"um\" quando uma palavra é "
        "mais longa que o tempo"},
       &Metronome::ToggleCountAloud},
      {{Key::Char('i'), kNone},
       1,
       "CAINI1",
       {"i",
        "count-in: one measure counted before the beat, at start, after F6 and after the "
        "pause",
        "i",
        "contagem inicial: um compasso contado antes da batida, no início, depois de F6 e "
        "depois da pausa"},
       &Metronome::ToggleCountIn},
      {{Key::Char('m'), kNone},
       1,
       "CAMUD1",
       {"m",
        "muted measures: asks how many to play and how many to keep silent; m again turns "
        "it off",
        "m", "compassos mudos: pergunta quantos tocar e quantos calar; m de novo desliga"},
       &Metronome::ChangeMutedMeasures},
      {{Key::Char('r'), kNone},
       1,
       "CATRE1",
       {"r",
        "tempo trainer: asks the final tempo, the step and every how many measures; each step "
        "says only the new tempo; r again stops it",
        "r",
        "treino de andamento: pergunta o andamento final, o passo e a cada quantos compassos; "
        "cada passo diz só o novo andamento; r de novo para"},
       &Metronome::ChangeTrainer},
      {{Key::Char('a'), kNone},
       1,
       "CAACE1",
       {"a",
        "accents: the accent editor (its keys below); the pattern plays from the next "
        "measure",
        "a",
        "acentos: o editor de acentos (suas teclas abaixo); o padrão toca a partir do "
        "compasso seguinte"},
       &Metronome::EditAccents},
      {{Key::Char('l'), kNone},
       1,
       "CALIS1",
       {"l", "set list: the set list dialog (its keys below)", "l",
        "repertório: o diálogo do repertório (suas teclas abaixo)"},
       &Metronome::BrowseSetList},
      {{Key::Char('n'), Key::Char('p')},
       2,
       "CANP1",
       {"n / p",
        "the next / previous song of the set list, loaded at once and said (before any song, n "
        "takes the first and p the last); a song loaded stops the tempo trainer",
        "n / p",
        "a música seguinte / anterior do repertório, carregada na hora e dita (antes de qualquer "
        "música, n carrega a primeira e p a última); carregar uma música desliga o treino de "
        "andamento"},
       &Metronome::StepSong},
      {{Key::Char('o'), kNone},
       1,
       "CAOND1",
       {"o",
        "where am I: says and shows the whole state in one line: the song loaded, the tempo, the "
        "measure, the accents (each beat's level, or the grouping, \"2+2+3\"), the notes per "
        "beat, and which of counting, the count-in, muted measures, the trainer, Link, a "
        "lowered volume and a silenced beat are on; where JACK plays, its output latency and "
        "whether the transport is followed or led",
        "o",
        "onde estou: diz e mostra todo o estado numa linha: a música carregada, o andamento, o "
        "compasso, os acentos (o nível de cada tempo, ou o agrupamento, \"2+2+3\"), as notas "
        "por tempo, e quais de contagem, contagem inicial, compassos mudos, treino, Link, "
        "volume reduzido e batida silenciada estão ligados; com o JACK, a sua latência de saída "
        "e se o transporte é seguido ou comandado"},
       &Metronome::SayWhereAmI},
      {{Key::Char('e'), kNone},
       1,
       "CAESU1",
       {"e",
        "listening: the microphone hears the player while the beat plays (\"Escuta ligada\"); "
        "the program's own beat is taken out of what it hears; e again turns it off",
        "e",
        "escuta: o microfone ouve o músico enquanto a batida toca (\"Escuta ligada\"); a batida "
        "do próprio programa é tirada do que ele ouve; e de novo desliga"},
       &Metronome::ToggleListening},
      {{Key::Char('v'), kNone},
       1,
       "CAVER1",
       {"v",
        "the verdict of the take, said and written: the notes, the mean offset ahead or behind, "
        "the spread, and whether the player rushed or dragged (\"32 notas, 12 milissegundos "
        "adiantado, variação 8, estável\"), the notes off the grid, and with muted measures how "
        "far the first note after the silence came back (\"voltou 40 milissegundos "
        "atrasado\"); also said at the end of a trainer run and of a set-list song",
        "v",
        "o veredito da tomada, dito e escrito: as notas, o desvio médio adiantado ou atrasado, "
        "a variação, e se o músico acelerou ou atrasou (\"32 notas, 12 milissegundos "
        "adiantado, variação 8, estável\"), as notas fora da grade, e com compassos mudos "
        "quanto a primeira nota depois do silêncio voltou (\"voltou 40 milissegundos "
        "atrasado\"); dito também no fim de um treino e de uma música do repertório"},
       &Metronome::SayVerdict},
      {{Key::Char('d'), kNone},
       1,
       "CACAL1",
       {"d",
        "calibration for headphones: with the microphone near the speaker, clicks play and the "
        "round trip to the microphone is measured, said and stored (LATENCIA in [CADENCIO]); "
        "used while listening when the microphone does not hear the beat",
        "d",
        "calibração para fones: com o microfone perto do alto-falante, toques soam e a volta "
        "até o microfone é medida, dita e gravada (LATENCIA em [CADENCIO]); usada na escuta "
        "quando o microfone não ouve a batida"},
       &Metronome::CalibrateLatency},
      {{Key::Char('k'), kNone},
       1,
       "CALNK1",
       {"k",
        "Ableton Link on / off, said with the number of peers (\"Link ligado, 2 parceiros\"): "
        "the tempo set here becomes the session's and a peer's becomes cadencio's, said once it "
        "settles; the beat follows the session's beats and measures; start and stop (Space, "
        "Tab) are shared with the peers that share them; a session above 500 BPM plays at half, "
        "and the lowest tempo is 20",
        "k",
        "Ableton Link liga / desliga, dito com o número de parceiros (\"Link ligado, 2 "
        "parceiros\"): o andamento daqui passa à sessão e o de um parceiro passa ao cadencio, "
        "dito quando se firma; a batida segue os tempos e compassos da sessão; o início e a "
        "parada (Espaço, Tab) são partilhados com os parceiros que os partilham; uma sessão "
        "acima de 500 BPM toca pela metade, e o andamento mínimo é 20"},
       &Metronome::ToggleLink},
      {{Key::Char('x'), Key::Char('z')},
       2,
       "CAMAPX1",
       {"x / z",
        "a song with a map: the next / previous section, from its first downbeat, said (its "
        "tempo and measure take over there); where am I says the section and its measure "
        "(\"Refrão, compasso 5 de 8\")",
        "x / z",
        "música com mapa: a seção seguinte / anterior, do seu primeiro tempo, dita (seu "
        "andamento e compasso valem dali); onde estou diz a seção e seu compasso (\"Refrão, "
        "compasso 5 de 8\")"},
       &Metronome::StepSection},
      {{Key::Char('q'), kNone},
       1,
       "CACCP1",
       {"q",
        "a song with a map: counting aloud says the measures of the section on their first "
        "beats (\"um, dois, três …\") instead of the beats; q again counts the beats",
        "q",
        "música com mapa: a contagem em voz alta diz os compassos da seção nos seus primeiros "
        "tempos (\"um, dois, três …\") em vez dos tempos; q de novo conta os tempos"},
       &Metronome::ToggleCountMeasures},
      {{Key::Char('j'), kNone},
       1,
       "CAPOL1",
       {"j",
        "polyrhythm: asks for the notes of a second layer and the beats of the measure, 2 to 9 "
        "each (\"32\" or \"3:2\"), sets the measure and says it (\"três contra dois\"); the "
        "layer's "
        "notes divide each measure evenly; j again turns it off",
        "j",
        "polirritmo: pergunta as notas de uma segunda camada e os tempos do compasso, de 2 a 9 "
        "cada (\"32\" ou \"3:2\"), ajusta o compasso e o diz (\"três contra dois\"); as notas da "
        "camada dividem cada compasso por igual; j de novo desliga"},
       &Metronome::ChangeLayer},
      {{Key::Char('y'), kNone},
       1,
       "CACAM1",
       {"y",
        "the second layer's sound, chosen from the effects (Ctrl+Enter plays one), then its "
        "volume from 1 to 10, played as it is set",
        "y",
        "o som da segunda camada, escolhido entre os efeitos (Control+Enter toca um), e depois "
        "o seu volume de 1 a 10, tocado ao ser ajustado"},
       &Metronome::ChooseLayerSound},
      {{Key::Char('u'), kNone},
       1,
       "CACAMCO1",
       {"u", "counting aloud counts the second layer's notes or the beats", "u",
        "a contagem em voz alta conta as notas da segunda camada ou os tempos"},
       &Metronome::SwapCountedLayer},
      {{Key::Char('w'), kNone},
       1,
       "CASWI1",
       {"w",
        "feel: with 2 notes per beat, the second moves late, in steps: straight (50 %), light "
        "swing (58 %), triplet swing (67 %), dotted swing (75 %); with 3 notes per beat, the "
        "shuffle leaves the middle one out; with another number, 2 notes per beat and the swing",
        "w",
        "balanço: com 2 notas por tempo, a segunda atrasa, em passos: reto (50 %), swing leve "
        "(58 %), swing de tercina (67 %), swing pontuado (75 %); com 3 notas por tempo, o "
        "shuffle deixa de fora a do meio; com outro número, 2 notas por tempo e o swing"},
       &Metronome::ChangeFeel},
  };
  return kCommands;
}

void Metronome::ShowMainHelp() {
  console_.WriteLine();
  Say("CAOPTEC", 1);
  console_.Delay(250);
  console_.WriteLine();
  for (const MainCommand& command : Commands()) Say(command.help, 1);
  console_.Delay(250);
  console_.WriteLine();
  Say("CAQUAL", 1);
  console_.WriteLine();
}

void Metronome::ShowMainHelp(Key) {
  ShowMainHelp();
}

void Metronome::ToggleBeat(Key) {
  SetPlaying(!playing_, /*by_session=*/false);
  console_.DrainKeys();
}

void Metronome::Pause(Key) {
  state_.BeatPeriodMs = BeatPeriodMs(state_.Bpm);
  Say("CAVALBPM", 0);
  speech_.WriteSpeak(std::to_string(state_.Bpm));
  Say("CAPAUATI", 1);
  beat_.Halt(/*stop_session=*/true);
  WaitForPauseEnd();
  console_.DrainKeys();
  Say("CAPAUDES", 1);
  count_in_due_ = state_.CountIn;
}

void Metronome::StoreDefaults(Key) {
  app::StoreDefaults(console_, speech_, keys_, settings_, state_);
}

void Metronome::ReviewScreen(Key) {
  dialogs::ReviewScreen(console_, speech_);
}

void Metronome::OpenTuningFork(Key) {
  // The tuner and the listener would each open the capture device: while the tuner listens,
  // listening pauses (said), and it starts again, as a new take, when the tuning fork closes.
  bool paused = false;
  TunerDevices devices = tuner_;
  if (listening_.Listening() && tuner_.open_input) {
    devices.open_input = [this, &paused] {
      listening_.Stop();
      paused = true;
      Say("CAESUPAU", 1);
      return tuner_.open_input();
    };
  }
  RunTuningFork(console_, speech_, state_, devices);
  if (paused) ToggleListening(Key{});
}

void Metronome::AskNewTempo(Key) {
  state_.AskAlways = true;
  EnterTempoAndMeasure();
  count_in_due_ = state_.CountIn;
}

void Metronome::SayTime(Key) {
  speech::SpeakTime(speech_);
}

void Metronome::ChooseEffects(Key) {
  if (state_.NoEffectsFile) return;
  if (effects_.BuildEffectList() > 0) {
    effects_.ChangeSounds(console_, speech_, keys_, beats_, state_);
    KeepPlayableSounds(console_, speech_, beats_, state_);
  } else {
    Say("CAARQINE", 1);
  }
}

void Metronome::ChooseModel(Key) {
  if (state_.NoEffectsFile) return;
  if (effects_.BuildModelList() > 0) {
    state_.ModelMode = true;
    effects_.ChangeSounds(console_, speech_, keys_, beats_, state_);
    state_.ModelMode = false;
    KeepPlayableSounds(console_, speech_, beats_, state_);
  } else {
    Say("CAARQINE", 1);
  }
}

void Metronome::ChangeTempo(Key key) {
  switch (key.code) {
    case code::kUp:
      state_.Bpm += 1;
      break;
    case code::kDown:
      state_.Bpm -= 1;
      break;
    case code::kPgUp:
      state_.Bpm += 10;
      break;
    default:
      state_.Bpm -= 10;
      break;
  }
  state_.SetTempo(TempoIntoRange(state_.Bpm));
  beat_.ShowTempoAndMeasure();
  // The new tempo is only said, not written: the status shows it.
  const char* end = RangeEnd(state_.Bpm, link_.LowestBpm(kMinBpm), kMaxBpm);
  speech_.ShowSpoken(state_.BpmText + " BPM" + (end ? MessageText(end) : ""));
  speech_.SpeakText(state_.BpmText);
  if (end != nullptr) Say(end, -1);
}

void Metronome::SayWhereAmI(Key) {
  std::string line = StateLine(state_, playing_, listening_.Listening());
  if (beat_.HasMap()) {
    const PlayedSection& section = beat_.PlaceSection();
    line = PlaceLine(section.name, beat_.Place().measure + 1, section.measures) + ", " + line;
  }
  speech_.WriteSpeakLine(line + OutputWords(output_));
}

void Metronome::AskToEnd(Key) {
  console_.DrainKeys();
  Say("CACONFIM", 0);
  uint8_t answer = keys_.ReadKeySpoken();
  console_.Write(std::string(1, static_cast<char>(answer)));
  console_.WriteLine();
  last_answer_ = answer;
}

}  // namespace cadencio::app
