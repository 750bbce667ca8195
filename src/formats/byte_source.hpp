// Where WAVE data is read from: a small reader interface, with a file reader for the program
// and a memory reader for images, tests and fuzzing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace cadencio::formats {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `count` bytes; fewer only at the end of the data or on a read error.
  virtual std::size_t Read(uint8_t* to, std::size_t count) = 0;
  // Reads and drops `count` bytes; false when the data ends first.
  bool Skip(uint64_t count);
  // Bytes read or skipped so far.
  uint64_t Position() const { return position_; }

 protected:
  uint64_t position_ = 0;  // kept by Read
};

// A file opened for reading; other programs may still read or write it.
class FileByteSource final : public ByteSource {
 public:
  // Nothing when the file cannot be opened.
  static std::unique_ptr<FileByteSource> Open(const std::string& path);
  std::size_t Read(uint8_t* to, std::size_t count) override;

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  explicit FileByteSource(std::FILE* file) : file_(file) {}
  std::unique_ptr<std::FILE, Closer> file_;
};

// Bytes held by somebody else, read from the start.
class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  std::size_t Read(uint8_t* to, std::size_t count) override;

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace cadencio::formats
