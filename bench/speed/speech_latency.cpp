// Speech latency benchmark, on the capture output with the build's generated voice, for the
// recorded voice, the espeak-ng engine and the built-in TTS in the same run:
//  1. the processing time from SpeakText to the first samples handed to the mixer, for every
//     catalogue message;
//  2. from a key press to silence while a long text is spoken, in frames of the stream.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/message_catalogue.hpp"
#include "audio/wave_out/wave_out_device.hpp"
#include "console/console.hpp"
#include "files/paths.hpp"
#include "program/capture_rig.hpp"
#include "speech/speech_front_end.hpp"

namespace {

using namespace cadencio;
using Clock = std::chrono::steady_clock;

// Passes blocks on to the mixer's channel and notes when the first one of an utterance arrives.
class TimedDevice final : public audio::WaveOutDevice {
 public:
  int Open(const audio::WaveFormat& format) override { return target->Open(format); }
  bool IsOpen() const override { return target->IsOpen(); }
  int Write(int index, const uint8_t* bytes, std::size_t count) override {
    if (!first_) first_ = Clock::now();
    return target->Write(index, bytes, count);
  }
  int Unprepare(int index) override { return target->Unprepare(index); }
  void Reset() override { target->Reset(); }
  void Close() override { target->Close(); }
  audio::WaveOutDevice* target = nullptr;
  std::optional<Clock::time_point> first_;
};

// The capture rig with its blocks timed on the way to the mixer.
struct Rig {
  explicit Rig(std::vector<frontends::ScriptedMessage> script)
      : capture("/nonexistent", std::move(script), &device) {
    device.target = &capture.parts.wave_out_channel;
  }
  TimedDevice device;
  program::CaptureRig capture;
  speech::SpeechFrontEnd& speech = capture.speech;
  console::Console& console = capture.console;
  base::VirtualClock& clock = capture.clock;
  audio::CaptureAudio& audio = capture.audio;
};

const char* const kKeys[] = {"CAINIC",   "CACONFIM", "CAFIM",    "CAOPTEC",  "CAF1",     "CAF2",
                             "CAF4",     "CAF6",     "CAF8",     "CAF9",     "CACTLF9",  "CABARR1",
                             "CASET",    "CAPG",     "CAESC1",   "CAQUAL",   "CAINFBPM", "CAINFCOM",
                             "CAINFBTQ", "CAOKF1",   "CAARQINE", "CAESCSET", "CATRTM",   "CAASSPAD",
                             "CADESIST", "MODPAD",   "CARETOR"};

// Starts speech; false (and says why) when the voice did not open or the wanted engine did
// not start.
bool Start(Rig& rig, bool engine) {
  try {
    rig.speech.InitSpeech(3, "c:\\nowhere");  // no prompt recordings: the voice speaks
  } catch (const frontends::ProgramExit&) {
    std::printf("the voice did not open; build the data first\n");
    return false;
  }
  if (engine != rig.speech.EngineActive()) {
    std::printf("the engine did not start\n");
    return false;
  }
  return true;
}

void MeasureFirstSample(const char* voice, bool engine) {
  std::vector<double> ms;
  for (const char* key : kKeys) {
    Rig rig({});
    if (!Start(rig, engine)) return;
    try {
      const std::string text = app::MessageText(key);
      auto start = Clock::now();
      rig.device.first_.reset();
      rig.speech.SpeakText(text);
      if (rig.device.first_) {
        ms.push_back(std::chrono::duration<double, std::milli>(*rig.device.first_ - start).count());
      }
    } catch (const frontends::ProgramExit&) {
      std::printf("the voice did not open; build the data first\n");
      return;
    }
  }
  std::sort(ms.begin(), ms.end());
  if (ms.empty()) return;
  std::printf("%-9s SpeakText to first sample, %zu messages: median %.2f ms, max %.2f ms\n", voice,
              ms.size(), ms[ms.size() / 2], ms.back());
}

void MeasureKeyToSilence(const char* voice, bool engine) {
  const int64_t key_ms = 1500;
  Rig rig({{key_ms, {base::MessageKind::kChar, 'x'}}});
  if (!Start(rig, engine)) return;
  try {
    rig.speech.SpeakText(
        "O metronomo marca o andamento da musica com batidas regulares, e o musico acompanha o "
        "tempo sem pressa, compasso apos compasso, ate o fim da cancao.");
    // An engine speaks on after SpeakText returns; the program waits as every caller does.
    while (rig.speech.SpeechBusy()) rig.console.WaitMessage();
  } catch (const frontends::ProgramExit&) {
    std::printf("the voice did not open; build the data first\n");
    return;
  }
  rig.clock.AdvanceTo(rig.clock.NowMs() + 500);
  const auto& stream = rig.audio.Stream();
  const int rate = rig.audio.GetMixer().SampleRate();
  const int64_t key_frame = key_ms * rate / 1000;
  int64_t last_sound = -1;
  for (int64_t f = key_frame; f < static_cast<int64_t>(stream.size() / 2); ++f) {
    if (std::fabs(stream[2 * f]) > 1e-4f) last_sound = f;
  }
  bool speaking_at_key = false;
  for (int64_t f = std::max<int64_t>(0, key_frame - rate / 10); f < key_frame; ++f) {
    speaking_at_key |= std::fabs(stream[2 * f]) > 1e-4f;
  }
  std::printf("%-9s key to silence: %s; last sound %lld frames (%.1f ms) after the key at %d Hz\n",
              voice,
              speaking_at_key ? "speaking when the key came" : "NOT speaking when the key came",
              static_cast<long long>(last_sound < 0 ? 0 : last_sound - key_frame + 1),
              last_sound < 0 ? 0.0 : (last_sound - key_frame + 1) * 1000.0 / rate, rate);
}

}  // namespace

int main() {
  std::string config = (std::filesystem::temp_directory_path() / "cadencio-latency").string();
  std::filesystem::create_directories(config);
  setenv("AUDIRA_WINDIR", config.c_str(), 1);
  const std::string ini = config + "/AUDIRA.INI";
  std::ofstream(ini) << "[TRADUTOR]\nSAPI=N\n";
  MeasureFirstSample("recorded", false);
  MeasureKeyToSilence("recorded", false);
  std::ofstream(ini) << "[TRADUTOR]\nSAPI=S\n[SERVFALA]\nTIPOSAPI=4\nVOZ=1\n";
  MeasureFirstSample("espeak-ng", true);
  MeasureKeyToSilence("espeak-ng", true);
  std::ofstream(ini)
      << "[TRADUTOR]\nSAPI=S\n[SERVFALA]\nTIPOSAPI=3\n[SIVRATTS]\nDIR=c:\\sonaud\\sivratts\\\n";
  MeasureFirstSample("built-in", true);
  MeasureKeyToSilence("built-in", true);
  std::filesystem::remove_all(config);
  return 0;
}
