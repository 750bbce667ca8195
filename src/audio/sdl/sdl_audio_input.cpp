// The microphone through SDL2's capture API. SDL's audio thread copies each buffer into a
// lock-free ring (no lock, no allocation there); the program thread empties it on Read.
#include <SDL.h>

#include <atomic>
#include <vector>

#include "audio/sdl/sdl_audio.hpp"
#include "base/quiet_stderr.hpp"

namespace cadencio::audio {

namespace {

// Four seconds of sound: the program thread may be busy speaking for that long.
constexpr std::size_t kRingSeconds = 4;

class SdlCapture final : public AudioInput {
 public:
  SdlCapture() = default;
  SdlCapture(const SdlCapture&) = delete;
  SdlCapture& operator=(const SdlCapture&) = delete;
  ~SdlCapture() override {
    if (device_ != 0) {
      SDL_CloseAudioDevice(device_);  // waits for the callback to return
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
  }

  bool Open(int wanted_rate) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want{};
    want.freq = wanted_rate;
    want.format = AUDIO_F32SYS;
    want.channels = 1;
    want.samples = 1024;
    want.callback = &SdlCapture::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // SDL converts format and channels; only the rate may differ from the one asked for.
    device_ = SDL_OpenAudioDevice(nullptr, 1, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    rate_ = have.freq;
    ring_.assign(kRingSeconds * static_cast<std::size_t>(rate_), 0.0f);
    const char* name = SDL_GetCurrentAudioDriver();
    driver_ = name != nullptr ? name : "sdl";
    // SDL's `dummy` driver records endless silence: that is no microphone.
    if (driver_ == "dummy") return false;
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  int SampleRate() const override { return rate_; }
  std::string DriverName() const override { return driver_; }

  void Read(std::vector<float>& out) override {
    const uint64_t written = written_.load(std::memory_order_acquire);
    // When the ring overran, the oldest samples are gone: read the newest ring's worth.
    if (written - read_ > ring_.size()) read_ = written - ring_.size();
    for (; read_ < written; ++read_) out.push_back(ring_[read_ % ring_.size()]);
  }

 private:
  static void Callback(void* self, Uint8* stream, int len) {
    auto* capture = static_cast<SdlCapture*>(self);
    const auto* samples = reinterpret_cast<const float*>(stream);
    const std::size_t count = static_cast<std::size_t>(len) / sizeof(float);
    uint64_t at = capture->written_.load(std::memory_order_relaxed);
    for (std::size_t i = 0; i < count; ++i)
      capture->ring_[(at + i) % capture->ring_.size()] = samples[i];
    capture->written_.store(at + count, std::memory_order_release);
  }

  SDL_AudioDeviceID device_ = 0;
  int rate_ = 44100;
  std::string driver_;
  std::vector<float> ring_;
  std::atomic<uint64_t> written_{0};  // samples written by the audio thread, ever
  uint64_t read_ = 0;                 // samples taken by the program thread, ever
};

}  // namespace

std::unique_ptr<AudioInput> OpenSdlCapture(int wanted_rate) {
  base::QuietStderr quiet;
  auto capture = std::make_unique<SdlCapture>();
  if (!capture->Open(wanted_rate > 0 ? wanted_rate : 44100)) return nullptr;
  return capture;
}

}  // namespace cadencio::audio
