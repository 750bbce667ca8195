// Sound images built in memory: 8-bit mono PCM at 11025 samples per second everywhere in this
// program, behind the platform's 44-byte RIFF/WAVE header. Shared by the recorded voice and the
// speech front end's generated beep and click.
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
