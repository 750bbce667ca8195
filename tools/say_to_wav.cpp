// Speaks texts with one of the program's voices into a WAV file, to listen to a voice as it is
// built: the real speech front end and player run on virtual time with the capture output, and
// the captured stream is written as 16-bit mono PCM. The texts are the ones given (UTF-8), or
// else every catalogue message followed by a paragraph of ordinary Portuguese. No prompt
// recordings are played: everything is spoken. The shipped AUDIRA.INI of the data root is
// used, so the per-speed settings are the default ones; --voice overrides its choice of voice.
// A voice that speaks through the desktop's speech service is heard there, not captured.
//
// Usage: say_to_wav OUT.wav [--voice NAME] [--speed N] [--trace] [TEXT...]
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/message_catalogue.hpp"
#include "console/console.hpp"
#include "platform/paths.hpp"
#include "platform/profile_file.hpp"
#include "platform/wav_file.hpp"
#include "platform/windows1252.hpp"
#include "speech/capture_speech.hpp"
#include "speech/speech_front_end.hpp"
#include "voice/recorded_voice.hpp"
#include "voice/voice_host.hpp"
#include "voice_gen/recording_list.hpp"

namespace {

using namespace cadencio;

constexpr int kRate = 44100;
constexpr int64_t kGapMs = 500;  // silence between two texts

// Spoken after the catalogue messages: ordinary prose with accents, punctuation and numbers.
constexpr const char* kParagraph =
    "O metrônomo é um aparelho que marca o andamento da música com batidas regulares. Os "
    "músicos estudam devagar, a 60 batidas por minuto, e aumentam a velocidade aos poucos; "
    "assim, cada trecho difícil fica seguro antes de ser tocado no tempo certo: é a lição "
    "mais antiga da prática musical.";

// The voices --voice chooses, as the [TRADUTOR] SAPI and [SERVFALA] TIPOSAPI they set.
struct VoiceChoice {
  const char* name;
  const char* sapi;
  const char* kind;
};
constexpr std::array kVoices = {
    VoiceChoice{"recorded", "N", "0"},
    VoiceChoice{"espeak", "S", "4"},
    VoiceChoice{"dispatcher", "S", "5"},
};

const VoiceChoice* FindVoice(const std::string& name) {
  for (const VoiceChoice& voice : kVoices) {
    if (name == voice.name) return &voice;
  }
  return nullptr;
}

std::string VoiceNames() {
  std::string names;
  for (const VoiceChoice& voice : kVoices)
    names += std::string(names.empty() ? "" : "|") + voice.name;
  return names;
}

struct Options {
  std::string out;
  const VoiceChoice* voice = nullptr;  // null: as AUDIRA.INI says
  int speed = 0;                       // 0: [TRADUTOR] VELOCIDADE
  bool trace = false;
  std::vector<std::string> texts;
};

void PrintUsage() {
  std::fprintf(stderr,
               "usage: say_to_wav OUT.wav [--voice %s] [--speed N] [--trace] [TEXT...]\n"
               "  Speaks the texts (UTF-8) into OUT.wav; without texts, every catalogue message\n"
               "  and a paragraph of Portuguese. The voice is the one the shipped AUDIRA.INI\n"
               "  chooses unless --voice names one. N is the speech speed, 1 (slow) to 5 (fast);\n"
               "  by default [TRADUTOR] VELOCIDADE. --trace lists on standard error what the\n"
               "  speech and the voice did, with the time.\n",
               VoiceNames().c_str());
}

bool ParseOptions(int argc, char** argv, Options& options) {
  bool texts_only = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!texts_only && arg == "--") {
      texts_only = true;
    } else if (!texts_only && arg == "--speed") {
      if (i + 1 >= argc) return false;
      const std::string value = argv[++i];
      if (value.size() != 1 || value[0] < '1' || value[0] > '5') {
        std::fprintf(stderr, "say_to_wav: the speed is 1 to 5, not %s\n", value.c_str());
        return false;
      }
      options.speed = value[0] - '0';
    } else if (!texts_only && arg == "--voice") {
      if (i + 1 >= argc) return false;
      options.voice = FindVoice(argv[++i]);
      if (options.voice == nullptr) {
        std::fprintf(stderr, "say_to_wav: the voice is one of %s, not %s\n", VoiceNames().c_str(),
                     argv[i]);
        return false;
      }
    } else if (!texts_only && arg == "--trace") {
      options.trace = true;
    } else if (!texts_only && arg.starts_with("--")) {
      std::fprintf(stderr, "say_to_wav: unknown option %s\n", arg.c_str());
      return false;
    } else if (options.out.empty()) {
      options.out = arg;
    } else {
      options.texts.push_back(arg);
    }
  }
  return !options.out.empty();
}

// Windows-1252 text of a UTF-8 argument; characters outside the code page become blanks.
std::string CodePageText(const std::string& utf8) {
  platform::Windows1252Text text = platform::Utf8ToWindows1252(utf8, ' ');
  if (!text.complete) {
    std::fprintf(stderr, "say_to_wav: characters outside Windows-1252 are left out of \"%s\"\n",
                 utf8.c_str());
  }
  return text.bytes;
}

// The catalogue texts of every key of the prompt list that has one, then the paragraph.
std::vector<std::string> DefaultTexts() {
  std::vector<std::string> texts;
  const voicegen::RecordingList list = voicegen::ReadRecordingList(CADENCIO_PROMPT_LIST, 3);
  if (!list.error.empty()) {
    std::fprintf(stderr, "say_to_wav: no catalogue messages (%s)\n", list.error.c_str());
  }
  for (const voicegen::RecordingLine& line : list.lines) {
    if (!line.fields[1].empty()) texts.push_back(app::MessageText(line.fields[0]));
  }
  texts.push_back(CodePageText(kParagraph));
  return texts;
}

// Opens the recorded voice as the front end would, without sound, and answers its code. The
// front end, when the voice does not open, waits for Enter before it ends the program; the
// probe keeps that wait out of the capture.
int ProbeVoice(const std::string& data_root) {
  class ProbeHost final : public voice::VoiceHost {
   public:
    explicit ProbeHost(std::string config) : config_(std::move(config)) {}
    void PlayWavImage(std::span<const uint8_t> /*image*/) override {}
    bool SpeechBusy() override { return false; }
    void WaitMessage() override {}
    bool KeyWaiting() override { return false; }
    std::string ReadTradutorKey(const std::string& key, const std::string& dflt) override {
      return platform::ProfileFile::ReadString(config_, "TRADUTOR", key, dflt);
    }

   private:
    std::string config_;
  };
  ProbeHost host(platform::FindConfigFile(data_root));
  voice::RecordedVoice probe(host);
  return probe.OpenRecordedVoice();
}

// The speech front end and the recorded voice on the capture output, as in the program.
struct Rig : speech::CaptureSpeech {
  explicit Rig(const std::string& start_dir) : CaptureSpeech(start_dir, {}, nullptr, kRate) {}
};

const char* KindName(speech::SpeechEvent::Kind kind) {
  using K = speech::SpeechEvent;
  switch (kind) {
    case K::kText:
      return "text";
    case K::kPrompt:
      return "prompt";
    case K::kChar:
      return "char";
    case K::kWavFile:
      return "file";
    case K::kImage:
      return "image";
    case K::kPhonetic:
      return "phonetic";
    case K::kNumber:
      return "number";
    case K::kVoice:
      return "voice";
    case K::kBeep:
      return "beep";
    case K::kClick:
      return "click";
    case K::kPause:
      return "pause";
    case K::kEngineText:
      return "engine";
  }
  return "?";
}

// The stream, both channels mixed down, as 16-bit samples.
std::vector<int16_t> MonoSamples(const std::vector<float>& stereo) {
  std::vector<int16_t> mono(stereo.size() / 2);
  for (std::size_t i = 0; i < mono.size(); ++i) {
    float v = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
    v = std::fmax(-1.0f, std::fmin(1.0f, v));
    mono[i] = static_cast<int16_t>(std::lround(v * 32767.0f));
  }
  return mono;
}

// A copy of the shipped configuration in `dir` with the chosen voice; its path.
std::string ConfigWithVoice(const std::string& shipped, const std::string& dir,
                            const VoiceChoice& voice) {
  const std::string copy = dir + "/AUDIRA.INI";
  std::filesystem::copy_file(shipped, copy, std::filesystem::copy_options::overwrite_existing);
  platform::ProfileFile::WriteString(copy, "TRADUTOR", "SAPI", voice.sapi);
  platform::ProfileFile::WriteString(copy, "SERVFALA", "TIPOSAPI", voice.kind);
  return copy;
}

// Speaks every text; answers the virtual time spent speaking, in milliseconds, or -1 when the
// voice did not open or the chosen engine did not start.
int64_t SpeakAll(Rig& rig, int speed, const VoiceChoice* voice,
                 const std::vector<std::string>& texts) {
  try {
    rig.speech.InitSpeech(speed, "");
    const bool wants_engine = voice != nullptr && std::string(voice->sapi) == "S";
    if (wants_engine && !rig.speech.EngineActive()) {
      std::fprintf(stderr, "say_to_wav: the %s voice did not start\n", voice->name);
      return -1;
    }
    int64_t speaking_ms = 0;
    for (const std::string& text : texts) {
      const int64_t start = rig.clock.NowMs();
      rig.speech.SpeakText(text);
      // An engine speaks on after SpeakText returns, as the last pieces of the voice do.
      while (rig.speech.SpeechBusy()) rig.console.WaitMessage();
      speaking_ms += rig.clock.NowMs() - start;
      rig.clock.AdvanceTo(rig.clock.NowMs() + kGapMs);
    }
    rig.speech.EndSpeech();
    return speaking_ms;
  } catch (const platform::ProgramExit&) {
    std::fprintf(stderr, "say_to_wav: the recorded voice did not open:\n%s",
                 rig.frontend.Text().c_str());
    return -1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    PrintUsage();
    return 2;
  }
  std::vector<std::string> texts;
  for (const std::string& text : options.texts) texts.push_back(CodePageText(text));
  if (texts.empty()) texts = DefaultTexts();

  // The shipped configuration of the data root, not the user's own: the data root stands in
  // for the Windows directory, where AUDIRA.INI is looked for first.
  const std::string data_root = platform::DataRoot();
  setenv("AUDIRA_WINDIR", data_root.c_str(), 1);
  std::string config_dir;
  if (options.voice != nullptr) {
    char pattern[] = "/tmp/say_to_wav-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
      std::fprintf(stderr, "say_to_wav: no temporary directory for the configuration\n");
      return 1;
    }
    config_dir = pattern;
    ConfigWithVoice(platform::FindConfigFile(data_root), config_dir, *options.voice);
    setenv("AUDIRA_WINDIR", config_dir.c_str(), 1);
  }
  const int code = ProbeVoice(data_root);
  if (code != voice::kVoiceReady) {
    std::fprintf(stderr,
                 "say_to_wav: the recorded voice does not open (code %d) with the data in %s; "
                 "build the data first (cmake --build build)\n",
                 code, data_root.c_str());
    return 1;
  }

  int64_t speaking_ms = -1;
  std::vector<int16_t> samples;
  int speed = 0;
  {
    Rig rig(data_root);
    if (options.trace) {
      rig.speech.SetObserver([](const speech::SpeechEvent& event) {
        std::fprintf(stderr, "%8lld ms  %-8s %s\n", static_cast<long long>(event.at_ms),
                     KindName(event.kind), platform::Windows1252ToUtf8(event.detail).c_str());
      });
    }
    speaking_ms = SpeakAll(rig, options.speed, options.voice, texts);
    speed = rig.speech.Speed();
    samples = MonoSamples(rig.audio.Stream());
  }
  if (!config_dir.empty()) std::filesystem::remove_all(config_dir);
  if (speaking_ms < 0) return 1;
  if (!platform::WriteWav16Mono(options.out, samples, kRate)) {
    std::fprintf(stderr, "say_to_wav: cannot write %s\n", options.out.c_str());
    return 1;
  }
  std::printf("say_to_wav: %zu texts at speed %d, %.2f s of speech; %s holds %.2f s\n",
              texts.size(), speed, speaking_ms / 1000.0, options.out.c_str(),
              static_cast<double>(samples.size()) / kRate);
  return 0;
}
