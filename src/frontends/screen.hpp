// The 80 x 25 text screen as plain data: what the console model writes and a front end shows.
#pragma once

#include <array>
#include <cstdint>

namespace cadencio::frontends {

constexpr int kScreenColumns = 80;
constexpr int kScreenRows = 25;

struct ScreenCells {
  // Row-major, cell index = row * 80 + column; characters are Windows-1252 bytes and the
  // attribute is background index * 16 + foreground index.
  std::array<uint8_t, kScreenColumns * kScreenRows> chars{};
  std::array<uint8_t, kScreenColumns * kScreenRows> attrs{};
  // Whether a row's text goes on at the start of the next row because it reached the right
  // edge (no line end was written there): a line output joins such rows into one line.
  std::array<bool, kScreenRows> wraps{};
  uint8_t CharAt(int column, int row) const { return chars[row * kScreenColumns + column]; }
  uint8_t AttrAt(int column, int row) const { return attrs[row * kScreenColumns + column]; }
};

// The 16 colour indices of the text screen, as on the PC.
enum ColourIndex : uint8_t {
  kBlack = 0,
  kBlue,
  kGreen,
  kCyan,
  kRed,
  kMagenta,
  kBrown,
  kLightGray,
  kDarkGray,
  kLightBlue,
  kLightGreen,
  kLightCyan,
  kLightRed,
  kLightMagenta,
  kYellow,
  kWhite,
};

}  // namespace cadencio::frontends
