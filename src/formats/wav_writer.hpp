// The one writer of RIFF/WAVE files: the plain 44-byte header of PCM data, and whole files of
// 8-bit or 16-bit mono samples. The generators of the sound data, the built-in TTS's output
// file and the recorded voice's sound images all write their headers here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace cadencio::formats {

inline constexpr std::size_t kWavHeaderSize = 44;

// Fills the first 44 bytes of `image` with the plain header of PCM data: "RIFF", data size +
// 36, "WAVE", a 16-byte PCM "fmt " chunk with the given format, "data" and the data size. Does
// nothing when the image is shorter than the header.
void BuildWavHeader(std::span<uint8_t> image, uint32_t data_size, uint32_t sample_rate,
                    uint16_t channels, uint16_t bits);

// 8-bit unsigned mono samples as a WAVE file; false when the rate is not above 0, the samples
// do not fit a RIFF file or the file cannot be written whole.
bool WriteWav8Mono(const std::string& path, std::span<const uint8_t> samples, int rate);
// The same for 16-bit signed mono samples, stored little-endian.
bool WriteWav16Mono(const std::string& path, std::span<const int16_t> samples, int rate);

}  // namespace cadencio::formats
