// Speech front end: starting and ending the voice, the per-speed settings, cutting texts into
// numbers, words and marks, prompts, letters, beep and click.
#include "speech/speech_front_end.hpp"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "base/whole_number.hpp"
#include "base/windows1252.hpp"
#include "files/file_reader.hpp"
#include "files/paths.hpp"
#include "files/profile_file.hpp"
#include "speech/beep_and_click.hpp"
#include "speech/number_words.hpp"
#include "speech/spoken_forms.hpp"
#include "tts/question_tune.hpp"
#include "voice/voice_format.hpp"

namespace cadencio::speech {

namespace {

// The generated beep and click, and joined word recordings.
constexpr formats::PcmFormat kVoiceSound{1, voice::kVoiceSampleRate, 8};
// The letters directory when the settings name none, below the family's root.
constexpr const char* kDefaultLettersDir = "som\\letras\\";
// Joined word recordings are played in sounds of at most this many samples.
constexpr std::size_t kJoinedSamples = 30000;

int IntOr(std::string_view text, int fallback) {
  return base::ParseWholeNumber(text).value_or(fallback);
}

// A yes/no value: true unless empty or beginning with N.
bool Switch(std::string_view text) {
  return !text.empty() && text[0] != 'N' && text[0] != 'n';
}

bool IsDigit(uint8_t ch) {
  return ch >= '0' && ch <= '9';
}
bool IsWordChar(uint8_t ch) {
  return ch == ' ' || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch >= 128;
}
// Whether the run of words ends a yes/no question: the rest of the text goes on with '?'.
bool IsYesNoQuestion(std::string_view run, std::string_view rest) {
  const std::size_t mark = rest.find_first_not_of(' ');
  return mark != std::string_view::npos && rest[mark] == '?' && tts::AsksYesOrNo(run);
}

bool IsLetterOrHigh(uint8_t ch) {
  return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch >= 128;
}

// What the screen-reader mode writes for a key that only changes speech.
constexpr const char* kScreenReaderSettings = "Valem os ajustes do seu leitor de tela";

// A text as the screen shows it: without blanks and line ends around it; a blank alone stays.
std::string_view Shown(std::string_view text) {
  std::string_view trimmed = base::TrimBlanksAndControls(text);
  return trimmed.empty() ? text : trimmed;
}

std::string WithBackslash(std::string dir) {
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  return dir;
}

// The samples of a word recording after its 44-byte header, at most kJoinedSamples of them;
// false when the file cannot be read.
bool ReadWordSamples(const std::string& path, std::vector<uint8_t>& samples) {
  const files::FileContent file =
      files::ReadWholeFile(path, voice::kWavHeaderSize + kJoinedSamples);
  if (file.status != files::FileReadStatus::kOk && file.status != files::FileReadStatus::kTooLarge)
    return false;
  const std::size_t header = std::min(file.bytes.size(), voice::kWavHeaderSize);
  samples.assign(file.bytes.begin() + static_cast<std::ptrdiff_t>(header), file.bytes.end());
  return true;
}

}  // namespace

SpeechFrontEnd::SpeechFrontEnd(base::Waiter& waiter, base::ScreenWriter& screen, base::Clock& clock,
                               audio::WavPlayback& wav, const files::AudiraSettings& settings)
    : waiter_(waiter),
      screen_(screen),
      clock_(clock),
      wav_(wav),
      config_(settings),
      letters_dir_(files::FamilyPath(kDefaultLettersDir)),
      engine_(engines::EngineContext{
          waiter, wav,
          [&settings](const std::string& section, const std::string& key) {
            return settings.ReadIniString(section, key);
          },
          [this](const std::string& text) {
            if (reports_.engine_message) reports_.engine_message(text);
          },
          [this](const std::string& text) { Notify(SpeechEvent::kEngineText, text); },
          [this] {
            if (reports_.service_refused) reports_.service_refused();
          }}) {
  click_samples_ = ClickSamples();
}

void SpeechFrontEnd::SetWrittenSpeech(bool on) {
  written_speech_ = on;
  waiting_lines_.clear();
  if (on) {
    screen_.SetBeforeWait([this] { AppendWaitingLines(); });
  } else {
    screen_.SetBeforeWait(nullptr);
  }
}

bool SpeechFrontEnd::LeftToScreenReader() {
  if (!written_speech_) return false;
  WriteSpoken(kScreenReaderSettings);
  return true;
}

void SpeechFrontEnd::WriteSpoken(std::string_view text) {
  const std::string written = DropShown();
  const std::string_view shown = Shown(text);
  if (shown.empty() || base::TrimBlanksAndControls(written).ends_with(shown)) return;
  // A text that goes on from a mark (", máximo") stays on the line of the text before it.
  const char first = shown[0];
  if (!waiting_lines_.empty() && (first == ',' || first == '.' || first == ';' || first == ':')) {
    waiting_lines_.back() += shown;
  } else {
    waiting_lines_.emplace_back(shown);
  }
}

std::string SpeechFrontEnd::DropShown() {
  std::string written = screen_.TakeWrittenText();
  std::erase_if(waiting_lines_, [&written](const std::string& line) {
    return written.find(line) != std::string::npos;
  });
  return written;
}

void SpeechFrontEnd::AppendWaitingLines() {
  DropShown();
  std::vector<std::string> lines = std::move(waiting_lines_);
  waiting_lines_.clear();
  for (const std::string& line : lines) screen_.AppendLine(line);
}

void SpeechFrontEnd::Notify(SpeechEvent::Kind kind, std::string detail) {
  if (observer_) observer_({kind, std::move(detail), clock_.NowMs()});
}

// --- configuration --------------------------------------------------------------------

void SpeechFrontEnd::LoadSynthSettings(int speed) {
  const std::string level = std::to_string(speed).substr(0, 2);
  auto read = [&](const char* base) { return config_.ReadIniString("SINTETIZADOR", base + level); };
  SynthSettings s;
  s.database = read("DIFONES").substr(0, 8);
  s.piece_cut = IntOr(read("CORTEFON"), 0);
  s.piece_surplus = IntOr(read("SOBRAFON"), 0);
  s.word_gap = IntOr(read("INTERPAL"), 0);
  s.cut_speech = Switch(read("CORTAFALA"));
  s.fast_playback = Switch(read("RAPIDINHO"));
  s.full_stop_pause_ms = IntOr(read("PAUSAPONTO"), 250);
  s.comma_pause_ms = IntOr(read("PAUSAVIRG"), 150);
  s.colon_pause_ms = IntOr(read("PAUSADOISPONTOS"), 200);
  settings_ = s;
  if (voice_) voice_->SetSettings(settings_);
  wav_.SetCutSpeech(s.cut_speech);
  wav_.SetFastPlayback(s.fast_playback);
  engine_.SetEngineSpeed(speed);
}

// --- start and end --------------------------------------------------------------------

void SpeechFrontEnd::InitSpeech(int speed, const std::string& prompt_dir) {
  if (speed <= 0) speed = IntOr(config_.ReadIniString("TRADUTOR", "VELOCIDADE"), 0);
  if (speed <= 0 || speed > 5) speed = 3;
  speed_ = speed;
  LoadSynthSettings(speed);
  if (voice_ && !written_speech_) {
    int code = voice_->Open();
    if (code != 0) {
      const std::vector<std::string> lines = {
          "Erro de inicializa\xE7\xE3o: " + std::to_string(code),
          "Banco de dados de voz: " + voice_->DatabaseName()};
      voice_->Close();
      if (reports_.voice_failed) reports_.voice_failed(lines);
    }
  }
  prompt_dir_ = WithBackslash(prompt_dir);
  letters_dir_ =
      WithBackslash(files::ProfileFile::ReadString(config_.ConfigFile(), "TRADUTOR", "DIRLETRAS",
                                                   files::FamilyPath(kDefaultLettersDir))
                        .substr(0, 255));
  engine_active_ = engine_failed_ = false;
  if (!written_speech_ && Switch(config_.ReadIniString("TRADUTOR", "SAPI"))) {
    int voice = IntOr(config_.ReadIniString("SERVFALA", "VOZ"), 0);
    int rate = IntOr(config_.ReadIniString("SERVFALA", "VELOCIDADE"), 0);
    int pitch = IntOr(config_.ReadIniString("SERVFALA", "TOM"), 0);
    int kind = IntOr(config_.ReadIniString("SERVFALA", "TIPOSAPI"), 0);
    if (kind != engines::kUsualKind && rate > 10) rate = 0;
    engine_active_ = engine_.StartEngine(voice, rate, pitch, kind);
    engine_failed_ = !engine_active_;
  }
}

void SpeechFrontEnd::EndSpeech() {
  if (written_speech_) AppendWaitingLines();
  while (SpeechBusy()) waiter_.WaitMessage();
  StopSpeech();
  if (engine_active_) {
    engine_.EndEngine();
    engine_active_ = false;
  }
  if (voice_ && !written_speech_) voice_->Close();
}

// --- busy, wait, stop -----------------------------------------------------------------

bool SpeechFrontEnd::SpeechBusy() {
  if (waiter_.KeyPressed()) {
    StopSpeech();
    return false;
  }
  if (!engine_active_) return wav_.WavBusy();
  return wav_.WavBusy() || engine_.EngineBusy(0);
}

void SpeechFrontEnd::WaitSpeechEnd() {
  if (!speech_pending_) return;
  while (SpeechBusy()) waiter_.WaitMessage();
  speech_pending_ = false;
}

void SpeechFrontEnd::StopSpeech() {
  wav_.StopWav();
  speech_cut_ = true;
  if (engine_active_ &&
      (engine_.EngineBusy(0) || engine_.Family() == engines::EngineFamily::kSivra)) {
    engine_.EngineStop();
  }
  waiter_.Loop().Post({base::MessageKind::kWakeSpeech});
}

void SpeechFrontEnd::SpeechPause(int ms) {
  if (ms >= 50) Notify(SpeechEvent::kPause, std::to_string(ms));
  for (int i = 0; i < ms / 50; ++i) {
    if (!waiter_.KeyPressed()) waiter_.Delay(50);
  }
}

// --- texts ----------------------------------------------------------------------------

void SpeechFrontEnd::WriteSpeak(std::string_view text) {
  screen_.Write(text);
  SpeakText(text);
}

void SpeechFrontEnd::WriteSpeakLine(std::string_view text) {
  WriteSpeak(text);
  screen_.WriteLine();
}

void SpeechFrontEnd::SpeakText(std::string_view shown) {
  Notify(SpeechEvent::kText, std::string(shown));
  // A screen reader is given the text as shown; it has its own way with key names.
  if (written_speech_) {
    WriteSpoken(shown);
    return;
  }
  // Every voice is given the same spoken form of the program's own words; an engine is given
  // large numbers as words, the recorded voice reads them from its word recordings.
  std::string text = SpokenForm(shown, engine_active_);
  if (engine_active_) {
    // The engine takes the whole text as it is.
    while (SpeechBusy()) waiter_.WaitMessage();
    if (!waiter_.KeyPressed()) {
      engine_.EngineSpeak(text);
      speech_pending_ = true;
    }
    return;
  }
  text += ' ';
  speech_cut_ = false;
  previous_mark_ = ' ';
  mark_repeats_ = 0;
  while (!speech_cut_ && !text.empty()) {
    if (waiter_.KeyPressed()) {
      StopSpeech();
      break;
    }
    while (!text.empty() && text[0] == '0') {
      PlayPromptWav("_zero");
      text.erase(0, 1);
    }
    if (text.empty()) break;
    auto first = static_cast<uint8_t>(text[0]);
    if (first >= '1' && first <= '9') {
      SpeakDigitRun(text);
    } else if (IsWordChar(first)) {
      SpeakWordRun(text);
    } else {
      SpeakMark(text);
    }
  }
}

void SpeechFrontEnd::ReadText(std::string_view text) {
  // Back to messages when the reading ends, also when the program ends inside it.
  struct EndReading {
    bool& reading;
    ~EndReading() { reading = false; }
  } end{reading_};
  reading_ = true;
  SpeakText(text);
}

void SpeechFrontEnd::SpeakDigitRun(std::string& text) {
  std::size_t end = 0;
  while (end < text.size() && (IsDigit(text[end]) || text[end] == '-')) ++end;
  std::string run = text.substr(0, end);
  text.erase(0, end);
  if (run.find('-') != std::string::npos || run.size() >= 7) {
    SpellText(run);
  } else {
    SpeakNumberWords(NumberWords(std::stoull(run)), false);
  }
}

void SpeechFrontEnd::SpeakWordRun(std::string& text) {
  std::size_t end = 0;
  while (end < text.size() && IsWordChar(static_cast<uint8_t>(text[end]))) ++end;
  std::string run = text.substr(0, end);
  text.erase(0, end);
  if (base::AsciiUpperCase(run) == "WWW") {
    SpellText(run);
  } else if (voice_ && run.find_first_not_of(' ') != std::string::npos) {
    const voice::Tune tune =
        IsYesNoQuestion(run, text) ? voice::Tune::kQuestion : voice::Tune::kStatement;
    std::string phonetic = voice_->SpeakWords(std::string_view(run).substr(0, 999), tune);
    Notify(SpeechEvent::kPhonetic, phonetic);
  }
  // A hyphen inside a word is silent.
  if (text.size() >= 2 && text[0] == '-' && IsLetterOrHigh(static_cast<uint8_t>(text[1]))) {
    text.erase(0, 1);
  }
}

void SpeechFrontEnd::SpeakMark(std::string& text) {
  auto ch = static_cast<uint8_t>(text[0]);
  if (ch == previous_mark_) {
    ++mark_repeats_;
  } else {
    previous_mark_ = ch;
    mark_repeats_ = 0;
  }
  if (mark_repeats_ > 3) {
    // The first four of a run of equal marks are spoken, every further one is a click.
    PlayClick();
  } else if (ch != '-') {
    if (text.compare(0, 3, "://") == 0) {
      SpellText(text.substr(0, 1));  // the colon of an address is named, not paused
    } else if (ch == '(' || ch == ')' || ch == ',' || ch == '.' || ch == ':' || ch == ';' ||
               (!reading_ && (ch == '?' || ch == '!'))) {
      PunctuationPause(text);
    } else if (ch != '\t' && ch != ' ' && !waiter_.KeyPressed()) {
      SpeakChar(ch);
    }
  } else {
    auto second = static_cast<uint8_t>(text.size() < 3 ? ' ' : text[1]);
    if (second == ' ' || second == '-') {
      PunctuationPause(text);
    } else if (IsDigit(second)) {
      PlayPromptWav("_MENOS");
    } else {
      SpeakChar('-');
    }
  }
  text.erase(0, 1);
}

void SpeechFrontEnd::PunctuationPause(std::string_view text) {
  if (text.empty() || waiter_.KeyPressed()) return;
  while (SpeechBusy()) waiter_.WaitMessage();
  auto mark = static_cast<uint8_t>(text[0]);
  bool blank_follows = text.size() > 1 && text[1] == ' ';
  int pause_ms = 0;
  if (mark == '(' || mark == ')' || mark == ':' || mark == ';') {
    pause_ms = settings_.colon_pause_ms;
  } else if ((mark == ',' || mark == '-') && blank_follows) {
    pause_ms = settings_.comma_pause_ms;
  } else if ((mark == '.' || mark == '?' || mark == '!') && blank_follows) {
    pause_ms = settings_.full_stop_pause_ms;
  }
  // Reading names every mark; in a message a mark that pauses is heard as the pause alone, and
  // "um, Garota de Ipanema" is not read "um vírgula Garota de Ipanema".
  if (reading_ || pause_ms == 0) SpeakChar(mark);
  if (pause_ms > 0) SpeechPause(pause_ms);
}

void SpeechFrontEnd::SpeakChar(uint8_t ch) {
  if (written_speech_) {
    WriteSpoken(std::string(1, static_cast<char>(ch)));
    return;
  }
  WaitSpeechEnd();
  Notify(SpeechEvent::kChar, std::string(1, static_cast<char>(ch)));
  wav_.PlayWavFile(files::MapWindowsPath(letters_dir_ + "_" + std::to_string(ch) + ".wav"));
}

void SpeechFrontEnd::SpellText(std::string_view text) {
  if (written_speech_) {
    WriteSpoken(text);
    return;
  }
  for (char ch : text) {
    if (waiter_.KeyPressed()) break;
    SpeakChar(static_cast<uint8_t>(ch));
  }
}

void SpeechFrontEnd::SpeakNumberWords(const std::string& words, bool feminine) {
  std::vector<std::string> names;
  std::istringstream split(words);
  for (std::string word; split >> word;) names.push_back(word);
  std::string described;
  for (std::size_t i = 0; i < names.size(); ++i) {
    names[i] = WordRecordingName(names[i], feminine && i + 1 == names.size());
    described += (i ? " " : "") + names[i];
  }
  Notify(SpeechEvent::kNumber, described);
  std::vector<uint8_t> joined;
  std::vector<uint8_t> samples;
  for (const std::string& name : names) {
    if (!ReadWordSamples(files::MapWindowsPath(letters_dir_ + name + ".wav"), samples)) continue;
    if (joined.size() + samples.size() > kJoinedSamples) {
      PlayVoiceSamples(joined);
      joined.clear();
    }
    joined.insert(joined.end(), samples.begin(), samples.end());
  }
  if (!joined.empty()) PlayVoiceSamples(joined);
}

// --- recordings -----------------------------------------------------------------------

std::string SpeechFrontEnd::PromptPath(const std::string& name) const {
  const std::string& dir = !name.empty() && name[0] == '_' ? letters_dir_ : prompt_dir_;
  return files::MapWindowsPath(dir + name + ".wav");
}

bool SpeechFrontEnd::HasPromptWav(const std::string& name) const {
  std::error_code error;
  return std::filesystem::is_regular_file(PromptPath(name), error);
}

void SpeechFrontEnd::PlayPromptWav(const std::string& name) {
  if (written_speech_) {
    // A prompt with a text is speech; so is a word of the letters directory, which has none.
    if (auto text = prompt_texts_ ? prompt_texts_(name) : std::nullopt) return WriteSpoken(*text);
    if (name.starts_with('_')) return;
  }
  WaitSpeechEnd();
  Notify(SpeechEvent::kPrompt, name);
  wav_.PlayWavFile(PromptPath(name));
}

void SpeechFrontEnd::PlayWavImage(const std::vector<uint8_t>& image) {
  if (written_speech_) return;  // the recorded voice's speech
  WaitSpeechEnd();
  Notify(SpeechEvent::kImage,
         std::to_string(image.size() >= voice::kWavHeaderSize ? image.size() - voice::kWavHeaderSize
                                                              : 0));
  wav_.PlayWavBuffer(image);
  while (SpeechBusy()) waiter_.WaitMessage();
}

void SpeechFrontEnd::PlayVoiceSamples(std::span<const uint8_t> samples) {
  if (written_speech_) return;  // joined word recordings: speech
  WaitSpeechEnd();
  Notify(SpeechEvent::kImage, std::to_string(samples.size()));
  wav_.PlayPcm(kVoiceSound, samples);
  while (SpeechBusy()) waiter_.WaitMessage();
}

void SpeechFrontEnd::PlayBeep() {
  WaitSpeechEnd();
  waiter_.DrainKeys();  // keys typed before the beep are discarded
  Notify(SpeechEvent::kBeep);
  wav_.PlayPcm(kVoiceSound, BeepSamples());
  while (SpeechBusy()) waiter_.WaitMessage();
}

void SpeechFrontEnd::PlayClick() {
  WaitSpeechEnd();
  Notify(SpeechEvent::kClick);
  bool cut = wav_.CutSpeech();
  wav_.SetCutSpeech(false);
  wav_.PlayPcm(kVoiceSound, click_samples_);
  while (SpeechBusy()) waiter_.WaitMessage();
  wav_.SetCutSpeech(cut);
}

}  // namespace cadencio::speech
