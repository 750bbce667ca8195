// The terminal key decoder: a pure state machine from the bytes a terminal sends to the key
// messages a Windows console window would have received, so that the console's own key
// translation gives the same key codes whatever delivered the keys. Time comes in as an
// argument; nothing here reads a clock or a terminal.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/message_loop.hpp"

namespace cadencio::frontends {

// Key sequences by terminfo capability name ("kf1", "kcuu1", "kUP5" ...) -> the bytes the
// terminal sends for that key. The program fills it from the running terminal.
using KeySequenceTable = std::map<std::string, std::string>;

// The capability names the decoder understands, for filling a KeySequenceTable.
std::vector<std::string> KeySequenceNames();

// How long a lone ESC waits for a following byte before it counts as the Esc key. A terminal
// writes a whole key sequence at once, and a pseudo-terminal hands it to one read (measured:
// 2000 sequences of 3 to 7 bytes, none split); only a serial line spaces its bytes, by about
// 1 ms at 9600 baud and 4.2 ms at 2400. 5 ms covers those and lets Esc act within 20 ms.
constexpr int64_t kDefaultEscapeTimeoutMs = 5;

class TerminalKeyDecoder {
 public:
  explicit TerminalKeyDecoder(const KeySequenceTable& table,
                              int64_t escape_timeout_ms = kDefaultEscapeTimeoutMs);

  // Feeds bytes received at time `now_ms`; appends every complete key message to `out`. An
  // incomplete sequence waits for more bytes or for Flush. A sequence left incomplete past its
  // time-out is settled before the new bytes are taken.
  void Feed(std::string_view bytes, int64_t now_ms, std::vector<base::Message>& out);
  // Called when no byte came: an incomplete sequence pending past its time-out is settled (a
  // lone ESC becomes the Esc key, anything else is dropped).
  void Flush(int64_t now_ms, std::vector<base::Message>& out);
  // When Flush should be called next, or -1 when nothing is pending.
  int64_t PendingDeadline() const;

 private:
  struct KeyName {
    int vk;
    int modifiers;  // the xterm parameter minus one: shift 1, alt 2, ctrl 4
  };
  struct Sequence {
    std::string bytes;
    KeyName key;
  };

  void Parse(bool settle, std::vector<base::Message>& out);
  // Each returns how many bytes of `buf` it used, or 0 when it needs more bytes.
  size_t ParseOne(std::string_view buf, bool settle, std::vector<base::Message>& out);
  size_t ParseEscape(std::string_view buf, bool settle, std::vector<base::Message>& out);
  size_t ParseTable(std::string_view buf, bool settle, bool& matched,
                    std::vector<base::Message>& out) const;
  size_t ParseCsi(std::string_view buf, bool settle, std::vector<base::Message>& out);
  size_t ParseSs3(std::string_view buf, bool settle, std::vector<base::Message>& out);
  size_t SkipCsi(std::string_view buf);

  std::vector<Sequence> sequences_;
  bool backspace_is_ctrl_h_ = false;  // the terminal's Backspace sends 0x08
  int64_t escape_timeout_ms_;
  std::string pending_;
  int64_t pending_since_ = 0;
  bool skipping_csi_ = false;  // inside an over-long control sequence being thrown away
};

}  // namespace cadencio::frontends
