// Joins the recorded voice to the speech front end: the front end drives it through its port
// (open, settings, speak a run of words), and the voice plays its images through the front end,
// waits through the program's waiter and reads its settings from AUDIRA.INI.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "base/waiter.hpp"
#include "files/audira_settings.hpp"
#include "speech/speech_front_end.hpp"
#include "voice/recorded_voice.hpp"
#include "voice/voice_events.hpp"
#include "voice/voice_host.hpp"

namespace cadencio::speech {

class RecordedVoiceAdapter final : public RecordedVoicePort,
                                   public voice::VoiceHost,
                                   public voice::VoiceObserver {
 public:
  // Attaches itself to `speech`; the front end, the waiter and the settings must outlive it.
  RecordedVoiceAdapter(SpeechFrontEnd& speech, base::Waiter& waiter,
                       const files::AudiraSettings& settings);
  ~RecordedVoiceAdapter() override;
  RecordedVoiceAdapter(const RecordedVoiceAdapter&) = delete;
  RecordedVoiceAdapter& operator=(const RecordedVoiceAdapter&) = delete;

  // The front end's side.
  int Open() override;
  void Close() override;
  void SetSettings(const SynthSettings& settings) override;
  std::string SpeakWords(std::string_view words, voice::Tune tune) override;
  std::string DatabaseName() const override { return voice_.DatabaseName(); }

  // The voice's side.
  void PlayWavImage(std::span<const uint8_t> image) override;
  bool SpeechBusy() override { return speech_.SpeechBusy(); }
  std::string ReadTradutorKey(const std::string& key, const std::string& dflt) override;

  // Every piece, letter, pause and image of the voice reaches the front end's observer.
  void OnVoiceEvent(const voice::VoiceEvent& event) override;

  voice::RecordedVoice& Voice() { return voice_; }

 private:
  SpeechFrontEnd& speech_;
  const files::AudiraSettings& settings_;
  voice::RecordedVoice voice_;
};

}  // namespace cadencio::speech
