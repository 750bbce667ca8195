// Speaking texts with the recorded voice into a captured stream.
#include "lib/spoken_corpus.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "app/message_catalogue.hpp"
#include "base/windows1252.hpp"
#include "files/paths.hpp"
#include "files/profile_file.hpp"
#include "lib/recording_list.hpp"
#include "program/capture_rig.hpp"
#include "voice/recorded_voice.hpp"
#include "voice/silent_host.hpp"

namespace cadencio::say {

namespace {

constexpr int64_t kGapMs = 500;  // silence between two texts

// Spoken after the catalogue messages: ordinary prose with accents, punctuation and numbers.
constexpr const char* kParagraph =
    "O metrônomo é um aparelho que marca o andamento da música com batidas regulares. Os "
    "músicos estudam devagar, a 60 batidas por minuto, e aumentam a velocidade aos poucos; "
    "assim, cada trecho difícil fica seguro antes de ser tocado no tempo certo: é a lição "
    "mais antiga da prática musical.";

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

constexpr std::array kVoices = {
    VoiceChoice{"recorded", "N", "0"},
    VoiceChoice{"espeak", "S", "4"},
    VoiceChoice{"dispatcher", "S", "5"},
    VoiceChoice{"sivra", "S", "3"},
};

}  // namespace

const VoiceChoice* FindVoice(const std::string& name) {
  for (const VoiceChoice& voice : kVoices) {
    if (name == voice.name) return &voice;
  }
  return nullptr;
}

std::string VoiceNames() {
  std::string names;
  for (const VoiceChoice& voice : kVoices) {
    names += std::string(names.empty() ? "" : "|") + voice.name;
  }
  return names;
}

ShippedConfig::ShippedConfig(const VoiceChoice* voice) : data_root_(files::DataRoot()) {
  // The data root stands in for the Windows directory, where AUDIRA.INI is looked for first.
  setenv("AUDIRA_WINDIR", data_root_.c_str(), 1);
  if (voice == nullptr) return;
  char pattern[] = "/tmp/cadencio-say-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    error_ = "no temporary directory for the configuration";
    return;
  }
  temp_dir_ = pattern;
  const std::string copy = temp_dir_ + "/AUDIRA.INI";
  std::error_code failed;
  std::filesystem::copy_file(files::FindConfigFile(data_root_), copy,
                             std::filesystem::copy_options::overwrite_existing, failed);
  if (failed) {
    error_ = "cannot copy the shipped AUDIRA.INI: " + failed.message();
    return;
  }
  files::ProfileFile::WriteString(copy, "TRADUTOR", "SAPI", voice->sapi);
  files::ProfileFile::WriteString(copy, "SERVFALA", "TIPOSAPI", voice->kind);
  setenv("AUDIRA_WINDIR", temp_dir_.c_str(), 1);
}

ShippedConfig::~ShippedConfig() {
  std::error_code ignored;
  if (!temp_dir_.empty()) std::filesystem::remove_all(temp_dir_, ignored);
}

std::string CodePageText(const std::string& utf8) {
  base::Windows1252Text text = base::Utf8ToWindows1252(utf8, ' ');
  if (!text.complete) {
    std::fprintf(stderr, "characters outside Windows-1252 are replaced in \"%s\"\n", utf8.c_str());
  }
  return text.bytes;
}

std::vector<std::string> CatalogueAndParagraph() {
  std::vector<std::string> texts;
  const voicegen::RecordingList list = voicegen::ReadRecordingList(CADENCIO_PROMPT_LIST, 3);
  if (!list.error.empty()) {
    std::fprintf(stderr, "no catalogue messages (%s)\n", list.error.c_str());
  }
  for (const voicegen::RecordingLine& line : list.lines) {
    if (!line.fields[1].empty()) texts.push_back(app::MessageText(line.fields[0]));
  }
  texts.push_back(CodePageText(kParagraph));
  return texts;
}

int ProbeVoice(const std::string& data_root) {
  voice::SilentHost host(files::FindConfigFile(data_root));
  voice::RecordedVoice probe(host, host);
  return probe.OpenRecordedVoice();
}

SpokenTake SpeakTexts(const std::string& data_root, int speed,
                      const std::vector<std::string>& texts, speech::SpeechObserver observer,
                      bool engine) {
  SpokenTake take;
  program::CaptureRig rig(data_root, {}, nullptr, kCaptureRate);
  if (observer) rig.speech.SetObserver(std::move(observer));
  try {
    rig.speech.InitSpeech(speed, "");
    take.fast_playback = rig.wav.FastPlayback();
    take.speed = rig.speech.Speed();
    if (engine && !rig.speech.EngineActive()) {
      take.error = "the engine did not start";
      return take;
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
    take.speaking_ms = speaking_ms;
  } catch (const frontends::ProgramExit&) {
    take.error = "the recorded voice did not open:\n" + rig.frontend.Text();
  }
  take.samples = MonoSamples(rig.audio.Stream());
  return take;
}

std::vector<int16_t> SpeakWordsOfText(const std::string& data_root, int speed,
                                      const std::string& text, bool engine) {
  int64_t mark_ms = -1;
  const auto first_mark = [&mark_ms](const speech::SpeechEvent& event) {
    if (event.kind == speech::SpeechEvent::kChar && mark_ms < 0) mark_ms = event.at_ms;
  };
  SpokenTake take = SpeakTexts(data_root, speed, {text}, first_mark, engine);
  if (take.speaking_ms < 0) return {};
  if (mark_ms >= 0) {
    take.samples.resize(
        std::min(take.samples.size(), static_cast<std::size_t>(mark_ms * kCaptureRate / 1000)));
  }
  return take.samples;
}

int WithCapturedVoice(const char* name, int speed,
                      const std::function<int(program::CaptureRig& rig)>& measure) {
  const VoiceChoice* voice = FindVoice(name);
  ShippedConfig config(voice);
  if (voice == nullptr || !config.Error().empty()) {
    std::fprintf(stderr, "%s: %s\n", name, voice ? config.Error().c_str() : "no such voice");
    return 1;
  }
  program::CaptureRig rig(config.DataRoot(), {}, nullptr, kCaptureRate);
  try {
    rig.speech.InitSpeech(speed, rig.settings.ReadIniString("CADENCIO", "DIRCADENCIO"));
    if (voice->IsEngine() && !rig.speech.EngineActive()) {
      std::fprintf(stderr, "%s: the engine did not start\n", name);
      return 1;
    }
    return measure(rig);
  } catch (const frontends::ProgramExit&) {
    std::fprintf(stderr, "%s: the voice did not open\n", name);
    return 1;
  }
}

}  // namespace cadencio::say
