// Bounded whole-file reading with plain system calls: the file is opened without blocking, must
// be a regular file, and is read in chunks until its end or the limit.
#include "files/file_reader.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

namespace cadencio::files {

namespace {

// The descriptor of an open file, closed when the holder goes away.
class OpenFile {
 public:
  explicit OpenFile(int fd) : fd_(fd) {}
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

FileContent ReadWholeFile(const std::string& path, std::size_t limit) {
  FileContent content;
  OpenFile fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) {
    content.status =
        (errno == ENOENT || errno == ENOTDIR) ? FileReadStatus::kMissing : FileReadStatus::kFailed;
    return content;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    content.status = FileReadStatus::kFailed;
    return content;
  }
  if (st.st_size > 0) content.bytes.reserve(std::min(static_cast<std::size_t>(st.st_size), limit));
  std::vector<char> buffer(64 * 1024);
  while (true) {
    ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      content.status = FileReadStatus::kFailed;
      content.bytes.clear();
      return content;
    }
    if (n == 0) break;
    std::size_t room = limit - content.bytes.size();
    if (static_cast<std::size_t>(n) > room) {
      content.bytes.append(buffer.data(), room);
      content.status = FileReadStatus::kTooLarge;
      return content;
    }
    content.bytes.append(buffer.data(), static_cast<std::size_t>(n));
  }
  content.status = FileReadStatus::kOk;
  return content;
}

std::optional<std::string> ReadDataFile(const std::string& path) {
  FileContent content = ReadWholeFile(path);
  if (content.status != FileReadStatus::kOk) return std::nullopt;
  return std::move(content.bytes);
}

}  // namespace cadencio::files
