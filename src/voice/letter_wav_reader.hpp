// The aufonrec module's reader of letter recordings: the samples of a RIFF/WAVE file in the
// letters directory, taken as they are (the format fields are not looked at).
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace cadencio::voice {

// Reads the 12-byte RIFF header ("RIFF" in any case), a chunk that must be "fmt " (any case)
// whose body is skipped, then chunk headers, skipping bodies, up to the "data" chunk. Its size,
// taken as 16 bits, is the number of sample bytes read into `out`, cut to `max_bytes` and to
// what the file holds. False, with `out` empty, when the file is not laid out so or has no
// data chunk.
bool ReadLetterSamples(std::istream& in, std::size_t max_bytes, std::vector<uint8_t>& out);

// The same for a file; false when it cannot be opened.
bool ReadLetterWav(const std::string& path, std::size_t max_bytes, std::vector<uint8_t>& out);

}  // namespace cadencio::voice
