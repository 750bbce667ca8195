// Writing the generated recordings as plain WAVE files with the 44-byte header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cadencio::voicegen {

// The 44-byte RIFF/WAVE header of PCM data: "RIFF", data size + 36, "WAVE", a 16-byte "fmt "
// chunk, "data", data size.
std::vector<uint8_t> WavHeader(uint32_t data_size, uint32_t rate, uint16_t channels, uint16_t bits);

// 8-bit unsigned mono samples as a WAVE file; false when it cannot be written whole.
bool WriteWav8Mono(const std::string& path, const std::vector<uint8_t>& samples, uint32_t rate);

// Writes the bytes to the file, false when that fails.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace cadencio::voicegen
