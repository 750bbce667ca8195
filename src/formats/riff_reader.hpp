// The one reader of RIFF/WAVE layouts. Every WAVE file or image the program reads (beat sounds,
// prompts and letters played from disk, the recorded voice's letter files, sound images built
// in memory) is walked here from its first byte to the head of its data chunk. The readers
// differ on purpose in a few points, which are options: whether "WAVE" is checked, whether
// "fmt " must be the first chunk, how much of its body must be there, whether a pad byte
// follows a body of odd length, and whether the data size is read as 16 bits. Headers are
// written by formats/wav_writer.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "formats/byte_source.hpp"

namespace cadencio::formats {

struct RiffOptions {
  bool wave_tag = false;         // "WAVE" must follow the RIFF size
  bool fmt_first = true;         // the first chunk must be "fmt "
  uint32_t fmt_fields = 16;      // bytes of the fmt body that must be there (16: up to the bits)
  bool pad_odd_chunks = false;   // a pad byte follows a body of odd length (standard RIFF)
  bool data_size_16bit = false;  // only the low 16 bits of the data size count
};

struct RiffWav {
  static constexpr std::size_t kFmtKept = 40;  // enough for the extensible format's sub-format
  std::array<uint8_t, kFmtKept> fmt{};         // the start of the fmt body, zero beyond it
  uint32_t fmt_size = 0;
  uint32_t data_size = 0;    // as the data chunk states it
  uint64_t data_offset = 0;  // of the first sample byte, from the start of the file

  uint16_t FormatTag() const;
  int Channels() const;
  // The sample rate, kept below 2^31.
  int Rate() const;
  int Bits() const;
};

// Chunk tags are compared without regard to case, as some writers store "FMT " or "Data".
bool TagIs(const uint8_t* bytes, const char (&tag)[5]);
uint16_t ReadLe16(const uint8_t* bytes);
uint32_t ReadLe32(const uint8_t* bytes);

// Walks from the first byte of `source` to the head of the data chunk, leaving the source at
// the first sample byte. A "data" chunk before any "fmt " fails, and so does a chunk whose body
// the source does not hold whole. `accept_fmt`, when given, sees every fmt chunk as it is read
// and fails the walk by answering false.
bool ReadRiffHead(ByteSource& source, const RiffOptions& options, RiffWav& wav,
                  const std::function<bool(const RiffWav&)>& accept_fmt = {});

// The same for an image in memory; the data chunk is cut to what the image holds, and
// `samples` shows it.
bool ParseRiffImage(std::span<const uint8_t> image, const RiffOptions& options, RiffWav& wav,
                    std::span<const uint8_t>& samples,
                    const std::function<bool(const RiffWav&)>& accept_fmt = {});

}  // namespace cadencio::formats
