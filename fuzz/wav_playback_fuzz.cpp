// Fuzzing the WAV file chunk walk and the playing of its pieces: the bytes are read as a file
// through the memory reader and played on a device that finishes every block at once. The
// walk must end (no hang), never read or write out of bounds, and leave nothing in flight.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "audio/wave_out/wav_playback.hpp"
#include "audio/wave_out/wave_out_device.hpp"
#include "base/clock.hpp"
#include "base/message_loop.hpp"
#include "console/console.hpp"
#include "formats/byte_source.hpp"
#include "frontends/frontend.hpp"

namespace {

using namespace cadencio;

// No keys; a wait moves virtual time on, and one that never ends is a fault.
class IdleFrontend final : public frontends::Frontend {
 public:
  explicit IdleFrontend(base::VirtualClock& clock) : clock_(clock) {}
  void PollInput(base::MessageLoop&) override {}
  void WaitInput(base::MessageLoop& loop) override {
    for (int step = 0; step < 60000 && loop.Empty(); ++step) clock_.AdvanceTo(clock_.NowMs() + 1);
    if (loop.Empty()) std::abort();
  }
  void Present(const frontends::ScreenCells&, int, int, bool) override {}

 private:
  base::VirtualClock& clock_;
};

// Every block is done as soon as it is written.
class InstantWaveOut final : public audio::WaveOutDevice {
 public:
  explicit InstantWaveOut(base::MessageLoop& loop) : loop_(loop) {}
  int Open(const audio::WaveFormat& format) override {
    if (format.rate <= 0 || (format.bits != 8 && format.bits != 16)) {
      return audio::kWaveErrorBadFormat;
    }
    open_ = true;
    return audio::kWaveOk;
  }
  bool IsOpen() const override { return open_; }
  int Write(int index, const uint8_t* bytes, std::size_t count) override {
    if (!open_ || count > kMaxBlockBytes) std::abort();
    volatile uint8_t touch = count > 0 ? bytes[0] ^ bytes[count - 1] : 0;
    (void)touch;
    base::Message message{base::MessageKind::kBlockDone};
    message.param = index;
    loop_.Post(message);
    return audio::kWaveOk;
  }
  void Reset() override {}
  void Close() override { open_ = false; }

 private:
  base::MessageLoop& loop_;
  bool open_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  base::VirtualClock clock;
  base::MessageLoop loop;
  IdleFrontend frontend(clock);
  console::Console console(frontend, loop, clock);
  InstantWaveOut device(loop);
  audio::WavPlayback wav(console, device);
  // The last byte, when there is one, picks the speed switches.
  if (size > 0) {
    wav.SetFastPlayback(data[size - 1] & 1);
    wav.SetCutSpeech(data[size - 1] & 2);
  }
  formats::MemoryByteSource source({data, size});
  int result = wav.PlayWavStream(source);
  if (result > 0 && result != audio::kWaveErrorBadFormat) std::abort();
  if (wav.InFlight() != 0 || wav.DeviceOpen()) std::abort();
  return 0;
}
