// The MBROLA operations over the `mbrola` program.
// Each utterance runs one `mbrola` process: phoneme lines go to its standard input, "#" and
// the end of the input flush it, and its standard output brings back the 16-bit samples. The
// program is started with an argument vector (posix_spawnp), never through a shell.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "synth/mbrola.hpp"

namespace cadencio::synth {

// The full path of an executable program found in PATH (or the path itself when it holds a
// '/' and is executable), or nothing.
std::optional<std::string> FindProgram(const std::string& name);

class MbrolaProgram final : public Mbrola {
 public:
  explicit MbrolaProgram(std::string program = "mbrola");
  ~MbrolaProgram() override;
  MbrolaProgram(const MbrolaProgram&) = delete;
  MbrolaProgram& operator=(const MbrolaProgram&) = delete;

  // Checks that the program says a short silence with the voice; -1 when it does not.
  int Init(const std::string& database) override;
  void SetNoError(int no_error) override { no_error_ = no_error != 0; }
  void Reset() override;
  int Write(const std::string& line) override;
  // Ends the utterance's input ("#" and the end of the input): Read then returns every
  // remaining sample, waiting for them, and 0 once the process has ended.
  void Flush() override;
  // Before a flush, only the samples already produced (possibly none).
  int Read(int16_t* samples, int capacity) override;
  int LastError() override { return error_; }
  std::string LastErrorText() override { return error_text_; }
  void Close() override;

 private:
  bool Start();
  void Stop();
  // Moves output and error text from the process into the buffers, waiting up to `wait_ms`
  // (-1: until something arrives) for them; false when the output has ended.
  bool Pump(int wait_ms);
  void Fail(const std::string& text);
  void Reap();

  std::string program_;
  std::string database_;
  bool no_error_ = false;
  pid_t pid_ = -1;
  int in_fd_ = -1;
  int out_fd_ = -1;
  int err_fd_ = -1;
  bool flushed_ = false;
  std::vector<char> output_;  // sample bytes received and not yet read
  std::string stderr_text_;
  int error_ = 0;
  std::string error_text_;
};

}  // namespace cadencio::synth
