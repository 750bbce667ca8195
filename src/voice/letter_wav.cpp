// The aufonrec module's reader of letter recordings.
#include "voice/letter_wav.hpp"

#include <algorithm>
#include <array>
#include <fstream>

namespace cadencio::voice {
namespace {

using ChunkHeader = std::array<char, 8>;

bool TagIs(const char* bytes, const char (&tag)[5]) {
  for (int i = 0; i < 4; ++i) {
    char c = bytes[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != tag[i]) return false;
  }
  return true;
}

uint32_t SizeOf(const ChunkHeader& header) {
  uint32_t size = 0;
  for (int i = 7; i >= 4; --i) size = (size << 8) | static_cast<uint8_t>(header[i]);
  return size;
}

bool ReadChunkHeader(std::istream& in, ChunkHeader& header) {
  return static_cast<bool>(in.read(header.data(), header.size()));
}

bool Skip(std::istream& in, uint32_t bytes) {
  return static_cast<bool>(in.seekg(static_cast<std::streamoff>(bytes), std::ios::cur));
}

}  // namespace

bool ReadLetterSamples(std::istream& in, std::size_t max_bytes, std::vector<uint8_t>& out) {
  out.clear();
  std::array<char, 12> riff{};
  if (!in.read(riff.data(), riff.size()) || !TagIs(riff.data(), "riff")) return false;
  ChunkHeader header{};
  if (!ReadChunkHeader(in, header) || !TagIs(header.data(), "fmt ")) return false;
  if (!Skip(in, SizeOf(header))) return false;
  // Every pass consumes at least a chunk header, so the walk ends at the end of the file.
  while (ReadChunkHeader(in, header)) {
    if (TagIs(header.data(), "data")) {
      const std::size_t wanted = std::min<std::size_t>(SizeOf(header) & 0xFFFF, max_bytes);
      out.resize(wanted);
      in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(wanted));
      out.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
      return true;
    }
    if (!Skip(in, SizeOf(header))) return false;
  }
  return false;
}

bool ReadLetterWav(const std::string& path, std::size_t max_bytes, std::vector<uint8_t>& out) {
  out.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  return ReadLetterSamples(in, max_bytes, out);
}

}  // namespace cadencio::voice
