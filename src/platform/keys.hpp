// Virtual key codes that front ends report, with the values of the Windows keyboard so that
// the console's key translation reads like the window procedure it stands in for.
#pragma once

namespace cadencio::platform::vk {

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

}  // namespace cadencio::platform::vk
