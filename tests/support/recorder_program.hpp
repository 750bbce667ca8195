// A stand-in program for tests that start other programs: a shell script that writes its
// arguments, one per line in brackets (and, when asked, the directory it ran in), to a file.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/scratch_dir.hpp"

namespace cadencio::testing {

class Recorder {
 public:
  explicit Recorder(const std::string& name = "recorder", bool record_directory = false) {
    program_ = bin_ / name;
    WriteBytes(program_, "#!/bin/sh\n{ for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done;" +
                             std::string(record_directory ? " pwd;" : "") + " } > '" + Output() +
                             ".part' && mv '" + Output() + ".part' '" + Output() + "'\n");
    chmod(program_.c_str(), 0755);
  }
  const std::string& Program() const { return program_; }
  std::string BinDir() const { return bin_.path(); }
  std::string Output() const { return out_ / "args"; }

  // What the program recorded; empty when it did not run within ten seconds.
  std::string WaitForOutput() const {
    for (int i = 0; i < 1000; ++i) {
      if (std::filesystem::exists(Output())) return ReadBytes(Output());
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
  }

 private:
  ScratchDir bin_;
  ScratchDir out_;
  std::string program_;
};

// Runs a test in a directory that a started program inherits.
class InDirectory {
 public:
  explicit InDirectory(const std::string& dir) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~InDirectory() { std::filesystem::current_path(old_); }
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;

 private:
  std::filesystem::path old_;
};

}  // namespace cadencio::testing
