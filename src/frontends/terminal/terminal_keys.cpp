// The terminal key decoder. Bytes collect in a pending buffer; each step takes one complete item
// from its front (a character, a control byte, an escape sequence) and turns it into key
// messages. Sequences the terminal's own description names are matched first; the common xterm
// forms (CSI ... ~, CSI 1;m A, SS3, CSI u, CSI 27;m;k ~) are decoded generically, and anything
// else that looks like a control sequence is swallowed whole.
#include "frontends/terminal/terminal_keys.hpp"

#include <algorithm>
#include <optional>

#include "base/keys.hpp"
#include "base/windows1252.hpp"
#include "frontends/terminal/terminal_key_messages.hpp"

namespace cadencio::frontends {
namespace {

using namespace terminal_key_messages;

struct NamedKey {
  const char* name;
  int vk;
};

// Unmodified keys and the names of their modified forms (name + modifier digit).
constexpr NamedKey kPlainKeys[] = {
    {"kcuu1", base::vk::kUp},     {"kcud1", base::vk::kDown},   {"kcub1", base::vk::kLeft},
    {"kcuf1", base::vk::kRight},  {"khome", base::vk::kHome},   {"kend", base::vk::kEnd},
    {"kich1", base::vk::kInsert}, {"kdch1", base::vk::kDelete}, {"kpp", base::vk::kPrior},
    {"knp", base::vk::kNext},     {"kent", base::vk::kReturn},
};
// Shifted keys with names of their own in terminfo.
constexpr NamedKey kShiftedKeys[] = {
    {"kri", base::vk::kUp},     {"kind", base::vk::kDown},  {"kLFT", base::vk::kLeft},
    {"kRIT", base::vk::kRight}, {"kHOM", base::vk::kHome},  {"kEND", base::vk::kEnd},
    {"kIC", base::vk::kInsert}, {"kDC", base::vk::kDelete}, {"kPRV", base::vk::kPrior},
    {"kNXT", base::vk::kNext},  {"kcbt", base::vk::kTab},
};
// Extended capabilities: base name + "" (shift, for UP and DN) or the xterm modifier digit.
constexpr NamedKey kExtendedKeys[] = {
    {"kUP", base::vk::kUp},     {"kDN", base::vk::kDown},   {"kLFT", base::vk::kLeft},
    {"kRIT", base::vk::kRight}, {"kHOM", base::vk::kHome},  {"kEND", base::vk::kEnd},
    {"kIC", base::vk::kInsert}, {"kDC", base::vk::kDelete}, {"kPRV", base::vk::kPrior},
    {"kNXT", base::vk::kNext},
};
// kf1..kf12 plain, then shift, ctrl, ctrl+shift, alt, alt+shift in groups of twelve.
constexpr int kFunctionKeyGroups[] = {0, kShift, kCtrl, kCtrl | kShift, kAlt, kAlt | kShift};

bool IsParameterByte(uint8_t b) {
  return b >= 0x30 && b <= 0x3F;
}
bool IsIntermediateByte(uint8_t b) {
  return b >= 0x20 && b <= 0x2F;
}
bool IsFinalByte(uint8_t b) {
  return b >= 0x40 && b <= 0x7E;
}

// The parameters of a control sequence: fields split at ';', each with ':' sub-fields. An
// empty field reads as 0 (the caller's default applies).
struct Parameters {
  static constexpr size_t kMaxFields = 4;
  long field[kMaxFields][2] = {};
  size_t count = 0;
  long Get(size_t i, long fallback) const {
    return i < count && field[i][0] != 0 ? field[i][0] : fallback;
  }
};

Parameters ParseParameters(std::string_view text) {
  Parameters p;
  if (text.empty()) return p;
  p.count = 1;
  size_t sub = 0;
  for (char c : text) {
    if (c == ';') {
      if (p.count == Parameters::kMaxFields) break;
      ++p.count;
      sub = 0;
    } else if (c == ':') {
      ++sub;
    } else if (c >= '0' && c <= '9' && sub < 2) {
      long& v = p.field[p.count - 1][sub];
      v = std::min(v * 10 + (c - '0'), 10'000'000L);
    }
  }
  return p;
}

// The key of CSI n ~ (vt220 style).
int TildeKey(long n) {
  switch (n) {
    case 1:
    case 7:
      return base::vk::kHome;
    case 2:
      return base::vk::kInsert;
    case 3:
      return base::vk::kDelete;
    case 4:
    case 8:
      return base::vk::kEnd;
    case 5:
      return base::vk::kPrior;
    case 6:
      return base::vk::kNext;
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
      return base::vk::F(static_cast<int>(n - 10));
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
      return base::vk::F(static_cast<int>(n - 11));
    case 23:
    case 24:
      return base::vk::F(static_cast<int>(n - 12));
    default:
      return 0;
  }
}

// The key of a CSI or SS3 final letter (cursor keys, Home/End, F1-F4).
int LetterKey(uint8_t final_byte) {
  switch (final_byte) {
    case 'A':
      return base::vk::kUp;
    case 'B':
      return base::vk::kDown;
    case 'C':
      return base::vk::kRight;
    case 'D':
      return base::vk::kLeft;
    case 'H':
      return base::vk::kHome;
    case 'F':
      return base::vk::kEnd;
    case 'P':
    case 'Q':
    case 'R':
    case 'S':
      return base::vk::F(final_byte - 'P' + 1);
    default:
      return 0;
  }
}

// The character of an application-keypad key (SS3 j..y, X).
char KeypadChar(uint8_t final_byte) {
  if (final_byte >= 'p' && final_byte <= 'y') return static_cast<char>('0' + final_byte - 'p');
  switch (final_byte) {
    case 'j':
      return '*';
    case 'k':
      return '+';
    case 'l':
      return ',';
    case 'm':
      return '-';
    case 'n':
      return '.';
    case 'o':
      return '/';
    case 'X':
      return '=';
    default:
      return 0;
  }
}

}  // namespace

std::vector<std::string> KeySequenceNames() {
  std::vector<std::string> names;
  for (int n = 1; n <= 12 * 6; ++n) names.push_back("kf" + std::to_string(n));
  for (const auto& k : kPlainKeys) names.emplace_back(k.name);
  for (const auto& k : kShiftedKeys) names.emplace_back(k.name);
  for (const auto& k : kExtendedKeys) {
    if (k.vk == base::vk::kUp || k.vk == base::vk::kDown) names.emplace_back(k.name);
    for (int m = 3; m <= 8; ++m) names.push_back(k.name + std::to_string(m));
  }
  names.emplace_back("kbs");
  return names;
}

TerminalKeyDecoder::TerminalKeyDecoder(const KeySequenceTable& table, int64_t escape_timeout_ms)
    : escape_timeout_ms_(std::max<int64_t>(escape_timeout_ms, 0)) {
  auto add = [&](const std::string& name, int virtual_key, int modifiers) {
    auto it = table.find(name);
    if (it == table.end()) return;
    const std::string& bytes = it->second;
    // Only escape sequences of three bytes or more: a shorter one would swallow Alt+key or
    // ordinary typing if a terminal description were wrong.
    if (bytes.size() < 3 || bytes.size() > kMaxSequence || bytes[0] != '\x1b') return;
    sequences_.push_back({bytes, {virtual_key, modifiers}});
  };
  for (int n = 1; n <= 12 * 6; ++n) {
    add("kf" + std::to_string(n), base::vk::F((n - 1) % 12 + 1), kFunctionKeyGroups[(n - 1) / 12]);
  }
  for (const auto& k : kPlainKeys) add(k.name, k.vk, 0);
  for (const auto& k : kShiftedKeys) add(k.name, k.vk, kShift);
  for (const auto& k : kExtendedKeys) {
    if (k.vk == base::vk::kUp || k.vk == base::vk::kDown) add(k.name, k.vk, kShift);
    for (int m = 3; m <= 8; ++m) add(k.name + std::to_string(m), k.vk, Modifiers(m));
  }
  auto bs = table.find("kbs");
  backspace_is_ctrl_h_ = bs != table.end() && bs->second == "\x08";
}

int64_t TerminalKeyDecoder::PendingDeadline() const {
  if (pending_.empty() && !skipping_csi_) return -1;
  return pending_since_ + escape_timeout_ms_;
}

void TerminalKeyDecoder::Feed(std::string_view bytes, int64_t now_ms,
                              std::vector<base::Message>& out) {
  Flush(now_ms, out);
  const bool was_empty = pending_.empty() && !skipping_csi_;
  pending_.append(bytes);
  const size_t before = pending_.size();
  Parse(false, out);
  // Whatever is left started in these bytes unless it was waiting already and nothing moved.
  if (was_empty || pending_.size() < before) pending_since_ = now_ms;
}

void TerminalKeyDecoder::Flush(int64_t now_ms, std::vector<base::Message>& out) {
  const int64_t deadline = PendingDeadline();
  if (deadline < 0 || now_ms < deadline) return;
  skipping_csi_ = false;
  Parse(true, out);
  pending_.clear();
}

void TerminalKeyDecoder::Parse(bool settle, std::vector<base::Message>& out) {
  size_t pos = 0;
  while (pos < pending_.size()) {
    std::string_view rest(pending_.data() + pos, pending_.size() - pos);
    if (skipping_csi_) {
      pos += SkipCsi(rest);
      continue;
    }
    size_t used = ParseOne(rest, settle, out);
    if (used == 0) break;
    pos += used;
  }
  pending_.erase(0, pos);
}

size_t TerminalKeyDecoder::SkipCsi(std::string_view buf) {
  size_t i = 0;
  while (i < buf.size()) {
    const auto b = static_cast<uint8_t>(buf[i]);
    if (IsFinalByte(b)) {
      skipping_csi_ = false;
      return i + 1;
    }
    if (!IsParameterByte(b) && !IsIntermediateByte(b)) {
      skipping_csi_ = false;
      return i;
    }
    ++i;
  }
  return i;
}

size_t TerminalKeyDecoder::ParseOne(std::string_view buf, bool settle,
                                    std::vector<base::Message>& out) {
  const auto b = static_cast<uint8_t>(buf[0]);
  if (b == kEsc) return ParseEscape(buf, settle, out);
  if (b < 0x20 || b == 0x7F) {
    EmitControl(b, backspace_is_ctrl_h_, out);
    return 1;
  }
  char32_t cp = 0;
  int length = DecodeUtf8(buf, cp);
  if (length == 0) return settle ? buf.size() : 0;  // a cut-off character is dropped
  if (length < 0) return 1;                         // a stray byte is dropped
  EmitCodePoint(cp, 0, backspace_is_ctrl_h_, out);
  return static_cast<size_t>(length);
}

size_t TerminalKeyDecoder::ParseEscape(std::string_view buf, bool settle,
                                       std::vector<base::Message>& out) {
  if (buf.size() == 1) {
    if (!settle) return 0;
    out.push_back(Char(27));  // a lone ESC: the Esc key
    return 1;
  }
  bool matched = false;
  size_t used = ParseTable(buf, settle, matched, out);
  if (matched) return used;

  const auto c = static_cast<uint8_t>(buf[1]);
  if (c == '[') return ParseCsi(buf, settle, out);
  if (c == 'O') return ParseSs3(buf, settle, out);
  if (c == kEsc) {
    out.push_back(Char(27));  // Esc, then whatever the second ESC starts
    return 1;
  }
  if (c < 0x20 || c == 0x7F) {
    EmitAltControl(c, out);
    return 2;
  }
  char32_t cp = 0;
  int length = DecodeUtf8(buf.substr(1), cp);
  if (length == 0) return settle ? buf.size() : 0;
  if (length < 0) {
    out.push_back(Char(27));
    return 1;
  }
  EmitCodePoint(cp, kAlt, backspace_is_ctrl_h_, out);  // Alt+character
  return 1 + static_cast<size_t>(length);
}

size_t TerminalKeyDecoder::ParseTable(std::string_view buf, bool settle, bool& matched,
                                      std::vector<base::Message>& out) const {
  const Sequence* hit = nullptr;
  bool longer = false;
  for (const auto& s : sequences_) {
    if (buf.size() >= s.bytes.size()) {
      if (buf.starts_with(s.bytes) && (hit == nullptr || s.bytes.size() > hit->bytes.size())) {
        hit = &s;
      }
    } else if (std::string_view(s.bytes).starts_with(buf)) {
      longer = true;
    }
  }
  if (hit != nullptr) {
    matched = true;
    EmitKey(hit->key.vk, hit->key.modifiers, out);
    return hit->bytes.size();
  }
  if (longer && !settle) {
    matched = true;  // could still become one of the terminal's keys
    return 0;
  }
  return 0;
}

size_t TerminalKeyDecoder::ParseCsi(std::string_view buf, bool settle,
                                    std::vector<base::Message>& out) {
  // The Linux console's F1-F5: ESC [ [ A..E.
  if (buf.size() > 2 && buf[2] == '[') {
    if (buf.size() < 4) return settle ? buf.size() : 0;
    const auto c = static_cast<uint8_t>(buf[3]);
    if (c >= 'A' && c <= 'E') {
      EmitKey(base::vk::F(c - 'A' + 1), 0, out);
      return 4;
    }
    return IsFinalByte(c) ? 4 : 3;
  }
  size_t i = 2;
  while (i < buf.size() && IsParameterByte(static_cast<uint8_t>(buf[i]))) ++i;
  const size_t parameters_end = i;
  while (i < buf.size() && IsIntermediateByte(static_cast<uint8_t>(buf[i]))) ++i;
  if (i >= buf.size()) {
    if (buf.size() >= kMaxSequence) {
      skipping_csi_ = true;  // throw the rest away up to its final byte
      return buf.size();
    }
    return settle ? buf.size() : 0;
  }
  const auto final_byte = static_cast<uint8_t>(buf[i]);
  if (!IsFinalByte(final_byte)) return i;  // broken off: drop it, read on from the odd byte
  const std::string_view parameters = buf.substr(2, parameters_end - 2);
  if (parameters_end != i || (!parameters.empty() && parameters[0] >= '<')) {
    return i + 1;  // intermediates or a private marker: replies and mouse reports, not keys
  }
  const Parameters p = ParseParameters(parameters);
  if (int key = LetterKey(final_byte); key != 0) {
    // CSI 1;m A, and the older CSI m A.
    long m = p.count >= 2 ? p.Get(1, 1) : p.Get(0, 1);
    EmitKey(key, Modifiers(m), out);
  } else if (final_byte == 'Z') {
    EmitKey(base::vk::kTab, kShift, out);
  } else if (final_byte == '~') {
    long n = p.Get(0, 0);
    if (n == 27) {  // xterm modifyOtherKeys: CSI 27;m;k ~
      EmitCodeKey(p.Get(2, 0), Modifiers(p.Get(1, 1)), backspace_is_ctrl_h_, out);
    } else if (int key = TildeKey(n); key != 0) {
      EmitKey(key, Modifiers(p.Get(1, 1)), out);
    }
  } else if (final_byte == 'u') {
    // CSI k;m u; a key-release event (m:3) is ignored.
    if (p.count < 2 || p.field[1][1] != 3) {
      EmitCodeKey(p.Get(0, 0), Modifiers(p.Get(1, 1)), backspace_is_ctrl_h_, out);
    }
  }
  return i + 1;
}

size_t TerminalKeyDecoder::ParseSs3(std::string_view buf, bool settle,
                                    std::vector<base::Message>& out) {
  if (buf.size() == 2) {
    if (!settle) return 0;
    EmitCodePoint('O', kAlt, backspace_is_ctrl_h_, out);  // it was Alt+Shift+O after all
    return 2;
  }
  size_t i = 2;
  while (i < buf.size() && IsParameterByte(static_cast<uint8_t>(buf[i]))) ++i;
  if (i >= buf.size()) {
    if (buf.size() >= kMaxSequence) {
      skipping_csi_ = true;
      return buf.size();
    }
    return settle ? buf.size() : 0;
  }
  const auto final_byte = static_cast<uint8_t>(buf[i]);
  if (!IsFinalByte(final_byte)) return i;
  // SS3 m P and SS3 1;m P: the last number is the modifier.
  const Parameters p = ParseParameters(buf.substr(2, i - 2));
  const int modifiers = Modifiers(p.count == 0 ? 1 : p.Get(p.count - 1, 1));
  if (int key = LetterKey(final_byte); key != 0) {
    EmitKey(key, modifiers, out);
  } else if (final_byte >= 'a' && final_byte <= 'd') {
    // rxvt's Ctrl+arrows.
    constexpr int kArrows[] = {base::vk::kUp, base::vk::kDown, base::vk::kRight, base::vk::kLeft};
    EmitKey(kArrows[final_byte - 'a'], kCtrl, out);
  } else if (final_byte == 'M') {
    EmitKey(base::vk::kReturn, modifiers, out);  // keypad Enter
  } else if (char c = KeypadChar(final_byte); c != 0) {
    EmitCodePoint(static_cast<char32_t>(c), modifiers, backspace_is_ctrl_h_, out);
  }
  return i + 1;
}

}  // namespace cadencio::frontends
