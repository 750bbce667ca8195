// The replay driver: in a build without libFuzzer each fuzz target is linked with this main,
// which feeds every file of the directories it is given to the target once. ctest runs it on
// the target's corpus (the seeds and every input that once crashed it), so the targets compile
// in every build and their past findings stay fixed. A target that finds a fault aborts, as
// under libFuzzer; an empty or missing corpus fails, so a lost corpus is noticed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  int replayed = 0;
  for (int a = 1; a < argc; ++a) {
    std::error_code error;
    std::vector<fs::path> inputs;
    for (const fs::directory_entry& entry : fs::directory_iterator(argv[a], error)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    if (error || inputs.empty()) {
      std::fprintf(stderr, "%s: no inputs in %s\n", argv[0], argv[a]);
      return 1;
    }
    std::sort(inputs.begin(), inputs.end());  // the same order on every run
    for (const fs::path& input : inputs) {
      std::ifstream in(input, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
      if (!in.is_open() || in.bad()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], input.c_str());
        return 1;
      }
      // Printed first, so that an input that aborts is the last one named.
      std::printf("%s\n", input.filename().c_str());
      std::fflush(stdout);
      // A block of exactly the input's size, so that the sanitizers catch a read past its end.
      const std::unique_ptr<uint8_t[]> data(new uint8_t[bytes.size()]);
      std::copy(bytes.begin(), bytes.end(), data.get());
      LLVMFuzzerTestOneInput(data.get(), bytes.size());
      ++replayed;
    }
  }
  std::printf("%d inputs replayed\n", replayed);
  return replayed > 0 ? 0 : 1;
}
