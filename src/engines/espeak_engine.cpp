// espeak-ng in-process binding. espeak-ng runs synchronously: espeak_Synth returns once the
// whole text is synthesized, and every chunk of samples comes back through the synthesis
// callback on the program thread before that. Each chunk is handed to WAV playback as soon as
// a piece is complete, the first one at once so that speech starts quickly; playback waits for
// free blocks of its ring, which paces the synthesis, and a key ends both.
//
// The two counters of the binding follow what espeak-ng reports: a text counts as queued from
// the moment it is handed over until espeak-ng reports the message as finished; the audio
// counts as playing from its first samples until the WAV playback has played them all.
#include "engines/espeak_engine.hpp"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <utility>
#include <vector>

#include "audio/speech_level.hpp"
#include "base/windows1252.hpp"
#include "engines/engine_voices.hpp"
#include "engines/espeak_markup.hpp"
#include "engines/speech_speed.hpp"

namespace cadencio::engines {

namespace {

constexpr int kNormalRate = 175;
constexpr int kNormalPitch = 50;
constexpr std::size_t kMaxTextLength = 64000;
// espeak-ng at its normal volume speaks this far under the speech level every voice speaks at
// (measured over the catalogue by bench/quality/speech_levels).
constexpr double kEspeakGainDb = 3.4;
// espeak-ng speaks softer as it speaks faster (about 0.45 dB a speed level, measured over the
// same catalogue): the gain follows the speed so that every speed is at the speech level.
constexpr double kEspeakGainPerSpeedDb = 0.45;
// Milliseconds of sound in one synthesis callback.
constexpr int kCallbackMs = 20;
// The first piece goes to playback as soon as it comes; later pieces grow up to the block
// size of the WAV playback, so that few blocks carry a long text.
constexpr std::size_t kSecondPieceBytes = 8192;

// espeak-ng is started once per process and stays loaded: its state is global, and starting
// it again after each speed change would only repeat the loading of its data.
int EspeakSampleRate() {
  static const int rate =
      espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, kCallbackMs, nullptr, espeakINITIALIZE_DONT_EXIT);
  return rate;
}

class EspeakEngine final : public EngineBinding {
 public:
  EspeakEngine(EngineContext& context, int sample_rate, int words_per_minute, int speed)
      : context_(context),
        sample_rate_(sample_rate),
        words_per_minute_(words_per_minute),
        speed_(speed) {}

  void Speak(const std::string& given) override {
    const std::string text = EngineTextFor(given);
    if (text.empty() || context_.waiter.KeyPressed()) return;
    if (queued_ > 0) context_.waiter.Delay(20);
    if (context_.text_given) context_.text_given(text);
    ++queued_;  // the text is started
    finished_ = false;
    aborted_ = false;
    pending_.clear();
    flush_at_ = 1;
    const std::string markup = EspeakMarkup(text);
    espeak_ERROR result = espeak_Synth(markup.c_str(), markup.size() + 1, 0, POS_CHARACTER, 0,
                                       espeakCHARS_UTF8 | espeakSSML, nullptr, this);
    if (thrown_) {
      // The program ends (its window closed) while a chunk was played: go on ending it.
      pending_.clear();
      queued_ = 0;
      std::rethrow_exception(std::exchange(thrown_, nullptr));
    }
    if (!aborted_) Flush();
    pending_.clear();
    // A cut or failed synthesis reports no end of the message: the text is done all the same.
    if (!finished_) queued_ = std::max(0, queued_ - 1);
    if (result != EE_OK) Stop();
  }

  bool Busy(int which) override {
    if (audio_playing_ && !context_.wav.WavBusy()) audio_playing_ = false;
    if (which == 1) return queued_ > 0;
    return queued_ > 0 || audio_playing_;
  }

  void Stop() override {
    if (audio_playing_) {
      context_.waiter.Delay(50);
      context_.wav.StopWav();
      context_.waiter.Delay(150);
    }
    audio_playing_ = false;
    queued_ = 0;
  }

  void End() override { Stop(); }

  void SetSpeed(int speed) override {
    speed_ = speed;
    espeak_SetParameter(espeakRATE, EspeakRateAtSpeed(words_per_minute_, speed), 0);
  }

  // One chunk of samples and the events up to it; 1 asks espeak-ng to stop the synthesis.
  // Playing a chunk handles messages, and the end of the program raises an exception there;
  // it must not pass through espeak-ng, so it is kept until espeak_Synth has returned.
  int OnSynth(const short* samples, int count, const espeak_EVENT* events) {
    try {
      return HandleChunk(samples, count, events);
    } catch (...) {
      thrown_ = std::current_exception();
      aborted_ = true;
      return 1;
    }
  }

 private:
  int HandleChunk(const short* samples, int count, const espeak_EVENT* events) {
    for (const espeak_EVENT* e = events; e && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
      if (e->type == espeakEVENT_MSG_TERMINATED && !finished_) {
        finished_ = true;
        queued_ = std::max(0, queued_ - 1);
      }
    }
    if (aborted_) return 1;
    if (samples != nullptr && count > 0) {
      const auto* bytes = reinterpret_cast<const uint8_t*>(samples);
      pending_.insert(pending_.end(), bytes, bytes + 2 * static_cast<std::size_t>(count));
      audio_playing_ = true;
      if (pending_.size() >= flush_at_) Flush();
    }
    if (context_.waiter.KeyPressed()) {
      aborted_ = true;
      return 1;
    }
    return 0;
  }

  // Plays the pending samples as they are: the speed switches belong to the recorded voice.
  void Flush() {
    if (pending_.empty()) return;
    audio::WavPlayback& wav = context_.wav;
    const bool fast = wav.FastPlayback();
    const bool cut = wav.CutSpeech();
    wav.SetFastPlayback(false);
    wav.SetCutSpeech(false);
    audio::ApplySpeechGain(pending_, kEspeakGainDb + kEspeakGainPerSpeedDb * (speed_ - 3));
    wav.PlayPcm({1, sample_rate_, 16}, pending_);
    wav.SetFastPlayback(fast);
    wav.SetCutSpeech(cut);
    pending_.clear();
    flush_at_ =
        std::min(audio::WavPlayback::kBlockBytes, std::max(kSecondPieceBytes, 2 * flush_at_));
  }

  EngineContext& context_;
  int sample_rate_;
  int words_per_minute_;  // at speed 3
  int speed_;             // the speech speed level, 1 to 5
  int queued_ = 0;        // texts espeak-ng is working on
  bool audio_playing_ = false;
  bool finished_ = false;  // espeak-ng reported the end of the current text
  bool aborted_ = false;   // a key ended the current synthesis
  std::exception_ptr thrown_;
  std::vector<uint8_t> pending_;
  std::size_t flush_at_ = 1;
};

int SynthCallback(short* samples, int count, espeak_EVENT* events) {
  if (events == nullptr || events->user_data == nullptr) return 0;
  return static_cast<EspeakEngine*>(events->user_data)->OnSynth(samples, count, events);
}

}  // namespace

int EspeakRate(int rate) {
  if (rate == 0) return kNormalRate;
  int wpm = rate;
  if (rate <= 10) {
    const int steps = std::max(rate, -10);
    wpm = static_cast<int>(std::lround(kNormalRate * std::pow(3.0, steps / 10.0)));
  }
  return std::clamp(wpm, static_cast<int>(espeakRATE_MINIMUM),
                    static_cast<int>(espeakRATE_MAXIMUM));
}

int EspeakRateAtSpeed(int words_per_minute, int speed) {
  return std::clamp(static_cast<int>(std::lround(words_per_minute * SpeedFactor(speed))),
                    static_cast<int>(espeakRATE_MINIMUM), static_cast<int>(espeakRATE_MAXIMUM));
}

int EspeakPitch(int pitch) {
  return std::clamp(kNormalPitch + 5 * pitch, 0, 100);
}

std::string EngineTextFor(std::string text) {
  text = std::string(base::TrimBlanksAndControls(text));
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') text += '.';
  if (text.size() > kMaxTextLength) text.resize(kMaxTextLength);
  return text;
}

std::unique_ptr<EngineBinding> StartEspeak(EngineContext& context, const EngineVoice& voice) {
  const int number = voice.voice == 0 ? 1 : voice.voice;
  const int sample_rate = EspeakSampleRate();
  if (sample_rate <= 0) return nullptr;
  const espeak_VOICE** voices = espeak_ListVoices(nullptr);
  std::vector<std::string> languages;
  for (std::size_t i = 0; voices != nullptr && voices[i] != nullptr; ++i) {
    // The list of languages is a priority byte followed by the language code.
    const char* list = voices[i]->languages;
    languages.emplace_back(list != nullptr && list[0] != 0 ? list + 1 : "");
  }
  const int index = VoiceIndex(languages, number);
  if (index < 0) return nullptr;
  if (espeak_SetVoiceByName(voices[index]->name) != EE_OK &&
      espeak_SetVoiceByName(voices[index]->identifier) != EE_OK) {
    return nullptr;
  }
  const int words_per_minute = EspeakRate(voice.rate);
  espeak_SetParameter(espeakRATE, EspeakRateAtSpeed(words_per_minute, voice.speed), 0);
  espeak_SetParameter(espeakPITCH, EspeakPitch(voice.pitch), 0);
  espeak_SetSynthCallback(SynthCallback);
  return std::make_unique<EspeakEngine>(context, sample_rate, words_per_minute, voice.speed);
}

}  // namespace cadencio::engines
