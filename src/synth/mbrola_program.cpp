// The `mbrola` program driven through pipes.
#include "synth/mbrola_program.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "files/child_spawn.hpp"

extern char** environ;

namespace cadencio::synth {
namespace {

// A process that stops answering for this long is taken as hung.
constexpr int kAnswerTimeoutMs = 20000;
constexpr std::size_t kMaxErrorText = 2000;

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// write(2) on a pipe whose reader may have gone: the SIGPIPE that would end this program is
// blocked for the call and taken back, so the failure shows as EPIPE only.
ssize_t WriteNoSigpipe(int fd, const char* data, std::size_t size) {
  sigset_t pipe_set;
  sigset_t old_set;
  sigemptyset(&pipe_set);
  sigaddset(&pipe_set, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe_set, &old_set);
  const ssize_t written = write(fd, data, size);
  const int saved = errno;
  if (written < 0 && saved == EPIPE && !sigismember(&old_set, SIGPIPE)) {
    const timespec zero{0, 0};
    sigtimedwait(&pipe_set, nullptr, &zero);
  }
  pthread_sigmask(SIG_SETMASK, &old_set, nullptr);
  errno = saved;
  return written;
}

}  // namespace

std::optional<std::string> FindProgram(const std::string& name) {
  if (name.empty()) return std::nullopt;
  if (name.find('/') != std::string::npos) {
    if (IsRegularFile(name) && access(name.c_str(), X_OK) == 0) return name;
    return std::nullopt;
  }
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (dir.empty()) dir = '.';
    const std::string candidate = dir + "/" + name;
    if (IsRegularFile(candidate) && access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return std::nullopt;
}

MbrolaProgram::MbrolaProgram(std::string program) : program_(std::move(program)) {}

MbrolaProgram::~MbrolaProgram() {
  Stop();
}

int MbrolaProgram::Init(const std::string& database) {
  Stop();
  database_ = database;
  error_ = 0;
  error_text_.clear();
  if (!IsRegularFile(database)) {
    Fail("the voice " + database + " is not there");
    return -1;
  }
  // Say a short silence: the program must open the voice and end cleanly (whatever diphones
  // the voice has).
  const bool no_error = no_error_;
  no_error_ = true;
  Write("_ 10\r\n");
  Flush();
  int16_t scratch[1024];
  while (Read(scratch, 1024) > 0) {
  }
  const bool failed = error_ != 0;
  no_error_ = no_error;
  Reset();
  if (failed) {
    error_ = 1;
    error_text_ = "mbrola cannot open the voice " + database;
    return -1;
  }
  return 0;
}

bool MbrolaProgram::Start() {
  int in_pipe[2] = {-1, -1};
  int out_pipe[2] = {-1, -1};
  int err_pipe[2] = {-1, -1};
  const auto close_all = [&] {
    for (int* p : {in_pipe, out_pipe, err_pipe}) {
      CloseFd(p[0]);
      CloseFd(p[1]);
    }
  };
  if (pipe2(in_pipe, O_CLOEXEC) != 0 || pipe2(out_pipe, O_CLOEXEC) != 0 ||
      pipe2(err_pipe, O_CLOEXEC) != 0) {
    close_all();
    Fail("no pipe for mbrola");
    return false;
  }
  files::ChildSpawn spawn;
  std::vector<std::string> args = {program_};
  if (no_error_) args.emplace_back("-e");
  args.insert(args.end(), {database_, "-", "-"});
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int result = spawn.Prepare(in_pipe[0], out_pipe[1], err_pipe[1])
                         ? posix_spawnp(&pid, program_.c_str(), spawn.Actions(), spawn.Attr(),
                                        argv.data(), environ)
                         : -1;
  CloseFd(in_pipe[0]);
  CloseFd(out_pipe[1]);
  CloseFd(err_pipe[1]);
  if (result != 0) {
    close_all();
    Fail("mbrola cannot be started: " + std::string(std::strerror(result > 0 ? result : EINVAL)));
    return false;
  }
  pid_ = pid;
  in_fd_ = in_pipe[1];
  out_fd_ = out_pipe[0];
  err_fd_ = err_pipe[0];
  for (int fd : {in_fd_, out_fd_, err_fd_}) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  flushed_ = false;
  stderr_text_.clear();
  return true;
}

void MbrolaProgram::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  pid_ = -1;
  CloseFd(in_fd_);
  CloseFd(out_fd_);
  CloseFd(err_fd_);
  flushed_ = false;
}

void MbrolaProgram::Fail(const std::string& text) {
  error_ = 1;
  error_text_ = text;
}

// Collects the ended process; an exit other than 0 is an error, reported with its messages.
void MbrolaProgram::Reap() {
  if (pid_ <= 0) return;
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  CloseFd(in_fd_);
  CloseFd(err_fd_);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    Fail("mbrola failed: " + stderr_text_);
  }
}

bool MbrolaProgram::Pump(int wait_ms) {
  if (out_fd_ < 0) return false;
  pollfd fds[2] = {{out_fd_, POLLIN, 0}, {err_fd_, POLLIN, 0}};
  const nfds_t count = err_fd_ >= 0 ? 2 : 1;
  const int ready = poll(fds, count, wait_ms);
  if (ready < 0 && errno != EINTR) {
    Fail("mbrola cannot be read");
    return false;
  }
  if (ready == 0 && wait_ms != 0) {
    Fail("mbrola does not answer");
    Stop();
    return false;
  }
  char buffer[65536];
  if (count == 2 && fds[1].revents != 0) {
    const ssize_t got = read(err_fd_, buffer, sizeof buffer);
    if (got > 0) {
      stderr_text_.append(buffer, static_cast<std::size_t>(got));
      if (stderr_text_.size() > kMaxErrorText) {
        stderr_text_.erase(0, stderr_text_.size() - kMaxErrorText);
      }
    } else if (got == 0) {
      CloseFd(err_fd_);
    }
  }
  if (fds[0].revents != 0) {
    const ssize_t got = read(out_fd_, buffer, sizeof buffer);
    if (got > 0) {
      output_.insert(output_.end(), buffer, buffer + got);
    } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
      CloseFd(out_fd_);
      return false;
    }
  }
  return true;
}

int MbrolaProgram::Write(const std::string& line) {
  if (flushed_) Stop();  // a new utterance after a flush whose output was not read to its end
  if (pid_ < 0 && !Start()) return -1;
  std::size_t done = 0;
  while (done < line.size()) {
    if (in_fd_ < 0) return -1;
    pollfd fds[3] = {{in_fd_, POLLOUT, 0}, {out_fd_, POLLIN, 0}, {err_fd_, POLLIN, 0}};
    const int ready = poll(fds, 3, kAnswerTimeoutMs);
    if (ready == 0) {
      Fail("mbrola does not take its input");
      Stop();
      return -1;
    }
    if (fds[1].revents != 0 || fds[2].revents != 0) Pump(0);  // keep the output flowing
    if (fds[0].revents & (POLLERR | POLLHUP)) {
      Reap();
      Fail("mbrola ended before its input: " + stderr_text_);
      return -1;
    }
    if (fds[0].revents & POLLOUT) {
      const ssize_t written = WriteNoSigpipe(in_fd_, line.data() + done, line.size() - done);
      if (written > 0) {
        done += static_cast<std::size_t>(written);
      } else if (errno != EAGAIN && errno != EINTR) {
        Reap();
        Fail("mbrola ended before its input: " + stderr_text_);
        return -1;
      }
    }
  }
  return 0;
}

void MbrolaProgram::Flush() {
  if (pid_ < 0 || flushed_) return;
  Write("#\r\n");
  CloseFd(in_fd_);
  flushed_ = true;
}

int MbrolaProgram::Read(int16_t* samples, int capacity) {
  if (capacity <= 0) return 0;
  const std::size_t wanted = static_cast<std::size_t>(capacity) * 2;
  if (pid_ > 0 && !flushed_) {
    while (Pump(0) && output_.size() < wanted) {
      pollfd probe{out_fd_, POLLIN, 0};
      if (poll(&probe, 1, 0) <= 0) break;
    }
  } else if (flushed_) {
    while (output_.size() < wanted && Pump(kAnswerTimeoutMs)) {
    }
    if (out_fd_ < 0 && pid_ > 0) Reap();
  }
  const std::size_t count = std::min(wanted, output_.size()) / 2;
  if (count == 0) return 0;
  std::memcpy(samples, output_.data(), count * 2);
  output_.erase(output_.begin(), output_.begin() + static_cast<std::ptrdiff_t>(count * 2));
  return static_cast<int>(count);
}

void MbrolaProgram::Reset() {
  Stop();
  output_.clear();
  error_ = 0;
  error_text_.clear();
}

void MbrolaProgram::Close() {
  Stop();
  output_.clear();
}

}  // namespace cadencio::synth
