// Parsing of WAVE images in memory.
#include "audio/wave_out/wav_image_reader.hpp"

#include "formats/riff_reader.hpp"

namespace cadencio::audio {

bool ParseWavImage(std::span<const uint8_t> image, WavImageInfo& info) {
  // "fmt " first, its body holding the fields up to the bits; no pad bytes.
  formats::RiffWav wav;
  std::span<const uint8_t> samples;
  if (!formats::ParseRiffImage(image, {}, wav, samples)) return false;
  info.data = samples.data();
  info.length = samples.size();
  info.channels = wav.Channels();
  info.rate = wav.Rate();
  info.bits = wav.Bits();
  return true;
}

}  // namespace cadencio::audio
