// Tests of the terminal key decoder: the bytes xterm and tmux send for each key the program
// reads, and the key messages a console window would have received for the same keys.
#include "frontends/terminal/terminal_keys.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/keys.hpp"

namespace cadencio::frontends {
namespace {

// Key sequences as xterm's terminal description gives them (xterm-256color).
const KeySequenceTable kXtermTable = {
    {"kbs", "\177"},        {"kcbt", "\033[Z"},     {"kcub1", "\033OD"},    {"kcud1", "\033OB"},
    {"kcuf1", "\033OC"},    {"kcuu1", "\033OA"},    {"kdch1", "\033[3~"},   {"kend", "\033OF"},
    {"kent", "\033OM"},     {"khome", "\033OH"},    {"kich1", "\033[2~"},   {"knp", "\033[6~"},
    {"kpp", "\033[5~"},     {"kf1", "\033OP"},      {"kf2", "\033OQ"},      {"kf3", "\033OR"},
    {"kf4", "\033OS"},      {"kf5", "\033[15~"},    {"kf6", "\033[17~"},    {"kf7", "\033[18~"},
    {"kf8", "\033[19~"},    {"kf9", "\033[20~"},    {"kf10", "\033[21~"},   {"kf11", "\033[23~"},
    {"kf12", "\033[24~"},   {"kf25", "\033[1;5P"},  {"kf26", "\033[1;5Q"},  {"kf27", "\033[1;5R"},
    {"kf28", "\033[1;5S"},  {"kf29", "\033[15;5~"}, {"kf30", "\033[17;5~"}, {"kf31", "\033[18;5~"},
    {"kf32", "\033[19;5~"}, {"kf33", "\033[20;5~"}, {"kf34", "\033[21;5~"}, {"kf35", "\033[23;5~"},
    {"kf36", "\033[24;5~"}, {"kIC", "\033[2;2~"},   {"kIC5", "\033[2;5~"},  {"kDC5", "\033[3;5~"},
    {"kHOM5", "\033[1;5H"}, {"kEND5", "\033[1;5F"}, {"kPRV5", "\033[5;5~"}, {"kNXT5", "\033[6;5~"},
    {"kUP5", "\033[1;5A"},  {"kDN5", "\033[1;5B"},  {"kLFT5", "\033[1;5D"}, {"kRIT5", "\033[1;5C"},
    {"kLFT3", "\033[1;3D"}, {"kRIT3", "\033[1;3C"},
};

// tmux-256color differs in Home and End and has no keypad Enter.
KeySequenceTable TmuxTable() {
  KeySequenceTable table = kXtermTable;
  table["khome"] = "\033[1~";
  table["kend"] = "\033[4~";
  table.erase("kent");
  return table;
}

std::string Describe(const base::Message& m) {
  std::string text;
  switch (m.kind) {
    case base::MessageKind::kChar:
      text = "char " + std::to_string(m.key);
      break;
    case base::MessageKind::kKeyDown:
      text = "down " + std::to_string(m.key);
      break;
    case base::MessageKind::kSysKeyDown:
      text = "sysdown " + std::to_string(m.key);
      break;
    case base::MessageKind::kClose:
      return "close";
    default:
      return "other";
  }
  if (m.ctrl) text += " ctrl";
  if (m.alt) text += " alt";
  if (m.shift && m.kind != base::MessageKind::kChar) text += " shift";
  return text;
}

std::string Char(int byte, bool ctrl = false) {
  return "char " + std::to_string(byte) + (ctrl ? " ctrl" : "");
}
std::string Down(int vk, const std::string& modifiers = "") {
  return "down " + std::to_string(vk) + modifiers;
}

std::vector<std::string> Describe(const std::vector<base::Message>& messages) {
  std::vector<std::string> out;
  for (const auto& m : messages) out.push_back(Describe(m));
  return out;
}

// Everything the decoder makes of `bytes` arriving at once, with the time-out run out after.
std::vector<std::string> Decode(const KeySequenceTable& table, const std::string& bytes) {
  TerminalKeyDecoder decoder(table);
  std::vector<base::Message> out;
  decoder.Feed(bytes, 0, out);
  decoder.Flush(1000, out);
  EXPECT_EQ(decoder.PendingDeadline(), -1) << "left pending: " << testing::PrintToString(bytes);
  return Describe(out);
}

// The 22 keys of the console's special-key table, as each terminal sends them (normal cursor
// mode), without and with Ctrl.
struct SpecialKeyCase {
  const char* name;
  int vk;
  const char* xterm;
  const char* xterm_ctrl;
  const char* tmux;
  const char* tmux_ctrl;
};

constexpr SpecialKeyCase kSpecialKeys[] = {
    {"F1", base::vk::F(1), "\033OP", "\033[1;5P", "\033OP", "\033[1;5P"},
    {"F2", base::vk::F(2), "\033OQ", "\033[1;5Q", "\033OQ", "\033[1;5Q"},
    {"F3", base::vk::F(3), "\033OR", "\033[1;5R", "\033OR", "\033[1;5R"},
    {"F4", base::vk::F(4), "\033OS", "\033[1;5S", "\033OS", "\033[1;5S"},
    {"F5", base::vk::F(5), "\033[15~", "\033[15;5~", "\033[15~", "\033[15;5~"},
    {"F6", base::vk::F(6), "\033[17~", "\033[17;5~", "\033[17~", "\033[17;5~"},
    {"F7", base::vk::F(7), "\033[18~", "\033[18;5~", "\033[18~", "\033[18;5~"},
    {"F8", base::vk::F(8), "\033[19~", "\033[19;5~", "\033[19~", "\033[19;5~"},
    {"F9", base::vk::F(9), "\033[20~", "\033[20;5~", "\033[20~", "\033[20;5~"},
    {"F10", base::vk::F(10), "\033[21~", "\033[21;5~", "\033[21~", "\033[21;5~"},
    {"F11", base::vk::F(11), "\033[23~", "\033[23;5~", "\033[23~", "\033[23;5~"},
    {"F12", base::vk::F(12), "\033[24~", "\033[24;5~", "\033[24~", "\033[24;5~"},
    {"Insert", base::vk::kInsert, "\033[2~", "\033[2;5~", "\033[2~", "\033[2;5~"},
    {"Delete", base::vk::kDelete, "\033[3~", "\033[3;5~", "\033[3~", "\033[3;5~"},
    {"Home", base::vk::kHome, "\033[H", "\033[1;5H", "\033[1~", "\033[1;5H"},
    {"End", base::vk::kEnd, "\033[F", "\033[1;5F", "\033[4~", "\033[1;5F"},
    {"PageUp", base::vk::kPrior, "\033[5~", "\033[5;5~", "\033[5~", "\033[5;5~"},
    {"PageDown", base::vk::kNext, "\033[6~", "\033[6;5~", "\033[6~", "\033[6;5~"},
    {"Up", base::vk::kUp, "\033[A", "\033[1;5A", "\033[A", "\033[1;5A"},
    {"Down", base::vk::kDown, "\033[B", "\033[1;5B", "\033[B", "\033[1;5B"},
    {"Left", base::vk::kLeft, "\033[D", "\033[1;5D", "\033[D", "\033[1;5D"},
    {"Right", base::vk::kRight, "\033[C", "\033[1;5C", "\033[C", "\033[1;5C"},
};

TEST(TerminalKeysSpecial, XtermAndTmuxSendTheSpecialKeysWithAndWithoutCtrl) {
  const KeySequenceTable tmux = TmuxTable();
  for (const auto& k : kSpecialKeys) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(Decode(kXtermTable, k.xterm), std::vector{Down(k.vk)});
    EXPECT_EQ(Decode(kXtermTable, k.xterm_ctrl), std::vector{Down(k.vk, " ctrl")});
    EXPECT_EQ(Decode(tmux, k.tmux), std::vector{Down(k.vk)});
    EXPECT_EQ(Decode(tmux, k.tmux_ctrl), std::vector{Down(k.vk, " ctrl")});
    // Without any terminal description the common forms are still understood.
    EXPECT_EQ(Decode({}, k.tmux_ctrl), std::vector{Down(k.vk, " ctrl")});
  }
}

struct KeyCase {
  const char* what;
  std::string bytes;
  std::vector<std::string> expected;
};

void ExpectCases(const KeySequenceTable& table, const std::vector<KeyCase>& cases) {
  for (const auto& c : cases) {
    EXPECT_EQ(Decode(table, c.bytes), c.expected)
        << c.what << ", bytes " << testing::PrintToString(c.bytes);
  }
}

TEST(TerminalKeysSpecial, ApplicationModeAndModifiedForms) {
  ExpectCases(kXtermTable,
              {
                  {"Up, application mode", "\033OA", {Down(base::vk::kUp)}},
                  {"Home, application mode", "\033OH", {Down(base::vk::kHome)}},
                  {"End, application mode", "\033OF", {Down(base::vk::kEnd)}},
                  {"Home, vt220", "\033[1~", {Down(base::vk::kHome)}},
                  {"End, vt220", "\033[4~", {Down(base::vk::kEnd)}},
                  {"Home, rxvt", "\033[7~", {Down(base::vk::kHome)}},
                  {"Shift+Insert", "\033[2;2~", {Down(base::vk::kInsert, " shift")}},
                  {"Ctrl+Shift+Insert", "\033[2;6~", {Down(base::vk::kInsert, " ctrl shift")}},
                  {"Shift+F1", "\033[1;2P", {Down(base::vk::F(1), " shift")}},
                  {"Ctrl+F1, old SS3 form", "\033O5P", {Down(base::vk::F(1), " ctrl")}},
                  {"Ctrl+Alt+F12", "\033[24;7~", {Down(base::vk::F(12), " ctrl alt")}},
                  {"Ctrl+Alt+F11", "\033[23;7~", {Down(base::vk::F(11), " ctrl alt")}},
                  {"Meta counts as Alt", "\033[1;9C", {Down(base::vk::kRight, " alt")}},
                  {"Ctrl+Up, rxvt", "\033Oa", {Down(base::vk::kUp, " ctrl")}},
                  {"Linux console F1", "\033[[A", {Down(base::vk::F(1))}},
                  {"Linux console F5", "\033[[E", {Down(base::vk::F(5))}},
                  {"Shift+Tab", "\033[Z", {Char(9)}},
                  {"keypad Enter", "\033OM", {Char(13)}},
                  {"keypad 7", "\033Ow", {Char('7')}},
              });
}

TEST(TerminalKeysSpecial, LinuxConsoleTableIsUsed) {
  const KeySequenceTable linux_console = {
      {"kf1", "\033[[A"}, {"kf5", "\033[[E"}, {"khome", "\033[1~"}, {"kend", "\033[4~"}};
  ExpectCases(linux_console, {
                                 {"F1", "\033[[A", {Down(base::vk::F(1))}},
                                 {"F5 then a", "\033[[Ea", {Down(base::vk::F(5)), Char('a')}},
                                 {"Home", "\033[1~", {Down(base::vk::kHome)}},
                             });
}

TEST(TerminalKeysAlt, LettersAndDigits) {
  std::vector<KeyCase> cases;
  for (char c = 'a'; c <= 'z'; ++c) {
    cases.push_back({"Alt+letter", std::string("\033") + c, {Down(c - 'a' + 'A', " alt")}});
  }
  for (char c = '0'; c <= '9'; ++c) {
    cases.push_back({"Alt+digit", std::string("\033") + c, {Down(c, " alt")}});
  }
  cases.push_back({"Alt+Shift+X", "\033X", {Down('X', " alt shift")}});
  cases.push_back({"Alt+Shift+O, settled by the time-out", "\033O", {Down('O', " alt shift")}});
  cases.push_back({"Ctrl+Alt+Q", "\033\021", {Down('Q', " ctrl alt")}});
  cases.push_back({"Alt+Left", "\033[1;3D", {Down(base::vk::kLeft, " alt")}});
  cases.push_back({"Alt+Right", "\033[1;3C", {Down(base::vk::kRight, " alt")}});
  cases.push_back({"Alt+F4 closes", "\033[1;3S", {"close"}});
  cases.push_back({"Ctrl+Alt+F4 does not close", "\033[1;7S", {Down(base::vk::F(4), " ctrl alt")}});
  cases.push_back({"Alt+punctuation is no key", "\033-", {}});
  cases.push_back({"Alt+Enter is no key", "\033\r", {}});
  cases.push_back({"Alt+x, extended form", "\033[120;3u", {Down('X', " alt")}});
  cases.push_back({"Alt+1, modifyOtherKeys", "\033[27;3;49~", {Down('1', " alt")}});
  cases.push_back({"Alt+a with UTF-8 after ESC is no key", "\033\xc3\xa7", {}});
  ExpectCases(kXtermTable, cases);
}

TEST(TerminalKeysControl, EnterBackspaceAndControlBytes) {
  ExpectCases(
      kXtermTable,
      {
          {"Enter", "\r", {Char(13)}},
          {"Ctrl+J", "\n", {Char(10)}},
          {"Ctrl+Enter, CSI u", "\033[13;5u", {Char(13, true)}},
          {"Ctrl+Enter, modifyOtherKeys", "\033[27;5;13~", {Char(13, true)}},
          {"Shift+Enter", "\033[27;2;13~", {Char(13)}},
          {"Backspace", "\177", {Char(8)}},
          {"Ctrl+Backspace, byte 8", "\b", {Char(8, true)}},
          {"Ctrl+Backspace, CSI u", "\033[127;5u", {Char(8, true)}},
          {"Ctrl+Backspace, modifyOtherKeys", "\033[27;5;127~", {Char(8, true)}},
          {"Backspace, CSI u", "\033[127u", {Char(8)}},
          {"Tab", "\t", {Char(9)}},
          {"Esc, CSI u", "\033[27u", {Char(27)}},
          {"Ctrl+C", "\003", {Char(3, true)}},
          {"Ctrl+Z", "\032", {Char(26, true)}},
          {"Ctrl+A, CSI u", "\033[97;5u", {Char(1, true)}},
          {"Ctrl+\\ is a key, not SIGQUIT", "\034", {Char(28, true)}},
          {"Ctrl+] stands in for Ctrl+Break", "\035", {Down(base::vk::kCancel, " ctrl")}},
          {"Ctrl+Alt+] is Ctrl+Break too", "\033\035", {Down(base::vk::kCancel, " ctrl alt")}},
          {"Ctrl+Space", std::string(1, '\0'), {Char(' ', true)}},
          {"key release ignored", "\033[97;5:3u", {}},
          {"Ctrl+C, kitty protocol", "\033[99;5u", {Char(3, true)}},
          {"Ctrl+\\, kitty protocol", "\033[92;5u", {Char(28, true)}},
          {"Ctrl+], kitty protocol", "\033[93;5u", {Down(base::vk::kCancel, " ctrl")}},
          {"Ctrl+Pause, kitty protocol", "\033[57362;5u", {Down(base::vk::kCancel, " ctrl")}},
          {"Pause alone is no key", "\033[57362u", {}},
          {"F3, kitty protocol", "\033[13~", {Down(base::vk::F(3))}},
          {"Ctrl+1 is no character", "\033[49;5u", {Down('1', " ctrl")}},
      });
}

TEST(TerminalKeysControl, BackspaceSendingCtrlHIsPlainBackspace) {
  const KeySequenceTable table = {{"kbs", "\b"}};
  ExpectCases(table, {
                         {"Backspace", "\b", {Char(8)}},
                         {"Ctrl+Backspace", "\177", {Char(8, true)}},
                         {"Ctrl+Backspace, CSI u", "\033[127;5u", {Char(8, true)}},
                     });
}

TEST(TerminalKeysText, Utf8BecomesWindows1252) {
  ExpectCases(kXtermTable, {
                               {"ASCII", "Ab1 ", {Char('A'), Char('b'), Char('1'), Char(' ')}},
                               {"c cedilla", "\xc3\xa7", {Char(0xE7)}},
                               {"a tilde", "\xc3\xa3", {Char(0xE3)}},
                               {"capital A tilde", "\xc3\x83", {Char(0xC3)}},
                               {"euro sign", "\xe2\x82\xac", {Char(0x80)}},
                               {"left double quote", "\xe2\x80\x9c", {Char(0x93)}},
                               {"no Windows-1252 byte", "\xe2\x86\x92x", {Char('x')}},
                               {"emoji dropped", "\xf0\x9f\x8e\xb5y", {Char('y')}},
                               {"C1 control dropped", "\xc2\x85z", {Char('z')}},
                               {"stray continuation", "\x80q", {Char('q')}},
                               {"overlong form", "\xc0\xaf!", {Char('!')}},
                               {"surrogate", "\xed\xa0\x80w", {Char('w')}},
                               {"cut off by a key", "\xc3\033[A", {Down(base::vk::kUp)}},
                               {"cut off at the end", "\xe2\x82", {}},
                               {"CSI u character", "\033[231u", {Char(0xE7)}},
                           });
}

TEST(TerminalKeysUnknown, SequencesAreSwallowedWhole) {
  ExpectCases(
      kXtermTable,
      {
          {"unknown tilde key", "\033[99~a", {Char('a')}},
          {"device attributes reply", "\033[?1;2cb", {Char('b')}},
          {"mouse report", "\033[<0;10;5Mc", {Char('c')}},
          {"cursor report with intermediate", "\033[1 qd", {Char('d')}},
          {"unknown final", "\033[1;5Ye", {Char('e')}},
          {"unknown SS3", "\033O5zf", {Char('f')}},
          {"keypad Begin", "\033[Eg", {Char('g')}},
          {"broken by a control byte", "\033[1;\rh", {Char(13), Char('h')}},
          {"incomplete at the time-out", "\033[1;5", {}},
          {"Alt+[ at the time-out", "\033[", {}},
          {"huge parameter", "\033[99999999999999999999;5A", {Down(base::vk::kUp, " ctrl")}},
          {"private-use key code", "\033[57399u", {}},
      });
}

TEST(TerminalKeysUnknown, OverLongSequenceIsThrownAwayUpToItsEnd) {
  const std::string huge = "\033[" + std::string(500, '1') + "~x";
  EXPECT_EQ(Decode(kXtermTable, huge), std::vector{Char('x')});
  // The same bytes in small pieces.
  TerminalKeyDecoder decoder(kXtermTable);
  std::vector<base::Message> out;
  for (size_t i = 0; i < huge.size(); i += 7) decoder.Feed(huge.substr(i, 7), 0, out);
  EXPECT_EQ(Describe(out), std::vector{Char('x')});
}

TEST(TerminalKeysTiming, LoneEscWaitsForItsTimeOut) {
  TerminalKeyDecoder decoder(kXtermTable, 25);
  std::vector<base::Message> out;
  decoder.Feed("\033", 100, out);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(decoder.PendingDeadline(), 125);
  decoder.Flush(124, out);
  EXPECT_TRUE(out.empty());
  decoder.Flush(125, out);
  EXPECT_EQ(Describe(out), std::vector{Char(27)});
  EXPECT_EQ(decoder.PendingDeadline(), -1);
}

TEST(TerminalKeysTiming, ByteWithinTheTimeOutMakesAnAltKey) {
  TerminalKeyDecoder decoder(kXtermTable, 25);
  std::vector<base::Message> out;
  decoder.Feed("\033", 0, out);
  decoder.Feed("x", 10, out);
  EXPECT_EQ(Describe(out), std::vector{Down('X', " alt")});
}

TEST(TerminalKeysTiming, ByteAfterTheTimeOutIsAKeyOfItsOwn) {
  TerminalKeyDecoder decoder(kXtermTable, 25);
  std::vector<base::Message> out;
  decoder.Feed("\033", 0, out);
  decoder.Feed("x", 30, out);  // nobody called Flush in between
  EXPECT_EQ(Describe(out), (std::vector{Char(27), Char('x')}));
}

TEST(TerminalKeysTiming, EscEscIsEscThenWhatFollows) {
  TerminalKeyDecoder decoder(kXtermTable, 25);
  std::vector<base::Message> out;
  decoder.Feed("\033\033", 0, out);
  EXPECT_EQ(Describe(out), std::vector{Char(27)});
  decoder.Flush(25, out);
  EXPECT_EQ(Describe(out), (std::vector{Char(27), Char(27)}));
  out.clear();
  decoder.Feed("\033\033[A", 50, out);
  EXPECT_EQ(Describe(out), (std::vector{Char(27), Down(base::vk::kUp)}));
}

TEST(TerminalKeysTiming, TimeOutCountsFromTheStartOfTheSequence) {
  TerminalKeyDecoder decoder(kXtermTable, 25);
  std::vector<base::Message> out;
  decoder.Feed("\033[1", 0, out);
  decoder.Feed(";5", 20, out);
  EXPECT_EQ(decoder.PendingDeadline(), 25);
  decoder.Feed("A\033", 22, out);  // the next sequence starts its own wait
  EXPECT_EQ(Describe(out), std::vector{Down(base::vk::kUp, " ctrl")});
  EXPECT_EQ(decoder.PendingDeadline(), 47);
}

// Every multi-byte case split at every point into two Feed calls gives what it gives whole.
TEST(TerminalKeysTiming, SequencesSplitAcrossTwoFeeds) {
  const std::vector<std::string> inputs = {
      "\033[1;5A",    "\033OP", "\033[24;5~", "\033[13;5u", "\033[27;5;127~", "\xc3\xa7",
      "\xe2\x82\xac", "\033x",  "\033[[A",    "\033[2;2~",  "\033[?1;2cZ",    "ab\033[Bc",
  };
  for (const auto& bytes : inputs) {
    const std::vector<std::string> whole = Decode(kXtermTable, bytes);
    for (size_t cut = 1; cut < bytes.size(); ++cut) {
      TerminalKeyDecoder decoder(kXtermTable);
      std::vector<base::Message> out;
      decoder.Feed(bytes.substr(0, cut), 0, out);
      // The rest comes 4 ms later: a serial line at 2400 baud, within the default wait.
      decoder.Feed(bytes.substr(cut), 4, out);
      decoder.Flush(1000, out);
      EXPECT_EQ(Describe(out), whole) << testing::PrintToString(bytes) << " cut at " << cut;
    }
  }
}

TEST(TerminalKeysTable, NamesCoverTheKeysAndBadEntriesAreIgnored) {
  const std::vector<std::string> names = KeySequenceNames();
  for (const char* name : {"kf1", "kf12", "kf36", "kcuu1", "khome", "kend", "kich1", "kdch1", "kpp",
                           "knp", "kUP5", "kLFT3", "kIC", "kbs"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
  }
  // A description that claims plain letters or a bare ESC for a key must not eat typing.
  const KeySequenceTable bad = {{"kf1", "a"}, {"kf2", "\033"}, {"kf3", "\033x"}};
  EXPECT_EQ(Decode(bad, "a"), std::vector{Char('a')});
  EXPECT_EQ(Decode(bad, "\033x"), std::vector{Down('X', " alt")});
}

TEST(TerminalKeysTable, TableWinsOverTheGenericMeaning) {
  // A terminal whose Home key sends what xterm uses for End.
  const KeySequenceTable odd = {{"khome", "\033[4~"}};
  EXPECT_EQ(Decode(odd, "\033[4~"), std::vector{Down(base::vk::kHome)});
}

}  // namespace
}  // namespace cadencio::frontends
