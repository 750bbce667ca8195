// File and memory readers for WAV playback.
#include "speech/byte_source.hpp"

#include <algorithm>
#include <cstring>

namespace cadencio::speech {

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
  return total;
}

std::size_t MemoryByteSource::Read(uint8_t* to, std::size_t count) {
  std::size_t got = std::min(count, bytes_.size() - position_);
  if (got > 0) std::memcpy(to, bytes_.data() + position_, got);
  position_ += got;
  return got;
}

}  // namespace cadencio::speech
