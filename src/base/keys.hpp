// The program's key names. `vk`: the virtual key codes that front ends report, with the values
// of the Windows keyboard so that the console's key translation reads like the window procedure
// it stands in for. `key`: the codes the console's key queue delivers, which the metronome, the
// field editor, the screen review, the effects browser and the tuning fork compare against.
// `Key`: one whole key as the program reads it from the queue.
#pragma once

#include <cstdint>

namespace cadencio::base::vk {

constexpr int kCancel = 0x03;  // Ctrl+Break
constexpr int kBack = 0x08;
constexpr int kTab = 0x09;
constexpr int kReturn = 0x0D;
constexpr int kEscape = 0x1B;
constexpr int kSpace = 0x20;
constexpr int kPrior = 0x21;  // Page Up
constexpr int kNext = 0x22;   // Page Down
constexpr int kEnd = 0x23;
constexpr int kHome = 0x24;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
constexpr int kInsert = 0x2D;
constexpr int kDelete = 0x2E;
constexpr int k0 = 0x30;   // '0'..'9' are 0x30..0x39
constexpr int kA = 0x41;   // 'A'..'Z' are 0x41..0x5A
constexpr int kF1 = 0x70;  // F1..F12 are 0x70..0x7B
constexpr int kF12 = 0x7B;

constexpr int F(int n) {
  return kF1 + n - 1;
}
constexpr int Letter(char upper) {
  return upper;
}

}  // namespace cadencio::base::vk

// Codes of the console's key queue: a key is one byte (a character) or 0 followed by one of
// the extended codes (the PC keyboard's scan codes and their Ctrl, Alt and Shift forms).
namespace cadencio::base::key {

// Characters, including the control characters that keys give.
constexpr uint8_t kExtended = 0;  // the first byte of an extended key
constexpr uint8_t kCtrlC = 3;
constexpr uint8_t kCtrlD = 4;
constexpr uint8_t kBackspace = 8;
constexpr uint8_t kTab = 9;
constexpr uint8_t kCtrlEnter = 10;
constexpr uint8_t kCtrlK = 11;
constexpr uint8_t kCtrlL = 12;
constexpr uint8_t kEnter = 13;
constexpr uint8_t kCtrlS = 19;
constexpr uint8_t kCtrlU = 21;
constexpr uint8_t kCtrlV = 22;
constexpr uint8_t kCtrlY = 25;
constexpr uint8_t kEsc = 27;
constexpr uint8_t kCtrlBackslash = 28;
constexpr uint8_t kSpace = 32;
constexpr uint8_t kCtrlBackspace = 127;

// Extended codes (the byte after the 0).
constexpr uint8_t kAltQ = 16;
constexpr uint8_t kAltW = 17;
constexpr uint8_t kAltE = 18;
constexpr uint8_t kF1 = 59;  // F1..F10 are 59..68
constexpr uint8_t kF2 = 60;
constexpr uint8_t kF3 = 61;
constexpr uint8_t kF4 = 62;
constexpr uint8_t kF5 = 63;
constexpr uint8_t kF6 = 64;
constexpr uint8_t kF8 = 66;
constexpr uint8_t kF9 = 67;
constexpr uint8_t kF11 = 69;
constexpr uint8_t kF12 = 70;
constexpr uint8_t kHome = 71;
constexpr uint8_t kUp = 72;
constexpr uint8_t kPgUp = 73;
constexpr uint8_t kLeft = 75;
constexpr uint8_t kRight = 77;
constexpr uint8_t kEnd = 79;
constexpr uint8_t kDown = 80;
constexpr uint8_t kPgDn = 81;
constexpr uint8_t kInsert = 82;
constexpr uint8_t kDelete = 83;
constexpr uint8_t kCtrlF1 = 94;  // Ctrl+F1..Ctrl+F10 are 94..103
constexpr uint8_t kCtrlF4 = 97;
constexpr uint8_t kCtrlF5 = 98;
constexpr uint8_t kCtrlF8 = 101;
constexpr uint8_t kCtrlF9 = 102;
constexpr uint8_t kCtrlF11 = 104;
constexpr uint8_t kCtrlF12 = 105;
constexpr uint8_t kCtrlUp = 113;
constexpr uint8_t kCtrlDown = 114;
constexpr uint8_t kCtrlLeft = 115;
constexpr uint8_t kCtrlRight = 116;
constexpr uint8_t kCtrlEnd = 117;
constexpr uint8_t kCtrlPgDn = 118;
constexpr uint8_t kCtrlHome = 119;
constexpr uint8_t kAlt1 = 120;  // Alt+1..Alt+9 are 120..128
constexpr uint8_t kAlt0 = 129;
constexpr uint8_t kCtrlPgUp = 132;
constexpr uint8_t kShiftInsert = 254;
constexpr uint8_t kCtrlInsert = 255;

constexpr uint8_t F(int n) {
  return static_cast<uint8_t>(kF1 + n - 1);
}
constexpr uint8_t CtrlF(int n) {
  return static_cast<uint8_t>(kCtrlF1 + n - 1);
}

}  // namespace cadencio::base::key

namespace cadencio::base {

// One key read from the console's queue: a character, or an extended key (the queue's 0 and the
// code after it).
struct Key {
  uint8_t code = 0;
  bool extended = false;

  static constexpr Key Char(uint8_t character) { return {character, false}; }
  static constexpr Key Extended(uint8_t code) { return {code, true}; }
  constexpr bool operator==(const Key&) const = default;
};

}  // namespace cadencio::base
