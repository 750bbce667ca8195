// espeak-ng driven synchronously: every chunk of samples and its events come back through the
// synthesis callback before espeak_Synth returns.
#include "lib/espeak_voice.hpp"

#include <espeak-ng/speak_lib.h>

#include <cstring>

namespace cadencio::voicegen {

namespace {

int CollectSamples(short* samples, int count, espeak_EVENT* events) {
  if (events == nullptr) return 0;
  auto* out = static_cast<Rendering*>(events->user_data);
  if (out == nullptr) return 0;
  for (espeak_EVENT* e = events; e->type != espeakEVENT_LIST_TERMINATED; ++e) {
    if (e->type != espeakEVENT_PHONEME) continue;
    char mnemonic[sizeof(e->id.string) + 1] = {};
    std::memcpy(mnemonic, e->id.string, sizeof(e->id.string));
    out->phonemes.push_back({mnemonic, static_cast<std::size_t>(e->sample)});
  }
  if (samples != nullptr && count > 0)
    out->samples.insert(out->samples.end(), samples, samples + count);
  return 0;
}

}  // namespace

EspeakVoice::EspeakVoice(const std::string& voice) {
  sample_rate_ = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr,
                                   espeakINITIALIZE_DONT_EXIT | espeakINITIALIZE_PHONEME_EVENTS);
  if (sample_rate_ <= 0) {
    error_ = "espeak-ng could not start (is espeak-ng-data installed?)";
    return;
  }
  espeak_SetSynthCallback(CollectSamples);
  if (espeak_SetVoiceByName(voice.c_str()) != EE_OK) {
    error_ = "espeak-ng has no voice named " + voice;
    return;
  }
  ok_ = true;
}

EspeakVoice::~EspeakVoice() {
  if (sample_rate_ > 0) espeak_Terminate();
}

void EspeakVoice::SetRate(int words_per_minute) {
  if (ok_) espeak_SetParameter(espeakRATE, words_per_minute, 0);
}

void EspeakVoice::SetPitch(int pitch) {
  if (ok_) espeak_SetParameter(espeakPITCH, pitch, 0);
}

Rendering EspeakVoice::Render(const std::string& utf8_text) {
  Rendering out;
  if (!ok_) return out;
  espeak_ERROR result = espeak_Synth(utf8_text.c_str(), utf8_text.size() + 1, 0, POS_CHARACTER, 0,
                                     espeakCHARS_UTF8 | espeakPHONEMES, nullptr, &out);
  if (result != EE_OK) return {};
  return out;
}

}  // namespace cadencio::voicegen
