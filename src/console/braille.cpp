// Braille chord entry and its table.
#include "console/braille.hpp"

#include <string_view>

#include "base/keys.hpp"
#include "base/windows1252.hpp"

namespace cadencio::console {

namespace {

namespace vk = base::vk;

struct Cell {
  std::string_view dots;  // "" for no dots, "12" for dots 1 and 2 ...
  uint8_t ch;
};

constexpr Cell kCells[] = {
    {"", ' '},      {"4", '^'},      {"5", '~'},      {"45", 0xAC},     {"1", 'a'},
    {"14", 'c'},    {"15", 'e'},     {"145", 'd'},    {"2", ','},       {"24", 'i'},
    {"25", ':'},    {"245", 'j'},    {"12", 'b'},     {"124", 'f'},     {"125", 'h'},
    {"1245", 'g'},  {"3", '\''},     {"34", 0xED},    {"35", '*'},      {"345", 0xE3},
    {"13", 'k'},    {"134", 'm'},    {"135", 'o'},    {"1345", 'n'},    {"23", ';'},
    {"234", 's'},   {"235", '!'},    {"2345", 't'},   {"123", 'l'},     {"1234", 'p'},
    {"1235", 'r'},  {"12345", 'q'},  {"6", 0xFD},     {"46", '{'},      {"56", '$'},
    {"456", '_'},   {"16", 0xE2},    {"146", 0xEE},   {"156", 0xFB},    {"1456", 0xF4},
    {"26", '?'},    {"246", 0xF5},   {"256", 0xFF},   {"2456", 'w'},    {"126", 0xEA},
    {"1246", 0xE0}, {"1256", 0xFC},  {"12456", 0xEF}, {"36", '-'},      {"346", 0xF3},
    {"356", '}'},   {"3456", '#'},   {"136", 'u'},    {"1346", 'x'},    {"1356", 'z'},
    {"13456", 'y'}, {"236", '"'},    {"2346", 0xE8},  {"2356", '='},    {"23456", 0xFA},
    {"1236", 'v'},  {"12346", 0xE7}, {"12356", 0xE1}, {"123456", 0xE9},
};

constexpr std::array<uint8_t, 64> BuildTable() {
  std::array<uint8_t, 64> table{};
  for (const Cell& cell : kCells) {
    int chord = 0;
    for (char dot : cell.dots) chord |= 1 << (dot - '1');
    table[chord] = cell.ch;
  }
  return table;
}

constexpr uint8_t kNumberSign = '#';   // dots 3456
constexpr uint8_t kCapitalSign = '{';  // dots 46

bool IsLetterKey(int virtual_key) {
  return virtual_key >= base::vk::kA && virtual_key <= base::vk::kA + 25;
}

}  // namespace

const std::array<uint8_t, 64> kBrailleTable = BuildTable();

std::vector<int> BrailleEntry::ToneFrequencies(int mode) const {
  if (mode > 2) mode = 1;
  if (mode == 0) return mode_ != 0 ? std::vector<int>{100} : std::vector<int>{};
  return {800, mode == 1 ? 1600 : 400};
}

void BrailleEntry::SetMode(int mode) {
  if (mode > 2 || mode < 0) mode = 1;
  if (mode == 0) {
    chord_ = 0;
    held_ = 0;
    ClearSigns();
  }
  mode_ = mode;
}

int BrailleEntry::DotBit(int virtual_key) {
  switch (virtual_key) {
    case 'F':
      return 1 << 0;
    case 'D':
      return 1 << 1;
    case 'S':
      return 1 << 2;
    case 'J':
      return 1 << 3;
    case 'K':
      return 1 << 4;
    case 'L':
      return 1 << 5;
    case base::vk::kSpace:
      return kBlankBit;
    default:
      return 0;
  }
}

void BrailleEntry::KeyDown(int virtual_key) {
  chord_ |= DotBit(virtual_key);
  held_ |= DotBit(virtual_key);
}

void BrailleEntry::ClearSigns() {
  capital_ = false;
  capitals_lock_ = false;
  number_ = false;
}

BrailleEntry::KeyUpResult BrailleEntry::KeyUp(int virtual_key, bool ctrl) {
  // 1. Other keys (and Ctrl combinations) end the signs and go on to default handling.
  if (ctrl || (virtual_key != base::vk::kSpace && !IsLetterKey(virtual_key))) {
    ClearSigns();
    return {};
  }
  // 2. The chord is finished only when its last key is released.
  held_ &= ~DotBit(virtual_key);
  if (held_ != 0) return {true, std::nullopt};
  // 3. A chord with the blank types a blank or a control byte; any other chord its character.
  std::optional<uint8_t> result;
  if ((chord_ & kBlankBit) != 0) {
    ClearSigns();
    result =
        chord_ == kBlankBit ? uint8_t{' '} : static_cast<uint8_t>(kBrailleTable[chord_ & 63] & 31);
  } else {
    result = kBrailleTable[chord_];
    if (mode_ == 2) result = ApplySigns(*result);
  }
  chord_ = 0;
  return {true, result};
}

std::optional<uint8_t> BrailleEntry::ApplySigns(uint8_t c) {
  // 1. Numbers: a-j are the digits, the apostrophe the decimal point; dot 5 ends them.
  if (number_) {
    if (c == '\'') {
      c = '.';
    } else if (c >= 'a' && c <= 'i') {
      c = static_cast<uint8_t>('1' + (c - 'a'));
    } else if (c == 'j') {
      c = '0';
    } else if (c == '~') {
      number_ = false;
    }
  }
  // 2. Capitals.
  if (capital_ || capitals_lock_) c = base::AsciiUpperCase(c);
  // 3-5. The signs themselves type nothing; a doubled capital sign locks capitals.
  if (c == kNumberSign) {
    number_ = true;
    return std::nullopt;
  }
  if (c == kCapitalSign) {
    if (capital_) capitals_lock_ = true;
    capital_ = true;
    return std::nullopt;
  }
  capital_ = false;
  return c;
}

}  // namespace cadencio::console
