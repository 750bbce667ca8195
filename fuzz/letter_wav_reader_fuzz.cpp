// Fuzz target for the recorded voice's reader of letter recordings: any bytes are read as a
// RIFF/WAVE file. Nothing may crash or hang, and no more samples may come out than the image
// limit or the file holds.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "voice/letter_wav_reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (const std::size_t limit : {std::size_t{0}, std::size_t{100}, std::size_t{63956}}) {
    std::istringstream in(bytes);
    std::vector<uint8_t> out;
    const bool ok = cadencio::voice::ReadLetterSamples(in, limit, out);
    if (out.size() > limit || out.size() > size || (!ok && !out.empty())) __builtin_trap();
  }
  return 0;
}
