// The glue between the engine dispatch and the built-in Portuguese TTS: the engine's file set
// from section SIVRATTS, its speaking factors from the voice settings, and the host through
// which the engine plays its sound and shows its messages.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "audio/speech_level.hpp"
#include "engines/engine_binding.hpp"
#include "tts/sivra_engine.hpp"

namespace cadencio::engines {

// The built-in TTS's voice database and the paths of its five data files.
struct SivraFileSet {
  std::string database;
  std::string dir;  // ends in a separator
  std::string base;
  std::string rules, exceptions, abbreviations, prosody, diphones;  // dir + base + extension
};

using IniReader = std::function<std::string(const std::string&, const std::string&)>;
// The installed file of an MBROLA voice, by name; nothing when it is not installed.
using MbrolaVoiceLookup = std::function<std::optional<std::string>(const std::string&)>;

// Reads MBROLA_DB, DIR and BASE of section SIVRATTS. An empty database is "br4"; an empty DIR
// is the directory of the installed br4 voice, else "c:\sonaud\sivratts\"; an empty BASE is
// "portug". The five paths are mapped onto this system's file names.
SivraFileSet LoadSivraConfig(const IniReader& read_ini, const MbrolaVoiceLookup& find_voice);

// (pitch + 11) / 11: pitch 0 speaks at the voice's own pitch.
double SivraPitchFactor(int pitch);
// 0.8 - rate / 15: rate 3 gives 0.6, rate 0 gives 0.8.
double SivraDurationFactor(int rate);

// The built-in TTS speaks this far under the speech level every voice speaks at (measured over
// the catalogue by bench/quality/speech_levels).
inline constexpr double kSivraGainDb = 1.2;

// The engine's way to the program: the WAV playback and a modal message.
class SivraHostAdapter final : public tts::SivraHost {
 public:
  SivraHostAdapter(audio::WavPlayback& wav, std::function<void(const std::string&)> message_box)
      : wav_(wav), message_box_(std::move(message_box)) {}
  // The samples' bytes as they lie in memory, which is little-endian on the machines the
  // program is built for, as PCM playback wants them, brought to the speech level.
  void PlaySamples(std::span<const int16_t> samples) override {
    const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());
    pcm_.assign(bytes, bytes + samples.size_bytes());
    audio::ApplySpeechGain(pcm_, kSivraGainDb);
    wav_.PlayPcm({1, tts::kSivraSampleRate, 16}, pcm_);
  }
  bool WavBusy() override { return wav_.WavBusy(); }
  void StopWav() override { wav_.StopWav(); }
  bool FastPlayback() const override { return wav_.FastPlayback(); }
  void SetFastPlayback(bool on) override { wav_.SetFastPlayback(on); }
  bool CutSpeech() const override { return wav_.CutSpeech(); }
  void SetCutSpeech(bool on) override { wav_.SetCutSpeech(on); }
  void MessageBox(const std::string& text) override {
    if (message_box_) message_box_(text);
  }

 private:
  audio::WavPlayback& wav_;
  std::function<void(const std::string&)> message_box_;
  std::vector<uint8_t> pcm_;  // the samples being played, raised to the speech level
};

// Starts the built-in TTS with the file set, the factors of `voice` (its voice number is not
// used) and the synthesizer `load_mbrola` opens; null when the engine does not start.
std::unique_ptr<EngineBinding> SivraGlueStart(EngineContext& context, const EngineVoice& voice,
                                              const SivraFileSet& files,
                                              tts::MbrolaLoader load_mbrola);

}  // namespace cadencio::engines
