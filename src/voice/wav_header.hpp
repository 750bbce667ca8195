// The 44-byte RIFF/WAVE header of a sound image built in memory (8-bit mono PCM at 11025
// samples per second everywhere in this program). Shared by the recorded voice and the speech
// front end's generated beep and click.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace cadencio::voice {

inline constexpr std::size_t kWavHeaderSize = 44;
inline constexpr uint32_t kVoiceSampleRate = 11025;
inline constexpr uint8_t kSilenceSample = 128;

// Fills the first 44 bytes of `image`: "RIFF", data size + 36, "WAVE", a 16-byte PCM "fmt "
// chunk with the given format, "data" and the data size. Does nothing when the image is
// shorter than the header.
void BuildWavHeader(std::span<uint8_t> image, uint32_t data_size, uint32_t sample_rate,
                    uint16_t channels, uint16_t bits);

}  // namespace cadencio::voice
