// A stand-in `mbrola` program for the tests: `fake_mbrola [-e] VOICE - -`. The voice file must
// begin with "FAKE-MBROLA-VOICE". Every phoneme line "name ms [position pitch]" becomes ms x 16
// samples whose value is ms, written once the next phoneme line, "#" or the end of the input
// arrives (as a diphone synthesizer waits for the next phoneme). Comment and empty lines are
// skipped. The phoneme "??" is unknown: with -e a warning, else the program ends with 2. The
// line "CRASH" ends it with 3. With FAKE_MBROLA_LOG set, every input line is appended to that
// file, after a line "<start>".
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::FILE* log_file = nullptr;

void Log(const std::string& line) {
  if (log_file != nullptr) {
    std::fprintf(log_file, "%s\n", line.c_str());
    std::fflush(log_file);
  }
}

void WriteSamples(int ms) {
  if (ms <= 0) return;
  const std::vector<int16_t> samples(static_cast<std::size_t>(ms) * 16, static_cast<int16_t>(ms));
  std::fwrite(samples.data(), sizeof(int16_t), samples.size(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
  bool ignore_errors = false;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-e") == 0) {
      ignore_errors = true;
    } else {
      args.emplace_back(argv[i]);
    }
  }
  if (const char* log = std::getenv("FAKE_MBROLA_LOG")) log_file = std::fopen(log, "a");
  Log("<start>");
  if (args.size() != 3 || args[1] != "-" || args[2] != "-") {
    std::fprintf(stderr, "usage: fake_mbrola [-e] voice - -\n");
    return 1;
  }
  std::FILE* voice = std::fopen(args[0].c_str(), "rb");
  char magic[17] = {};
  if (voice == nullptr || std::fread(magic, 1, 17, voice) != 17 ||
      std::memcmp(magic, "FAKE-MBROLA-VOICE", 17) != 0) {
    std::fprintf(stderr, "Fatal error: cannot open the voice %s\n", args[0].c_str());
    return 1;
  }
  std::fclose(voice);

  int pending = 0;
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Log(line);
    if (line.empty() || line[0] == ';') continue;
    if (line == "CRASH") {
      std::fprintf(stderr, "Fatal: crashed on purpose\n");
      return 3;
    }
    if (line == "#") {
      WriteSamples(pending);
      pending = 0;
      std::fflush(stdout);
      continue;
    }
    char name[16] = {};
    int ms = 0;
    if (std::sscanf(line.c_str(), "%15s %d", name, &ms) != 2) {
      std::fprintf(stderr, "Error: bad line %s\n", line.c_str());
      if (!ignore_errors) return 2;
      continue;
    }
    if (std::strcmp(name, "??") == 0) {
      std::fprintf(stderr, "Warning: unknown phoneme ??\n");
      if (!ignore_errors) return 2;
      continue;
    }
    WriteSamples(pending);
    pending = ms;
  }
  WriteSamples(pending);
  return 0;
}
