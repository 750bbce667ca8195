// The sound-effect browser: loading the effects file, the effect and model choosers, and the
// F9 / Ctrl+F9 dialog that sets the two beat sounds.
#include "app/effects_browser.hpp"

#include <algorithm>
#include <optional>

#include "app/effects_file.hpp"
#include "app/message_catalogue.hpp"
#include "base/keys.hpp"
#include "base/windows1252.hpp"
#include "files/file_reader.hpp"
#include "files/paths.hpp"

namespace cadencio::app {

namespace {

// Keys of the choosers: characters, and scan codes after a 0 character.
using base::key::kCtrlEnter, base::key::kEnter, base::key::kEsc, base::key::kF1, base::key::kF5,
    base::key::kHome, base::key::kUp, base::key::kPgUp, base::key::kEnd, base::key::kDown,
    base::key::kPgDn, base::key::kCtrlF5;

// A list being browsed: position 0 is before the first text, 1..n on a text, n + 1 after the
// last one.
class ListCursor {
 public:
  ListCursor(console::Console& console, speech::SpeechFrontEnd& speech,
             const std::vector<std::string>& list)
      : console_(console), speech_(speech), list_(list) {}

  int Count() const { return static_cast<int>(list_.size()); }
  int Position() const { return position_; }
  bool OnText() const { return position_ >= 1 && position_ <= Count(); }
  // The text under the cursor; empty before or after the list.
  std::string Current() const { return OnText() ? list_[position_ - 1] : std::string(); }

  void Say(const std::string& key, int line_ends) { SayMessage(console_, speech_, key, line_ends); }
  // Writes and speaks the name of the text under the cursor.
  void SpeakName() { speech_.WriteSpeakLine(EntryName(Current())); }

  void Up() {
    if (--position_ < 1) {
      position_ = 0;
      speech_.PlayBeep();
    } else {
      SpeakName();
    }
  }
  void Down() {
    if (++position_ > Count()) {
      position_ = Count() + 1;
      speech_.PlayBeep();
    } else {
      SpeakName();
    }
  }
  // Moves to a position (kept within 0..n + 1) and speaks the name found there.
  void MoveTo(int position) {
    position_ = std::clamp(position, 0, Count() + 1);
    if (OnText()) SpeakName();
  }
  void Park(int position) { position_ = std::clamp(position, 0, Count() + 1); }
  // The first position from `from` on whose text begins with the letter; 0 when none.
  int Find(uint8_t letter, int from) const {
    for (int p = std::max(from, 1); p <= Count(); ++p) {
      if (MatchesLetter(list_[p - 1], letter)) return p;
    }
    return 0;
  }

 private:
  console::Console& console_;
  speech::SpeechFrontEnd& speech_;
  const std::vector<std::string>& list_;
  int position_ = 0;
};

}  // namespace

bool EffectsBrowser::LoadEffectsFile(const files::AudiraSettings& settings) {
  std::string path = settings.ReadIniString("CADENCIO", "ARQEFEITOS");
  return LoadEffectsFrom(path.empty() ? kDefaultEffectsFile : path);
}

bool EffectsBrowser::LoadEffectsFrom(const std::string& windows_path) {
  entries_.clear();
  effects_.clear();
  models_.clear();
  // A file longer than the limit is read in its first part.
  files::FileContent file =
      files::ReadWholeFile(files::MapWindowsPath(windows_path), kMaxEffectsFileBytes);
  if (file.status != files::FileReadStatus::kOk &&
      file.status != files::FileReadStatus::kTooLarge) {
    return false;
  }
  entries_ = ParseEffectsText(file.bytes);
  return !entries_.empty();
}

int EffectsBrowser::BuildEffectList() {
  effects_ = BuildEntryList(entries_, false);
  return static_cast<int>(effects_.size());
}

int EffectsBrowser::BuildModelList() {
  models_ = BuildEntryList(entries_, true);
  return static_cast<int>(models_.size());
}

std::optional<std::string> EffectsBrowser::ChooseEntry(console::Console& console,
                                                       speech::SpeechFrontEnd& speech,
                                                       dialogs::SpokenKeyReader& keys,
                                                       const std::vector<std::string>& entries,
                                                       audio::BeatChannel* beats) {
  ListCursor list(console, speech, entries);
  std::optional<uint8_t> remembered;
  list.Say("CAESCSET", 1);
  console.WriteLine();
  for (;;) {
    const auto key = keys.ReadMenuKey();
    if (key.character != 0) {
      const uint8_t ch = key.character;
      if (base::IsAsciiLetter(ch)) {
        // 1. From the next position on; 2. with a letter remembered, once more from the top.
        int found = list.Find(ch, list.Position() + 1);
        if (found == 0 && remembered) {
          remembered.reset();
          list.Park(0);
          found = list.Find(ch, 1);
        }
        if (found == 0) {
          console.WriteLine();
          list.Say("CANAOINI", 1);
          return std::nullopt;
        }
        remembered = ch;
        list.MoveTo(found);
      } else if (ch == kCtrlEnter && beats != nullptr) {
        beats->PlaySync(std::string(kEffectsDir) + EntryFile(list.Current()));
      } else if (ch == kEnter) {
        if (!list.OnText()) {
          speech.PlayClick();
          return std::nullopt;
        }
        return list.Current();
      } else if (ch == kEsc) {
        speech.PlayClick();
        return std::nullopt;
      } else {
        list.Say("CAAPTF1", 1);
      }
      continue;
    }
    switch (key.extended) {
      case kUp:
        list.Up();
        break;
      case kDown:
        list.Down();
        break;
      case kHome:
        list.MoveTo(1);
        break;
      case kEnd:
        list.MoveTo(list.Count());
        break;
      case kPgUp:
        list.MoveTo(std::max(list.Position() - 5, 1));
        break;
      case kPgDn:
        list.MoveTo(std::min(list.Position() + 5, list.Count()));
        break;
      case kF1:
        // The last line, Ctrl+Enter, only where there are sounds to try.
        for (char n = '1'; n <= (beats != nullptr ? '7' : '6'); ++n) {
          list.Say(std::string("CAENV") + n, 1);
        }
        break;
      case kF5: {
        console.WriteLine();
        list.Say("CABUSEFE", 0);
        const uint8_t letter = base::AsciiUpperCase(keys.ReadKeySpoken());
        remembered = letter;
        if (letter < 'A' || letter > 'Z') return std::nullopt;
        if (int found = list.Find(letter, 1); found != 0) {
          list.MoveTo(found);
        } else {
          // No entry begins with the letter: say so and stand after the list.
          console.WriteLine();
          list.Say("CANAOINI", 1);
          list.Park(list.Count() + 1);
        }
        break;
      }
      case kCtrlF5: {
        if (!remembered) return std::nullopt;
        if (int found = list.Find(*remembered, list.Position() + 1); found != 0) {
          list.MoveTo(found);
        } else {
          list.Park(list.Count() + 1);
          console.WriteLine();
        }
        break;
      }
      default:
        list.Say("CAAPTF1", 1);
        break;
    }
  }
}

std::string EffectsBrowser::ChooseEffect(console::Console& console, speech::SpeechFrontEnd& speech,
                                         dialogs::SpokenKeyReader& keys,
                                         audio::BeatChannel& beats) {
  const auto entry = ChooseEntry(console, speech, keys, effects_, &beats);
  return entry ? std::string(kEffectsDir) + EntryFile(*entry) : std::string();
}

std::string EffectsBrowser::ChooseModel(console::Console& console, speech::SpeechFrontEnd& speech,
                                        dialogs::SpokenKeyReader& keys) {
  const auto entry = ChooseEntry(console, speech, keys, models_, nullptr);
  return entry ? EntryFile(*entry) : std::string();
}

void EffectsBrowser::ChangeSounds(console::Console& console, speech::SpeechFrontEnd& speech,
                                  dialogs::SpokenKeyReader& keys, audio::BeatChannel& beats,
                                  MetronomeState& state) {
  const std::string old_tempo = state.TempoSound;
  const std::string old_measure = state.MeasureSound;
  if (state.ModelMode) {
    SayMessage(console, speech, "CATRMO", 1);
    const std::string model = ChooseModel(console, speech, keys);
    if (model.empty()) return;
    // "TEMPO/MEASURE.WAV": the part before the first '/' gets its own ".WAV". Without a '/',
    // the tempo sound names no file and the whole model is the measure sound.
    const std::size_t slash = model.find('/');
    const std::string before = slash == std::string::npos ? std::string() : model.substr(0, slash);
    const std::string after = slash == std::string::npos ? model : model.substr(slash + 1);
    state.TempoSound = std::string(kEffectsDir) + base::AsciiUpperCase(before + ".WAV");
    state.MeasureSound = std::string(kEffectsDir) + base::AsciiUpperCase(after);
    return;
  }
  SayMessage(console, speech, "CATRTM", 1);
  state.TempoSound = ChooseEffect(console, speech, keys, beats);
  if (state.TempoSound.empty()) state.TempoSound = old_tempo;
  SayMessage(console, speech, "CATRCO", 1);
  state.MeasureSound = ChooseEffect(console, speech, keys, beats);
  if (state.MeasureSound.empty()) state.MeasureSound = old_measure;
}

}  // namespace cadencio::app
