// The RIFF/WAVE chunk walk.
#include "formats/riff_reader.hpp"

#include <algorithm>

#include "base/windows1252.hpp"

namespace cadencio::formats {

namespace {

constexpr std::size_t kChunkHeadSize = 8;

}  // namespace

bool TagIs(const uint8_t* bytes, const char (&tag)[5]) {
  for (int i = 0; i < 4; ++i) {
    if (base::AsciiUpperCase(bytes[i]) != base::AsciiUpperCase(static_cast<uint8_t>(tag[i]))) {
      return false;
    }
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

}  // namespace cadencio::formats
