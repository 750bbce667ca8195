// The uttsSivra module: the built-in Portuguese TTS engine. It runs the text pipeline on every
// text, feeds the phoneme lines to MBROLA and plays the samples (or writes them to a WAV file).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/mbrola.hpp"

namespace cadencio::tts {

// What the engine needs from the program: the WAV playback it plays through, and a modal
// message (shown, spoken, waits for a key) for a faulty prosody file.
class SivraHost {
 public:
  virtual ~SivraHost() = default;
  virtual void PlayWavBuffer(std::span<const uint8_t> image) = 0;
  virtual bool WavBusy() = 0;
  virtual void StopWav() = 0;
  virtual bool FastPlayback() const = 0;
  virtual void SetFastPlayback(bool on) = 0;
  virtual bool CutSpeech() const = 0;
  virtual void SetCutSpeech(bool on) = 0;
  virtual void MessageBox(const std::string& text) = 0;
};

// Opens MBROLA; null when no synthesizer can be loaded.
using MbrolaLoader = std::function<std::unique_ptr<platform::Mbrola>()>;

class SivraEngine {
 public:
  // Without a loader, the engine loads MBROLA the program's usual way.
  explicit SivraEngine(SivraHost& host, MbrolaLoader loader = {});
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

 private:
  SivraHost& host_;
  MbrolaLoader loader_;
  std::string error_;
  std::unique_ptr<struct SivraState> state_;
};

}  // namespace cadencio::tts
