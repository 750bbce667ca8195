// Scenario harness and temporary data roots.
#include "support/scenario.hpp"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/metronome.hpp"
#include "formats/wav_writer.hpp"
#include "voice/piece_database.hpp"

namespace cadencio::testing {

namespace fs = std::filesystem;

namespace {

// A decaying tone of `frames` whose first peaks reach about `peak`.
std::vector<int16_t> Click(double frequency, int frames, double peak) {
  std::vector<int16_t> samples(frames);
  for (int i = 0; i < frames; ++i) {
    double decay = std::exp(-i / (frames / 4.0));
    samples[i] = static_cast<int16_t>(peak * decay * std::sin(2 * M_PI * frequency * i / 44100));
  }
  return samples;
}

// The start directory of a scenario: the one the live TempDataRoot made, so that no
// AUDIRA.INI of the directory the tests run in is ever read.
std::string TempStartDir() {
  const char* dir = std::getenv("CADENCIO_TEST_START_DIR");
  return dir ? dir : "/nonexistent";
}

}  // namespace

TempDataRoot::TempDataRoot() {
  std::string pattern = (fs::temp_directory_path() / "cadencio-test-XXXXXX").string();
  base_ = mkdtemp(pattern.data());
  root_ = base_ + "/sonaud";
  config_dir_ = base_ + "/config";
  fs::create_directories(root_ + "/som/cadencio/efeitos");
  fs::create_directories(config_dir_);
  fs::create_directories(base_ + "/start");
  setenv("CADENCIO_TEST_START_DIR", (base_ + "/start").c_str(), 1);
  // The other-beat click 9 dB under the first, as the shipped pair: both play as recorded.
  formats::WriteWav16Mono(root_ + "/som/cadencio/efeitos/padrao1.wav", Click(1800, 2000, 12000),
                          44100);
  formats::WriteWav16Mono(root_ + "/som/cadencio/efeitos/padrao2.wav", Click(1200, 2000, 4200),
                          44100);
  // A small recorded voice: a few pieces, one rule per letter, one exception.
  fs::create_directories(root_ + "/som/letras");
  std::string samples(600, '\x90');
  WriteFile("som/difones/DIFONES2.IND",
            voice::EncodePieceIndex({{"$KA", 200, 0}, {"$SA", 200, 200}, {"$A", 200, 400}}));
  WriteFile("som/difones/DIFONES2.DIF", samples);
  std::string rules;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    rules += std::string("(") + letter + ")=" + char(letter + 32) + "|\n";
  }
  WriteFile("som/difones/regras.rgr", rules);
  WriteFile("som/difones/portug.exc", "casa=kaza\n");
  setenv("SONAUD_ROOT", root_.c_str(), 1);
  setenv("AUDIRA_WINDIR", config_dir_.c_str(), 1);
}

TempDataRoot::~TempDataRoot() {
  unsetenv("SONAUD_ROOT");
  unsetenv("AUDIRA_WINDIR");
  unsetenv("CADENCIO_TEST_START_DIR");
  std::error_code ignored;
  fs::remove_all(base_, ignored);
}

void TempDataRoot::WriteFile(const std::string& relative, const std::string& content) const {
  fs::path path = fs::path(root_) / relative;
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::vector<int16_t> ToneSamples(int frames, int rate) {
  std::vector<int16_t> samples(frames);
  for (int i = 0; i < frames; ++i) {
    samples[i] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 600 * i / rate));
  }
  return samples;
}

frontends::ScriptedMessage TypeChar(int64_t at_ms, uint8_t ch, bool ctrl) {
  base::Message message{base::MessageKind::kChar, ch};
  message.ctrl = ctrl;
  return {at_ms, message};
}

frontends::ScriptedMessage PressKey(int64_t at_ms, int virtual_key, bool ctrl, bool alt,
                                    bool shift) {
  base::Message message{base::MessageKind::kKeyDown, virtual_key};
  message.ctrl = ctrl;
  message.alt = alt;
  message.shift = shift;
  return {at_ms, message};
}

std::vector<frontends::ScriptedMessage> TypeText(int64_t at_ms, const std::string& text) {
  std::vector<frontends::ScriptedMessage> script;
  for (unsigned char ch : text) script.push_back(TypeChar(at_ms, ch)), at_ms += 10;
  return script;
}

Script Join(std::initializer_list<Script> parts) {
  Script all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Script Answer(int64_t at_ms, const std::string& text) {
  Script script = TypeText(at_ms, text);
  script.push_back(TypeChar(at_ms + 100, 13));
  return script;
}

Script AnswerStart(const std::string& tempo, uint8_t measure_key) {
  Script script = TypeText(100, tempo);
  script.push_back(TypeChar(200, 13));
  script.push_back(TypeChar(300, measure_key));
  return script;
}

Script EndAt(int64_t at_ms) {
  return {TypeChar(at_ms, 27), TypeChar(at_ms + 1100, 's')};
}

Script Session(const std::string& tempo, uint8_t measure_key, const Script& keys, int64_t end_ms) {
  return Join({AnswerStart(tempo, measure_key), keys, EndAt(end_ms)});
}

void LineTranscriptFrontend::Present(const frontends::ScreenCells& cells, int cursor_column,
                                     int cursor_row, bool caret) {
  script_.Present(cells, cursor_column, cursor_row, caret);
  text_ += lines_.Update(cells);
}

Scenario::Scenario(std::vector<frontends::ScriptedMessage> script, int64_t tail_ms,
                   base::Clock::DateTime start, bool plain_lines)
    : rig_(TempStartDir(), std::move(script), nullptr, 44100, tail_ms, start,
           [this, plain_lines](
               frontends::HeadlessFrontend& keys) -> std::unique_ptr<frontends::Frontend> {
             if (plain_lines) {
               auto lines = std::make_unique<LineTranscriptFrontend>(keys);
               transcript_ = lines.get();
               return lines;
             }
             return MaybeScriptedWindow(keys);  // shown in a window when the tests ask for it
           }) {
  rig_.speech.SetObserver([this](const speech::SpeechEvent& event) { spoken_.push_back(event); });
  rig_.audio.GetMixer().SetOnsetObserver([this](int64_t frame, const audio::Sound& sound) {
    std::size_t slash = sound.name.find_last_of("\\/");
    onsets_.push_back({frame, sound.name.substr(slash == std::string::npos ? 0 : slash + 1)});
  });
}

int Scenario::Run() {
  return rig_.parts.RunToExit([this] { program::RunCadencio(rig_.parts); });
}

std::vector<std::string> Scenario::Spoken(speech::SpeechEvent::Kind kind) const {
  std::vector<std::string> details;
  for (const auto& event : spoken_) {
    if (event.kind == kind) details.push_back(event.detail);
  }
  return details;
}

int Scenario::RunDialog(const std::function<void()>& dialog) {
  return rig_.parts.RunToExit(dialog);
}

void Scenario::StallAt(int64_t at_ms, int64_t for_ms) {
  rig_.clock.AddListener([this, at_ms, for_ms, held = false](int64_t now_ms) mutable {
    if (held || now_ms < at_ms) return;
    held = true;
    rig_.clock.AdvanceTo(now_ms + for_ms);
  });
}

int Scenario::CountOnsets(const std::string& name) const {
  int count = 0;
  for (const auto& onset : onsets_) count += onset.sound == name;
  return count;
}

}  // namespace cadencio::testing
