// The program's sound device: SDL2 audio driving the mixer from SDL's audio thread. When no
// device opens, SDL's silent `dummy` driver keeps the stream running; when even that fails, a
// plain thread renders in real time and discards, so the stream clock still advances. The mixer
// is the device's own, or one handed over by a device that stopped (a JACK server gone away).
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

#include "audio/sdl/sdl_audio.hpp"
#include "base/quiet_stderr.hpp"
#include "base/sequenced_pair.hpp"

namespace cadencio::audio {

namespace {

// Small buffers keep the time from scheduling a beat to hearing it short.
constexpr int kBufferFrames = 512;
// SDL's `disk` driver, which writes the stream to a file, paces it by sleeping the buffer's
// length in whole milliseconds, rounded down: 512 frames at 44100 Hz sleep 11 ms for 11.6 ms of
// sound, so the stream runs 4.5 % fast; 1024 frames sleep 23 ms for 23.2 ms (1 % fast).
constexpr int kDiskBufferFrames = 1024;
// SDL's `dummy` driver, taken when there is no sound device, paces the stream the same way and
// plays to no one. Its buffer sets only how often the audio thread wakes and how far ahead a
// start is placed, unheard: 2048 frames wake it 21.5 times a second instead of 43.
constexpr int kDummyBufferFrames = 2048;

int BufferFramesFor(const char* driver) {
  if (driver != nullptr && SDL_strcmp(driver, "dummy") == 0) return kDummyBufferFrames;
  if (driver != nullptr && SDL_strcmp(driver, "disk") == 0) return kDiskBufferFrames;
  return kBufferFrames;
}

class SdlAudio final : public AudioOutput {
 public:
  // Plays `mixer` when given, else a mixer of its own at the rate the device takes.
  explicit SdlAudio(Mixer* mixer) : mixer_(mixer) {}
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;
  ~SdlAudio() override;

  // Tries the driver SDL picks (or SDL_AUDIODRIVER names), then `dummy`, then the thread.
  void Open(int wanted_rate);

  Mixer& GetMixer() override { return *mixer_; }
  int LeadFrames() const override { return 2 * buffer_frames_ + mixer_->SampleRate() / 100; }
  // A buffer rendered now begins to play as the device takes it, and plays for its length.
  int OutputLatencyFrames() const override { return buffer_frames_; }
  int64_t HeardFrame() override;
  std::string DriverName() const override { return driver_; }

 private:
  bool OpenDevice(int wanted_rate, const char* forced_driver);
  void StartThread(int wanted_rate);
  static void Callback(void* self, Uint8* stream, int len);
  void RenderThread();
  // Rendering thread: notes when a buffer was rendered and how far the stream then was.
  void NoteRendered();

  Mixer* mixer_ = nullptr;
  std::optional<Mixer> own_mixer_;
  // The note of the last buffer: when it was rendered (ns) and how far the stream then was.
  base::SequencedPair note_;
  SDL_AudioDeviceID device_ = 0;
  int buffer_frames_ = kBufferFrames;
  std::string driver_;
  // Last resort: a thread of our own.
  std::thread thread_;
  std::atomic<bool> stop_{false};
};

SdlAudio::~SdlAudio() {
  if (device_ != 0) {
    SDL_CloseAudioDevice(device_);  // waits for the callback to return
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  if (thread_.joinable()) {
    stop_.store(true, std::memory_order_release);
    thread_.join();
  }
}

void SdlAudio::Open(int wanted_rate) {
  if (wanted_rate <= 0) wanted_rate = 44100;
  if (OpenDevice(wanted_rate, nullptr)) return;
  if (OpenDevice(wanted_rate, "dummy")) return;
  StartThread(wanted_rate);
}

// One attempt: start SDL's audio with the given driver (null: SDL's own choice) and open a
// float stereo device. On failure SDL's audio is shut again, ready for the next attempt.
bool SdlAudio::OpenDevice(int wanted_rate, const char* forced_driver) {
  // The program handles its own termination signals (the terminal is restored, then the
  // signal ends the process); SDL's handlers would turn them into quit events nobody reads.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (forced_driver != nullptr) {
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, forced_driver, SDL_HINT_OVERRIDE);
  }
  const bool started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  // The override served this start only; later starts go back to the environment's choice.
  if (forced_driver != nullptr) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  if (!started) return false;

  SDL_AudioSpec want{};
  // A mixer handed over keeps its rate: SDL converts to the device's.
  want.freq = mixer_ != nullptr ? mixer_->SampleRate() : wanted_rate;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = static_cast<Uint16>(BufferFramesFor(SDL_GetCurrentAudioDriver()));
  want.callback = &SdlAudio::Callback;
  want.userdata = this;
  SDL_AudioSpec have{};
  // SDL converts format and channels for us; only the rate may change (the mixer follows it).
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have,
                                mixer_ != nullptr ? 0 : SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (device_ == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  // The device starts paused, so the callback cannot run before the mixer exists.
  if (mixer_ == nullptr) mixer_ = &own_mixer_.emplace(have.freq);
  buffer_frames_ = have.samples > 0 ? have.samples : want.samples;
  const char* name = SDL_GetCurrentAudioDriver();
  driver_ = name != nullptr ? name : "sdl";
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void SdlAudio::Callback(void* self, Uint8* stream, int len) {
  auto* audio = static_cast<SdlAudio*>(self);
  const int frames = len / static_cast<int>(2 * sizeof(float));
  audio->mixer_->RenderOutput(reinterpret_cast<float*>(stream), frames);
  audio->NoteRendered();
  const int rest = len - frames * static_cast<int>(2 * sizeof(float));
  if (rest > 0) SDL_memset(stream + len - rest, 0, static_cast<std::size_t>(rest));
}

int64_t SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void SdlAudio::NoteRendered() {
  note_.Write(SteadyNs(), mixer_->FramesRendered());
}

// The buffer rendered last begins to play about when it was rendered and plays on at the
// stream's rate, so the frame heard moves on smoothly between the device's calls instead of a
// buffer at a time; it never passes what has left the mixer.
int64_t SdlAudio::HeardFrame() {
  const int64_t lookahead = mixer_->LookaheadFrames();
  int64_t ns = 0, frames = 0;
  if (note_.Read(ns, frames)) {
    const int64_t played = (SteadyNs() - ns) * mixer_->SampleRate() / 1'000'000'000;
    return frames - lookahead - buffer_frames_ + std::clamp<int64_t>(played, 0, buffer_frames_);
  }
  // Nothing rendered yet.
  return mixer_->FramesRendered() - lookahead - buffer_frames_;
}

void SdlAudio::StartThread(int wanted_rate) {
  if (mixer_ == nullptr) mixer_ = &own_mixer_.emplace(wanted_rate);
  buffer_frames_ = kBufferFrames;
  driver_ = "none";
  thread_ = std::thread([this] { RenderThread(); });
}

// Renders one buffer per buffer period on an absolute schedule, so the stream keeps real time.
void SdlAudio::RenderThread() {
  std::vector<float> buffer(static_cast<std::size_t>(buffer_frames_) * 2);
  const auto start = std::chrono::steady_clock::now();
  const int rate = mixer_->SampleRate();
  while (!stop_.load(std::memory_order_acquire)) {
    mixer_->RenderOutput(buffer.data(), buffer_frames_);
    NoteRendered();
    const int64_t done = mixer_->FramesRendered();
    std::this_thread::sleep_until(start + std::chrono::microseconds(done * 1'000'000 / rate));
  }
}

}  // namespace

std::unique_ptr<AudioOutput> OpenSdlAudio(int wanted_rate) {
  // The outcome is known from the driver that opened; the libraries' complaints are dropped.
  base::QuietStderr quiet;
  auto audio = std::make_unique<SdlAudio>(nullptr);
  audio->Open(wanted_rate);
  return audio;
}

std::unique_ptr<AudioOutput> OpenSdlAudioOn(Mixer& mixer) {
  base::QuietStderr quiet;
  auto audio = std::make_unique<SdlAudio>(&mixer);
  audio->Open(mixer.SampleRate());
  return audio;
}

}  // namespace cadencio::audio
