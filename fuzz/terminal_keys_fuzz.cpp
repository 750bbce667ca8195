// libFuzzer target for the terminal key decoder: arbitrary bytes, cut into pieces at arbitrary
// times, must never crash, hang, or leave the decoder holding more than one pending sequence.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "frontends/terminal/terminal_keys.hpp"

using cadencio::base::Message;
using cadencio::base::MessageKind;
using cadencio::frontends::KeySequenceTable;
using cadencio::frontends::TerminalKeyDecoder;

namespace {

// xterm's descriptions of a few keys, with a Linux-console entry, so table matching is fuzzed
// together with the generic forms.
const KeySequenceTable& Table() {
  static const KeySequenceTable table = {
      {"kcuu1", "\033OA"},   {"khome", "\033[1~"}, {"kend", "\033[4~"},   {"kf1", "\033OP"},
      {"kf5", "\033[15~"},   {"kf13", "\033[[A"},  {"kUP5", "\033[1;5A"}, {"kIC", "\033[2;2~"},
      {"kDC5", "\033[3;5~"}, {"kent", "\033OM"},   {"kbs", "\177"},
  };
  return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TerminalKeyDecoder decoder(Table(), 25);
  std::vector<Message> out;
  int64_t now = 0;
  size_t pos = 0;
  // The first byte of each chunk says how long it is and how much time passed before it.
  while (pos < size) {
    const uint8_t control = data[pos++];
    const size_t length = std::min<size_t>(control & 0x0F, size - pos);
    now += control >> 4;
    decoder.Feed(std::string_view(reinterpret_cast<const char*>(data + pos), length), now, out);
    pos += length;
    if ((control & 0x80) != 0) decoder.Flush(now, out);
  }
  decoder.Flush(now + 1000, out);
  if (decoder.PendingDeadline() != -1) std::abort();
  for (const Message& m : out) {
    const bool ok = (m.kind == MessageKind::kChar && m.key >= 0 && m.key <= 255) ||
                    m.kind == MessageKind::kKeyDown || m.kind == MessageKind::kClose;
    if (!ok) std::abort();
  }
  return 0;
}
