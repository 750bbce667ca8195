// The uttsSivra module: the built-in Portuguese TTS engine. It runs the text pipeline on every
// text, feeds the phoneme lines to MBROLA and plays the samples (or writes them to a WAV file).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "synth/mbrola.hpp"

namespace cadencio::tts {

// What the engine needs from the program: the WAV playback it plays through, and a modal
// message (shown, spoken, waits for a key) for a faulty prosody file.
class SivraHost {
 public:
  virtual ~SivraHost() = default;
  // Queues 16-bit mono samples at kSivraSampleRate; returns once they are queued.
  virtual void PlaySamples(std::span<const int16_t> samples) = 0;
  virtual bool WavBusy() = 0;
  virtual void StopWav() = 0;
  virtual bool FastPlayback() const = 0;
  virtual void SetFastPlayback(bool on) = 0;
  virtual bool CutSpeech() const = 0;
  virtual void SetCutSpeech(bool on) = 0;
  virtual void MessageBox(const std::string& text) = 0;
};

// Opens MBROLA; null when no synthesizer can be loaded.
using MbrolaLoader = std::function<std::unique_ptr<synth::Mbrola>()>;
// The stand-in for the registry's voice entries: the voice file recorded for a database name
// (possibly empty), or nothing when there is no entry.
using VoiceLocator = std::function<std::optional<std::string>(const std::string& database)>;

// Sound handed to MBROLA's reader and to the playback: 16-bit mono at 16000 Hz.
inline constexpr int kSivraSampleRate = 16000;
inline constexpr int kSivraReadSamples = 16000;
// Pending samples are played once the next read would make them this many (16000 bytes).
inline constexpr std::size_t kSivraPieceSamples = 8000;
// A shorter last piece is padded with silence to this many samples (256 bytes).
inline constexpr std::size_t kSivraMinLastSamples = 128;

class SivraEngine {
 public:
  // `loader` opens the synthesizer at every start: the program chooses which one (the
  // `mbrola` program or the built-in synthesizer). Without a locator, voices are looked for
  // where MBROLA installs them.
  explicit SivraEngine(SivraHost& host, MbrolaLoader loader, VoiceLocator locator = {});
  ~SivraEngine();
  SivraEngine(const SivraEngine&) = delete;
  SivraEngine& operator=(const SivraEngine&) = delete;

  void SivraSetOutputFile(const std::string& path);
  bool SivraStart(const std::string& database, const std::string& rules,
                  const std::string& exceptions, const std::string& abbreviations,
                  const std::string& prosody, const std::string& diphones);
  void SivraSetFactors(double pitch_factor, double duration_factor);
  bool SivraSpeak(const std::string& text);
  bool SivraBusy();
  void SivraStop();
  void SivraClose();
  const std::string& SivraError() const { return error_; }

  // The MBROLA lines of the last text spoken, as written to MBROLA.
  const std::vector<std::string>& LastPhonemeLines() const;

 private:
  void PlayPending(std::size_t count);
  void FinishOutputFile();

  SivraHost& host_;
  MbrolaLoader loader_;
  VoiceLocator locator_;
  std::string error_;
  std::unique_ptr<struct SivraState> state_;
};

}  // namespace cadencio::tts
