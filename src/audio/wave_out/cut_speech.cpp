// Dropping every other pitch period of a block of mono speech.
#include "audio/wave_out/cut_speech.hpp"

#include <cstring>

namespace cadencio::audio {

namespace {

constexpr std::size_t kMinimumSamples = 1000;
constexpr int kSilence = 128;
constexpr int kTailTolerance = 20;

struct CutParameters {
  std::size_t start;
  std::size_t minimum_period;
  std::size_t window;
};

// The position of the largest sample in first..last (both included, cut at the end of the
// block); the first of equal largest samples wins, and a window with nothing above 0 gives
// its first position.
std::size_t PeakIn(const uint8_t* samples, std::size_t length, std::size_t first,
                   std::size_t last) {
  std::size_t peak = first;
  uint8_t largest = 0;
  for (std::size_t i = first; i <= last && i < length; ++i) {
    if (samples[i] > largest) {
      largest = samples[i];
      peak = i;
    }
  }
  return peak;
}

// 16-bit signed little-endian samples become their high byte with the sign bit flipped.
std::size_t SixteenToEightBits(uint8_t* samples, std::size_t length) {
  std::size_t count = length / 2;
  for (std::size_t i = 0; i < count; ++i) samples[i] = samples[2 * i + 1] ^ 0x80;
  return count;
}

}  // namespace

std::size_t CutSpeechPeriods(uint8_t* samples, std::size_t length, int bits, int rate) {
  // 1. Down to 8 bits.
  if (bits == 16) length = SixteenToEightBits(samples, length);
  // 2. Short blocks stay as they are.
  if (length < kMinimumSamples) return length;
  // 3. Search parameters.
  const CutParameters p = rate == 11025 ? CutParameters{200, 80, 50} : CutParameters{800, 320, 200};
  const std::size_t reach = p.minimum_period + p.window;
  // 4. The first peak; the samples before it stay where they are.
  std::size_t peak = PeakIn(samples, length, p.start, p.start + reach);
  std::size_t write = peak;
  // 5. Keep one period from the next peak to the one after it, drop the one before.
  while (length > 2 * reach && peak < length - 2 * reach) {
    std::size_t p1 = PeakIn(samples, length, peak + p.minimum_period, peak + reach);
    std::size_t p2 = PeakIn(samples, length, p1 + p.minimum_period, p1 + reach);
    std::size_t count = p2 - p1 + 1;
    std::memmove(samples + write, samples + p1, count);
    write += count;
    peak = p2;
  }
  // 6. Tail: copy on until the sample at the write position is near silence. The write
  // position never passes the read position, so both stay inside the block.
  while (peak < length) {
    int at_write = samples[write];
    if (at_write - kSilence <= kTailTolerance && kSilence - at_write <= kTailTolerance) break;
    samples[write++] = samples[peak++];
  }
  // 7. The new length.
  return write;
}

}  // namespace cadencio::audio
