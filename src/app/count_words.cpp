// Rendering the count words by the current voice.
#include "app/count_words.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "audio/pcm_fade.hpp"

namespace cadencio::app {

namespace {

// The words as the voice is given them (Windows-1252).
constexpr const char* kWordTexts[kCountWords] = {"um",   "dois", "tr\xEAs", "quatro", "cinco",
                                                 "seis", "sete", "oito",    "nove"};

float FrameLevel(const std::vector<float>& samples, std::size_t frame) {
  return std::max(std::fabs(samples[2 * frame]), std::fabs(samples[2 * frame + 1]));
}

}  // namespace

const char* CountWordText(int n) {
  return kWordTexts[std::clamp(n, 1, kCountWords) - 1];
}

audio::Sound TrimmedWord(const std::vector<float>& samples, int rate) {
  const std::size_t frames = samples.size() / 2;
  float peak = 0;
  for (std::size_t i = 0; i < frames; ++i) peak = std::max(peak, FrameLevel(samples, i));
  audio::Sound word;
  if (peak <= 0) return word;
  const float floor = peak / 64;
  std::size_t first = 0, last = frames;
  while (FrameLevel(samples, first) < floor) ++first;
  while (FrameLevel(samples, last - 1) < floor) --last;
  word.samples.assign(samples.begin() + static_cast<std::ptrdiff_t>(2 * first),
                      samples.begin() + static_cast<std::ptrdiff_t>(2 * last));
  // The trimmed end is not silence yet: it fades out, so that it ends without a step.
  const std::size_t length = last - first;
  const std::size_t fade = std::min(length, audio::CutFadeSamples(rate));
  for (std::size_t i = 0; i < fade; ++i) {
    const float gain = static_cast<float>(i) / static_cast<float>(fade);
    word.samples[2 * (length - 1 - i)] *= gain;
    word.samples[2 * (length - 1 - i) + 1] *= gain;
  }
  return word;
}

void CountWords::Prepare(console::Console& console, speech::SpeechFrontEnd& speech,
                         audio::WaveOutRecorder* recorder, audio::BeatChannel& beats, int rate) {
  if (rendered_ && prepared_speed_ == speech.Speed()) return;
  prepared_speed_ = speech.Speed();
  std::array<const audio::Sound*, kCountWords> rendered{};
  bool whole = recorder != nullptr && speech.SpeechRecordable();
  // What was still being said ends first, so that none of it is taken into a word.
  if (whole) speech.WaitSpeechEnd();
  for (int n = 0; whole && n < kCountWords; ++n) {
    recorder->BeginRecording();
    speech.SpeakText(kWordTexts[n]);
    speech.WaitSpeechEnd();
    audio::Sound word = TrimmedWord(recorder->EndRecording(rate), rate);
    // A key cuts the rendering short; an empty word means the voice said nothing.
    whole = !console.KeyPressed() && word.FrameCount() > 0;
    if (whole) rendered[n] = beats.Keep("count:" + std::to_string(n + 1), std::move(word));
  }
  rendered_ = whole;
  for (int n = 0; n < kCountWords; ++n) {
    words_[n] = whole ? rendered[n]
                      : beats.Load(speech.PromptDir() + "CANUM" + std::to_string(n + 1) + ".wav");
  }
}

const audio::Sound* CountWords::Word(int n) const {
  return n >= 1 && n <= kCountWords ? words_[n - 1] : nullptr;
}

}  // namespace cadencio::app
