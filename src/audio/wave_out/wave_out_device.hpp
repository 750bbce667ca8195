// The wave-out device as WAV playback sees it: open with a PCM format, write numbered blocks
// of PCM bytes, reset, close. Each written block comes back as a block-done message with its
// number in the program's message loop, once its last sample has sounded or when a reset
// drops it. The mixer's wave-out channel is the real device; tests use fakes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cadencio::audio {

struct WaveFormat {
  int rate = 0;      // samples per second
  int bits = 0;      // 8 (unsigned) or 16 (signed, little-endian)
  int channels = 0;  // 1 or 2
  bool operator==(const WaveFormat&) const = default;
};

// Answers of the device, with the numbers of the multimedia system they stand for.
enum WaveOutResult : int {
  kWaveOk = 0,
  kWaveErrorGeneric = 1,        // MMSYSERR_ERROR
  kWaveErrorAllocated = 4,      // MMSYSERR_ALLOCATED: device in use, try again later
  kWaveErrorInvalidHandle = 5,  // MMSYSERR_INVALHANDLE: the device is not open
  kWaveErrorNoDriver = 6,       // MMSYSERR_NODRIVER
  kWaveErrorNoMemory = 7,       // MMSYSERR_NOMEM: no room for the block
  kWaveErrorBadFormat = 32,     // WAVERR_BADFORMAT: format not supported
  kWaveErrorStillPlaying = 33,  // WAVERR_STILLPLAYING
};

class WaveOutDevice {
 public:
  // The largest block the device takes, in bytes (a 16-bit block length, kept even).
  static constexpr std::size_t kMaxBlockBytes = 65534;

  virtual ~WaveOutDevice() = default;
  // Opens the device for the format; kWaveOk or an error code. The device must be closed.
  virtual int Open(const WaveFormat& format) = 0;
  virtual bool IsOpen() const = 0;
  // Queues a block behind those already queued. `index` comes back in its block-done message.
  // kWaveOk, or an error code when the block was not queued (no done message follows then).
  virtual int Write(int index, const uint8_t* bytes, std::size_t count) = 0;
  // Releases a block whose done message has arrived; kWaveOk or an error code.
  virtual int Unprepare(int /*index*/) { return kWaveOk; }
  // Drops every queued block at once; each is reported done.
  virtual void Reset() = 0;
  // Closes the device; blocks still queued are dropped and reported done.
  virtual void Close() = 0;
};

}  // namespace cadencio::audio
