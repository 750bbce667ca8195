// Reading keys with their spoken echo.
#include "dialogs/spoken_key_reader.hpp"

#include <string>

#include "base/keys.hpp"
#include "speech/number_reading.hpp"

namespace cadencio::dialogs {

uint8_t SpokenKeyReader::ReadKeySpoken() {
  uint8_t key = console_.ReadKey();
  speech_.StopSpeech();
  speech_.SpeakChar(key);
  return key;
}

SpokenKeyReader::MenuKey SpokenKeyReader::ReadMenuKey() {
  MenuKey key{};
  for (;;) {
    while (speech_.SpeechBusy()) console_.WaitMessage();
    key.extended = ' ';
    key.character = console_.ReadKey();
    if (key.character == 0) {
      key.extended = console_.ReadKey();
      if (key.extended == base::key::kAltQ || key.extended == base::key::kAltW ||
          key.extended == base::key::kAltE) {
        key.character = console_.ReadKey();  // Alt+Q, Alt+W, Alt+E take one more key
      }
    }
    if (key.character == 0 && key.extended == base::key::kF8) {
      speech::SpeakTime(speech_);  // F8
      continue;
    }
    break;
  }
  if (key.character > 31 && key.character != 222 && key.character != 223) {
    speech_.SpeakChar(key.character);
    console_.Write(std::string(1, static_cast<char>(key.character)));
  }
  return key;
}

}  // namespace cadencio::dialogs
