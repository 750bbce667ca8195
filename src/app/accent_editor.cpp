// The accent editor.
#include "app/accent_editor.hpp"

#include <algorithm>
#include <string>

#include "app/accent_sounds.hpp"
#include "app/key_help.hpp"
#include "app/message_catalogue.hpp"
#include "base/keys.hpp"
#include "speech/number_reading.hpp"

namespace cadencio::app {

namespace {

using base::key::kEnter, base::key::kEsc, base::key::kF1, base::key::kF8, base::key::kLeft,
    base::key::kRight, base::key::kUp, base::key::kDown;

}  // namespace

const char* LevelKey(Accent level) {
  static constexpr const char* kKeys[] = {"CANIVEL0", "CANIVEL1", "CANIVEL2", "CANIVEL3",
                                          "CANIVEL4"};
  return kKeys[static_cast<int>(level)];
}

std::vector<KeyDoc> AccentEditorKeyDocs() {
  return {
      {"Left / Right", "walk the beats (\"Tempo 3, fraco\")", "Seta esquerda / Seta direita",
       "percorrem os tempos (\"Tempo 3, fraco\")"},
      {"Up / Down", "change the beat's level (forte, médio, normal, fraco, mudo) and play it",
       "Seta acima / Seta abaixo",
       "mudam o nível do tempo (forte, médio, normal, fraco, mudo) e o tocam"},
      {"1 … 9", "jump to a beat", "1 … 9", "saltam para um tempo"},
      {"g",
       "steps through the groupings of a measure of 5 to 9 (6 as 3+3 and 2+2+2, 7 as 2+2+3, "
       "3+2+2, 2+3+2, 4+3 and 3+4, 8 as 3+3+2 … and 4+4): each group's first beat médio",
       "g",
       "passa pelos agrupamentos de um compasso de 5 a 9 (6 como 3+3 e 2+2+2, 7 como 2+2+3, "
       "3+2+2, 2+3+2, 4+3 e 3+4, 8 como 3+3+2 … e 4+4): o primeiro tempo de cada grupo médio"},
      {"c", "makes counting aloud start again at each group", "c",
       "faz a contagem em voz alta recomeçar em cada grupo"},
      {"F1", "says the keys", "F1", "diz as teclas"},
      {"F8", "says the time", "F8", "fala a hora"},
      {"Enter", "keeps the pattern; it plays from the next measure", "Enter",
       "guarda o padrão; ele toca a partir do compasso seguinte"},
      {"Esc", "leaves the old pattern", "Esc", "mantém o padrão antigo"},
  };
}

namespace {

class Editor {
 public:
  Editor(console::Console& console, speech::SpeechFrontEnd& speech, audio::BeatChannel& beats,
         const MetronomeState& state)
      : console_(console), speech_(speech), beats_(beats), state_(state) {
    choice_.pattern = PatternFor(state);
    choice_.count_groups = state.CountByGroups;
  }

  std::optional<AccentChoice> Run() {
    Say("CAACENTO", 1);
    SayBeat();
    for (;;) {
      const base::Key key = console_.ReadWholeKey();
      const uint8_t ch = key.extended ? 0 : key.code;
      const uint8_t extended = key.extended ? key.code : 0;
      if (ch == kEnter) {
        Say("CAACGRAV", 1);
        return choice_;
      }
      if (ch == kEsc) {
        Say("CAACMANT", 1);
        return std::nullopt;
      }
      if (ch >= '1' && ch <= '9') {
        MoveTo(ch - '1');
      } else if (ch == 'g' || ch == 'G') {
        NextGrouping();
      } else if (ch == 'c' || ch == 'C') {
        choice_.count_groups = !choice_.count_groups;
        Say(choice_.count_groups ? "CAGRULIG" : "CAGRUDES", 1);
      } else if (extended == kLeft || extended == kRight) {
        MoveTo(beat_ + (extended == kLeft ? -1 : 1));
      } else if (extended == kUp || extended == kDown) {
        ChangeLevel(extended == kUp ? 1 : -1);
      } else if (extended == kF1) {
        Say("CAACENTO", 1);
      } else if (extended == kF8) {
        speech::SpeakTime(speech_);
      } else {
        speech_.PlayBeep();
      }
    }
  }

 private:
  void Say(const char* key, int line_ends) { SayMessage(console_, speech_, key, line_ends); }

  // "Tempo 3, fraco".
  void SayBeat() {
    Say("CATEMPO", 0);
    speech_.WriteSpeak(std::to_string(beat_ + 1));
    Say(LevelKey(choice_.pattern.level[beat_]), 1);
  }

  void MoveTo(int beat) {
    if (beat < 0 || beat >= choice_.pattern.beats) {
      speech_.PlayBeep();
      return;
    }
    beat_ = beat;
    SayBeat();
  }

  void ChangeLevel(int step) {
    const int level = static_cast<int>(choice_.pattern.level[beat_]) + step;
    if (level < static_cast<int>(Accent::kSilent) || level > static_cast<int>(Accent::kStrong)) {
      speech_.PlayBeep();
      return;
    }
    choice_.pattern.level[beat_] = static_cast<Accent>(level);
    beats_.PlaySound(LoadAccentSounds(beats_, state_).Of(choice_.pattern.level[beat_]), -1);
    SayBeat();
  }

  // Steps through the measure's groupings and back to the plain measure.
  void NextGrouping() {
    const auto groupings = GroupingsOf(choice_.pattern.beats);
    if (groupings.empty()) {
      Say("CASEMAGR", 1);
      return;
    }
    grouping_ = (grouping_ + 1) % static_cast<int>(groupings.size() + 1);
    if (grouping_ == static_cast<int>(groupings.size())) {
      choice_.pattern = DefaultPattern(choice_.pattern.beats);
      Say("CAAGRSEM", 1);
      return;
    }
    choice_.pattern = GroupedPattern(groupings[grouping_]);
    Say("CAAGRUPA", 0);
    for (std::size_t i = 0; i < groupings[grouping_].size(); ++i) {
      if (i > 0) Say("CAMAIS", 0);
      speech_.WriteSpeak(std::to_string(groupings[grouping_][i]));
    }
    console_.WriteLine();
  }

  console::Console& console_;
  speech::SpeechFrontEnd& speech_;
  audio::BeatChannel& beats_;
  const MetronomeState& state_;
  AccentChoice choice_;
  int beat_ = 0;
  int grouping_ = -1;  // none chosen yet
};

}  // namespace

std::optional<AccentChoice> EditAccents(console::Console& console, speech::SpeechFrontEnd& speech,
                                        audio::BeatChannel& beats, const MetronomeState& state) {
  return Editor(console, speech, beats, state).Run();
}

}  // namespace cadencio::app
