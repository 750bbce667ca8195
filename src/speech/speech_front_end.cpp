// Speech front end: writing, key reading and the waits around speech.
#include "speech/speech_front_end.hpp"

#include <charconv>

#include "platform/paths.hpp"
#include "platform/profile_file.hpp"

namespace cadencio::speech {

SpeechFrontEnd::SpeechFrontEnd(console::Console& console, std::string start_dir)
    : console_(console), start_dir_(std::move(start_dir)) {
  while (start_dir_.size() > 1 && (start_dir_.back() == '/' || start_dir_.back() == '\\')) {
    start_dir_.pop_back();
  }
}

void SpeechFrontEnd::InitSpeech(int speed, const std::string& prompt_dir) {
  if (speed <= 0) {
    std::string text = ReadIniString("TRADUTOR", "VELOCIDADE");
    speed = 0;
    std::from_chars(text.data(), text.data() + text.size(), speed);
  }
  if (speed <= 0 || speed > 5) speed = 3;
  speed_ = speed;
  LoadSynthSettings(speed);
  prompt_dir_ = prompt_dir;
  if (!prompt_dir_.empty() && prompt_dir_.back() != '\\') prompt_dir_ += '\\';
}

void SpeechFrontEnd::EndSpeech() {
  WaitSpeechEnd();
  StopSpeech();
}

void SpeechFrontEnd::LoadSynthSettings(int speed) {
  speed_ = speed;
}

std::string SpeechFrontEnd::ConfigFile() const {
  return platform::FindConfigFile(start_dir_);
}

std::string SpeechFrontEnd::ReadIniString(const std::string& section,
                                          const std::string& key) const {
  constexpr std::size_t kMaxValue = 255;
  // Expansions stop after this many rounds, so that a program directory that itself holds an
  // at sign before a backslash cannot make the value grow for ever.
  constexpr int kMaxExpansions = 16;
  const std::string file = ConfigFile();
  std::string value =
      platform::ProfileFile::ReadString(file, section.empty() ? "AUDIRA" : section, key, "")
          .substr(0, kMaxValue);
  for (int round = 0; round < kMaxExpansions && !value.empty(); ++round) {
    std::size_t at;
    if (value[0] == '@') {
      at = 0;
    } else {
      at = value.find("@\\");
      if (at == std::string::npos) break;
    }
    std::string program_dir = platform::ProfileFile::ReadString(file, "AUDIRA", "PGMAUDIRA", "");
    if (program_dir.empty() || program_dir[0] == '@') program_dir = start_dir_;
    value = (value.substr(0, at) + program_dir + value.substr(at + 1)).substr(0, kMaxValue);
  }
  return value;
}

// Seam: the recorded voice is attached here.
void SpeechFrontEnd::SpeakText(std::string_view /*text*/) {}

void SpeechFrontEnd::WriteSpeak(std::string_view text) {
  console_.Write(text);
  SpeakText(text);
}

void SpeechFrontEnd::WriteSpeakLine(std::string_view text) {
  WriteSpeak(text);
  console_.WriteLine();
}

bool SpeechFrontEnd::HasPromptWav(const std::string& /*name*/) const {
  return false;
}

void SpeechFrontEnd::PlayPromptWav(const std::string& /*name*/) {
  WaitSpeechEnd();
}

void SpeechFrontEnd::PlayBeep() {
  WaitSpeechEnd();
  DrainKeys();
  console_.WriteToScreen("\a");
}

void SpeechFrontEnd::StopSpeech() {}

bool SpeechFrontEnd::SpeechBusy() {
  if (console_.KeyPressed()) {
    StopSpeech();
    return false;
  }
  return false;
}

void SpeechFrontEnd::WaitSpeechEnd() {
  while (SpeechBusy()) console_.WaitMessage();
}

uint8_t SpeechFrontEnd::ReadKeySpoken() {
  uint8_t key = console_.ReadKey();
  StopSpeech();
  return key;  // the key's letter recording is played here once the voice is attached
}

void SpeechFrontEnd::DrainKeys() {
  while (console_.KeyPressed()) console_.ReadKey();
}

}  // namespace cadencio::speech
