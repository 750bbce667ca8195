// The main loop's command table: each command's keys, the catalogue text that F1 says of it,
// its line in the manual pages and the README, and the metronome's handler. The main loop
// dispatches from it and F1 speaks from it, in its order.
#pragma once

#include <array>
#include <span>

#include "app/key_help.hpp"
#include "base/keys.hpp"

namespace cadencio::app {

class Metronome;

struct MainCommand {
  std::array<base::Key, 2> keys;
  int key_count;
  const char* help;  // the catalogue text F1 says
  KeyDoc doc;
  void (Metronome::*run)(base::Key key);
  // The pass ends at once (Tab): the tempo is not brought into range nor the screen updated.
  bool ends_pass = false;

  // The main loop goes by the key's code alone, so a character with the code of an extended
  // key runs its command ("H" raises the tempo like Up, ";" opens the help like F1).
  bool Answers(base::Key key) const {
    for (int i = 0; i < key_count; ++i) {
      if (keys[static_cast<std::size_t>(i)].code == key.code) return true;
    }
    return false;
  }
};

// The command of `key`, or null for a key without one.
const MainCommand* FindMainCommand(std::span<const MainCommand> commands, base::Key key);

}  // namespace cadencio::app
