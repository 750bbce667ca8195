// Opening the JACK client, and the tuner's microphone on its capture port. A build without
// JACK's development files has no JACK back end: opening it then says so.
#include "audio/jack/jack_output.hpp"

#if CADENCIO_JACK
#include <jack/jack.h>

#include "audio/jack/jack_device.hpp"
#include "base/quiet_stderr.hpp"
#endif

namespace cadencio::audio {

#if CADENCIO_JACK

namespace {

// The library's own complaints (no server, a port that did not connect) would write over the
// terminal's screen; what matters is said by the program.
void Silent(const char*) {}

// The capture port's samples, from the ring the process callback fills while this lives.
class JackCapture final : public AudioInput {
 public:
  explicit JackCapture(JackDevice& device) : device_(device), read_(device.CaptureWritten()) {
    device_.SetCaptureOpen(true);
  }
  JackCapture(const JackCapture&) = delete;
  JackCapture& operator=(const JackCapture&) = delete;
  ~JackCapture() override { device_.SetCaptureOpen(false); }

  int SampleRate() const override { return device_.GetMixer().SampleRate(); }
  std::string DriverName() const override { return "jack"; }
  void Read(std::vector<float>& out) override {
    const std::vector<float>& ring = device_.CaptureRing();
    const uint64_t written = device_.CaptureWritten();
    // When the ring overran, the oldest samples are gone: read the newest ring's worth.
    if (written - read_ > ring.size()) read_ = written - ring.size();
    for (; read_ < written; ++read_) out.push_back(ring[read_ % ring.size()]);
  }

 private:
  JackDevice& device_;
  uint64_t read_;
};

}  // namespace

std::unique_ptr<AudioInput> JackDevice::OpenCapture() {
  if (client_ == nullptr) return nullptr;
  return std::make_unique<JackCapture>(*this);
}

std::unique_ptr<JackOutput> OpenJackOutput(const JackOptions& options, base::MessageLoop& loop,
                                           FallbackOpener fallback, std::string* why) {
  jack_set_error_function(&Silent);
  jack_set_info_function(&Silent);
  jack_status_t status{};
  jack_client_t* client = nullptr;
  {
    base::QuietStderr quiet;
    client = jack_client_open(options.client_name.c_str(), JackNoStartServer, &status);
  }
  if (client == nullptr) {
    if (why != nullptr) *why = "no JACK server is running";
    return nullptr;
  }
  auto device = std::make_unique<JackDevice>(client, options, loop, std::move(fallback));
  if (!device->Start(why)) return nullptr;
  return device;
}

bool JackBuilt() {
  return true;
}

#else

std::unique_ptr<JackOutput> OpenJackOutput(const JackOptions&, base::MessageLoop&, FallbackOpener,
                                           std::string* why) {
  if (why != nullptr) *why = "this cadencio was built without JACK";
  return nullptr;
}

bool JackBuilt() {
  return false;
}

#endif

}  // namespace cadencio::audio
