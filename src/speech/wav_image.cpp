// Parsing of WAVE images in memory.
#include "speech/wav_image.hpp"

#include <algorithm>

namespace cadencio::speech {

namespace {

constexpr std::size_t kFmtBodyOffset = 20;
constexpr std::size_t kFmtFieldsSize = 16;  // up to and including the bits per sample
constexpr std::size_t kChunkHeadSize = 8;

uint8_t UpperAscii(uint8_t c) {
  return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c;
}

}  // namespace

bool TagIs(const uint8_t* bytes, const char (&tag)[5]) {
  for (int i = 0; i < 4; ++i) {
    if (UpperAscii(bytes[i]) != UpperAscii(static_cast<uint8_t>(tag[i]))) return false;
  }
  return true;
}

uint16_t ReadLe16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t ReadLe32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

bool ParseWavImage(std::span<const uint8_t> image, WavImageInfo& info) {
  const std::size_t size = image.size();
  if (size < kFmtBodyOffset + kFmtFieldsSize) return false;
  const uint8_t* bytes = image.data();
  if (!TagIs(bytes, "RIFF") || !TagIs(bytes + 12, "fmt ")) return false;
  uint32_t fmt_size = ReadLe32(bytes + 16);
  if (fmt_size < kFmtFieldsSize) return false;
  const uint8_t* fmt = bytes + kFmtBodyOffset;

  // Sizes are 32-bit; positions are kept in 64 bits so no sum can wrap.
  uint64_t position = kFmtBodyOffset + uint64_t{fmt_size};
  while (position + kChunkHeadSize <= size) {
    const uint8_t* head = bytes + position;
    uint64_t chunk_size = ReadLe32(head + 4);
    if (TagIs(head, "data")) {
      uint64_t start = position + kChunkHeadSize;
      info.data = bytes + start;
      info.length = static_cast<std::size_t>(std::min<uint64_t>(chunk_size, size - start));
      info.channels = ReadLe16(fmt + 2);
      info.rate = static_cast<int>(std::min<uint32_t>(ReadLe32(fmt + 4), 0x7FFFFFFF));
      info.bits = ReadLe16(fmt + 14);
      return true;
    }
    position += kChunkHeadSize + chunk_size;
  }
  return false;
}

}  // namespace cadencio::speech
