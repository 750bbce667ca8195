// Keys read with a spoken echo: a key answered by its letter recording, and the keys of the
// spoken lists, which also say the time on F8.
#pragma once

#include <cstdint>

#include "console/console.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::dialogs {

class SpokenKeyReader {
 public:
  // The console and the front end must outlive this object.
  SpokenKeyReader(console::Console& console, speech::SpeechFrontEnd& speech)
      : console_(console), speech_(speech) {}

  // A key; what is being said stops and the key's letter recording plays.
  uint8_t ReadKeySpoken();
  // A key with the time on F8 and a spoken echo: the character, and the extended code (a
  // blank for a plain character).
  struct MenuKey {
    uint8_t character;
    uint8_t extended;
  };
  MenuKey ReadMenuKey();

 private:
  console::Console& console_;
  speech::SpeechFrontEnd& speech_;
};

}  // namespace cadencio::dialogs
