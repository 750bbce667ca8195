// Reading a whole file into memory, bounded: every data file of the program is read here, so
// that a missing, unreadable or oversized file is told apart in one way everywhere, and a FIFO
// or device put in a file's place cannot block the program.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace cadencio::files {

// The limit of a data file (voice, sounds, tables and texts of the speech). The largest file
// the program ships, the built-in synthesizer's diphone voice, is under 8 MiB; the limit leaves
// room for a larger voice while refusing a stray file of gigabytes.
inline constexpr std::size_t kMaxDataFileBytes = std::size_t{64} << 20;

enum class FileReadStatus {
  kOk,        // the whole file is in `bytes`
  kMissing,   // no such file
  kTooLarge,  // `bytes` holds only the first `limit` bytes
  kFailed,    // not a regular file, or it could not be read
};

struct FileContent {
  FileReadStatus status = FileReadStatus::kMissing;
  std::string bytes;
};

// Reads `path`, at most `limit` bytes.
FileContent ReadWholeFile(const std::string& path, std::size_t limit = kMaxDataFileBytes);

// The bytes of a data file; nothing when it is missing, larger than kMaxDataFileBytes or cannot
// be read (a directory, a FIFO, a read error).
std::optional<std::string> ReadDataFile(const std::string& path);

}  // namespace cadencio::files
