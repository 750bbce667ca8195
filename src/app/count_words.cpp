// Rendering the count words by the current voice.
#include "app/count_words.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "audio/pcm_fade.hpp"

namespace cadencio::app {

namespace {

// The words as the voice is given them (Windows-1252), with the spelling said instead when the
// plain word comes out shorter than kMinWordMs: alone, "um" is read as the article, unstressed
// and barely a syllable; "umm" is the numeral, stressed and closed by its nasal.
struct CountText {
  const char* plain;
  const char* stressed;  // null: the plain word is always long enough
};
constexpr CountText kWordTexts[kCountWords] = {
    {"um", "umm"},       {"dois", nullptr},  {"tr\xEAs", nullptr},
    {"quatro", nullptr}, {"cinco", nullptr}, {"seis", nullptr},
    {"sete", nullptr},   {"oito", nullptr},  {"nove", nullptr}};

// A count word shorter than this is heard as a click rather than a word.
constexpr int kMinWordMs = 150;
// The words are rendered no faster than the normal speech speed: the recorded voice's faster
// speeds shorten every word below kMinWordMs.
constexpr int kMaxCountSpeed = 3;
// Every word is brought to this level (RMS, dB of full scale), unless its peak would pass
// kMaxPeak, so the count is as loud on every beat and with every voice.
constexpr double kWordLevelDb = -18;
constexpr float kMaxPeak = 0.9f;

// What the voice says of `text`, as stereo float at `rate`, without its silences.
audio::Sound RenderWord(speech::SpeechFrontEnd& speech, audio::WaveOutRecorder& recorder,
                        const char* text, int rate) {
  return TrimmedWord(RenderSaid(
                         speech, recorder, [&] { speech.SpeakText(text); }, rate),
                     rate);
}

float FrameLevel(const std::vector<float>& samples, std::size_t frame) {
  return std::max(std::fabs(samples[2 * frame]), std::fabs(samples[2 * frame + 1]));
}

}  // namespace

const char* CountWordText(int n) {
  return kWordTexts[std::clamp(n, 1, kCountWords) - 1].plain;
}

std::vector<float> RenderSaid(speech::SpeechFrontEnd& speech, audio::WaveOutRecorder& recorder,
                              const std::function<void()>& say, int rate) {
  speech.WaitSpeechEnd();
  recorder.BeginRecording();
  say();
  speech.WaitSpeechEnd();
  return recorder.EndRecording(rate);
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

double WordLevelDb(const audio::Sound& word) {
  double sum = 0;
  for (float sample : word.samples) sum += double{sample} * sample;
  if (sum <= 0) return -200;
  return 10 * std::log10(sum / static_cast<double>(word.samples.size()));
}

void LevelWord(audio::Sound& word) {
  float peak = 0;
  for (float sample : word.samples) peak = std::max(peak, std::fabs(sample));
  if (peak <= 0) return;
  const double gain =
      std::min(std::pow(10.0, (kWordLevelDb - WordLevelDb(word)) / 20), double{kMaxPeak} / peak);
  for (float& sample : word.samples) sample = static_cast<float>(sample * gain);
}

void CountWords::Prepare(console::Console& console, speech::SpeechFrontEnd& speech,
                         audio::WaveOutRecorder* recorder, audio::BeatChannel& beats, int rate) {
  if (rendered_ && prepared_speed_ == speech.Speed()) return;
  prepared_speed_ = speech.Speed();
  std::array<const audio::Sound*, kCountWords> rendered{};
  bool whole = recorder != nullptr && speech.SpeechRecordable();
  const bool slowed = whole && speech.Speed() > kMaxCountSpeed;
  if (slowed) speech.LoadSynthSettings(kMaxCountSpeed);
  for (int n = 0; whole && n < kCountWords; ++n) {
    audio::Sound word = RenderWord(speech, *recorder, kWordTexts[n].plain, rate);
    // An empty word is left as it is: the voice says nothing of the words.
    const bool short_word =
        word.FrameCount() > 0 && word.FrameCount() * 1000 < int64_t{kMinWordMs} * rate;
    if (short_word && kWordTexts[n].stressed != nullptr) {
      word = RenderWord(speech, *recorder, kWordTexts[n].stressed, rate);
    }
    // A key cuts the rendering short; an empty word means the voice said nothing.
    whole = !console.KeyPressed() && word.FrameCount() > 0;
    LevelWord(word);
    if (whole) rendered[n] = beats.Keep("count:" + std::to_string(n + 1), std::move(word));
  }
  if (slowed) speech.LoadSynthSettings(speech.Speed());
  rendered_ = whole;
  for (int n = 0; n < kCountWords; ++n) {
    words_[n] = whole ? rendered[n]
                      : beats.Load(speech.PromptDir() + "CANUM" + std::to_string(n + 1) + ".wav");
  }
}

void CountWords::PrepareMeasures(console::Console& console, speech::SpeechFrontEnd& speech,
                                 audio::WaveOutRecorder* recorder, audio::BeatChannel& beats,
                                 int rate, int last) {
  if (measures_speed_ != speech.Speed()) measure_words_ = {};
  measures_speed_ = speech.Speed();
  if (recorder == nullptr || !speech.SpeechRecordable()) return;
  const bool slowed = speech.Speed() > kMaxCountSpeed;
  if (slowed) speech.LoadSynthSettings(kMaxCountSpeed);
  for (int n = kCountWords + 1; n <= std::min(last, audio::kMaxMeasureWords); ++n) {
    const audio::Sound*& kept = measure_words_[static_cast<std::size_t>(n - kCountWords - 1)];
    if (kept != nullptr) continue;
    audio::Sound word = RenderWord(speech, *recorder, std::to_string(n).c_str(), rate);
    // A key cuts the rendering short: the words rendered so far are kept.
    if (console.KeyPressed() || word.FrameCount() == 0) break;
    LevelWord(word);
    kept = beats.Keep("count:" + std::to_string(n), std::move(word));
  }
  if (slowed) speech.LoadSynthSettings(speech.Speed());
}

const audio::Sound* CountWords::Word(int n) const {
  return n >= 1 && n <= kCountWords ? words_[n - 1] : nullptr;
}

const audio::Sound* CountWords::MeasureNumber(int n) const {
  if (n > kCountWords && n <= audio::kMaxMeasureWords) {
    return measure_words_[static_cast<std::size_t>(n - kCountWords - 1)];
  }
  return Word(n);
}

}  // namespace cadencio::app
