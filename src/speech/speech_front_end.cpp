// Speech front end: writing, key reading and the waits around speech.
#include "speech/speech_front_end.hpp"

#include <charconv>

namespace cadencio::speech {

SpeechFrontEnd::SpeechFrontEnd(console::Console& console) : console_(console) {}

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

std::string SpeechFrontEnd::ReadIniString(const std::string& /*section*/,
                                          const std::string& /*key*/) const {
  return {};  // joined to the profile reader with the configuration file
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
