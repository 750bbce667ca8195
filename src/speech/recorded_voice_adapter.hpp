// Joins the recorded voice to the speech front end: the front end drives it through its port
// (open, settings, speak a run of words), and the voice plays its images, waits and reads its
// settings through the front end.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "speech/speech_front_end.hpp"
#include "voice/recorded_voice.hpp"
#include "voice/voice_events.hpp"
#include "voice/voice_host.hpp"

namespace cadencio::speech {

class RecordedVoiceAdapter final : public RecordedVoicePort,
                                   public voice::VoiceHost,
                                   public voice::VoiceObserver {
 public:
  // Attaches itself to `speech`, which must outlive it.
  explicit RecordedVoiceAdapter(SpeechFrontEnd& speech);
  ~RecordedVoiceAdapter() override;
  RecordedVoiceAdapter(const RecordedVoiceAdapter&) = delete;
  RecordedVoiceAdapter& operator=(const RecordedVoiceAdapter&) = delete;

  // The front end's side.
  int Open() override;
  void Close() override;
  void SetSettings(const SynthSettings& settings) override;
  std::string SpeakWords(std::string_view words) override;
  std::string DatabaseName() const override { return voice_.DatabaseName(); }

  // The voice's side.
  void PlayWavImage(std::span<const uint8_t> image) override;
  bool SpeechBusy() override { return speech_.SpeechBusy(); }
  void WaitMessage() override { speech_.Console().WaitMessage(); }
  bool KeyWaiting() override { return speech_.Console().KeyPressed(); }
  std::string ReadTradutorKey(const std::string& key, const std::string& dflt) override;

  // Every piece, letter, pause and image of the voice reaches the front end's observer.
  void OnVoiceEvent(const voice::VoiceEvent& event) override;

  voice::RecordedVoice& Voice() { return voice_; }

 private:
  SpeechFrontEnd& speech_;
  voice::RecordedVoice voice_;
};

}  // namespace cadencio::speech
