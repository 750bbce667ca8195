// The recorded voice's sound: 8-bit mono PCM at 11025 samples per second, shared by the speech
// front end's generated beep and click and its joined word recordings. The voice's sound images
// carry it behind the plain 44-byte RIFF/WAVE header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/wav_writer.hpp"

namespace cadencio::voice {

using formats::kWavHeaderSize;
inline constexpr uint32_t kVoiceSampleRate = 11025;
inline constexpr uint8_t kSilenceSample = 128;

using formats::BuildWavHeader;

}  // namespace cadencio::voice
