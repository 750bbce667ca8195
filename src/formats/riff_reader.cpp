// The RIFF/WAVE chunk walk.
#include "formats/riff_reader.hpp"

#include <algorithm>
#include <cstring>

namespace cadencio::formats {

namespace {

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

uint16_t RiffWav::FormatTag() const {
  return ReadLe16(fmt.data());
}

int RiffWav::Channels() const {
  return ReadLe16(fmt.data() + 2);
}

int RiffWav::Rate() const {
  return static_cast<int>(std::min<uint32_t>(ReadLe32(fmt.data() + 4), 0x7FFFFFFF));
}

int RiffWav::Bits() const {
  return ReadLe16(fmt.data() + 14);
}

bool ReadRiffHead(ByteSource& source, const RiffOptions& options, RiffWav& wav,
                  const std::function<bool(const RiffWav&)>& accept_fmt) {
  const uint64_t start = source.Position();
  // 1. The RIFF head; its size is not looked at.
  uint8_t head[12];
  if (source.Read(head, sizeof head) != sizeof head || !TagIs(head, "RIFF")) return false;
  if (options.wave_tag && !TagIs(head + 8, "WAVE")) return false;
  // 2. The chunks up to "data"; every pass reads at least a chunk head, so the walk ends.
  bool have_fmt = false;
  for (bool first = true;; first = false) {
    uint8_t chunk[kChunkHeadSize];
    if (source.Read(chunk, sizeof chunk) != sizeof chunk) return false;
    const uint32_t size = ReadLe32(chunk + 4);
    const bool is_fmt = TagIs(chunk, "fmt ");
    if (first && options.fmt_first && !is_fmt) return false;
    if (TagIs(chunk, "data")) {
      if (!have_fmt) return false;  // samples of an unknown format
      wav.data_size = options.data_size_16bit ? (size & 0xFFFF) : size;
      wav.data_offset = source.Position() - start;
      return true;
    }
    uint64_t body = size;
    if (is_fmt) {
      if (size < options.fmt_fields) return false;
      wav.fmt.fill(0);
      const std::size_t kept = std::min<std::size_t>(size, RiffWav::kFmtKept);
      if (source.Read(wav.fmt.data(), kept) != kept) return false;
      wav.fmt_size = size;
      body -= kept;
      have_fmt = true;
    }
    if (options.pad_odd_chunks) body += size & 1u;
    if (!source.Skip(body)) return false;
    if (is_fmt && accept_fmt && !accept_fmt(wav)) return false;
  }
}

bool ParseRiffImage(std::span<const uint8_t> image, const RiffOptions& options, RiffWav& wav,
                    std::span<const uint8_t>& samples,
                    const std::function<bool(const RiffWav&)>& accept_fmt) {
  MemoryByteSource source(image);
  if (!ReadRiffHead(source, options, wav, accept_fmt)) return false;
  const uint64_t left = image.size() - wav.data_offset;
  samples = image.subspan(static_cast<std::size_t>(wav.data_offset),
                          static_cast<std::size_t>(std::min<uint64_t>(wav.data_size, left)));
  return true;
}

namespace {

void Put16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
  Put16(at, value);
  Put16(at + 2, value >> 16);
}

}  // namespace

void BuildWavHeader(std::span<uint8_t> image, uint32_t data_size, uint32_t sample_rate,
                    uint16_t channels, uint16_t bits) {
  if (image.size() < kWavHeaderSize) return;
  uint8_t* h = image.data();
  const uint32_t frame_bytes = static_cast<uint32_t>(channels) * (bits / 8u);
  std::memcpy(h, "RIFF", 4);
  Put32(h + 4, data_size + 36);
  std::memcpy(h + 8, "WAVE", 4);
  std::memcpy(h + 12, "fmt ", 4);
  Put32(h + 16, 16);
  Put16(h + 20, 1);  // PCM
  Put16(h + 22, channels);
  Put32(h + 24, sample_rate);
  Put32(h + 28, sample_rate * frame_bytes);
  Put16(h + 32, frame_bytes == 0 ? 1 : frame_bytes);  // block align (1 for 8-bit mono)
  Put16(h + 34, bits);
  std::memcpy(h + 36, "data", 4);
  Put32(h + 40, data_size);
}

}  // namespace cadencio::formats
