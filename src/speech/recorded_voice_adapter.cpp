// The recorded voice behind the speech front end's port.
#include "speech/recorded_voice_adapter.hpp"

#include <vector>

#include "files/profile_file.hpp"

namespace cadencio::speech {

RecordedVoiceAdapter::RecordedVoiceAdapter(SpeechFrontEnd& speech, base::Waiter& waiter,
                                           const files::AudiraSettings& settings)
    : speech_(speech), settings_(settings), voice_(*this, waiter) {
  voice_.SetObserver(this);
  speech_.AttachRecordedVoice(this);
}

RecordedVoiceAdapter::~RecordedVoiceAdapter() {
  speech_.AttachRecordedVoice(nullptr);
}

int RecordedVoiceAdapter::Open() {
  return voice_.OpenRecordedVoice();
}

void RecordedVoiceAdapter::Close() {
  voice_.CloseRecordedVoice();
}

void RecordedVoiceAdapter::SetSettings(const SynthSettings& settings) {
  // A configuration without a database name keeps the voice's own.
  if (!settings.database.empty()) voice_.SetDatabaseName(settings.database);
  voice_.SetVoiceCuts(settings.piece_cut, settings.piece_surplus, settings.word_gap);
}

std::string RecordedVoiceAdapter::SpeakWords(std::string_view words, voice::Tune tune) {
  std::string phonetic = voice_.Translator().TranslateToPhonetic(words);
  voice_.SpeakPhonetic(phonetic, false, nullptr, tune);
  return phonetic;
}

void RecordedVoiceAdapter::PlayWavImage(std::span<const uint8_t> image) {
  speech_.PlayWavImage(std::vector<uint8_t>(image.begin(), image.end()));
}

std::string RecordedVoiceAdapter::ReadTradutorKey(const std::string& key, const std::string& dflt) {
  return files::ProfileFile::ReadString(settings_.ConfigFile(), "TRADUTOR", key, dflt);
}

void RecordedVoiceAdapter::OnVoiceEvent(const voice::VoiceEvent& event) {
  speech_.Notify(SpeechEvent::kVoice, voice::DescribeVoiceEvent(event));
}

}  // namespace cadencio::speech
