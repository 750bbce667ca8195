// Crash-safe replacement of a file through a temporary file, fsync and rename.
#include "files/atomic_file.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <vector>

namespace cadencio::files {
namespace {

// An open file descriptor, closed when the holder goes away.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and tells whether the close succeeded (a late write error shows up here).
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// Longest part of the file name copied into a temporary's name, so that the temporary's name
// stays well within the file system's limit.
constexpr std::size_t kMaxNameInTemporary = 100;

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write to `path` must replace: the target of a symbolic link, else `path` itself.
// Empty when `path` is a link that leads nowhere.
std::string WriteTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : std::string();
}

// Removes temporaries of `prefix` in `dir` whose writer process no longer exists. A temporary
// of a live writer is left alone; should a process id have been reused, a leftover merely
// stays until a later write.
void RemoveDeadTemporaries(const std::string& dir, const std::string& prefix) {
  std::unique_ptr<DIR, DirCloser> stream(::opendir(dir.c_str()));
  if (!stream) return;
  std::vector<std::string> dead;
  while (const dirent* entry = ::readdir(stream.get())) {
    std::string_view name(entry->d_name);
    if (!name.starts_with(prefix)) continue;
    std::string_view rest = name.substr(prefix.size());
    std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 9) continue;
    long pid = 0;
    bool digits = true;
    for (char c : rest.substr(0, dash)) {
      digits = digits && c >= '0' && c <= '9';
      pid = pid * 10 + (c - '0');
    }
    if (!digits || pid <= 0 || pid == ::getpid()) continue;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) dead.emplace_back(name);
  }
  for (const std::string& name : dead) ::unlink((dir + "/" + name).c_str());
}

// Flushes a directory so that a rename inside it survives a power cut. File systems that cannot
// flush a directory answer EINVAL; only a real I/O error counts as a failure.
bool SyncDirectory(const std::string& dir) {
  FileDescriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0) return true;
  return ::fsync(fd.get()) == 0 || errno != EIO;
}

// Opens a fresh temporary beside `target` (its name in `temp`); a descriptor below 0 when the
// directory cannot take one.
int OpenTemporary(const std::string& target, std::string& temp) {
  temp = DirectoryOf(target) + "/" + TemporaryPrefixFor(target) + std::to_string(::getpid()) +
         "-XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  temp.assign(name.data());
  return fd;
}

// The file a write replaces, when it may be replaced: not a link that leads nowhere, nor a
// directory or a device. Empty otherwise.
std::string ReplaceableTarget(const std::string& path) {
  std::string target = WriteTarget(path);
  if (target.empty() || BaseNameOf(target).empty()) return {};
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return {};
  return target;
}

}  // namespace

std::string TemporaryPrefixFor(const std::string& path) {
  return '.' + BaseNameOf(path).substr(0, kMaxNameInTemporary) + ".tmp-";
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  // 1. Find the file to replace and the permission bits the new one keeps.
  const std::string target = ReplaceableTarget(path);
  if (target.empty()) return false;
  mode_t mode = 0644;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;
  const std::string dir = DirectoryOf(target);
  RemoveDeadTemporaries(dir, TemporaryPrefixFor(target));

  // 2. Write the whole new content to a fresh temporary beside the file and flush it.
  std::string temp;
  FileDescriptor fd(OpenTemporary(target, temp));
  if (fd.get() < 0) return false;
  bool written =
      WriteAll(fd.get(), bytes) && ::fchmod(fd.get(), mode) == 0 && ::fsync(fd.get()) == 0;
  bool closed = fd.Close();
  // 3. Put it in place in one step; on any failure the old file is untouched.
  if (!written || !closed || ::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  // 4. Make the rename itself durable.
  return SyncDirectory(dir);
}

bool CanReplaceFile(const std::string& path) {
  const std::string target = ReplaceableTarget(path);
  if (target.empty()) return false;
  std::string temp;
  FileDescriptor fd(OpenTemporary(target, temp));
  if (fd.get() < 0) return false;
  fd.Close();
  ::unlink(temp.c_str());
  return true;
}

}  // namespace cadencio::files
