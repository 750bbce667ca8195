// Six-key braille entry: the keys F D S J K L are dots 1 to 6 and the space bar is the blank;
// a chord is typed by holding its keys and is queued when the last of them is released. Mode 1
// queues the table's characters; mode 2 adds the number sign and the capital sign.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace cadencio::console {

// Chord bits: bit 0 = dot 1 ... bit 5 = dot 6, bit 6 = the blank.
constexpr int kBlankBit = 1 << 6;

// The character of each chord of dots 1-6 (Windows-1252).
extern const std::array<uint8_t, 64> kBrailleTable;

class BrailleEntry {
 public:
  int Mode() const { return mode_; }
  // The tones (Hz, 200 ms each, in order) that announce a change from the current mode to
  // `mode` (above 2 counts as 1): a low beep when a mode is switched off, two beeps when one
  // is switched on.
  std::vector<int> ToneFrequencies(int mode) const;
  // Switches the mode; switching off forgets the chord and the number and capital states.
  void SetMode(int mode);

  // The chord bit of a virtual key, 0 when it is not a dot key.
  static int DotBit(int virtual_key);
  // A dot key went down (repeats set the same bit again).
  void KeyDown(int virtual_key);
  struct KeyUpResult {
    bool taken = false;            // false: the key-up goes on to default handling
    std::optional<uint8_t> queue;  // the byte the finished chord types
  };
  KeyUpResult KeyUp(int virtual_key, bool ctrl);

 private:
  void ClearSigns();
  // The number and capital rules of mode 2; nothing when the chord was a sign.
  std::optional<uint8_t> ApplySigns(uint8_t c);

  int mode_ = 0;
  int chord_ = 0;
  int held_ = 0;
  bool capital_ = false;
  bool capitals_lock_ = false;
  bool number_ = false;
};

}  // namespace cadencio::console
