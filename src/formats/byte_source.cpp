// File and memory readers of WAVE data.
#include "formats/byte_source.hpp"

#include <algorithm>
#include <cstring>

namespace cadencio::formats {

std::unique_ptr<FileByteSource> FileByteSource::Open(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return nullptr;
  return std::unique_ptr<FileByteSource>(new FileByteSource(file));
}

std::size_t FileByteSource::Read(uint8_t* to, std::size_t count) {
  std::size_t total = 0;
  while (total < count) {
    std::size_t got = std::fread(to + total, 1, count - total, file_.get());
    if (got == 0) break;
    total += got;
  }
  position_ += total;
  return total;
}

bool ByteSource::Skip(uint64_t count) {
  uint8_t scratch[4096];
  while (count > 0) {
    const std::size_t piece = static_cast<std::size_t>(std::min<uint64_t>(count, sizeof scratch));
    if (Read(scratch, piece) != piece) return false;
    count -= piece;
  }
  return true;
}

std::size_t MemoryByteSource::Read(uint8_t* to, std::size_t count) {
  const std::size_t at = static_cast<std::size_t>(position_);
  std::size_t got = std::min(count, bytes_.size() - at);
  if (got > 0) std::memcpy(to, bytes_.data() + at, got);
  position_ += got;
  return got;
}

}  // namespace cadencio::formats
