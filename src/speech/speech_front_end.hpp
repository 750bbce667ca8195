// The auwin module: the one way the program talks to the user. It writes and speaks texts,
// plays prompts, beeps, reads keys with spoken echo and reads AUDIRA.INI.
//
// The voice itself (recorded voice, number reading, prompt recordings) is joined in step by
// step; until a voice is attached, `SpeakText` and the spoken echoes are silent seams, while
// everything that is written, read or waited for already behaves as it will with a voice.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "console/console.hpp"

namespace cadencio::speech {

class SpeechFrontEnd {
 public:
  // `start_dir` is where the program started: the fallback home of AUDIRA.INI and of the
  // family's program directory.
  SpeechFrontEnd(console::Console& console, std::string start_dir);
  SpeechFrontEnd(const SpeechFrontEnd&) = delete;
  SpeechFrontEnd& operator=(const SpeechFrontEnd&) = delete;

  // Starts the voice at a speed level (0: read [TRADUTOR] VELOCIDADE) with the program's
  // prompt directory.
  void InitSpeech(int speed, const std::string& prompt_dir);
  void EndSpeech();
  void LoadSynthSettings(int speed);
  // A key of AUDIRA.INI (empty section: AUDIRA), with '@' expanded to the program directory.
  std::string ReadIniString(const std::string& section, const std::string& key) const;
  // The AUDIRA.INI that is read and written.
  std::string ConfigFile() const;

  void SpeakText(std::string_view text);
  void WriteSpeak(std::string_view text);
  void WriteSpeakLine(std::string_view text);
  bool HasPromptWav(const std::string& name) const;
  void PlayPromptWav(const std::string& name);
  void PlayBeep();
  void StopSpeech();
  bool SpeechBusy();
  void WaitSpeechEnd();

  uint8_t ReadKeySpoken();
  void DrainKeys();

  int Speed() const { return speed_; }
  const std::string& PromptDir() const { return prompt_dir_; }
  const std::string& StartDir() const { return start_dir_; }

 private:
  console::Console& console_;
  std::string start_dir_;
  std::string prompt_dir_;
  int speed_ = 3;
};

}  // namespace cadencio::speech
