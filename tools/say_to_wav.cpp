// Speaks texts with one of the program's voices into a WAV file, to listen to a voice as it is
// built: the real speech front end and player run on virtual time with the capture output, and
// the captured stream is written as 16-bit mono PCM. The texts are the ones given (UTF-8), or
// else every catalogue message followed by a paragraph of ordinary Portuguese. No prompt
// recordings are played: everything is spoken. The shipped AUDIRA.INI of the data root is
// used, so the per-speed settings are the default ones; --voice overrides its choice of voice.
// A voice that speaks through the desktop's speech service is heard there, not captured.
// --voice sivra is the built-in Portuguese TTS; --pho FILE then also writes the MBROLA phoneme
// lines its pipeline makes of the texts (comments in UTF-8), even when no synthesizer starts.
//
// Usage: say_to_wav OUT.wav [--voice NAME] [--speed N] [--trace] [--pho FILE] [TEXT...]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/windows1252.hpp"
#include "engines/sivra_glue.hpp"
#include "files/paths.hpp"
#include "files/profile_file.hpp"
#include "formats/wav_writer.hpp"
#include "lib/spoken_corpus.hpp"
#include "speech/spoken_forms.hpp"
#include "synth/mbrola_voices.hpp"
#include "tts/sivra_pipeline.hpp"
#include "voice/recorded_voice.hpp"

namespace {

using namespace cadencio;
using say::FindVoice;
using say::VoiceChoice;
using say::VoiceNames;

constexpr std::string_view kSivraKind = "3";

struct Options {
  std::string out;
  const VoiceChoice* voice = nullptr;  // null: as AUDIRA.INI says
  int speed = 0;                       // 0: [TRADUTOR] VELOCIDADE
  bool trace = false;
  std::string pho;  // where the built-in TTS's phoneme lines go
  std::vector<std::string> texts;
};

void PrintUsage() {
  std::fprintf(stderr,
               "usage: say_to_wav OUT.wav [--voice %s] [--speed N] [--trace]\n"
               "                  [--pho FILE] [TEXT...]\n"
               "  Speaks the texts (UTF-8) into OUT.wav; without texts, every catalogue message\n"
               "  and a paragraph of Portuguese. The voice is the one the shipped AUDIRA.INI\n"
               "  chooses unless --voice names one. N is the speech speed, 1 (slow) to 5 (fast);\n"
               "  by default [TRADUTOR] VELOCIDADE. --trace lists on standard error what the\n"
               "  speech and the voice did, with the time. With --voice sivra, --pho FILE writes\n"
               "  the MBROLA phoneme lines of the built-in TTS.\n",
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
    } else if (!texts_only && arg == "--pho") {
      if (i + 1 >= argc) return false;
      options.pho = argv[++i];
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
  if (!options.pho.empty() && (options.voice == nullptr || options.voice->kind != kSivraKind)) {
    std::fprintf(stderr, "say_to_wav: --pho goes with --voice sivra\n");
    return false;
  }
  return !options.out.empty();
}

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

// The MBROLA lines the built-in TTS makes of the texts, with the data and the factors its glue
// takes from the configuration ([SERVFALA] TOM and VELOCIDADE); false when they cannot be
// written.
bool WritePhonemeLines(const std::string& path, const std::string& config,
                       const std::vector<std::string>& texts) {
  const auto read_ini = [&](const std::string& section, const std::string& key) {
    return files::ProfileFile::ReadString(config, section, key, "");
  };
  const engines::SivraFileSet files = engines::LoadSivraConfig(
      read_ini, [](const std::string& name) { return synth::FindMbrolaVoice(name); });
  int rate = std::atoi(read_ini("SERVFALA", "VELOCIDADE").c_str());
  if (rate > 10) rate = 0;
  const int pitch = std::atoi(read_ini("SERVFALA", "TOM").c_str());
  tts::SivraPipeline pipeline;
  const std::string error = pipeline.Load(
      {files.rules, files.exceptions, files.abbreviations, files.prosody, files.diphones},
      [](const std::string& text) {
        std::fprintf(stderr, "say_to_wav: %s\n", base::Windows1252ToUtf8(text).c_str());
      });
  if (!error.empty()) {
    std::fprintf(stderr, "say_to_wav: %s\n", base::Windows1252ToUtf8(error).c_str());
    return false;
  }
  std::FILE* pho = std::fopen(path.c_str(), "w");
  if (pho == nullptr) return false;
  for (const std::string& text : texts) {
    // The spoken form, as the speech front end hands it to every voice.
    for (const std::string& line :
         pipeline.TextToPhonemeLines(speech::SpokenForm(text), engines::SivraPitchFactor(pitch),
                                     engines::SivraDurationFactor(rate))) {
      std::fprintf(pho, "%s\n", base::Windows1252ToUtf8(line).c_str());
    }
  }
  return std::fclose(pho) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    PrintUsage();
    return 2;
  }
  std::vector<std::string> texts;
  for (const std::string& text : options.texts) texts.push_back(say::CodePageText(text));
  if (texts.empty()) texts = say::CatalogueAndParagraph();

  // The shipped configuration of the data root, not the user's own.
  const say::ShippedConfig config(options.voice);
  if (!config.Error().empty()) {
    std::fprintf(stderr, "say_to_wav: %s\n", config.Error().c_str());
    return 1;
  }
  const std::string& data_root = config.DataRoot();
  const int code = say::ProbeVoice(data_root);
  if (code != voice::kVoiceReady) {
    std::fprintf(stderr,
                 "say_to_wav: the recorded voice does not open (code %d) with the data in %s; "
                 "build the data first (cmake --build build)\n",
                 code, data_root.c_str());
    return 1;
  }

  if (!options.pho.empty() &&
      !WritePhonemeLines(options.pho, files::FindConfigFile(data_root), texts)) {
    std::fprintf(stderr, "say_to_wav: cannot write the phoneme lines to %s\n", options.pho.c_str());
  }

  speech::SpeechObserver trace;
  if (options.trace) {
    trace = [](const speech::SpeechEvent& event) {
      std::fprintf(stderr, "%8lld ms  %-8s %s\n", static_cast<long long>(event.at_ms),
                   KindName(event.kind), base::Windows1252ToUtf8(event.detail).c_str());
    };
  }
  const bool engine = options.voice != nullptr && options.voice->IsEngine();
  const say::SpokenTake take = say::SpeakTexts(data_root, options.speed, texts, trace, engine);
  if (take.speaking_ms < 0) {
    std::fprintf(stderr, "say_to_wav: %s%s\n", engine ? options.voice->name : "",
                 (std::string(engine ? " voice: " : "") + take.error).c_str());
    return 1;
  }
  if (!formats::WriteWav16Mono(options.out, take.samples, say::kCaptureRate)) {
    std::fprintf(stderr, "say_to_wav: cannot write %s\n", options.out.c_str());
    return 1;
  }
  std::printf("say_to_wav: %zu texts at speed %d, %.2f s of speech; %s holds %.2f s\n",
              texts.size(), take.speed, take.speaking_ms / 1000.0, options.out.c_str(),
              static_cast<double>(take.samples.size()) / say::kCaptureRate);
  return 0;
}
