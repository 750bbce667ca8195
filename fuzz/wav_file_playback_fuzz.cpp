// Fuzzing the WAV file chunk walk and the playing of its pieces: the bytes are read as a file
// through the memory reader and played on a device that finishes every block at once. The
// walk must end (no hang), never read or write out of bounds, and leave nothing in flight.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "console/console.hpp"
#include "platform/clock.hpp"
#include "platform/frontend.hpp"
#include "platform/message_loop.hpp"
#include "platform/wave_out_device.hpp"
#include "speech/byte_source.hpp"
#include "speech/wav_playback.hpp"

namespace {

using namespace cadencio;

// No keys; a wait moves virtual time on, and one that never ends is a fault.
class IdleFrontend final : public platform::Frontend {
 public:
  explicit IdleFrontend(platform::VirtualClock& clock) : clock_(clock) {}
  void PollInput(platform::MessageLoop&) override {}
  void WaitInput(platform::MessageLoop& loop) override {
    for (int step = 0; step < 60000 && loop.Empty(); ++step) clock_.AdvanceTo(clock_.NowMs() + 1);
    if (loop.Empty()) std::abort();
  }
  void Present(const platform::ScreenCells&, int, int, bool) override {}

 private:
  platform::VirtualClock& clock_;
};

// Every block is done as soon as it is written.
class InstantWaveOut final : public platform::WaveOutDevice {
 public:
  explicit InstantWaveOut(platform::MessageLoop& loop) : loop_(loop) {}
  int Open(const platform::WaveFormat& format) override {
    if (format.rate <= 0 || (format.bits != 8 && format.bits != 16)) {
      return platform::kWaveErrorBadFormat;
    }
    open_ = true;
    return platform::kWaveOk;
  }
  bool IsOpen() const override { return open_; }
  int Write(int index, const uint8_t* bytes, std::size_t count) override {
    if (!open_ || count > kMaxBlockBytes) std::abort();
    volatile uint8_t touch = count > 0 ? bytes[0] ^ bytes[count - 1] : 0;
    (void)touch;
    platform::Message message{platform::MessageKind::kBlockDone};
    message.param = index;
    loop_.Post(message);
    return platform::kWaveOk;
  }
  void Reset() override {}
  void Close() override { open_ = false; }

 private:
  platform::MessageLoop& loop_;
  bool open_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  platform::VirtualClock clock;
  platform::MessageLoop loop;
  IdleFrontend frontend(clock);
  console::Console console(frontend, loop, clock);
  InstantWaveOut device(loop);
  speech::WavPlayback wav(console, device);
  // The last byte, when there is one, picks the speed switches.
  if (size > 0) {
    wav.SetFastPlayback(data[size - 1] & 1);
    wav.SetCutSpeech(data[size - 1] & 2);
  }
  speech::MemoryByteSource source({data, size});
  int result = wav.PlayWavStream(source);
  if (result > 0 && result != platform::kWaveErrorBadFormat) std::abort();
  if (wav.InFlight() != 0 || wav.DeviceOpen()) std::abort();
  return 0;
}
