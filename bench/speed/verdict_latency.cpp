// From the key v to the verdict heard: the whole program (its composition root on the capture
// rig: virtual time, the headless front end, the build's data) plays the beat and listens to a
// microphone that hears that beat in a room; v is pressed 20 times per voice (the recorded voice
// and espeak-ng), half of them in the first 200 ms of the listener's settling (finding the
// beat's delay and learning the room, from 3 s after listening starts), half 1.5 s later.
//
// Each press arrives at the worst moment, as the listener's pass before it begins, so that pass
// is waited for as well. Its latency is the program thread's wall-clock time from there to the
// block that holds the verdict's first sound being handed to the output, plus the virtual time
// the program waited meanwhile, plus where in that block the sound starts and the output's
// lead: when the first sample above -60 dBFS of the spoken verdict leaves for the speakers.
//
// Usage: verdict_latency
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "audio/audio_input.hpp"
#include "audio/wave_out/wave_out_device.hpp"
#include "program/capture_rig.hpp"
#include "support/scenario.hpp"

namespace {

using namespace cadencio;
using WallClock = std::chrono::steady_clock;

constexpr int64_t kListenAtMs = 500;
constexpr int64_t kSettlesAfterMs = 3000;
constexpr int64_t kEndMs = 7000;
constexpr float kSoundLevel = 0.001f;  // -60 dBFS

double MsBetween(WallClock::time_point from, WallClock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// One press being measured.
struct Press {
  int64_t at_ms = 0;                             // when the key comes, in virtual time
  WallClock::time_point arrived;                 // the start of the pass it arrived in
  std::optional<WallClock::time_point> sounded;  // when the block with the first sound came
  int64_t waited_ms = 0;                         // virtual time from the key to that block
  double lead_in_ms = 0;  // where the sound starts, from that utterance's start
};

// Passes blocks on to the mixer's channel; after a press, finds the first that holds sound.
class TimedDevice final : public audio::WaveOutDevice {
 public:
  int Open(const audio::WaveFormat& format) override {
    format_ = format;
    return target->Open(format);
  }
  bool IsOpen() const override { return target->IsOpen(); }
  int Write(int index, const uint8_t* bytes, std::size_t count) override {
    if (press != nullptr && !press->sounded) Look(bytes, count);
    return target->Write(index, bytes, count);
  }
  int Unprepare(int index) override { return target->Unprepare(index); }
  void Reset() override {
    frames_before_ = 0;  // speech cut: the next utterance starts afresh
    target->Reset();
  }
  void Close() override { target->Close(); }
  // A press to time from now on.
  void Arm(Press& next) {
    press = &next;
    frames_before_ = 0;
  }

  audio::WaveOutDevice* target = nullptr;
  const base::Clock* clock = nullptr;
  Press* press = nullptr;

 private:
  void Look(const uint8_t* bytes, std::size_t count) {
    const int width = format_.bits / 8 * std::max(1, format_.channels);
    if (width <= 0 || format_.rate <= 0) return;
    for (std::size_t at = 0; at + static_cast<std::size_t>(width) <= count; at += width) {
      const float level =
          format_.bits == 16
              ? std::abs(static_cast<int16_t>(bytes[at] | (bytes[at + 1] << 8)) / 32768.0f)
              : std::abs((bytes[at] - 128) / 128.0f);
      if (level > kSoundLevel) {
        press->sounded = WallClock::now();
        press->waited_ms = clock->NowMs() - press->at_ms;
        press->lead_in_ms = 1000.0 * static_cast<double>(frames_before_) / format_.rate;
        return;
      }
      ++frames_before_;
    }
  }
  audio::WaveFormat format_;
  int64_t frames_before_ = 0;
};

// The longest wall-clock time from one of the listener's passes to the next, and the virtual
// time it ended.
struct Longest {
  double ms = 0;
  int64_t at_ms = 0;
};

// A microphone in the room: the program's own output, 50 ms late at 0.4 of its level, with
// faint noise. Each read is the start of a listener's pass, where the presses are armed.
class RoomMicrophone final : public audio::AudioInput {
 public:
  RoomMicrophone(const base::Clock& clock, const audio::CaptureAudio& output,
                 std::vector<Press>& presses, TimedDevice& device, Longest& longest)
      : clock_(clock),
        output_(output),
        presses_(presses),
        device_(device),
        longest_(longest),
        delivered_(static_cast<int64_t>(output.Stream().size() / 2)) {}
  int SampleRate() const override { return 44100; }
  std::string DriverName() const override { return "room"; }

  void Read(std::vector<float>& out) override {
    const auto now = WallClock::now();
    for (; armed_ < presses_.size() && presses_[armed_].at_ms <= clock_.NowMs(); ++armed_) {
      // The key came during the pass before this one: it waited for all of it.
      presses_[armed_].arrived = last_pass_;
      device_.Arm(presses_[armed_]);
    }
    if (MsBetween(last_pass_, now) > longest_.ms) {
      longest_ = {MsBetween(last_pass_, now), clock_.NowMs()};
    }
    last_pass_ = now;
    const auto& stream = output_.Stream();
    const auto heard = static_cast<int64_t>(stream.size() / 2);
    for (; delivered_ < heard; ++delivered_) {
      const int64_t frame = delivered_ - kDelay;
      const float beat = frame >= 0 ? 0.5f * (stream[2 * frame] + stream[2 * frame + 1]) : 0.0f;
      out.push_back(0.4f * beat + noise_(random_));
    }
  }

 private:
  static constexpr int64_t kDelay = 2205;
  const base::Clock& clock_;
  const audio::CaptureAudio& output_;
  std::vector<Press>& presses_;
  TimedDevice& device_;
  Longest& longest_;
  std::size_t armed_ = 0;  // the presses armed so far
  WallClock::time_point last_pass_ = WallClock::now();
  int64_t delivered_ = 0;
  std::mt19937 random_{5};
  std::normal_distribution<float> noise_{0.0f, 0.001f};
};

// One session: listening on, then v at each of `at_ms`; answers the presses timed.
std::vector<Press> RunSession(const std::vector<int64_t>& at_ms, Longest& longest) {
  std::vector<Press> presses;
  testing::Script keys = {testing::TypeChar(kListenAtMs, 'e')};
  for (int64_t at : at_ms) {
    Press press;
    press.at_ms = at;
    presses.push_back(press);
    keys.push_back(testing::TypeChar(at, 'v'));
  }
  // The rig's blocks go through the timed device on their way to the mixer.
  struct Rig {
    explicit Rig(testing::Script script)
        : capture("/nonexistent", std::move(script), &device, 44100, 1000) {
      device.target = &capture.parts.wave_out_channel;
      device.clock = &capture.clock;
    }
    TimedDevice device;
    program::CaptureRig capture;
  };
  auto rig = std::make_unique<Rig>(testing::Session("100", 'q', keys, kEndMs));
  rig->capture.parts.open_capture = [&]() -> std::unique_ptr<audio::AudioInput> {
    return std::make_unique<RoomMicrophone>(rig->capture.clock, rig->capture.audio, presses,
                                            rig->device, longest);
  };
  rig->capture.parts.RunToExit([&] { program::RunCadencio(rig->capture.parts); });
  return presses;
}

void Measure(const char* voice) {
  std::vector<double> settling, later;
  double longest_pass = 0;
  const double lead_ms = 10.0;  // the capture output's lead, as a sound card's
  for (int session = 0; session < 10; ++session) {
    // The settling starts 3 s after listening does: one press in its first 200 ms, 20 ms later
    // in each session, and one 1.5 s after it.
    const int64_t first = kListenAtMs + kSettlesAfterMs - 20 + 20 * session;
    const std::vector<int64_t> at_ms = {first, first + 1500};
    Longest longest;
    for (const Press& press : RunSession(at_ms, longest)) {
      if (!press.sounded) {
        std::printf("%-9s v at %5lld ms: no verdict heard\n", voice,
                    static_cast<long long>(press.at_ms));
        continue;
      }
      const double ms = MsBetween(press.arrived, *press.sounded) +
                        static_cast<double>(press.waited_ms) + press.lead_in_ms + lead_ms;
      std::printf("%-9s v at %5lld ms: %6.1f ms (program thread %.1f, waited %lld, lead-in %.1f)\n",
                  voice, static_cast<long long>(press.at_ms), ms,
                  MsBetween(press.arrived, *press.sounded), static_cast<long long>(press.waited_ms),
                  press.lead_in_ms);
      (press.at_ms == at_ms.front() ? settling : later).push_back(ms);
    }
    longest_pass = std::max(longest_pass, longest.ms);
    if (session == 0) {
      std::printf("%-9s longest from one pass to the next: %.1f ms, ending at %lld ms\n", voice,
                  longest.ms, static_cast<long long>(longest.at_ms));
    }
  }
  for (auto* list : {&settling, &later}) {
    if (list->empty()) continue;
    std::sort(list->begin(), list->end());
    std::printf("%-9s %s: %zu presses, median %.1f ms, worst %.1f ms\n", voice,
                list == &settling ? "while settling" : "later", list->size(),
                (*list)[list->size() / 2], list->back());
  }
  std::printf("%-9s longest from one pass to the next, over all sessions: %.1f ms\n", voice,
              longest_pass);
}

}  // namespace

int main() {
  const std::string config =
      (std::filesystem::temp_directory_path() / "cadencio-verdict-latency").string();
  std::filesystem::create_directories(config);
  setenv("AUDIRA_WINDIR", config.c_str(), 1);
  const std::string ini = config + "/AUDIRA.INI";
  std::ofstream(ini) << "[TRADUTOR]\nSAPI=N\n";
  Measure("recorded");
  std::ofstream(ini) << "[TRADUTOR]\nSAPI=S\n[SERVFALA]\nTIPOSAPI=4\nVOZ=1\n";
  Measure("espeak-ng");
  std::filesystem::remove_all(config);
  return 0;
}
